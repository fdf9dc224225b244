#include "TestMain.h"
#include "core/GpsMode.h"

class TestSmoke : public QObject {
  Q_OBJECT
private slots:
  void modeNames()
  {
    QCOMPARE(GpsModeName(2), QStringLiteral("Motorola Binary"));
    QCOMPARE(GpsModeFromName("Motorola LORAN"), 11u);
    QCOMPARE(GpsModeFromName("u-blox NMEA"), 10u);
    QCOMPARE(GpsModeFromName("nonsense"), 11u);
  }
};

RIDUDER_TEST_MAIN(TestSmoke)
#include "tst_smoke.moc"
