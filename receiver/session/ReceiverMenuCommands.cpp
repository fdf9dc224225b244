#include "receiver/session/ReceiverMenuCommands.h"

#include "core/GpsMode.h"

#include "receiver/decode/GpsRxModel.h"
#include "receiver/link/ProtocolBytes.h"
#include "receiver/session/ReceiverSearch.h"

namespace {

struct RateCode {
  int rate;
  quint8 high;
  quint8 low;
};

QByteArray RateMessage(quint8 high, quint8 low)
{
  QByteArray message("@@Wb");
  message.append(char(high));
  message.append(char(low));
  return message;
}

// The entry for `rate`, or nullptr.
const RateCode *FindRate(const RateCode *begin, const RateCode *end, int rate)
{
  for (const RateCode *code = begin; code != end; ++code)
    if (code->rate == rate)
      return code;
  return nullptr;
}

const RateCode UbloxRates[] = {
    {300, 0x00, 0x03},   {1200, 0x00, 0x12},  {2400, 0x00, 0x24},  {4800, 0x00, 0x48},
    {9600, 0x00, 0x96},  {14400, 0x01, 0x44}, {19200, 0x01, 0x92}, {38400, 0x03, 0x84},
    {115000, 0x11, 0x50},
};

const RateCode BinaryRates[] = {
    {300, 0x40, 0x03},   {1200, 0x40, 0x12},  {2400, 0x40, 0x24},  {4800, 0x40, 0x48},
    {14400, 0x41, 0x44}, {19200, 0x41, 0x92}, {38400, 0x43, 0x84}, {57600, 0x45, 0x76},
    {115000, 0x51, 0x50},
};

}  // namespace

QByteArray ReceiverRateCommand(int mode, int rate)
{
  switch (mode) {
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea: {
    const RateCode *code = FindRate(std::begin(UbloxRates), std::end(UbloxRates), rate);
    return code ? RateMessage(code->high, code->low) : RateMessage(0x01, 0x34);
  }
  case GpsModeMotorolaBinary: {
    const RateCode *code = FindRate(std::begin(BinaryRates), std::end(BinaryRates), rate);
    return code ? RateMessage(code->high, code->low) : RateMessage(0x00, 0x00);
  }
  case GpsModeMotorolaNmea:
    // The codes the search uses to move a Synergy receiver.
    return OncoreBaudRateCommand(rate);
  default:
    return {};
  }
}

QByteArray OncoreSelfTestCommand(qint32 model)
{
  using namespace GpsRxModel;
  switch (model) {
  case M12:
  case M12Plus:
  case M12M:
  case Signav:
  case TxOncore:
  case Ssr6Tf:
  case Ssr6Tr:
  case SsrM8F:
  case SsrM8T:
    return QByteArrayLiteral("@@Ia");
  default:
    return QByteArrayLiteral("@@Fa");
  }
}

QByteArray OncoreSelfSurveyCommand(qint32 channels)
{
  return channels >= 12 ? QByteArray("@@Gd\x03", 5) : QByteArray("@@At\x02", 5);
}

QList<QByteArray> UbloxSelfSurveyFrames()
{
  QByteArray tmode(1, char(0x01));  // survey-in
  tmode.append(QByteArray(15, '\0'));
  AppendLittleEndian(tmode, 4000, 4);
  AppendLittleEndian(tmode, 5008, 4);
  AppendLittleEndian(tmode, 2000, 4);
  return {UbxFrame(0x06, 0x01, QByteArray("\x0D\x04\x01", 3)), UbxFrame(0x06, 0x1D, tmode),
          UbxFrame(0x06, 0x3D, tmode)};
}

SettingsFollowUp ReceiverParametersFollowUp(quint32 mode)
{
  switch (mode) {
  case GpsModeMotorolaBinary:
  case GpsModeUnnamed4:
  case GpsModeUnnamed7:
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    return SettingsFollowUp::Apply;
  case GpsModeMotorolaNmea:
    return SettingsFollowUp::ApplyInNmeaMode;
  default:
    return SettingsFollowUp::Initialize;
  }
}

SettingsFollowUp TimingParametersFollowUp(quint32 mode)
{
  switch (mode) {
  case GpsModeMotorolaBinary:
  case GpsModeUnnamed4:
  case GpsModeUnnamed7:
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    return SettingsFollowUp::Apply;
  case GpsModeMotorolaBinaryRxOnly:
  case GpsModeGenericNmea:
  case GpsModeUnnamed8:
  case GpsModeSearch:
    return SettingsFollowUp::Nothing;
  default:  // LORAN, Motorola NMEA, 5 and codes above Search
    return SettingsFollowUp::Initialize;
  }
}
