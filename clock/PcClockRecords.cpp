#include "clock/PcClockRecords.h"

QString ClockSetRecord(const QDateTime &clockSetTime, qint64 pcClockOffsetMs)
{
  return QStringLiteral("$PZQKT,") + clockSetTime.toString(QStringLiteral("yyyyMMddhhmmss.zzz")) +
         QLatin1Char(',') + QString::number(pcClockOffsetMs);
}

QString TimePositionRecord(const QDateTime &receiverUtc, const TimePositionFields &f)
{
  QString line = QStringLiteral("$PZQKA,") +
                 receiverUtc.addSecs(1).toLocalTime().toString(QStringLiteral("yyyyMMdd,hhmmss.zzz")) +
                 QLatin1Char(',') + f.positionText;
  line += f.speedKnots < 0.0 ? QStringLiteral(",") : QString::asprintf(",%05.1f", f.speedKnots);
  line += QStringLiteral(",N");
  line += f.headingDegrees < 0.0 ? QStringLiteral(",") : QString::asprintf(",%05.1f", f.headingDegrees);
  line += f.satsTracked < 0 ? QStringLiteral(",") : QString::asprintf(",%2.2d", f.satsTracked);
  line += f.fixStatus < 0 ? QStringLiteral(",") : QString::asprintf(",%01i", f.fixStatus);
  return line;
}
