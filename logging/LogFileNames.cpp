#include "logging/LogFileNames.h"

#include "app/core/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString CutLogFileNameTail(const QString &fileName)
{
  QString name = fileName;
  const int dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0)
    name.truncate(dot);

  // The day tail of today's names first, so that its digits are not taken
  // for the older tails below ("RARA_0045A_PORT_01" would become "RARA_0").
  static const QRegularExpression currentTail(
      QStringLiteral("_\\d{4}(G|C|[AT]_PORT_\\d{2})$"));
  name.remove(currentTail);

  // Tails of older names, each cut before its first match.
  static const QRegularExpression olderTails[] = {
      QRegularExpression(QStringLiteral("_\\d\\d\\d\\d_\\d\\d\\d[AT]_PORT_")),
      QRegularExpression(QStringLiteral("_\\d\\d\\d\\d_\\d\\d\\d[CG]")),
      QRegularExpression(QStringLiteral("\\d\\d\\d[AT]_PORT_")),
      QRegularExpression(QStringLiteral("\\d\\d\\dC")),
  };
  for (const QRegularExpression &tail : olderTails) {
    const QRegularExpressionMatch match = tail.match(name);
    if (match.hasMatch())
      name.truncate(match.capturedStart());
  }
  return name;
}

QString LogFileBase(const QString &directory, const QString &prefix)
{
  const QString joined = directory + QLatin1Char('/') + prefix;
  const int slash = joined.lastIndexOf(QLatin1Char('/'));
  return joined.left(slash + 1) + CutLogFileNameTail(joined.mid(slash + 1));
}

QString DayOfYearTag(int dayOfYear)
{
  return QStringLiteral("_%1").arg(dayOfYear, 4, 10, QLatin1Char('0'));
}

QString GpsLogExtension(int logType)
{
  switch (logType) {
  case GpsLogTypeRaw:
  case GpsLogTypeNmea:
    return QStringLiteral(".txt");
  case GpsLogTypeBinary:
  case GpsLogTypeRinex:
    return QStringLiteral(".bin");
  case GpsLogTypePvt:
    return QStringLiteral(".csv");
  default:
    return QString();
  }
}

QString GpsLogTypeName(int logType)
{
  switch (logType) {
  case GpsLogTypeRaw:
    return QStringLiteral("Raw");
  case GpsLogTypeBinary:
    return QStringLiteral("Binary");
  case GpsLogTypePvt:
    return QStringLiteral("PVT");
  case GpsLogTypeNmea:
    return QStringLiteral("NMEA");
  case GpsLogTypeRinex:
    return QStringLiteral("RINEX");
  default:
    return QString();
  }
}

QString GpsLogFileName(const QString &base, int dayOfYear, int logType)
{
  return base + DayOfYearTag(dayOfYear) + QLatin1Char('G') + GpsLogExtension(logType);
}

bool PrepareLogDirectory(const QString &logFilePath)
{
  const QString folder = QFileInfo(logFilePath).absolutePath();
  if (QFileInfo(folder).isDir())
    return true;
  if (QDir::cleanPath(folder) != QDir::cleanPath(QDir(DefaultLogDirectory()).absolutePath()))
    return false;
  return QDir().mkpath(folder);
}
