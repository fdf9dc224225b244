#include "Gpsdecode.h"

#include "TestMain.h"

#include <QJsonDocument>
#include <QProcess>

namespace riduder::test {

QString CapturePath(const QString &capture)
{
  return CaptureDir() + QLatin1Char('/') + capture;
}

QList<QJsonObject> GpsdecodeReports(const QString &path, const QString &reportClass)
{
  QProcess process;
  process.setStandardInputFile(path);
  process.start(QStandardPaths::findExecutable(QStringLiteral("gpsdecode")), QStringList{});
  if (!process.waitForFinished(20000))
    return {};
  QList<QJsonObject> reports;
  for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
    const QJsonObject report = QJsonDocument::fromJson(line).object();
    if (report.value("class").toString() == reportClass)
      reports << report;
  }
  return reports;
}

QList<GpsdecodeFix> GpsdecodeFixes(const QString &path)
{
  QList<GpsdecodeFix> fixes;
  for (const QJsonObject &tpv : GpsdecodeReports(path, QStringLiteral("TPV"))) {
    if (!tpv.contains("time"))
      continue;
    GpsdecodeFix fix;
    const QDateTime time = QDateTime::fromString(tpv.value("time").toString(), Qt::ISODateWithMs);
    fix.time = time.toUTC().addMSecs(-time.time().msec());
    fix.hasPosition = tpv.contains("lat") && tpv.contains("lon") && tpv.contains("altHAE");
    fix.hasSeaLevelHeight = tpv.contains("altMSL");
    fix.latitude = tpv.value("lat").toDouble();
    fix.longitude = tpv.value("lon").toDouble();
    fix.heightAboveEllipsoid = tpv.value("altHAE").toDouble();
    fix.heightAboveSeaLevel = tpv.value("altMSL").toDouble();
    fixes << fix;
  }
  return fixes;
}

}  // namespace riduder::test
