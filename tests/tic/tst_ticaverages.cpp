#include "TestMain.h"

#include "tic/TicCorrection.h"

#include <QList>
#include <QRandomGenerator>

#include <cmath>

namespace {

// The standard deviation of the readings about their mean, the mean taken
// first (the period's sigma is over all its readings, not a sample's).
double TwoPassDeviation(const QList<double> &values)
{
  double sum = 0.0;
  for (double value : values)
    sum += value;
  const double mean = sum / values.size();
  double squares = 0.0;
  for (double value : values)
    squares += (value - mean) * (value - mean);
  return std::sqrt(squares / values.size());
}

}  // namespace

class TestTicAverages : public QObject {
  Q_OBJECT

private slots:
  // One reading a second, three 60 s periods, each reading its offset with
  // up to 3 ns of noise: the sigma of every period agrees with a two-pass
  // deviation, whatever the size of the offset.
  void sigmaOfNanosecondNoiseAtAnyOffset_data()
  {
    QTest::addColumn<double>("offsetUs");
    QTest::newRow("0.5 us") << 0.5;
    QTest::newRow("1,000 us") << 1000.0;
    QTest::newRow("100,000 us") << 100000.0;
    QTest::newRow("400,000 us") << 400000.0;
    QTest::newRow("999,999 us") << 999999.0;
  }

  void sigmaOfNanosecondNoiseAtAnyOffset()
  {
    QFETCH(double, offsetUs);
    constexpr int period = 60;
    constexpr int port = 3;
    // 2024-01-01 00:00:00 UTC: a multiple of the period.
    const qint64 startMs = qint64(1704067200) * 1000;
    QRandomGenerator noise(20240101);
    TicAverages averages;

    for (int p = 0; p < 3; ++p) {
      QList<double> readings;
      std::optional<TicAverage> average;
      for (int second = 1; second <= period; ++second) {
        QVERIFY2(!average, "the period ended early");
        const double value = offsetUs + (noise.generateDouble() * 2.0 - 1.0) * 0.003;
        readings << value;
        average = averages.Add(port, value, startMs + (qint64(p) * period + second) * 1000, period);
      }
      QVERIFY(average);
      QCOMPARE(average->count, period);
      QCOMPARE(average->maximum, *std::max_element(readings.begin(), readings.end()));
      QCOMPARE(average->minimum, *std::min_element(readings.begin(), readings.end()));
      QVERIFY(std::fabs(average->mean - offsetUs) < 0.003);

      const double expected = TwoPassDeviation(readings);
      QVERIFY(expected > 0.001);  // uniform over +-3 ns: about 1.7 ns
      QVERIFY2(std::fabs(average->sigma - expected) <= 0.02 * expected,
               qPrintable(QStringLiteral("period %1: sigma %2 us, two-pass %3 us")
                              .arg(p)
                              .arg(average->sigma, 0, 'g', 10)
                              .arg(expected, 0, 'g', 10)));
      QCOMPARE(averages.Port(port).periodStartMs, qint64(0));
    }
  }

  // Equal readings far from zero: no scatter, and none made up by rounding.
  void equalReadingsHaveNoSigma()
  {
    TicAverages averages;
    const qint64 startMs = qint64(1704067200) * 1000;
    std::optional<TicAverage> average;
    for (int second = 1; second <= 10; ++second)
      average = averages.Add(0, 400000.123456, startMs + second * 1000, 10);
    QVERIFY(average);
    QCOMPARE(average->count, 10);
    QVERIFY2(average->sigma < 1e-9, qPrintable(QString::number(average->sigma, 'g', 10)));
    QCOMPARE(QString::asprintf("%09.6f", average->sigma), QStringLiteral("00.000000"));
    QCOMPARE(average->mean, 400000.123456);
  }
};

RIDUDER_TEST_MAIN(TestTicAverages)
#include "tst_ticaverages.moc"
