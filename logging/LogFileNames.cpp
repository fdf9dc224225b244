#include "logging/LogFileNames.h"

#include "core/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

QString CutLogFileNameTail(const QString &fileName)
{
  // Only an extension the logs write is cut: any other dot belongs to the
  // prefix ("my.site_0045C.txt" -> "my.site").
  static const QRegularExpression logExtension(QStringLiteral("\\.(csv|prn|txt|bin)\\z"),
                                               QRegularExpression::CaseInsensitiveOption);
  QString name = fileName;
  name.remove(logExtension);

  // The day tail of today's names first, so that its digits are not taken
  // for the older tails below ("RARA_0045A_PORT_01" would become "RARA_0").
  static const QRegularExpression currentTail(
      QStringLiteral("_\\d{4}(G|C|[AT]_PORT_\\d{2})\\z"));
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

QString TicDataExtension(int logStyle)
{
  switch (logStyle) {
  case 0:
    return QStringLiteral(".prn");
  case 1:
    return QStringLiteral(".csv");
  case 2:
    return QStringLiteral(".txt");
  default:
    return QString();
  }
}

QString TicConfigExtension(int logStyle)
{
  return logStyle >= 0 && logStyle <= 2 ? QStringLiteral(".txt") : QString();
}

QString TicPortFileStem(const QString &base, int dayOfYear, char kind, int port)
{
  return base + DayOfYearTag(dayOfYear) + QLatin1Char(kind) +
         QStringLiteral("_PORT_%1").arg(port, 2, 10, QLatin1Char('0'));
}

QString TicConfigFileStem(const QString &base, int dayOfYear)
{
  return base + DayOfYearTag(dayOfYear) + QLatin1Char('C');
}

StoredLogLocation ReadLogLocation(const char *directoryKey, const char *prefixKey)
{
  QSettings settings;
  StoredLogLocation location;
  location.directory = settings.value(directoryKey).toString();
  if (location.directory.isEmpty())
    location.directory = DefaultLogDirectory();
  location.prefix = settings.value(prefixKey, DefaultLogPrefix()).toString();
  return location;
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
