#include "receiver/dialogs/ManualCommandMessage.h"

#include "core/GpsMode.h"
#include "receiver/link/Checksums.h"

namespace {

bool IsHexDigit(QChar c)
{
  return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
         (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

QString RemoveWhiteSpace(const QString &text)
{
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    if (!c.isSpace())
      out.append(c);
  }
  return out;
}

QString Hex2(quint8 value)
{
  return QString::fromLatin1(NmeaChecksumHex(value));
}

// The parameter text of "@@Tk" is sent as the bytes the user typed.
QByteArray TkText(const QString &params)
{
  return params.toLatin1();
}

}  // namespace

ManualCommandKind ClassifyManualCommand(quint32 mode, const QString &prefix)
{
  if (mode == GpsModeMotorolaBinary || (mode == GpsModeMotorolaNmea && prefix.startsWith(QLatin1String("@@"))))
    return ManualCommandKind::OncoreBinary;
  if (IsUbloxMode(mode))
    return ManualCommandKind::Ubx;
  return ManualCommandKind::Text;
}

bool IsOncoreBinaryCommand(quint32 mode, const QString &prefix)
{
  return mode == GpsModeMotorolaBinary || mode == GpsModeMotorolaBinaryRxOnly ||
         (mode == GpsModeMotorolaNmea && prefix.startsWith(QLatin1String("@@")));
}

bool ParseHexParams(const QString &text, QByteArray &bytes)
{
  QString digits = RemoveWhiteSpace(text).toUpper();
  for (QChar c : digits) {
    if (!IsHexDigit(c))
      return false;
  }
  if (digits.size() % 2 != 0)
    digits.prepend(QLatin1Char('0'));
  bytes.clear();
  for (int i = 0; i + 1 < digits.size(); i += 2)
    bytes.append(static_cast<char>(digits.mid(i, 2).toUInt(nullptr, 16)));
  return true;
}

bool DefaultsAreText(const QString &defaults)
{
  if (defaults.size() < 4 || defaults.size() % 2 != 0)
    return false;
  for (int i = 0; i < defaults.size(); i += 2) {
    if (!IsHexDigit(defaults.at(i)) || !IsHexDigit(defaults.at(i + 1)))
      return false;
    const uint code = defaults.mid(i, 2).toUInt(nullptr, 16);
    if (code < 32 || code > 126)
      return false;
  }
  return true;
}

QString HexToAsciiText(const QString &hex, bool *ok)
{
  QString digits = hex;
  digits.remove(QLatin1Char(' '));
  digits.remove(QLatin1Char('\t'));
  digits = digits.toUpper();
  QString out;
  for (int i = 0; i + 1 < digits.size(); i += 2) {
    if (!IsHexDigit(digits.at(i)) || !IsHexDigit(digits.at(i + 1))) {
      if (ok)
        *ok = false;
      return QString();
    }
    const uint code = digits.mid(i, 2).toUInt(nullptr, 16);
    out.append(code >= 32 && code <= 126 ? QChar(code) : QLatin1Char('.'));
  }
  if (ok)
    *ok = true;
  return out;
}

QString AsciiToHexText(const QString &ascii)
{
  QString out;
  out.reserve(ascii.size() * 2);
  for (QChar c : ascii)
    out += Hex2(c.unicode() > 255 ? 0 : static_cast<quint8>(c.unicode()));
  return out;
}

QByteArray TkTrailer(const QByteArray &text)
{
  qint32 sum = 0;
  for (char c : text)
    sum += static_cast<qint8>(c);
  const quint32 biased = static_cast<quint32>(sum + 256);
  QByteArray trailer;
  trailer.append(static_cast<char>(0xFF));
  trailer.append(static_cast<char>((biased >> 8) & 0xFF));
  trailer.append(static_cast<char>(static_cast<quint32>(sum) & 0xFF));
  return trailer;
}

ManualWarning HexNumberWarning()
{
  return {QStringLiteral("HEX Number Error"), QStringLiteral("Illegal HEX character in parameter field.")};
}

ManualWarning MessageErrorWarning()
{
  return {QStringLiteral("Message Error"), QStringLiteral("Improperly formed message, cannot send.")};
}

ManualWarning ReceiveOnlyWarning()
{
  return {QStringLiteral("Message Error"),
          QStringLiteral("The receiver is in receive-only mode: no command is sent to it.")};
}

ManualChecksum ComputeManualChecksum(quint32 mode, const QString &prefix, const QString &params)
{
  ManualChecksum result;
  switch (ClassifyManualCommand(mode, prefix)) {
  case ManualCommandKind::OncoreBinary: {
    if (prefix.size() < 4 || !prefix.startsWith(QLatin1String("@@")))
      return result;
    QByteArray message = prefix.toLatin1();
    if (prefix.startsWith(QLatin1String("@@Tk"))) {
      const QByteArray text = TkText(params);
      const QByteArray trailer = TkTrailer(text);
      message += text + trailer;
      // The trailer, then the checksum byte the sender will append.
      for (char c : trailer)
        result.text += Hex2(static_cast<quint8>(c));
    } else {
      QByteArray bytes;
      if (!ParseHexParams(params, bytes)) {
        result.hexError = true;
        return result;
      }
      message += bytes;
    }
    result.text += Hex2(OncoreChecksum(QByteArrayView(message).sliced(2)));
    result.ok = true;
    return result;
  }
  case ManualCommandKind::Ubx: {
    if (prefix.size() < 12 || !prefix.startsWith(QLatin1String("B562")))
      return result;
    QByteArray frame;
    if (!ParseHexParams(prefix + params, frame)) {
      result.hexError = true;
      return result;
    }
    const UbxChecksumPair ck = UbxChecksum(QByteArrayView(frame).sliced(2));
    result.text = Hex2(ck.ckA) + Hex2(ck.ckB);
    result.ok = true;
    return result;
  }
  case ManualCommandKind::Text: {
    QString message = prefix + params;
    if (message.size() < 5 || !message.startsWith(QLatin1Char('$')))
      return result;
    if (message.at(message.size() - 3) == QLatin1Char('*'))
      message.chop(3);
    // Sum the bytes that will be sent.
    const QByteArray bytes = message.toLatin1();
    result.text = QLatin1Char('*') + Hex2(NmeaChecksum(QByteArrayView(bytes).sliced(1)));
    result.ok = true;
    return result;
  }
  }
  return result;
}

ManualCommandBuild BuildManualCommand(quint32 mode, const QString &prefix, const QString &params,
                                      const QString &checksumShown)
{
  ManualCommandBuild build;
  if (mode == GpsModeMotorolaBinaryRxOnly) {
    build.warnings << ReceiveOnlyWarning();
    return build;
  }
  const QString cleaned = RemoveWhiteSpace(params).toUpper();
  if (checksumShown.isEmpty()) {
    build.warnings << MessageErrorWarning();
    return build;
  }
  switch (ClassifyManualCommand(mode, prefix)) {
  case ManualCommandKind::OncoreBinary: {
    QByteArray message = prefix.toLatin1();
    if (prefix.startsWith(QLatin1String("@@Tk"))) {
      const QByteArray text = TkText(params);
      message += text + TkTrailer(text);
    } else {
      QByteArray bytes;
      if (!ParseHexParams(cleaned, bytes)) {
        build.warnings << HexNumberWarning() << MessageErrorWarning();
        build.clearChecksum = true;
        return build;
      }
      message += bytes;
    }
    build.message = message;
    break;
  }
  case ManualCommandKind::Ubx: {
    QByteArray head;
    QByteArray payload;
    const bool headOk = ParseHexParams(prefix, head);
    if (!headOk)
      build.warnings << HexNumberWarning();
    const bool payloadOk = ParseHexParams(cleaned, payload);
    if (!payloadOk)
      build.warnings << HexNumberWarning();
    // Half a frame is never sent.
    if (!headOk || !payloadOk || head.size() + payload.size() == 0) {
      build.warnings << MessageErrorWarning();
      return build;
    }
    build.message = head + payload;
    break;
  }
  case ManualCommandKind::Text: {
    QString message = prefix + cleaned;
    const bool wellFormed = (message.startsWith(QLatin1Char('$')) && message.size() >= 6) ||
                            (message.startsWith(QLatin1Char('>')) && message.size() >= 4);
    if (!wellFormed) {
      build.warnings << MessageErrorWarning();
      return build;
    }
    // One checksum tail: a typed one gives way to the one shown.
    if (message.at(message.size() - 3) == QLatin1Char('*'))
      message.chop(3);
    build.message = (message + checksumShown).toLatin1();
    break;
  }
  }
  build.ok = true;
  return build;
}
