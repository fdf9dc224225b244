// Oncore decoder: T-RAIM and 1PPS status, UTC and leap seconds, almanac,
// ephemeris and correction reports, and the one-shape messages of the echo
// table (OncoreEchoes.h).

#include "receiver/decode/OncoreDecoder.h"

#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/OncoreEchoes.h"

namespace {

// 1PPS modes of "@@Bn"/"@@En" byte 8; 4 to 7 repeat 0 to 3, the upper
// three as short pulses.
QString PpsModeText(quint8 mode)
{
  static const char *const texts[8] = {
      "is OFF always",        "is ON always",           "is ON if tracking 1+ satellites",
      "is ON if TRAIM is OK", "is OFF always",          "is ON always (Short)",
      "is ON if tracking 1+ satellites (Short)", "is ON if TRAIM is OK (Short)"};
  return QString::fromLatin1(mode < 8 ? texts[mode] : "state ERROR");
}

// The word of a code, or `other` for a code past the list.
QString Pick(int code, std::initializer_list<const char *> words, const char *other)
{
  if (code >= 0 && code < int(words.size()))
    return QString::fromLatin1(words.begin()[code]);
  return QString::fromLatin1(other);
}

// One ", id, seconds" per channel block of 5 bytes: the satellite and its
// signed time value in ns.
QString ChannelTimes(const QByteArray &m, int first, int channels)
{
  QString text;
  for (int k = 0; k < channels; ++k) {
    const int at = first + 5 * k;
    text += QString::asprintf(", %u, %11.9f", unsigned(GetU8(m, at)),
                              GetBigEndianI32(m, at + 1) / 1000000000.0);
  }
  return text;
}

}  // namespace

void OncoreDecoder::DecodeBn(Work &work) { DecodeTraim68(work, false); }
void OncoreDecoder::DecodeEn(Work &work) { DecodeTraim68(work, true); }

void OncoreDecoder::DecodeTraim68(Work &work, bool en)
{
  const QByteArray &m = work.message;
  const int accuracy = GetBigEndianU16(m, 23);
  const qint8 sawtooth = GetI8(m, 25);
  state_.receiverSawtoothNs = sawtooth;
  state_.receiverSawtoothFresh = true;
  state_.receiverOneSigmaNs = accuracy;

  if (TraimTextWanted(true)) {
    QString line = QString::fromLatin1(en ? "@@En, TRAIM (8-ch) " : "@@Bn, TRAIM (6-ch) ");
    line += Pick(GetU8(m, 5), {en ? "DISABLED" : "DISBLED", "ENABLED"}, "ERROR");
    line += QString::asprintf(en ? ", limit = %03d nsec, " : ", limit = %03u nsec, ",
                              GetBigEndianU16(m, 6) * 100);
    line += QStringLiteral("1PPS ") + PpsModeText(GetU8(m, 8)) + QStringLiteral(", ");
    for (int i = 9; i <= 18; ++i)
      line += QString::asprintf(en ? "%01u" : "%u", unsigned(GetU8(m, i)));
    line += QStringLiteral(", pulse status is ") + Pick(GetU8(m, 19), {"OFF", "ON"}, "ERROR");
    line += QStringLiteral(", 1PPS pulse sync is ") +
            Pick(GetU8(m, 20), {"referenced to UTC", "referenced to GPS"}, "ERROR");
    line += QStringLiteral(", Time RAIM solution status is ") +
            Pick(GetU8(m, 21), {"OK", "ALARM", "UNKNOWN"}, "ERROR");
    line += QStringLiteral(", Time RAIM status is ") +
            Pick(GetU8(m, 22),
                 {"detection and isolation possible", "detection only possible",
                  "neither detection or isolation possible"},
                 "ERROR");
    line += QStringLiteral(", ");
    work.configText = line;
    line += QString::asprintf("Sawtooth = %05.2f, One-Sigma Accuracy = %i", double(sawtooth),
                              accuracy);
    line += ChannelTimes(m, 26, en ? 8 : 6);
    work.line = line;
  }
  FinishTraim(work, true);
  if (en)
    state_.replyFlags.gotEn = true;
  else
    state_.replyFlags.gotBn = true;
}

void OncoreDecoder::DecodeHn(Work &work)
{
  const QByteArray &m = work.message;
  const int accuracy = GetBigEndianU16(m, 12);
  const qint8 sawtooth = GetI8(m, 14);
  state_.receiverSawtoothNs = sawtooth;
  state_.receiverSawtoothFresh = true;
  state_.receiverOneSigmaNs = accuracy;

  if (TraimTextWanted(false)) {
    work.line += QStringLiteral(", Pulse ") + QLatin1String(GetU8(m, 4) ? "on" : "off");
    work.line += QStringLiteral(", 1PPS Ref to ") + QLatin1String(GetU8(m, 5) ? "GPS" : "UTC");
    work.line += QStringLiteral(", T-RAIM Solution Status ") +
                 Pick(GetI8(m, 6), {"OK", "ALARM"}, "UNKNOWN");
    work.line += QStringLiteral(", T-RAIM Status ") +
                 Pick(GetI8(m, 7), {"Can Detect and Isolate", "Can Detect But Not Isolate"},
                      "Can't Detect or Isolate");
    work.line += QString::asprintf(", SVIDs Removed= 0x%08X", GetBigEndianU32(m, 8));
    work.line += QString::asprintf(", Sawtooth %05.2f, One-Sigma Accuracy %i", double(sawtooth),
                                   accuracy);
    work.line += ChannelTimes(m, 15, 12);
  }
  FinishTraim(work, false);
  state_.replyFlags.gotHn = true;
}

bool OncoreDecoder::TraimTextWanted(bool toConfigLog) const
{
  // The T-RAIM line costs more than all else of its message, once a second:
  // it is built only when someone reads it.
  return TextGateOpen() || (toConfigLog && host_.ConfigTextToTicLog()) ||
         (state_.echoNextTraimToRxId && host_.HasIdWindow());
}

void OncoreDecoder::FinishTraim(Work &work, bool waitForIdWindow)
{
  // Once after each set-up the identification window shows the T-RAIM state.
  // The 6- and 8-channel reports keep the request until the window exists;
  // the 12-channel report takes it up either way.
  if (!state_.echoNextTraimToRxId || (waitForIdWindow && !host_.HasIdWindow()))
    return;
  state_.echoNextTraimToRxId = false;
  if (host_.HasIdWindow())
    host_.AppendIdText(work.line);
}

void OncoreDecoder::DecodeBj(Work &work)
{
  const qint8 status = GetI8(work.message, 4);
  state_.leapSecondPending = status;
  switch (status) {
  case 0:
    work.line = QStringLiteral("@@Bj, No leap second pending");
    break;
  case 1:
    work.line = QStringLiteral("@@Bj, Addition of one leap second is pending");
    break;
  case 2:
    work.line = QStringLiteral("@@Bj, Subtraction of one leap second is pending");
    break;
  default:
    break;
  }
}

void OncoreDecoder::DecodeBo(Work &work)
{
  const int offset = GetU8(work.message, 4);
  state_.utcOffsetSeconds = offset;
  work.line = QString::asprintf("@@Bo - UTC offset = %i seconds", offset);
}

void OncoreDecoder::DecodeGj(Work &work)
{
  const QByteArray &m = work.message;
  const int current = GetU8(m, 4);
  const int future = GetU8(m, 5);
  const int year = GetBigEndianU16(m, 6);
  const int month = GetU8(m, 8);
  const int day = GetU8(m, 9);
  work.line = QString::asprintf("@@Gj,%i,%i,%d,%u,%u,%d.%.9u,%u,%u,%u", current, future, year,
                                unsigned(month), unsigned(day), int(GetU8(m, 10)),
                                GetBigEndianU32(m, 11), unsigned(GetU8(m, 15)),
                                unsigned(GetU8(m, 16)), unsigned(GetU8(m, 17)));

  // A leap second is pending while the event date has not passed the date
  // the clock shows.
  const GpsDateTime &shown = state_.displayCopy;
  const bool ahead = year > shown.year() || (year == shown.year() && shown.month() < month) ||
                     (year == shown.year() && month == shown.month() && shown.day() <= day);
  state_.leapSecondPending = 0;
  if (ahead && future > current)
    state_.leapSecondPending = 1;
  else if (ahead && future < current)
    state_.leapSecondPending = 2;
}

void OncoreDecoder::DecodeBd(Work &work)
{
  const QByteArray &m = work.message;
  switch (GetU8(m, 4)) {
  case 1:
    work.line = QStringLiteral("@@Bd, Valid almanac in the receiver") +
                QString::asprintf(", week = %u, time = %u, Sats = %u, SV id mask = 0x%04X ",
                                  unsigned(GetU8(m, 5)), unsigned(GetU8(m, 6)),
                                  unsigned(GetU8(m, 7)), GetBigEndianU32(m, 8));
    break;
  case 0:
    work.line = QStringLiteral("@@Bd, No almanac in the receiver");
    break;
  default:
    work.line = QStringLiteral("@@Bd, Message field error");
    break;
  }
}

void OncoreDecoder::DecodeCb(Work &work)
{
  const QByteArray &m = work.message;
  work.line = QString::asprintf("@@Cb SF %d PG %02d DATA:", int(GetU8(m, 4)), int(GetU8(m, 5)));
  for (int at = 6; at < 30; at += 3)
    work.line += QString::asprintf(" %02X%02X%02X", unsigned(GetU8(m, at)),
                                   unsigned(GetU8(m, at + 1)), unsigned(GetU8(m, at + 2)));
}

void OncoreDecoder::DecodeBf(Work &work)
{
  work.line = QString::asprintf("@@Bf Sat %02u, Ephemeris Data Message",
                                unsigned(GetU8(work.message, 4)));
}

void OncoreDecoder::DecodeCc(Work &work)
{
  work.line = QString::asprintf("@@Cc Sat %02u, Ephemeris Data Message ECHO",
                                unsigned(GetU8(work.message, 4)));
}

void OncoreDecoder::DecodeCe(Work &work)
{
  const QByteArray &m = work.message;
  QString text =
      QString::asprintf("Pseudorange Correction: %3.1f ", GetBigEndianU24(m, 4) / 10.0);
  // Six groups of 7 bytes: satellite, correction (u24, 0.01 m), correction
  // rate (u16, 0.001 m/s) and the issue of data.
  for (int k = 0; k < 6; ++k) {
    const int g = 7 + 7 * k;
    if (k > 0)
      text += QStringLiteral(", ");
    text += QString::asprintf("[%i, %4.2f, %5.3f, %i]", int(GetU8(m, g)),
                              GetBigEndianU24(m, g + 1) / 100.0,
                              GetBigEndianU16(m, g + 4) / 1000.0, int(GetU8(m, g + 6)));
  }
  work.line += text;
  work.configText = QStringLiteral("@@Ce") + text;
  state_.replyFlags.gotCe = true;
}

void OncoreDecoder::DecodeCk(Work &work)
{
  state_.dgpsInputState = 1;
  work.line = QStringLiteral("@@Ck: incoming DGPS");
}

void OncoreDecoder::DecodeCo(Work &work)
{
  const QByteArray &m = work.message;
  work.line = QStringLiteral("@@Co");
  for (int at = 4; at <= 25; ++at)
    work.line += QString::asprintf("<%.2X>", unsigned(GetU8(m, at)));
}

void OncoreDecoder::DecodeEcho(Work &work, const OncoreEcho &echo)
{
  const QByteArray &m = work.message;
  const QString text = OncoreEchoText(echo, m);
  work.line = echo.replacesLine ? text : work.line + text;

  switch (echo.effect) {
  case OncoreEchoEffect::None:
    break;
  // The receiver time carries the offsets into the clock and the PC clock
  // step; the display copy shows them until the next redraw copies them.
  case OncoreEchoEffect::EpochOffset:
    state_.receiverTime.SetEpochOffset(GetBigEndianU16(m, 4));
    state_.displayCopy.SetEpochOffset(GetBigEndianU16(m, 4));
    break;
  case OncoreEchoEffect::PpsOffset:
    state_.receiverTime.SetPpsOffset(GetBigEndianU32(m, 4));
    state_.displayCopy.SetPpsOffset(GetBigEndianU32(m, 4));
    break;
  case OncoreEchoEffect::CableDelay:
    state_.receiverTime.SetCableDelay(GetBigEndianU32(m, 4));
    state_.displayCopy.SetCableDelay(GetBigEndianU32(m, 4));
    break;
  case OncoreEchoEffect::NavStatus:
    host_.SetNavStatus(GetU8(m, 4));
    break;
  case OncoreEchoEffect::Constellations: {
    const quint8 mask = GetU8(m, 4);
    host_.SetConstellations(mask & 0x01, mask & 0x02, mask & 0x04, mask & 0x08, mask & 0x10,
                            mask & 0x80);
    host_.SaveConstellationSettings();
    host_.ShowConstellationLabel(ConstellationNames(mask, QStringLiteral(" & "), true));
    break;
  }
  case OncoreEchoEffect::WbReply:
    state_.replyFlags.gotWb = true;
    break;
  }

  switch (echo.tail) {
  case OncoreEchoTail::Common:
    break;
  case OncoreEchoTail::IdWindowAndConfig:
    if (host_.HasIdWindow())
      host_.AppendIdText(work.line);
    work.configText = work.line;
    break;
  case OncoreEchoTail::ConfigOnly:
    work.configText = work.line;
    break;
  }
}
