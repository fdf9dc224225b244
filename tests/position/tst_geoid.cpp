#include "TestMain.h"

#include "position/GeoidModel.h"

#include <limits>

class TestGeoid : public QObject {
  Q_OBJECT

private slots:
  void gridAndEdges_data();
  void gridAndEdges();
  void publishedEgm96Points_data();
  void publishedEgm96Points();
  void correctedCellIsPositive();
  void longitudeWrapsContinuously();
};

void TestGeoid::gridAndEdges_data()
{
  QTest::addColumn<double>("latitude");
  QTest::addColumn<double>("longitude");
  QTest::addColumn<double>("separation");

  QTest::newRow("equator, Greenwich") << 0.0 << 0.0 << 18.0;
  QTest::newRow("grid midpoint in latitude") << 45.0 << -100.0 << -24.0;
  QTest::newRow("bilinear centre of a cell") << 45.0 << -95.0 << -29.25;
  QTest::newRow("south pole") << -90.0 << 0.0 << -30.0;
  QTest::newRow("south pole, other longitude") << -90.0 << 123.4 << -30.0;
  QTest::newRow("north pole") << 90.0 << -45.0 << 13.0;
  QTest::newRow("north pole, east") << 90.0 << 170.0 << 13.0;
  QTest::newRow("below -90 stays on row 0") << -95.0 << 0.0 << -30.0;
  QTest::newRow("just below the pole row") << 89.9 << -180.0 << 12.9;
  QTest::newRow("between column 35 and column 0") << 0.0 << 175.0 << 27.0;
  QTest::newRow("+180 is column 0") << 0.0 << 180.0 << 22.0;
  QTest::newRow("-180 is column 0") << 0.0 << -180.0 << 22.0;
  QTest::newRow("below -180 wraps") << 0.0 << -185.0 << 27.0;
  QTest::newRow("latitude +100 outside") << 100.0 << 0.0 << 0.0;
  QTest::newRow("latitude -100 outside") << -100.0 << 0.0 << 0.0;
  QTest::newRow("longitude +190 outside") << 0.0 << 190.0 << 0.0;
  QTest::newRow("longitude -190 outside") << 0.0 << -190.0 << 0.0;
  QTest::newRow("huge longitude") << 0.0 << 1e300 << 0.0;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  QTest::newRow("NaN latitude") << nan << 0.0 << 0.0;
  QTest::newRow("NaN longitude") << 0.0 << nan << 0.0;
  QTest::newRow("infinite latitude") << inf << 0.0 << 0.0;
  QTest::newRow("minus infinite longitude") << 0.0 << -inf << 0.0;
}

void TestGeoid::gridAndEdges()
{
  QFETCH(double, latitude);
  QFETCH(double, longitude);
  QFETCH(double, separation);
  GeoidModel model;
  QCOMPARE(model.GeoidSeparation(latitude, longitude), separation);
}

// The test points published with the EGM96 geoid model: a 10-degree grid
// cannot match them exactly, but it must stay within a few metres.
void TestGeoid::publishedEgm96Points_data()
{
  QTest::addColumn<double>("latitude");
  QTest::addColumn<double>("longitude");
  QTest::addColumn<double>("egm96");

  QTest::newRow("1") << 38.6281550 << -90.2208450 << -31.628;
  QTest::newRow("2") << -14.6212170 << -54.9788860 << -2.969;
  QTest::newRow("3") << 46.8743190 << 102.4487290 << -43.575;
  QTest::newRow("4") << -23.6174460 << 133.8747120 << 15.871;
  QTest::newRow("5") << 38.6254730 << -0.0005000 << 50.066;
  QTest::newRow("6") << -0.4667440 << 0.0023000 << 17.329;
}

void TestGeoid::publishedEgm96Points()
{
  QFETCH(double, latitude);
  QFETCH(double, longitude);
  QFETCH(double, egm96);
  const double n = GeoidModel().GeoidSeparation(latitude, longitude);
  QVERIFY2(qAbs(n - egm96) <= 4.0, qPrintable(QString("grid %1, EGM96 %2").arg(n).arg(egm96)));
}

void TestGeoid::correctedCellIsPositive()
{
  QCOMPARE(GeoidTable[14][31], 17);
  GeoidModel model;
  QCOMPARE(model.GeoidSeparation(50.0, 130.0), 17.0);
  // Halfway towards the neighbours at 120E (-2) and 140E (23).
  QCOMPARE(model.GeoidSeparation(50.0, 125.0), 7.5);
  QCOMPARE(model.GeoidSeparation(50.0, 135.0), 20.0);
}

// Approaching +180 from the east and -180 from the west gives the same value.
void TestGeoid::longitudeWrapsContinuously()
{
  GeoidModel model;
  for (double lat : {-85.0, -33.3, 0.0, 12.5, 67.0}) {
    QVERIFY(qAbs(model.GeoidSeparation(lat, 179.999999) - model.GeoidSeparation(lat, -180.0)) < 1e-3);
    QVERIFY(qAbs(model.GeoidSeparation(lat, 180.0) - model.GeoidSeparation(lat, -180.0)) < 1e-9);
    QVERIFY(qAbs(model.GeoidSeparation(lat, -180.000001) - model.GeoidSeparation(lat, -180.0)) < 1e-3);
  }
}

RIDUDER_TEST_MAIN(TestGeoid)
#include "tst_geoid.moc"
