#include "receiver/session/ReceiverSearch.h"

#include "core/GpsMode.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/link/ProtocolBytes.h"

namespace {

QByteArray CfgMsg(quint8 messageClass, quint8 messageId, quint8 rate)
{
  QByteArray payload;
  payload.append(char(messageClass));
  payload.append(char(messageId));
  payload.append(char(rate));
  return UbxFrame(0x06, 0x01, payload);
}

struct UbxMessageRate {
  quint8 messageClass;
  quint8 messageId;
  quint8 rate;
};

}  // namespace

QList<SearchTry> ReceiverSearchOrder(int presentRate, int lastRate)
{
  QList<SearchTry> order;
  auto addRates = [&order](quint32 mode, std::initializer_list<int> rates) {
    QList<int> tried;
    for (const int rate : rates) {
      if (rate == 0 || tried.contains(rate))
        continue;
      tried.append(rate);
      order.append({mode, rate});
    }
  };
  addRates(GpsModeMotorolaNmea, {presentRate, lastRate, 4800});
  addRates(GpsModeMotorolaBinary, {presentRate, lastRate, 9600, 4800});
  order.append({GpsModeMotorolaLoran, LoranDataRate});
  return order;
}

QByteArray ProbeCommand(quint32 mode)
{
  switch (mode) {
  case GpsModeMotorolaLoran: return QByteArrayLiteral("T0");
  case GpsModeMotorolaNmea: return QByteArrayLiteral("$PMOTG,ZDA,0001");
  case GpsModeMotorolaBinary: return QByteArrayLiteral("@@Cj");
  case GpsModeUbloxUbx: return UbxMonVerPoll();
  default: return {};
  }
}

ProbeKind ProbeKindOf(quint32 mode)
{
  switch (mode) {
  case GpsModeMotorolaLoran:
  case GpsModeMotorolaNmea:
  case GpsModeMotorolaBinary:
  case GpsModeUbloxUbx:
    return ProbeKind::Asks;
  case GpsModeMotorolaBinaryRxOnly:
  case GpsModeGenericNmea:
  case GpsModeSearch:
    return ProbeKind::TakenWithoutAsking;
  default:
    return ProbeKind::NoReceiver;
  }
}

QList<QByteArray> MotorolaNmeaQuietCommands()
{
  return {"$PMOTG,RMC,0000", "$PMOTG,GGA,0000", "$PMOTG,GSA,0000",
          "$PMOTG,GSV,0000", "$PMOTG,GLL,0000", "$PMOTG,VTG,0000"};
}

QList<QByteArray> MotorolaNmeaOutputCommands()
{
  return {"$PMOTG,GLL,0000", "$PMOTG,VTG,0000", "$PMOTG,GGA,0001",
          "$PMOTG,GSA,0001", "$PMOTG,GSV,0001", "$PMOTG,RMC,0001"};
}

QByteArray OncoreBaudRateCommand(int rate)
{
  struct RateBytes {
    int rate;
    quint8 high;
    quint8 low;
  };
  static const RateBytes table[] = {
      {4800, 0x40, 0x48},  {9600, 0x00, 0x00},  {14400, 0x41, 0x44},
      {19200, 0x41, 0x92}, {38400, 0x43, 0x84}, {57600, 0x45, 0x76},
  };
  for (const RateBytes &entry : table) {
    if (entry.rate != rate)
      continue;
    QByteArray message("@@Wb");
    message.append(char(entry.high));
    message.append(char(entry.low));
    return message;
  }
  return {};
}

OncoreModelValues OncoreModelValuesOf(qint32 model)
{
  using namespace GpsRxModel;
  switch (model) {
  case GT:
  case GTPlus:
  case SL:
    return {true, 8, 500.0};
  case UT:
  case UTPlus:
  case VP:
  case CnxtNvmn:
  case TxOncore:
    return {true, 8, 100.0};
  case PVT6:
  case XT:
  case VP6:
    return {true, 6, 100.0};
  case M12:
  case M12Plus:
  case M12M:
  case Signav:
  case Ssr6Tf:
  case Ssr6Tr:
  case SsrM8F:
  case SsrM8T:
    return {true, 12, 100.0};
  default:
    return {};
  }
}

SetupScript OncoreStatusQueries(qint32 model)
{
  const bool gCommands = ReceiverModelGroups::IsGCommand(model);
  SetupScript script;
  script.SendAndWait(OncoreCommand("Hb", 0x00));
  script.Send(OncoreCommand("Bb", 0x00)).Send(OncoreCommand("Bk", 0x00));
  script.Send(OncoreCommand("Ek", 0x00));
  script.Send(OncoreCommand("Bl", 0x00));
  script.SendAndWait(OncoreCommand("Bh", 0x00));
  script.Send(OncoreCommand("Bg", 0x00)).Send(OncoreCommand("Eg", 0x00));
  script.Send(OncoreCommand("Bi", 0x00));
  script.Send(gCommands ? QByteArrayLiteral("@@Gj") : QByteArrayLiteral("@@Bj"));
  script.Send(OncoreCommand("Bo", 0x01));
  if (gCommands)
    script.Send(OncoreCommand("AQ", 0x01));
  return script;
}

QList<QByteArray> OncoreChannelProbes()
{
  return {OncoreCommand("Ha", 0x00), OncoreCommand("Ea", 0x00), OncoreCommand("Ba", 0x00)};
}

QByteArray UbxPortFrame(int rate)
{
  QByteArray payload;
  payload.append(char(0x01));            // UART 1
  payload.append(char(0x00));            // reserved
  AppendLittleEndian(payload, 0x0000, 2);  // TX-ready off
  AppendLittleEndian(payload, 0x000008C0, 4);  // 8N1
  AppendLittleEndian(payload, quint32(rate), 4);
  AppendLittleEndian(payload, 0x0003, 2);  // in: UBX and NMEA
  AppendLittleEndian(payload, 0x0003, 2);  // out: UBX and NMEA
  AppendLittleEndian(payload, 0x0000, 2);  // flags
  AppendLittleEndian(payload, 0x0000, 2);  // reserved
  return UbxFrame(0x06, 0x00, payload);
}

QByteArray UbxMonVerPoll()
{
  return UbxFrame(0x0A, 0x04);
}

QList<QByteArray> UbxMessagesOffFrames()
{
  static const UbxMessageRate off[] = {
      {0xF1, 0x00, 0}, {0x0D, 0x01, 0}, {0x0D, 0x04, 0}, {0x01, 0x02, 0}, {0x01, 0x30, 0},
      {0x0A, 0x09, 0}, {0x01, 0x03, 0}, {0x01, 0x21, 0}, {0x01, 0x04, 0}, {0xF1, 0x03, 0},
      {0xF1, 0x04, 0}, {0xF0, 0x0A, 0}, {0xF0, 0x09, 0}, {0xF0, 0x00, 0}, {0xF0, 0x01, 0},
      {0xF0, 0x40, 0}, {0xF0, 0x06, 0}, {0xF0, 0x02, 0}, {0xF0, 0x07, 0}, {0xF0, 0x03, 0},
      {0xF0, 0x04, 0}, {0xF0, 0x41, 0}, {0xF0, 0x05, 0}, {0xF0, 0x08, 0},
  };
  QList<QByteArray> frames;
  for (const UbxMessageRate &m : off)
    frames.append(CfgMsg(m.messageClass, m.messageId, m.rate));
  return frames;
}

QList<QByteArray> UbxMessagesOnFrames(quint32 mode)
{
  static const UbxMessageRate ubx[] = {
      {0x01, 0x21, 1}, {0x0D, 0x01, 1}, {0x0D, 0x04, 1}, {0x01, 0x02, 1}, {0x01, 0x30, 1},
      {0x0A, 0x09, 1}, {0x01, 0x03, 1}, {0x01, 0x04, 0x25}, {0x01, 0x20, 0x30},
  };
  static const UbxMessageRate nmea[] = {
      {0xF0, 0x00, 1}, {0xF0, 0x02, 1}, {0xF0, 0x03, 1}, {0xF0, 0x04, 1}, {0xF0, 0x08, 1},
  };
  QList<QByteArray> frames;
  if (mode == GpsModeUbloxUbx) {
    for (const UbxMessageRate &m : ubx)
      frames.append(CfgMsg(m.messageClass, m.messageId, m.rate));
  } else if (mode == GpsModeUbloxNmea) {
    for (const UbxMessageRate &m : nmea)
      frames.append(CfgMsg(m.messageClass, m.messageId, m.rate));
  }
  return frames;
}

QByteArray UbxAntennaFrame()
{
  QByteArray payload;
  AppendLittleEndian(payload, 0x0017, 2);
  AppendLittleEndian(payload, 0x0000, 2);
  return UbxFrame(0x06, 0x13, payload);
}
