// Oncore decoder: the self-test results of the 6-, 8- and 12-channel
// receivers, one line per test, and the return to position fixes after
// each result.

#include "receiver/decode/OncoreDecoder.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/GpsRxModel.h"

#include <QList>

namespace {

// One test: a set bit means it failed.
struct SelfTestBit {
  int byte;
  quint8 mask;
  QString label;
};

using SelfTestTable = QList<SelfTestBit>;

// "Channel n Correlation Test" for channels highest down to lowest, channel
// `lowest` in bit 0 of the byte.
void AddChannels(SelfTestTable &table, int byte, int highest, int lowest)
{
  for (int channel = highest; channel >= lowest; --channel)
    table << SelfTestBit{byte, quint8(1u << (channel - lowest)),
                         QStringLiteral("Channel %1 Correlation Test").arg(channel)};
}

const SelfTestTable &CaTests()
{
  static const SelfTestTable table = [] {
    SelfTestTable t{{4, 0x20, QStringLiteral("RTC Comm & Time")},
                    {4, 0x10, QStringLiteral("DCXO SPI Comm")},
                    {4, 0x08, QStringLiteral("EEPROM")},
                    {4, 0x04, QStringLiteral("RAM MSByte")},
                    {4, 0x02, QStringLiteral("RAM LSByte")},
                    {4, 0x01, QStringLiteral("ROM MSByte Checksum")},
                    {5, 0x80, QStringLiteral("ROM LSByte Checksum")},
                    {5, 0x40, QStringLiteral("1KHz Presence")}};
    AddChannels(t, 5, 6, 1);
    return t;
  }();
  return table;
}

// The 8-channel timing and SSR receivers.
const SelfTestTable &FaTestsA()
{
  static const SelfTestTable table = [] {
    SelfTestTable t{{4, 0x80, QStringLiteral("RTC Comm & Time")},
                    {4, 0x40, QStringLiteral("DCXO SPI Comm")},
                    {4, 0x20, QStringLiteral("EEPROM")},
                    {4, 0x10, QStringLiteral("RAM MSByte")},
                    {4, 0x08, QStringLiteral("RAM LSByte")},
                    {4, 0x04, QStringLiteral("ROM MSByte Checksum")},
                    {4, 0x02, QStringLiteral("ROM LSByte Checksum")},
                    {4, 0x01, QStringLiteral("1KHz Presence")}};
    AddChannels(t, 5, 8, 1);
    return t;
  }();
  return table;
}

// The other 8-channel receivers, which also sense the antenna.
const SelfTestTable &FaTestsB()
{
  static const SelfTestTable table = [] {
    SelfTestTable t{{4, 0x80, QStringLiteral("Antenna Undercurrent")},
                    {4, 0x40, QStringLiteral("Antenna Overcurrent")},
                    {4, 0x20, QStringLiteral("RTC Comm & Time")},
                    {4, 0x10, QStringLiteral("Temperature Sensor")},
                    {4, 0x04, QStringLiteral("RAM")},
                    {4, 0x02, QStringLiteral("ROM")},
                    {4, 0x01, QStringLiteral("1KHz Presence")}};
    AddChannels(t, 5, 8, 1);
    return t;
  }();
  return table;
}

// After the antenna sense code of the two top bits of byte 4.
const SelfTestTable &IaTests()
{
  static const SelfTestTable table = [] {
    SelfTestTable t{{4, 0x20, QStringLiteral("RTC Comm & Time")},
                    {4, 0x10, QStringLiteral("Temperature Sensor")},
                    {4, 0x04, QStringLiteral("RAM")},
                    {4, 0x02, QStringLiteral("ROM")},
                    {4, 0x01, QStringLiteral("1KHz Presence")},
                    {5, 0x40, QStringLiteral("Temperature Sensor Data Checksum")},
                    {5, 0x20, QStringLiteral("Oscillator Data Checksum")},
                    {5, 0x10, QStringLiteral("Manufacturing Data Checksum")}};
    AddChannels(t, 5, 12, 9);
    AddChannels(t, 6, 8, 1);
    return t;
  }();
  return table;
}

// One "@@Xx label: PASS|FAIL" line per test, after the given lines.
QString SelfTestText(const QByteArray &m, QStringList lines, const SelfTestTable &tests)
{
  const QString id = QString::fromLatin1(m.constData(), 4) + QLatin1Char(' ');
  for (const SelfTestBit &test : tests)
    lines << id + test.label + QStringLiteral(": ") +
                 QLatin1String((GetU8(m, test.byte) & test.mask) ? "FAIL" : "PASS");
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

void OncoreDecoder::DecodeCa(Work &work)
{
  FinishSelfTest(work, SelfTestText(work.message, {}, CaTests()));
}

void OncoreDecoder::DecodeFa(Work &work)
{
  const QByteArray &m = work.message;
  const qint32 model = receiverIdentity.model;
  const bool layoutA = model == GpsRxModel::PVT6 || model == GpsRxModel::VP ||
                       model == GpsRxModel::XT || model == GpsRxModel::VP6 ||
                       (model >= GpsRxModel::Ssr6Tf && model <= GpsRxModel::SsrM8T);
  if (layoutA) {
    FinishSelfTest(work, SelfTestText(m, {}, FaTestsA()));
    return;
  }
  state_.antennaStatus = GetU8(m, 4) >> 6;
  host_.SetAntennaStatus(state_.antennaStatus);
  FinishSelfTest(work, SelfTestText(m, {}, FaTestsB()));
}

void OncoreDecoder::DecodeIa(Work &work)
{
  static const char *const antennaCodes[4] = {"OK", "OC", "UC", "NV"};
  const QByteArray &m = work.message;
  const QString antenna = QStringLiteral("@@Ia Antenna Sense: ") +
                          QLatin1String(antennaCodes[GetU8(m, 4) >> 6]);
  FinishSelfTest(work, SelfTestText(m, {antenna}, IaTests()));
}

void OncoreDecoder::DecodeIr(Work &work)
{
  work.line += QStringLiteral("Oscillator Learning Table Input Acknowledged.");
}

void OncoreDecoder::FinishSelfTest(Work &work, const QString &text)
{
  if (host_.HasIdWindow())
    host_.AppendIdText(text);
  // Back to position fixes, unless the program only listens.
  if (CurrentGpsMode != GpsModeMotorolaBinaryRxOnly)
    host_.SendGpsRxCommand(QByteArray("@@Cg\x01", 5));
  work.configText = text;
  work.line = text;
}
