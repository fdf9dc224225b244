#include "TestMain.h"

#include "FramerRecorder.h"
#include "GpsLogTestHost.h"
#include "ProcessMemory.h"
#include "logging/GpsDataLog.h"
#include "receiver/link/OncoreFramer.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using riduder::test::GpsLogTestHost;
using riduder::test::ResidentBytes;

// An hour of a 115 kbit/s receiver line into a binary GPS log, as fast as
// the disk takes it. Slow and heavy, so it runs only when asked for
// (scripts/gps-log-volume sets RIDUDER_LOG_VOLUME=1).
class TestGpsLogVolume : public QObject {
  Q_OBJECT

private slots:
  void anHourAt115kbit()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_LOG_VOLUME") != 1)
      QSKIP("set RIDUDER_LOG_VOLUME=1 (scripts/gps-log-volume) to log an hour of data");
    RIDUDER_REQUIRE_CAPTURES();

    const QByteArray capture = riduder::test::ReadCapture("oncore/oncore-m12.log");
    OncoreFramer framer;
    riduder::test::FramerRecorder recorder;
    framer.Process(capture, recorder);
    QVERIFY(!recorder.messages.isEmpty());

    QTemporaryDir dir;
    QSettings().setValue(GpsLogKeys::FileDirectory, dir.path());
    GpsLogTestHost host;
    host.logType = 1;
    GpsDataLog log(host);
    QVERIFY(log.OpenGpsLogFile(0));
    const qint64 headerSize = QFileInfo(log.FileName()).size();

    const qint64 lineBytesPerSecond = 115200 / 10;
    const qint64 lineBytes = lineBytesPerSecond * 3600;  // about 41 MB
    qint64 sent = 0;
    qint64 recordBytes = 0;
    qint64 nextSecond = lineBytesPerSecond;
    qint64 residentAfterWarmUp = 0;
    for (int i = 0; sent < lineBytes; ++i) {
      const QByteArray &message = recorder.messages.at(i % recorder.messages.size());
      log.WriteBinaryGpsLog(message);
      sent += message.size() + 3;
      recordBytes += message.size() + 3;
      if (sent >= nextSecond) {
        nextSecond += lineBytesPerSecond;
        if ((nextSecond / lineBytesPerSecond) % 60 == 0)
          QVERIFY(log.FlushGpsLogFile());
        if (nextSecond == 120 * lineBytesPerSecond)
          residentAfterWarmUp = ResidentBytes();
      }
    }
    const qint64 residentAtEnd = ResidentBytes();
    QVERIFY(log.CloseGpsLogFile(true));

    QVERIFY(host.problems.isEmpty());
    const qint64 trailerSize = log.TrailerText().toUtf8().size();
    QCOMPARE(QFileInfo(log.FileName()).size(), headerSize + recordBytes + trailerSize);
    qInfo("logged %lld bytes; resident memory %lld kB after two minutes, %lld kB at the end",
          recordBytes, residentAfterWarmUp / 1024, residentAtEnd / 1024);
    // Memory stays flat: nothing of the hour is kept.
    QVERIFY(residentAtEnd - residentAfterWarmUp < 4 * 1024 * 1024);
  }
};

RIDUDER_TEST_MAIN(TestGpsLogVolume)
#include "tst_gpslogvolume.moc"
