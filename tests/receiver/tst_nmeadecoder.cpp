#include "TestMain.h"

#include "NmeaDecoderFixture.h"

#include "receiver/decode/GpsRxModel.h"

#include <QRandomGenerator>
#include <QScopeGuard>

#include <cmath>

using Fixture = riduder::test::NmeaDecoderFixture;

namespace {

// A sentence as the framer hands it on: no line end, "*hh" attached.
QByteArray Sentence(const QByteArray &body) { return riduder::test::FramedNmeaSentence(body); }

QDateTime Utc(int y, int mo, int d, int h, int mi, int s)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

}  // namespace

class TestNmeaDecoder : public QObject {
  Q_OBJECT

private slots:
  // ZDA: what is stored as the receiver time (before the one-second
  // advance), or nothing at all.
  void zda_data()
  {
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QDateTime>("stored");  // null: time, clock and flags untouched
    const QDateTime none;
    QTest::newRow("plain") << Sentence("GPZDA,123456.00,05,01,2024,00,00") << true
                           << Utc(2024, 1, 5, 12, 34, 56);
    QTest::newRow("rounds down") << Sentence("GPZDA,123456.49,05,01,2024,00,00") << true
                                 << Utc(2024, 1, 5, 12, 34, 56);
    QTest::newRow("rounds up") << Sentence("GPZDA,123456.50,05,01,2024,00,00") << true
                               << Utc(2024, 1, 5, 12, 34, 57);
    QTest::newRow("59.5 s is the next minute, here the next year")
        << Sentence("GPZDA,235959.60,31,12,2023,00,00") << true << Utc(2024, 1, 1, 0, 0, 0);
    QTest::newRow("signed zone fields") << Sentence("GPZDA,222449,25,10,2010,+00,00") << true
                                        << Utc(2010, 10, 25, 22, 24, 49);
    QTest::newRow("empty zone fields") << Sentence("GPZDA,213712.000,12,02,2026,,") << true
                                       << Utc(2026, 2, 12, 21, 37, 12);
    QTest::newRow("no checksum") << QByteArray("$GPZDA,010203.00,29,02,2024,00,00") << true
                                 << Utc(2024, 2, 29, 1, 2, 3);
    QTest::newRow("empty time is midnight") << Sentence("GPZDA,,05,01,2024,00,00") << true
                                            << Utc(2024, 1, 5, 0, 0, 0);
    QTest::newRow("month 13") << Sentence("GPZDA,123456.00,05,13,2024,00,00") << false << none;
    QTest::newRow("hour 24") << Sentence("GPZDA,243000.00,05,01,2024,00,00") << false << none;
    QTest::newRow("minute 60") << Sentence("GPZDA,126000.00,05,01,2024,00,00") << false << none;
    QTest::newRow("second 60") << Sentence("GPZDA,123460.00,05,01,2024,00,00") << false << none;
    QTest::newRow("day 0") << Sentence("GPZDA,123456.00,00,01,2024,00,00") << false << none;
    QTest::newRow("day 32") << Sentence("GPZDA,123456.00,32,01,2024,00,00") << false << none;
    QTest::newRow("year not a number") << Sentence("GPZDA,123456.00,05,01,YYYY,00,00") << false
                                       << none;
    QTest::newRow("negative year") << Sentence("GPZDA,123456.00,05,01,-1,00,00") << false << none;
    QTest::newRow("zone not a number") << Sentence("GPZDA,123456.00,05,01,2024,X,00") << false
                                       << none;
    QTest::newRow("time not a number") << Sentence("GPZDA,noon,05,01,2024,00,00") << false << none;
    QTest::newRow("seconds not finite") << Sentence("GPZDA,1234nan,05,01,2024,00,00") << false
                                        << none;
    // Recognised, but no time can be built from them.
    QTest::newRow("year 1899") << Sentence("GPZDA,123456.00,05,01,1899,00,00") << true << none;
    QTest::newRow("30 February") << Sentence("GPZDA,123456.00,30,02,2024,00,00") << true << none;
    QTest::newRow("too few fields") << Sentence("GPZDA,123456.00") << false << none;
  }
  void zda()
  {
    QFETCH(QByteArray, sentence);
    QFETCH(bool, result);
    QFETCH(QDateTime, stored);
    Fixture f;
    // A tick came, but not since the last ZDA.
    f.state->tickPending = true;
    if (result && !stored.isValid())
      QTest::ignoreMessage(QtDebugMsg, "WARNING: Illegal date or time decoding GPZDA.");
    QCOMPARE(f.decoder.Decode(sentence), result);
    if (stored.isValid()) {
      QCOMPARE(f.host.clockStepTimes, QList<QDateTime>{stored});
      QCOMPARE(f.host.updateClockDisplayCount, 1);
      QCOMPARE(f.ReceiverTime(), stored.addSecs(1));
      QVERIFY(f.state->messageDroveClock);
      QVERIFY(f.state->zdaThisSecond);
      QVERIFY(!f.state->tickPending);
    } else {
      QVERIFY(f.host.clockStepTimes.isEmpty());
      QCOMPARE(f.host.updateClockDisplayCount, 0);
      QCOMPARE(f.ReceiverTime(), f.start);
      QVERIFY(!f.state->messageDroveClock);
      QVERIFY(!f.state->zdaThisSecond);
      QVERIFY(f.state->tickPending);
    }
  }

  void zdaInLocalTime()
  {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    Fixture f;
    f.host.rxOnLocalTime = true;
    QVERIFY(f.Feed("GPZDA,123456.00,05,07,2024,00,00"));
    QCOMPARE(f.host.clockStepTimes, QList<QDateTime>{Utc(2024, 7, 5, 10, 34, 56)});
    qputenv("TZ", "UTC");
    tzset();
  }

  // With a 1PPS line the tick runs the clock step; the ZDA only stores the
  // time, clears its flags and adds the second.
  void zdaAfterTick()
  {
    Fixture f;
    f.Tick();
    QVERIFY(f.Feed("GPZDA,123456.00,05,01,2024,00,00"));
    QVERIFY(f.host.clockStepTimes.isEmpty());
    QCOMPARE(f.host.updateClockDisplayCount, 0);
    QVERIFY(!f.state->messageDroveClock);
    QVERIFY(!f.state->tickPending);
    QVERIFY(!f.state->zdaTickPending);
    QVERIFY(f.state->rmcTickPending);
    QVERIFY(f.state->zdaThisSecond);
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 5, 12, 34, 57));

    // The next ZDA without a tick in between drives the clock itself.
    QVERIFY(f.Feed("GPZDA,123457.00,05,01,2024,00,00"));
    QCOMPARE(f.host.clockStepTimes, QList<QDateTime>{Utc(2024, 1, 5, 12, 34, 57)});
    QCOMPARE(f.host.calls.filter("Clock"), QStringList({"SyncPcClock", "UpdateClockDisplay"}));
  }

  void rmc_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QDateTime>("stored");  // null: no time stored
    QTest::addColumn<double>("speed");      // -1: not given
    QTest::addColumn<double>("heading");
    const QDateTime none;
    QTest::newRow("plain") << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W")
                           << true << Utc(1994, 3, 23, 12, 35, 19) << 22.4 << 84.4;
    QTest::newRow("year 24") << QByteArray("GPRMC,123519.00,A,4807.038,N,01131.000,E,0.1,0.2,050124,,")
                             << true << Utc(2024, 1, 5, 12, 35, 19) << 0.1 << 0.2;
    QTest::newRow("year 99") << QByteArray("GPRMC,123519.00,A,4807.038,S,01131.000,W,0.1,0.2,050199,,")
                             << true << Utc(1999, 1, 5, 12, 35, 19) << 0.1 << 0.2;
    QTest::newRow("year 80") << QByteArray("GPRMC,123519.00,A,4807.038,N,01131.000,E,0.1,0.2,050180,,")
                             << true << Utc(1980, 1, 5, 12, 35, 19) << 0.1 << 0.2;
    QTest::newRow("year 79") << QByteArray("GPRMC,123519.00,A,4807.038,N,01131.000,E,0.1,0.2,050179,,")
                             << true << Utc(2079, 1, 5, 12, 35, 19) << 0.1 << 0.2;
    QTest::newRow("empty speed and course read as 0")
        << QByteArray("GPRMC,223745.00,A,3806.62964,N,12237.61382,W,,,110720,,,D") << true
        << Utc(2020, 7, 11, 22, 37, 45) << 0.0 << 0.0;
    QTest::newRow("59.7 s is the next day")
        << QByteArray("GPRMC,235959.7,A,4807.038,N,01131.000,E,0,0,311299,,") << true
        << Utc(2000, 1, 1, 0, 0, 0) << 0.0 << 0.0;
    QTest::newRow("status V") << QByteArray("GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,,")
                              << true << none << -1.0 << -1.0;
    QTest::newRow("empty status") << QByteArray("GPRMC,123519,,4807.038,N,01131.000,E,022.4,084.4,230394,,")
                                  << true << none << -1.0 << -1.0;
    // Speed and course are kept as soon as they convert.
    QTest::newRow("latitude past the pole")
        << QByteArray("GPRMC,123519,A,9000.001,N,01131.000,E,1.5,2.5,230394,,") << false << none
        << 1.5 << 2.5;
    QTest::newRow("longitude past 180")
        << QByteArray("GPRMC,123519,A,4807.038,N,18000.001,E,1.5,2.5,230394,,") << false << none
        << 1.5 << 2.5;
    QTest::newRow("bad hemisphere") << QByteArray("GPRMC,123519,A,4807.038,X,01131.000,E,1.5,2.5,230394,,")
                                    << false << none << 1.5 << 2.5;
    QTest::newRow("speed not a number")
        << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,fast,2.5,230394,,") << false << none
        << -1.0 << 2.5;
    QTest::newRow("day 32") << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,1.5,2.5,320394,,")
                            << false << none << 1.5 << 2.5;
    QTest::newRow("month 0") << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,1.5,2.5,230094,,")
                             << false << none << 1.5 << 2.5;
    QTest::newRow("hour 25") << QByteArray("GPRMC,253519,A,4807.038,N,01131.000,E,1.5,2.5,230394,,")
                             << false << none << 1.5 << 2.5;
    QTest::newRow("31 April") << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,1.5,2.5,310494,,")
                              << true << none << 1.5 << 2.5;
  }
  void rmc()
  {
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(QDateTime, stored);
    QFETCH(double, speed);
    QFETCH(double, heading);
    Fixture f;
    f.host.gpsLogType = 2;
    f.state->rawDataWindowOpened = true;
    if (QByteArray(QTest::currentDataTag()) == "31 April")
      QTest::ignoreMessage(QtDebugMsg, "WARNING: Illegal date or time decoding GPRMC.");
    QCOMPARE(f.Feed(body), result);
    if (stored.isValid()) {
      QCOMPARE(f.host.clockStepTimes, QList<QDateTime>{stored});
      QCOMPARE(f.ReceiverTime(), stored.addSecs(1));
    } else {
      QVERIFY(f.host.clockStepTimes.isEmpty());
      QCOMPARE(f.ReceiverTime(), f.start);
    }
    QCOMPARE(f.host.speed, speed);
    QCOMPARE(f.host.heading, heading);
    // RMC shows no position and writes no PVT row.
    QVERIFY(f.host.positions.isEmpty());
    QVERIFY(f.host.gpsLog.isEmpty());
  }

  // Within one second a ZDA takes precedence over an RMC; without 1PPS
  // ticks the precedence lapses 1.5 s after the last ZDA.
  void rmcAndZdaWithoutTicks()
  {
    Fixture f;
    QVERIFY(f.Feed("GPZDA,120000.00,05,01,2024,00,00"));
    f.clock.Advance(200);
    QVERIFY(f.Feed("GPRMC,120000.00,A,4807.038,N,01131.000,E,0,0,060124,,"));
    QCOMPARE(f.host.clockStepTimes.size(), 1);
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 5, 12, 0, 1));

    // The receiver stops sending ZDA: RMC takes over.
    f.clock.Advance(1301);
    QVERIFY(f.Feed("GPRMC,120001.00,A,4807.038,N,01131.000,E,0,0,060124,,"));
    QCOMPARE(f.host.clockStepTimes.size(), 2);
    QCOMPARE(f.host.clockStepTimes.last(), Utc(2024, 1, 6, 12, 0, 1));
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPRMC,120002.00,A,4807.038,N,01131.000,E,0,0,060124,,"));
    QCOMPARE(f.host.clockStepTimes.last(), Utc(2024, 1, 6, 12, 0, 2));

    // ZDA comes back and wins again.
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPZDA,120003.00,07,01,2024,00,00"));
    f.clock.Advance(100);
    QVERIFY(f.Feed("GPRMC,120003.00,A,4807.038,N,01131.000,E,0,0,060124,,"));
    QCOMPARE(f.host.clockStepTimes.last(), Utc(2024, 1, 7, 12, 0, 3));
    QCOMPARE(f.host.clockStepTimes.size(), 4);
  }

  void rmcAndZdaWithTicks()
  {
    Fixture f;
    // RMC before ZDA in one second: both set the time, the tick ran the
    // clock step.
    f.Tick();
    QVERIFY(f.Feed("GPRMC,120000.00,A,4807.038,N,01131.000,E,0,0,050124,,"));
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 5, 12, 0, 1));
    QVERIFY(!f.state->rmcTickPending);
    QVERIFY(f.Feed("GPZDA,120000.00,06,01,2024,00,00"));
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 6, 12, 0, 1));
    QVERIFY(f.host.clockStepTimes.isEmpty());

    // ZDA before RMC: the RMC of that second is ignored.
    f.clock.Advance(1000);
    f.Tick();
    QVERIFY(f.Feed("GPZDA,120001.00,06,01,2024,00,00"));
    QVERIFY(f.Feed("GPRMC,120001.00,A,4807.038,N,01131.000,E,0,0,050124,,"));
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 6, 12, 0, 2));
    QVERIFY(f.state->rmcTickPending);

    // The next tick clears the ZDA-this-second flag: an RMC 1 s after the
    // ZDA sets the time again.
    f.clock.Advance(1000);
    f.Tick();
    QVERIFY(f.Feed("GPRMC,120002.00,A,4807.038,N,01131.000,E,0,0,050124,,"));
    QCOMPARE(f.ReceiverTime(), Utc(2024, 1, 5, 12, 0, 3));
    QVERIFY(f.host.clockStepTimes.isEmpty());
  }

  void gga_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("firmware");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("mslHeight");
    QTest::addColumn<int>("fixStatus");  // -100: not given
    QTest::addColumn<int>("satellites");
    QTest::addColumn<int>("dgps");       // dgpsInputState afterwards (starts at 1)

    const int generic = GpsModeGenericNmea;
    const int ublox = GpsModeUbloxNmea;
    const int other = GpsRxModel::SsrM8T;
    const QByteArray munich = "GPGGA,123519,4807.038,N,01131.000,E,";
    const double lat = 48 + 7.038 / 60, lon = 11 + 31.0 / 60;

    QTest::newRow("fix") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic << other << 0.0 << true
                         << lat << lon << 592.3 << 545.4 << 2 << 8 << 0;
    QTest::newRow("south west") << QByteArray("GPGGA,222449,3349.0337,S,01843.9282,W,1,07,02.31,000115.4,M,0033.3,M,,")
                                << generic << other << 0.0 << true << -(33 + 49.0337 / 60)
                                << -(18 + 43.9282 / 60) << 148.7 << 115.4 << 2 << 7 << 0;
    QTest::newRow("differential") << munich + "2,10,0.9,545.4,M,46.9,M,3.0,0120" << generic << other
                                  << 0.0 << true << lat << lon << 592.3 << 545.4 << 3 << 10 << 2;
    QTest::newRow("differential, empty age and station")
        << munich + "2,10,0.9,545.4,M,46.9,M,," << generic << other << 0.0 << true << lat << lon
        << 592.3 << 545.4 << 3 << 10 << 2;
    QTest::newRow("station not a number") << munich + "2,10,0.9,545.4,M,46.9,M,3.0,ABC" << generic
                                          << other << 0.0 << true << lat << lon << 592.3 << 545.4
                                          << 3 << 10 << 1;
    QTest::newRow("three satellites") << munich + "1,03,0.9,545.4,M,46.9,M,," << generic << other
                                      << 0.0 << true << lat << lon << 592.3 << 545.4 << 1 << 3 << 0;
    QTest::newRow("no satellites") << munich + "0,00,0.9,545.4,M,46.9,M,," << generic << other
                                   << 0.0 << true << lat << lon << 592.3 << 545.4 << 0 << 0 << 0;
    QTest::newRow("u-blox quality 6") << munich + "6,04,0.9,545.4,M,46.9,M,," << ublox << other
                                      << 0.0 << true << lat << lon << 592.3 << 545.4 << 4 << 4 << 0;
    QTest::newRow("u-blox quality 4") << munich + "4,12,0.9,545.4,M,46.9,M,," << ublox << other
                                      << 0.0 << true << lat << lon << 592.3 << 545.4 << 0 << 12 << 0;
    QTest::newRow("u-blox quality 1, two satellites")
        << munich + "1,02,0.9,545.4,M,46.9,M,," << ublox << other << 0.0 << true << lat << lon
        << 592.3 << 545.4 << 2 << 2 << 0;
    QTest::newRow("altitude in feet") << munich + "1,08,0.9,545.4,F,46.9,M,," << generic << other
                                      << 0.0 << true << lat << lon << 46.9 << 0.0 << 2 << 8 << 0;
    QTest::newRow("separation without unit") << munich + "1,08,0.9,545.4,M,46.9,,," << generic
                                             << other << 0.0 << true << lat << lon << 545.4 << 545.4
                                             << 2 << 8 << 0;
    QTest::newRow("separation not a number") << munich + "1,08,0.9,545.4,M,abc,M,," << generic
                                             << other << 0.0 << true << lat << lon << 545.4 << 545.4
                                             << 2 << 8 << 0;
    QTest::newRow("altitude not a number") << munich + "1,08,0.9,high,M,46.9,M,," << generic << other
                                           << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0 << 2 << 8
                                           << 1;
    QTest::newRow("latitude past the pole")
        << QByteArray("GPGGA,123519,8960.001,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") << generic
        << other << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0 << 2 << 8 << 1;
    QTest::newRow("hemisphere of two letters")
        << QByteArray("GPGGA,123519,4807.038,NN,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") << generic
        << other << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0 << 2 << 8 << 1;
    QTest::newRow("empty satellite count") << munich + "1,,0.9,545.4,M,46.9,M,," << generic << other
                                           << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0 << -100
                                           << -100 << 1;
    QTest::newRow("quality not a number") << munich + "Q,08,0.9,545.4,M,46.9,M,," << generic
                                          << other << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0
                                          << 1 << 8 << 1;
    QTest::newRow("empty position") << QByteArray("GPGGA,123519,,,,,0,00,,,M,,M,,") << generic
                                    << other << 0.0 << false << 0.0 << 0.0 << 0.0 << 0.0 << 0 << 0
                                    << 1;
    QTest::newRow("cut short") << QByteArray("GPGGA,123519,4807.038,N,01131.000,E,1,05")
                                            << generic << other << 0.0 << true << lat << lon << 0.0
                                            << 0.0 << 2 << 5 << 0;
    // Some Oncore firmware reports the ellipsoid height in the altitude
    // field, or swaps the two.
    QTest::newRow("VP firmware 6") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic
                                   << int(GpsRxModel::VP) << 6.0 << true << lat << lon << 545.4
                                   << 498.5 << 2 << 8 << 0;
    QTest::newRow("PVT6 firmware 8") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic
                                     << int(GpsRxModel::PVT6) << 8.0 << true << lat << lon << 498.5
                                     << 545.4 << 2 << 8 << 0;
    QTest::newRow("XT firmware 8.8") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic
                                     << int(GpsRxModel::XT) << 8.8 << true << lat << lon << 592.3
                                     << 545.4 << 2 << 8 << 0;
    QTest::newRow("VP6 firmware unknown") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic
                                          << int(GpsRxModel::VP6) << 0.0 << true << lat << lon
                                          << 592.3 << 545.4 << 2 << 8 << 0;
    QTest::newRow("M12 firmware 6") << munich + "1,08,0.9,545.4,M,46.9,M,," << generic
                                    << int(GpsRxModel::M12) << 6.0 << true << lat << lon << 592.3
                                    << 545.4 << 2 << 8 << 0;
  }
  void gga()
  {
    QFETCH(QByteArray, body);
    QFETCH(int, mode);
    QFETCH(int, model);
    QFETCH(double, firmware);
    QFETCH(bool, shown);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(double, height);
    QFETCH(double, mslHeight);
    QFETCH(int, fixStatus);
    QFETCH(int, satellites);
    QFETCH(int, dgps);
    Fixture f;
    CurrentGpsMode = quint32(mode);
    receiverIdentity.model = model;
    receiverIdentity.firmwareVersion = firmware;
    f.state->dgpsInputState = 1;
    QVERIFY(f.Feed(body));
    QCOMPARE(f.host.positions.size(), shown ? 1 : 0);
    if (shown) {
      QVERIFY(qAbs(f.host.positions[0].latitude - latitude) < 1e-12);
      QVERIFY(qAbs(f.host.positions[0].longitude - longitude) < 1e-12);
      QVERIFY(qAbs(f.host.positions[0].height - height) < 1e-9);
      QVERIFY(qAbs(f.host.positions[0].mslHeight - mslHeight) < 1e-9);
    }
    QCOMPARE(f.host.fixStatus, fixStatus);
    QCOMPARE(f.host.satsTracked, satellites);
    if (satellites != -100)
      QCOMPARE(f.host.satsTrackedText, QStringLiteral("%1 Used").arg(satellites));
    QCOMPARE(f.state->dgpsInputState, dgps);
    // GGA has no repeat rule and never touches the time.
    QVERIFY(f.Feed(body));
    QCOMPARE(f.host.positions.size(), shown ? 2 : 0);
    QCOMPARE(f.ReceiverTime(), f.start);
  }

  void ggaUnitWarnings()
  {
    Fixture f;
    QTest::ignoreMessage(QtDebugMsg, "NMEA fAltitude_msl not in Meters");
    QTest::ignoreMessage(QtDebugMsg, "NMEA fGeoid_separation not in Meters");
    QVERIFY(f.Feed("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,F,46.9,F,,"));
    QCOMPARE(f.host.positions.size(), 1);
    QCOMPARE(f.host.positions[0].height, 0.0);
  }

  // The PVT row of a GGA: only while the raw-data window or the log gate
  // lets texts be built, only what converted, written for log type 2.
  void ggaPvtRow_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("gate");
    QTest::addColumn<int>("logType");
    QTest::addColumn<QStringList>("rows");
    const QByteArray fix = "GPGGA,123456.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    QTest::newRow("full") << fix << true << 2
                          << QStringList{"12,34,56.00,48,7.038000,N,11,31.000000,E,"};
    QTest::newRow("gate shut") << fix << false << 2 << QStringList{};
    QTest::newRow("other log type") << fix << true << 1 << QStringList{};
    QTest::newRow("bad longitude")
        << QByteArray("GPGGA,123456.00,4807.038,N,01131.000,Q,1,08,0.9,545.4,M,46.9,M,,") << true
        << 2 << QStringList{"12,34,56.00,48,7.038000,N,"};
    QTest::newRow("bad latitude leaves out both")
        << QByteArray("GPGGA,123456.00,4807.038,,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") << true
        << 2 << QStringList{"12,34,56.00,"};
    QTest::newRow("bad time") << QByteArray("GPGGA,now,0107.5,S,00200.25,W,1,08,0.9,545.4,M,46.9,M,,")
                              << true << 2 << QStringList{"01,7.500000,S,02,0.250000,W,"};
  }
  void ggaPvtRow()
  {
    QFETCH(QByteArray, body);
    QFETCH(bool, gate);
    QFETCH(int, logType);
    QFETCH(QStringList, rows);
    Fixture f;
    f.state->logRecordGate = gate;
    f.host.gpsLogType = logType;
    QVERIFY(f.Feed(body));
    QCOMPARE(f.host.gpsLog, rows);
  }

  void textSentences_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("antenna");  // -100: not reported
    QTest::newRow("OK") << QByteArray("GPTXT,01,01,00,ANTSTATUS=OK") << 0;
    QTest::newRow("SHORT") << QByteArray("GNTXT,01,01,00,ANTSTATUS=SHORT") << 1;
    QTest::newRow("OPEN") << QByteArray("GPTXT,01,01,00,ANTSTATUS=OPEN") << 2;
    QTest::newRow("INIT") << QByteArray("GNTXT,01,01,00,ANTSTATUS=INIT") << -1;
    QTest::newRow("other text") << QByteArray("GNTXT,01,01,01,PMTK inv format") << -100;
  }
  void textSentences()
  {
    QFETCH(QByteArray, body);
    QFETCH(int, antenna);
    Fixture f;
    f.host.gpsLogType = 2;
    f.host.configTextToTicLog = true;
    QVERIFY(f.Feed(body));
    QCOMPARE(f.host.antennaStatus, antenna);
    if (antenna != -100)
      QCOMPARE(f.state->antennaStatus, antenna);
    // Text sentences skip the tail.
    QVERIFY(f.host.gpsLog.isEmpty());
    QVERIFY(f.host.ticLog.isEmpty());
  }

  // Only the "GP" talker is decoded (and "GN" for text); everything else
  // reaches the end of the chain and goes to a PVT log as it came.
  void talkers_data()
  {
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("loggedAsItCame");
    QTest::newRow("GPGGA") << Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                           << true << false;
    QTest::newRow("GNGGA") << Sentence("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                           << false << true;
    QTest::newRow("GNRMC") << Sentence("GNRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,") << false
                           << true;
    QTest::newRow("GNZDA") << Sentence("GNZDA,123456.00,05,01,2024,00,00") << false << true;
    QTest::newRow("GLGSV") << Sentence("GLGSV,1,1,01,66,09,027,40") << false << true;
    QTest::newRow("GNGSA") << Sentence("GNGSA,A,3,29,20,,,,,,,,,,,0.99,0.54,0.83,1") << false << true;
    QTest::newRow("gpgga in lower case") << Sentence("gpgga,1") << false << true;
    QTest::newRow("GPGLL") << Sentence("GPGLL,4916.45,N,12311.12,W,225444,A") << true << false;
    QTest::newRow("GPVTG") << Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K") << true << false;
    QTest::newRow("GNGLL") << Sentence("GNGLL,4916.45,N,12311.12,W,225444,A") << false << true;
    QTest::newRow("GPGNS") << Sentence("GPGNS,1,2") << false << true;
    QTest::newRow("PSYN,VEL") << Sentence("PSYN,VEL,1.0,2.0") << true << true;
    QTest::newRow("PSYN,VELOCITY") << Sentence("PSYN,VELOCITY") << true << true;
    QTest::newRow("PSYN,POS") << Sentence("PSYN,POS,1.0,2.0") << false << true;
    QTest::newRow("PGRME") << Sentence("PGRME,1.7,M,2.4,M,3.0,M") << false << true;
    QTest::newRow("too short to name") << QByteArray("$GP") << false << true;
  }
  void talkers()
  {
    QFETCH(QByteArray, sentence);
    QFETCH(bool, result);
    QFETCH(bool, loggedAsItCame);
    Fixture f;
    f.host.gpsLogType = 2;
    QCOMPARE(f.decoder.Decode(sentence), result);
    QCOMPARE(f.host.gpsLog,
             loggedAsItCame ? QStringList{QString::fromLatin1(sentence)} : QStringList{});
    QCOMPARE(f.ReceiverTime(), f.start);
  }

  // The sentence types with a repeat rule decode an identical copy to
  // nothing; another sentence of the type in between makes it new again.
  void repeats_data()
  {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("other");
    QTest::newRow("ZDA") << Sentence("GPZDA,123456.00,05,01,2024,00,00")
                         << Sentence("GPZDA,123457.00,05,01,2024,00,00");
    QTest::newRow("RMC") << Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,")
                         << Sentence("GPRMC,123520,A,4807.038,N,01131.000,E,1,2,230394,,");
    QTest::newRow("GSA") << Sentence("GPGSA,A,3,03,06,15,,,,,,,,,,1.6,0.9,1.3")
                         << Sentence("GPGSA,A,2,03,06,15,,,,,,,,,,1.6,0.9,1.3");
    QTest::newRow("GSV") << Sentence("GPGSV,1,1,02,05,40,100,45,06,30,200,40")
                         << Sentence("GPGSV,1,1,02,05,41,100,45,06,30,200,40");
    QTest::newRow("GLL") << Sentence("GPGLL,4916.45,N,12311.12,W,225444,A")
                         << Sentence("GPGLL,4916.45,N,12311.12,W,225445,A");
    QTest::newRow("VTG") << Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K")
                         << Sentence("GPVTG,054.8,T,034.4,M,005.5,N,010.2,K");
  }
  void repeats()
  {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, other);
    Fixture f;
    f.host.gpsLogType = 2;
    f.state->rawDataWindowOpened = true;
    QVERIFY(f.decoder.Decode(first));
    const QStringList calls = f.host.calls;
    const QDateTime time = f.ReceiverTime();
    auto slotIds = [&f] {
      QList<int> ids;
      for (int i = 0; i < NmeaDecoder::SatelliteSlots; ++i)
        ids << f.Slot(i).identifier;
      return ids;
    };
    const QList<int> stored = slotIds();
    QVERIFY(f.decoder.Decode(first));
    QCOMPARE(f.host.calls, calls);
    QCOMPARE(f.ReceiverTime(), time);
    QCOMPARE(slotIds(), stored);

    QVERIFY(f.decoder.Decode(other));
    QVERIFY(f.decoder.Decode(first));
    if (!calls.isEmpty())
      QVERIFY(f.host.calls.size() > calls.size());
  }

  void awaitedReply_data()
  {
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<bool>("seen");
    QTest::newRow("named sentence") << QByteArray("ZDA") << Sentence("GPZDA,1") << true;
    QTest::newRow("any talker") << QByteArray("ZDA") << Sentence("GNZDA,1") << true;
    QTest::newRow("proprietary name") << QByteArray("RMC") << Sentence("PGRMC,1") << true;
    QTest::newRow("other sentence") << QByteArray("ZDA") << Sentence("GPGGA,1") << false;
    QTest::newRow("name without comma") << QByteArray("ZDA") << QByteArray("$GPZDAX,1") << false;
    QTest::newRow("too short") << QByteArray("ZDA") << QByteArray("$GPZDA") << false;
    QTest::newRow("not a sentence") << QByteArray("ZDA") << QByteArray("@GPZDA,1") << false;
    QTest::newRow("nothing awaited") << QByteArray() << Sentence("GPZDA,1") << false;
    QTest::newRow("PMOTG whatever is awaited") << QByteArray() << Sentence("PMOTG,GGA,0001") << true;
  }
  void awaitedReply()
  {
    QFETCH(QByteArray, tag);
    QFETCH(QByteArray, sentence);
    QFETCH(bool, seen);
    Fixture f;
    ExpectedNmeaReplyTag = tag;
    f.decoder.Decode(sentence);
    QCOMPARE(f.state->replyFlags.gotMotorolaNmea, seen);
    ExpectedNmeaReplyTag.clear();
  }

  void gsa_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("navMode");
    QTest::addColumn<QString>("dopsText");   // empty: label untouched
    QTest::addColumn<QList<double>>("dops"); // G, P, H, V, T afterwards
    const QList<double> before{5, 5, 5, 5, 5};
    QTest::newRow("3-D automatic")
        << QByteArray("GPGSA,A,3,03,06,15,16,18,19,21,22,,27,29,,1.6,0.9,1.3") << true
        << "3-D Fix (A)" << 3 << "PDOP = 1.6, HDOP = 0.9, VDOP = 1.3"
        << QList<double>{5, 1.6, 0.9, 1.3, 5};
    QTest::newRow("3-D manual, system field")
        << QByteArray("GPGSA,M,3,29,20,18,16,51,13,44,26,,,,,0.99,0.54,0.83,1") << true
        << "3-D Fix (M)" << 3 << "PDOP = 1.0, HDOP = 0.5, VDOP = 0.8"
        << QList<double>{5, 0.99, 0.54, 0.83, 5};
    QTest::newRow("2-D keeps the DOPs") << QByteArray("GPGSA,A,2,02,04,27,,,,,,,,,,,5.3,") << true
                                        << "2-D Fix (A)" << 2 << "" << before;
    QTest::newRow("2-D manual") << QByteArray("GPGSA,M,2,02,04,27,,,,,,,,,,1.0,2.0,3.0") << true
                                << "2-D Fix (M)" << 2 << "" << before;
    QTest::newRow("no fix") << QByteArray("GPGSA,A,1,,,,,,,,,,,,,,,") << true << "No Fix" << 1 << ""
                            << before;
    QTest::newRow("fix type 7") << QByteArray("GPGSA,A,7,,,,,,,,,,,,,1,1,1") << true << "No Fix" << 1
                                << "" << before;
    QTest::newRow("position hold") << QByteArray("GPGSA,A,3,03,06,,,,,,,,,,,99.9,0.9,1.3") << true
                                   << "3-D Fix (A)" << 3 << "DOP not available (position hold)"
                                   << before;
    QTest::newRow("empty DOPs read as 0") << QByteArray("GPGSA,A,3,03,,,,,,,,,,,,,,") << true
                                          << "3-D Fix (A)" << 3
                                          << "PDOP = 0.0, HDOP = 0.0, VDOP = 0.0"
                                          << QList<double>{5, 0, 0, 0, 5};
    QTest::newRow("cut short") << QByteArray("GPGSA,A,3,03,06") << false << "" << 0 << "" << before;
    QTest::newRow("letters for a DOP") << QByteArray("GPGSA,A,3,03,,,,,,,,,,,,x,1,1") << false << ""
                                       << 0 << "" << before;
    // 4294967299 wraps to 3 in 32 bits: a field longer than its number is refused.
    QTest::newRow("fix type that does not fit") << QByteArray("GPGSA,A,4294967299,03,,,,,,,,,,,,1,1,1") << false
                                                << "" << 0 << "" << before;
    QTest::newRow("satellite number that does not fit")
        << QByteArray("GPGSA,A,3,4294967299,,,,,,,,,,,,1,1,1") << false << "" << 0 << "" << before;
  }
  void gsa()
  {
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(QString, status);
    QFETCH(int, navMode);
    QFETCH(QString, dopsText);
    QFETCH(QList<double>, dops);
    Fixture f;
    for (double &d : f.host.dops)
      d = 5;
    QCOMPARE(f.Feed(body), result);
    QCOMPARE(f.host.statusMessage, status);
    QCOMPARE(f.host.navMode, navMode);
    QCOMPARE(f.host.dopsMessage, dopsText);
    for (int i = 0; i < 5; ++i)
      QCOMPARE(f.host.dops[i], dops[i]);
  }

  // A GPS-only group of three sentences, as an Oncore GT+ sends it: signal
  // from slot 0 upward, no signal from slot 15 downward; published by the
  // next time or position sentence.
  void gsvGroup()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSV,3,1,09,02,33,299,27,04,43,242,26,08,12,202,,13,85,356,"));
    QVERIFY(f.Feed("GPGSV,3,2,09,16,22,059,,20,21,131,,23,54,074,,24,23,195,"));
    QVERIFY(f.Feed("GPGSV,3,3,09,27,39,195,15,,,,,,,,,,,,"));
    QCOMPARE(f.host.satelliteTableUpdates, 0);
    QVERIFY(f.Feed("GPGGA,171245.00,5209.7838,N,02048.4819,E,1,03,5.3,76.6,M,36.5,M,,"));
    QCOMPARE(f.host.satelliteTableUpdates, 1);
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("9 Visible"));

    auto expect = [&](int slot, int id, int el, int az, int cno) {
      const SatelliteRecord &r = f.Slot(slot);
      QCOMPARE(r.identifier, id);
      QCOMPARE(r.elevation, el);
      QCOMPARE(r.azimuth, az);
      QCOMPARE(r.cno, cno);
      QCOMPARE(int(r.inChannel), cno ? 1 : 0);
      QCOMPARE(int(r.channelMode), cno ? 8 : 9);
      QCOMPARE(int(r.status), cno ? 0x80 : 0);
      QCOMPARE(r.trend, 0);
    };
    expect(0, 2, 33, 299, 27);
    expect(1, 4, 43, 242, 26);
    expect(2, 27, 39, 195, 15);
    expect(15, 8, 12, 202, 0);
    expect(14, 13, 85, 356, 0);
    expect(13, 16, 22, 59, 0);
    expect(10, 24, 23, 195, 0);
    // The empty places of the last sentence read as satellite 0.
    expect(9, 0, 0, 0, 0);
    expect(7, 0, 0, 0, 0);
    // Slots between the two ends keep the blank record.
    for (int slot : {3, 4, 5, 6}) {
      QCOMPARE(f.Slot(slot).identifier, 0);
      QCOMPARE(int(f.Slot(slot).channelMode), 0);
    }

    // The next group starts a new burst: both arrays are emptied first.
    f.state->displaySatellites[200].identifier = 99;
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPGSV,1,1,01,05,40,100,45"));
    QCOMPARE(f.Slot(0).identifier, 5);
    QCOMPARE(f.Slot(2).identifier, 0);
    QCOMPARE(f.Slot(15).identifier, 256);
    QCOMPARE(f.state->displaySatellites[200].identifier, 0);
    QVERIFY(f.Feed("GPZDA,171246.00,08,04,2005,00,00"));
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("1 Visible"));
    QCOMPARE(f.host.satelliteTableUpdates, 2);
    // An unchanged count keeps its label but still redraws the table.
    f.host.satsVisibleText.clear();
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPGSV,1,1,01,05,41,100,45"));
    QVERIFY(f.Feed("GPRMC,171247.00,A,5209.7838,N,02048.4819,E,0,0,080405,,"));
    QCOMPARE(f.host.satsVisibleText, QString());
    QCOMPARE(f.host.satelliteTableUpdates, 3);
  }

  // A changed count also goes to the TIC configuration log, only while the
  // configuration text is asked for.
  void visibleCountToConfigurationLog()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSV,1,1,01,05,40,100,45"));
    QVERIFY(f.Feed("GPZDA,171246.00,08,04,2005,00,00"));
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("1 Visible"));
    QVERIFY(f.host.ticLog.isEmpty());

    f.host.configTextToTicLog = true;
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPGSV,1,1,02,05,40,100,45,07,30,200,40"));
    QVERIFY(f.Feed("GPZDA,171247.00,08,04,2005,00,00"));
    QCOMPARE(f.host.ticLog, QStringList{"2 Visible"});
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPGSV,1,1,02,05,41,100,45,07,30,200,40"));
    QVERIFY(f.Feed("GPZDA,171248.00,08,04,2005,00,00"));
    QCOMPARE(f.host.ticLog, QStringList{"2 Visible"});
  }

  void gsvStatusInUbloxModes_data()
  {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("status");
    QTest::newRow("generic NMEA") << int(GpsModeGenericNmea) << 0x80;
    QTest::newRow("Motorola NMEA") << int(GpsModeMotorolaNmea) << 0x80;
    QTest::newRow("u-blox NMEA") << int(GpsModeUbloxNmea) << 0x81;
    QTest::newRow("u-blox UBX") << int(GpsModeUbloxUbx) << 0x81;
  }
  void gsvStatusInUbloxModes()
  {
    QFETCH(int, mode);
    QFETCH(int, status);
    Fixture f;
    CurrentGpsMode = quint32(mode);
    QVERIFY(f.Feed("GPGSV,1,1,02,05,40,100,45,06,30,200,"));
    QCOMPARE(int(f.Slot(0).status), status);
    QCOMPARE(int(f.Slot(15).status), 0);
  }

  // The GSA system of a group and the satellites' own numbers choose the
  // constellation, which maps the identifier into the program's range.
  void gsvIdentifierMapping_data()
  {
    QTest::addColumn<int>("system");  // 0: no GSA system field
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("mapped");
    QTest::newRow("GPS") << 0 << 5 << 5;
    QTest::newRow("GPS 32") << 1 << 32 << 32;
    QTest::newRow("SBAS 33") << 0 << 33 << 120;
    QTest::newRow("SBAS 51") << 1 << 51 << 138;
    QTest::newRow("SBAS 64") << 1 << 64 << 151;
    QTest::newRow("GLONASS unchanged") << 2 << 5 << 5;
    QTest::newRow("GLONASS 70") << 2 << 70 << 70;
    QTest::newRow("Galileo 1") << 3 << 1 << 211;
    QTest::newRow("Galileo 36") << 3 << 36 << 246;
    QTest::newRow("Galileo 37 is taken for GPS/SBAS") << 3 << 37 << 37;
    QTest::newRow("BeiDou 1") << 4 << 1 << 159;
    QTest::newRow("BeiDou 5") << 4 << 5 << 163;
    QTest::newRow("BeiDou 6") << 4 << 6 << 33;
    QTest::newRow("BeiDou 37") << 4 << 37 << 64;
    QTest::newRow("38 overrides to GPS/SBAS") << 4 << 38 << 125;
    QTest::newRow("70 overrides to GLONASS") << 3 << 70 << 70;
    QTest::newRow("QZSS 1") << 5 << 1 << 193;
    QTest::newRow("QZSS 10") << 5 << 10 << 202;
    QTest::newRow("QZSS 11") << 5 << 11 << 11;
    QTest::newRow("NavIC") << 6 << 5 << 5;
    QTest::newRow("beyond 64 stays") << 3 << 99 << 99;
  }
  void gsvIdentifierMapping()
  {
    QFETCH(int, system);
    QFETCH(int, id);
    QFETCH(int, mapped);
    Fixture f;
    if (system)
      QVERIFY(f.Feed("GPGSA,A,3,05,,,,,,,,,,,,1.0,1.0,1.0," + QByteArray::number(system)));
    QVERIFY(f.Feed("GPGSV,1,1,01," + QByteArray::number(id).rightJustified(2, '0') + ",40,100,45"));
    QCOMPARE(f.Slot(0).identifier, mapped);
  }

  // Three constellations announced by GSA: the third group's Galileo
  // numbers are mapped, and the table is published as soon as it ends.
  void gsvMultiConstellationBurst()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSA,A,3,05,07,,,,,,,,,,,1.0,1.0,1.0,1"));
    QVERIFY(f.Feed("GPGSA,A,3,70,71,,,,,,,,,,,1.0,1.0,1.0,2"));
    QVERIFY(f.Feed("GPGSA,A,3,01,36,,,,,,,,,,,1.0,1.0,1.0,3"));
    QVERIFY(f.Feed("GPGSV,1,1,02,05,40,100,45,07,30,200,44"));
    QVERIFY(f.Feed("GPGSV,1,1,02,70,20,050,40,71,10,060,"));
    QCOMPARE(f.host.satelliteTableUpdates, 0);
    QVERIFY(f.Feed("GPGSV,2,1,05,01,50,150,42,02,45,160,41,03,44,170,,04,43,180,"));
    QCOMPARE(f.host.satelliteTableUpdates, 0);
    QVERIFY(f.Feed("GPGSV,2,2,05,36,42,190,39"));
    QCOMPARE(f.host.satelliteTableUpdates, 1);
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("9 Visible"));
    QList<int> ids;
    for (int i = 0; i < 16; ++i)
      ids << f.Slot(i).identifier;
    QCOMPARE(ids,
             (QList<int>{5, 7, 70, 211, 212, 246, 256, 256, 256, 214, 213, 256, 256, 71, 256, 256}));
    // The time sentence afterwards has nothing left to publish.
    QVERIFY(f.Feed("GPGGA,171245.00,5209.7838,N,02048.4819,E,1,03,5.3,76.6,M,36.5,M,,"));
    QCOMPARE(f.host.satelliteTableUpdates, 1);
  }

  // A repeated GSA returns at once but its system entry counts twice: the
  // burst waits for a third group.
  void gsaRepeatCountsItsSystemTwice()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSA,A,3,05,,,,,,,,,,,,1.0,1.0,1.0,1"));
    QVERIFY(f.Feed("GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,3"));
    const QStringList calls = f.host.calls;
    QVERIFY(f.Feed("GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,3"));
    QCOMPARE(f.host.calls, calls);
    QVERIFY(f.Feed("GPGSV,1,1,01,05,40,100,45"));
    QVERIFY(f.Feed("GPGSV,1,1,01,01,40,100,45"));
    QCOMPARE(f.host.satelliteTableUpdates, 0);
    QCOMPARE(f.Slot(1).identifier, 211);
  }

  // GSA entries without satellites are skipped once the last burst had
  // fewer groups than entries.
  void gsaEntriesWithoutSatellites()
  {
    Fixture f;
    auto burst = [&f] {
      QVERIFY(f.Feed("GPGSA,A,3,05,,,,,,,,,,,,1.0,1.0,1.0,1"));
      QVERIFY(f.Feed("GPGSA,A,3,,,,,,,,,,,,,1.0,1.0,1.0,2"));
      QVERIFY(f.Feed("GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,3"));
      QVERIFY(f.Feed("GPGSV,1,1,01,05,40,100,45"));
      QVERIFY(f.Feed("GPGSV,1,1,01,01,40,100,45"));
      QVERIFY(f.Feed("GPZDA,120000.00,05,01,2024,00,00"));
      f.clock.Advance(1000);
    };
    burst();
    // The first burst took the empty GLONASS entry for the second group.
    QCOMPARE(f.Slot(1).identifier, 1);
    // The published burst had 2 groups for 3 entries: now it is skipped.
    burst();
    QCOMPARE(f.Slot(1).identifier, 211);
  }

  // A burst whose sentences arrive split over time: gaps below 1.5 s
  // continue the burst, a longer gap publishes what was complete first.
  void gsvBurstSplitOverTime()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSV,2,1,05,01,50,150,42,02,45,160,41,03,44,170,40,04,43,180,39"));
    f.clock.Advance(1400);
    QVERIFY(f.Feed("GPGSV,2,2,05,05,42,190,38"));
    f.clock.Advance(1500);
    QVERIFY(f.Feed("GPGSV,1,1,02,06,42,190,37,07,41,191,36"));
    QCOMPARE(f.host.satelliteTableUpdates, 0);
    QList<int> ids;
    for (int i = 0; i < 7; ++i)
      ids << f.Slot(i).identifier;
    QCOMPARE(ids, (QList<int>{1, 2, 3, 4, 5, 6, 7}));

    // More than 1.5 s later: the two groups so far are published, then a
    // new burst begins.
    f.clock.Advance(1501);
    QVERIFY(f.Feed("GPGSV,1,1,01,08,40,100,45"));
    QCOMPARE(f.host.satelliteTableUpdates, 1);
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("7 Visible"));
    QCOMPARE(f.Slot(0).identifier, 8);
    QCOMPARE(f.Slot(1).identifier, 0);

    // A group that starts with its second sentence fills on from the slots
    // of the burst in progress.
    f.clock.Advance(100);
    QVERIFY(f.Feed("GPGSV,2,2,05,09,42,190,38"));
    QCOMPARE(f.Slot(1).identifier, 9);
  }

  void moreThanSixteenSatellites()
  {
    Fixture f;
    QVERIFY(f.Feed("GPGSV,5,1,17,01,10,010,41,02,10,010,42,03,10,010,43,04,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,2,17,05,10,010,41,06,10,010,42,07,10,010,43,08,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,3,17,09,10,010,41,10,10,010,42,11,10,010,43,12,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,4,17,13,10,010,41,14,10,010,42,15,10,010,43,16,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,5,17,17,10,010,41"));
    for (int i = 0; i < 16; ++i)
      QCOMPARE(f.Slot(i).identifier, i + 1);
    for (int i = 16; i < SatelliteArraySize; ++i)
      QCOMPARE(f.Slot(i).identifier, 0);
    QVERIFY(f.Feed("GPGGA,171245.00,5209.7838,N,02048.4819,E,1,03,5.3,76.6,M,36.5,M,,"));
    QCOMPARE(f.host.satsVisibleText, QStringLiteral("17 Visible"));

    // Satellites with signal come first: they take over the slots of those
    // without.
    f.clock.Advance(1000);
    QVERIFY(f.Feed("GPGSV,5,1,18,01,10,010,,02,10,010,,03,10,010,,04,10,010,"));
    QVERIFY(f.Feed("GPGSV,5,2,18,05,10,010,41,06,10,010,42,07,10,010,43,08,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,3,18,09,10,010,41,10,10,010,42,11,10,010,43,12,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,4,18,13,10,010,41,14,10,010,42,15,10,010,43,16,10,010,44"));
    QVERIFY(f.Feed("GPGSV,5,5,18,17,10,010,41,18,10,010,42"));
    QList<int> ids;
    for (int i = 0; i < 16; ++i)
      ids << f.Slot(i).identifier;
    QCOMPARE(ids, (QList<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 2, 1}));
  }

  void gsvConversions_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<int>>("expected");  // identifiers in slots 0, 15, 14, 13
    QTest::newRow("four satellites") << QByteArray("GPGSV,1,1,04,01,10,010,41,02,11,011,,03,12,012,43,04,13,013,")
                                     << true << QList<int>{1, 2, 4, 0};
    QTest::newRow("fewer than announced") << QByteArray("GPGSV,1,1,04,05,40,100,45") << true
                                          << QList<int>{5, 256, 256, 256};
    QTest::newRow("identifier alone dropped") << QByteArray("GPGSV,1,1,02,05,40,100,45,06") << true
                                              << QList<int>{5, 256, 256, 256};
    QTest::newRow("cut inside a satellite") << QByteArray("GPGSV,1,1,02,05,40,100,45,06,30") << false
                                            << QList<int>{0, 0, 0, 0};
    QTest::newRow("no header") << QByteArray("GPGSV,x,1,02,05,40,100,45") << false
                               << QList<int>{0, 0, 0, 0};
    QTest::newRow("header only") << QByteArray("GPGSV,1,1,00") << true
                                 << QList<int>{0, 256, 256, 256};
    QTest::newRow("signal field of NMEA 4.11")
        << QByteArray("GPGSV,1,1,02,05,40,100,45,06,30,200,40,1") << true
        << QList<int>{5, 256, 256, 0};
    QTest::newRow("no checksum") << QByteArray() << true << QList<int>{0, 32, 256, 256};
  }
  void gsvConversions()
  {
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(QList<int>, expected);
    Fixture f;
    const QByteArray sentence =
        body.isEmpty() ? QByteArray("$GPGSV,3,3,09,32,16,070,00") : Sentence(body);
    QCOMPARE(f.decoder.Decode(sentence), result);
    QCOMPARE((QList<int>{f.Slot(0).identifier, f.Slot(15).identifier, f.Slot(14).identifier,
                         f.Slot(13).identifier}),
             expected);
  }

  // Damaged sentences (bytes changed, cut or doubled) never store an
  // invalid time, never fill more than the 16 satellite slots and never
  // show a position that is not finite or off the globe.
  void damagedSentences()
  {
    const QList<QByteArray> bodies{
        "GPZDA,235959.60,31,12,2023,00,00",
        "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
        "GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,3.0,0120",
        "GPGSA,A,3,03,06,15,16,18,19,21,22,,27,29,,1.6,0.9,1.3,1",
        "GPGSV,3,1,09,02,33,299,27,04,43,242,26,08,12,202,,13,85,356,",
        "GPGSV,3,3,09,27,39,195,15,,,,,,,,,,,,",
        "PGRMI,4807.038,N,01131.000,E,230394,123519,R",
        "PGRMT,ABC 1.0,P,P,R,R,P,C,32",
        "GPTXT,01,01,00,ANTSTATUS=OK"};
    const QByteArray alphabet = "0123456789,.*-+$ANSEWMGPZDVnax ";
    QRandomGenerator random(20240105);
    Fixture f;
    CurrentGpsMode = GpsModeUbloxNmea;
    // The decoder's debug lines would flood the test log.
    const QtMessageHandler previousHandler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    auto restoreHandler = qScopeGuard([previousHandler] { qInstallMessageHandler(previousHandler); });
    for (int i = 0; i < 20000; ++i) {
      QByteArray sentence = Sentence(bodies[random.bounded(int(bodies.size()))]);
      const int edits = 1 + random.bounded(4);
      for (int e = 0; e < edits && !sentence.isEmpty(); ++e) {
        const int at = random.bounded(int(sentence.size()));
        switch (random.bounded(3)) {
        case 0: sentence[at] = alphabet.at(random.bounded(int(alphabet.size()))); break;
        case 1: sentence.truncate(at); break;
        default: sentence.insert(at, sentence.mid(at, random.bounded(8))); break;
        }
      }
      if (random.bounded(4) == 0)
        f.clock.Advance(1600);
      f.decoder.Decode(sentence);
      QVERIFY2(f.state->receiverTime.addSecs(0).isValid(), sentence.constData());
      QVERIFY2(f.state->receiverTime.year() >= 1900, sentence.constData());
      for (int s = NmeaDecoder::SatelliteSlots; s < SatelliteArraySize; ++s)
        QVERIFY2(f.Slot(s).identifier == 0, sentence.constData());
    }
    for (const riduder::test::RecordedPosition &p : f.host.positions) {
      QVERIFY(std::isfinite(p.height) && std::isfinite(p.mslHeight));
      QVERIFY(qAbs(p.latitude) <= 90.0 && qAbs(p.longitude) <= 180.0);
    }
    QVERIFY(f.host.positions.size() > 100);
    QVERIFY(f.host.clockStepTimes.size() > 100);
  }

  // Where GSV bursts begin and end without a time sentence between them.
  // NMEA 4.10 and later send a GSV group per signal, the signal ID after
  // the last satellite. Each row: sentences ("+ms" moves the clock on, else
  // 20 ms pass), then each burst as published: the count and the table's
  // satellites (identifier/C/No, by slot).
  void gsvSignalGroups_data()
  {
    QTest::addColumn<QList<QByteArray>>("sentences");
    QTest::addColumn<QStringList>("published");

    // Older NMEA: a group 1 s after the last joins the burst unless it
    // lists a satellite the burst holds.
    QTest::newRow("no signal field, repeated group starts the next burst")
        << QList<QByteArray>{"GPGSV,1,1,02,01,40,100,45,02,30,200,40", "+1000",
                             "GPGSV,1,1,02,01,40,100,44,02,30,200,39"}
        << QStringList{"2 Visible: 1/45 2/40", "2 Visible: 1/44 2/39"};
    QTest::newRow("no signal field, a group of other satellites joins the burst")
        << QList<QByteArray>{"GPGSV,1,1,02,01,40,100,45,02,30,200,40", "+1000",
                             "GPGSV,1,1,02,03,40,100,44,04,30,200,39"}
        << QStringList{"4 Visible: 1/45 2/40 3/44 4/39"};
    // Without page 1 the groups never start a burst of their own.
    QTest::newRow("no first page, no time sentence")
        << QList<QByteArray>{"GPGSV,3,2,09,05,40,100,45,06,30,200,40,07,20,300,35,08,10,50,30",
                             "GPGSV,3,3,09,09,15,60,25", "+1000",
                             "GPGSV,3,2,09,05,40,100,44,06,30,200,39,07,20,300,34,08,10,50,29",
                             "GPGSV,3,3,09,09,15,60,24", "+1000",
                             "GPGSV,3,3,09,09,15,60,23"}
        << QStringList{"9 Visible: 5/45 6/40 7/35 8/30 9/25", "9 Visible: 5/44 6/39 7/34 8/29 9/24",
                       "9 Visible: 9/23"};
    // The same number from two constellations is two satellites.
    QTest::newRow("GPS 1 and Galileo 1 in one burst")
        << QList<QByteArray>{"GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,1",
                             "GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0,3",
                             "GPGSV,1,1,01,01,40,100,45", "GPGSV,1,1,01,01,30,200,40"}
        << QStringList{"2 Visible: 1/45 211/40"};
    QTest::newRow("no signal field, two sentences")
        << QList<QByteArray>{"GPGSV,2,1,05,01,40,100,45,02,30,200,40,03,20,300,35,04,10,50,30",
                             "GPGSV,2,2,05,05,15,60,25"}
        << QStringList{"5 Visible: 1/45 2/40 3/35 4/30 5/25"};
    QTest::newRow("two signals, same satellites")
        << QList<QByteArray>{"GPGSV,1,1,03,01,40,100,45,02,30,200,40,03,20,300,35,1",
                             "GPGSV,1,1,03,01,40,100,30,02,30,200,28,03,20,300,25,8"}
        << QStringList{"3 Visible: 1/45 2/40 3/35"};
    QTest::newRow("two signals, four satellites a sentence")
        << QList<QByteArray>{"GPGSV,2,1,05,01,40,100,45,02,30,200,40,03,20,300,35,04,10,50,30,1",
                             "GPGSV,2,2,05,05,15,60,25,1",
                             "GPGSV,2,1,05,01,40,100,31,02,30,200,32,03,20,300,33,04,10,50,34,5",
                             "GPGSV,2,2,05,05,15,60,35,5"}
        << QStringList{"5 Visible: 1/45 2/40 3/35 4/30 5/25"};
    QTest::newRow("a satellite only in the second group is added")
        << QList<QByteArray>{"GPGSV,1,1,02,01,40,100,45,02,30,200,40,1",
                             "GPGSV,1,1,02,02,30,200,28,05,15,60,33,8"}
        << QStringList{"3 Visible: 1/45 2/40 5/33"};
    QTest::newRow("back-to-back bursts 1 s apart")
        << QList<QByteArray>{"GPGSV,1,1,03,01,40,100,45,02,30,200,40,03,20,300,35,1",
                             "GPGSV,1,1,02,01,40,100,30,02,30,200,28,8", "+1000",
                             "GPGSV,1,1,03,01,40,100,46,02,30,200,41,04,10,50,30,1",
                             "GPGSV,1,1,01,01,40,100,31,8", "+1000",
                             "GPGSV,1,1,02,01,40,100,47,06,12,70,20,1"}
        << QStringList{"3 Visible: 1/45 2/40 3/35", "3 Visible: 1/46 2/41 4/30",
                       "2 Visible: 1/47 6/20"};
  }
  void gsvSignalGroups()
  {
    QFETCH(QList<QByteArray>, sentences);
    QFETCH(QStringList, published);
    Fixture f;
    // Whatever the burst still holds is published by a later gap.
    for (const QByteArray &sentence : sentences + QList<QByteArray>{"+1600", "GPGSV,1,1,00"}) {
      if (sentence.startsWith('+')) {
        f.clock.Advance(sentence.mid(1).toInt());
        continue;
      }
      f.clock.Advance(20);
      QVERIFY(f.Feed(sentence));
    }
    QCOMPARE(f.host.satelliteTables, published);
  }

  // One satellite over six bursts: 20, 21, 23 give 0, 0, +1; 22 keeps +1;
  // 21 (2 below 23) gives -1.
  void gsvElevationTrend()
  {
    Fixture f;
    QList<int> trends;
    for (int elevation : {20, 21, 23, 22, 21}) {
      f.clock.Advance(1600);
      QVERIFY(f.Feed("GPGSV,1,1,01,07," + QByteArray::number(elevation) + ",100,45"));
      trends << f.Slot(0).trend;
    }
    QCOMPARE(trends, (QList<int>{0, 0, 1, 1, -1}));
    // SBAS 33 keeps its trend under its mapped number.
    f.clock.Advance(1600);
    QVERIFY(f.Feed("GPGSV,1,1,01,33,30,100,45"));
    QCOMPARE(f.state->previousElevation[120], 30);
  }
};

RIDUDER_TEST_MAIN(TestNmeaDecoder)
#include "tst_nmeadecoder.moc"
