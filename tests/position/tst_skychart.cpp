#include "TestMain.h"

#include "FakeTimeSource.h"
#include "RecordingDecoderHost.h"
#include "WindowOnSimulator.h"
#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/MessageRouting.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/FramerSink.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "app/MainWindow.h"
#include "position/Callout.h"
#include "position/SatAzElChart.h"
#include "position/SatAzElChartDialog.h"
#include "position/SkyLines.h"

#include <QChart>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QPushButton>
#include <QLineSeries>
#include <QPolarChart>
#include <QScatterSeries>
#include <QSettings>
#include <QSignalSpy>
#include <QValueAxis>
#include <array>
#include <memory>

namespace {

using Records = std::array<SatelliteRecord, SatelliteArraySize>;

SatelliteRecord Sat(int prn, int elevation, int azimuth, int cno = 40, quint8 status = 0x80, int trend = 0)
{
  SatelliteRecord r;
  r.identifier = prn;
  r.elevation = elevation;
  r.azimuth = azimuth;
  r.cno = cno;
  r.status = status;
  r.trend = trend;
  return r;
}

// The display array as the main window hands it over: satellites first,
// empty slots after.
Records Array(std::initializer_list<SatelliteRecord> satellites)
{
  Records records{};
  int i = 0;
  for (const SatelliteRecord &s : satellites)
    records[i++] = s;
  return records;
}

QList<QPointF> Points(QScatterSeries *series) { return series->points(); }

int SeenCount(const double *values, int count)
{
  int seen = 0;
  for (int i = 0; i < count; ++i)
    seen += values[i] >= 0.0;
  return seen;
}

QStringList StoredParts(const char *key)
{
  return QSettings().value(QLatin1String(key)).toString().split(QLatin1Char(','));
}

// The bins seen so far, "bin:zenith" each.
QString SeenBins(const double *values, int count)
{
  QStringList seen;
  for (int i = 0; i < count; ++i)
    if (values[i] >= 0.0)
      seen << QStringLiteral("%1:%2").arg(i).arg(values[i]);
  return seen.join(QLatin1Char(' '));
}

// A capture decoded as the program decodes it in `mode`; every satellite
// table the decoders publish is taught to the sky lines, as the chart
// window is.
struct SkyLinesReplay : riduder::test::RecordingDecoderHost, FramerSink {
  SkyLinesReplay(quint32 mode, qint32 model)
      : mode(mode), state(std::make_unique<ReceiverState>()), oncore(*state, *this),
        nmea(*state, *this), ubx(*state, *this), clockOverride(&clock)
  {
    ResetProgramWideState();
    CurrentGpsMode = mode;
    receiverIdentity.model = model;
  }

  void UpdateSatelliteTable() override
  {
    for (const SatelliteRecord &record : state->satellites)
      if (IsPlottedOnSky(record))
        lines.Bin(record, mode);
  }

  void OnFramedMessage(const QByteArray &message) override
  {
    clock.Advance(40);
    RouteReceiverMessage(mode, message, ReceiverDecoderSet{oncore, nmea, ubx}, *state, false);
  }

  bool Run(const QString &capture)
  {
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    if (!ok)
      return false;
    if (IsOncoreBinaryMode(mode)) {
      OncoreFramer framer;
      framer.Process(bytes, *this);
    } else {
      UbxNmeaFramer framer;
      framer.Process(bytes, !IsUbloxMode(mode), *this);
    }
    return true;
  }

  const quint32 mode;
  std::unique_ptr<ReceiverState> state;
  OncoreDecoder oncore;
  NmeaDecoder nmea;
  UbxDecoder ubx;
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride;
  SkyLines lines;
};

void Show(SatAzElChartDialog &dialog)
{
  dialog.ShowChart();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

}  // namespace

class TestSkyChart : public QObject {
  Q_OBJECT

private slots:
  void init();

  void binning_data();
  void binning();
  void recordsPlottedBySeries();
  void hiddenWindowBinsButDrawsNothing();
  void storedLines_data();
  void storedLines();
  void resetStoresUnseenLines();
  void linesSavedAtShutDownEvenIfNeverShown();
  void horizonLearntFromCaptureAndRestored();
  void linesLearntInUbxMode_data();
  void linesLearntInUbxMode();
  void linesOfOncoreAndNmeaCaptures_data();
  void linesOfOncoreAndNmeaCaptures();

  void hoverShowsSatellite();
  void pinsFollowUpdatesAndReopenForgetsThem();
  void spaceThenHoverUpdateAndClose();
  void twoSpacesRestoreThePolarChart();
  void hintShownWholeOnEitherChart();
  void cursorTextOnlyOnThePolarChart();
  void emptyCalloutHasItsBox();
};

void TestSkyChart::init() { QSettings().clear(); }

void TestSkyChart::binning_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("elevation");
  QTest::addColumn<int>("azimuth");
  QTest::addColumn<int>("cno");
  QTest::addColumn<int>("status");
  QTest::addColumn<bool>("binned");
  QTest::addColumn<int>("horizonBin");
  QTest::addColumn<int>("skyHoleBin");
  QTest::addColumn<double>("zenith");

  const int oncore = GpsModeMotorolaBinary;
  QTest::newRow("used satellite") << oncore << 30 << 47 << 40 << 0x80 << true << 23 << 4 << 60.0;
  QTest::newRow("elevation 0, azimuth 10") << oncore << 0 << 10 << 40 << 0x80 << false << -1 << -1 << 0.0;
  QTest::newRow("status bit 7 clear") << oncore << 30 << 47 << 40 << 0x00 << false << -1 << -1 << 0.0;
  QTest::newRow("C/No 0") << oncore << 30 << 47 << 0 << 0x80 << false << -1 << -1 << 0.0;
  QTest::newRow("elevation 95 bins at the zenith") << oncore << 95 << 100 << 40 << 0x80 << true << 50 << 10 << 0.0;
  QTest::newRow("azimuth 360 bins as 359") << oncore << 10 << 360 << 40 << 0x80 << true << 179 << 35 << 80.0;
  QTest::newRow("azimuth below 0 bins as 0") << oncore << 10 << -4 << 40 << 0x80 << true << 0 << 0 << 80.0;
  // Bit 0 is a parity error to an Oncore, "used" to a u-blox receiver.
  QTest::newRow("Oncore, bit 0 only") << oncore << 30 << 47 << 40 << 0x01 << false << -1 << -1 << 0.0;
  QTest::newRow("NMEA, bit 7") << int(GpsModeGenericNmea) << 30 << 47 << 40 << 0x80 << true << 23 << 4 << 60.0;
  QTest::newRow("u-blox UBX, bit 0") << int(GpsModeUbloxUbx) << 30 << 47 << 40 << 0x01 << true << 23 << 4 << 60.0;
  QTest::newRow("u-blox UBX, bit 7 only") << int(GpsModeUbloxUbx) << 30 << 47 << 40 << 0x80 << false << -1 << -1 << 0.0;
  QTest::newRow("u-blox NMEA, GSV with signal") << int(GpsModeUbloxNmea) << 30 << 47 << 40 << 0x81 << true << 23 << 4 << 60.0;
}

void TestSkyChart::binning()
{
  QFETCH(int, mode);
  QFETCH(int, elevation);
  QFETCH(int, azimuth);
  QFETCH(int, cno);
  QFETCH(int, status);
  QFETCH(bool, binned);
  QFETCH(int, horizonBin);
  QFETCH(int, skyHoleBin);
  QFETCH(double, zenith);

  SkyLines lines;
  lines.SetChanged(false);
  QCOMPARE(lines.Bin(Sat(7, elevation, azimuth, cno, quint8(status)), quint32(mode)), binned);
  QCOMPARE(lines.Changed(), binned);
  QCOMPARE(SeenCount(lines.Horizon().data(), SkyLines::HorizonCount), binned ? 1 : 0);
  QCOMPARE(SeenCount(lines.SkyHole().data(), SkyLines::SkyHoleCount), binned ? 1 : 0);
  if (binned) {
    QCOMPARE(lines.Horizon()[horizonBin], zenith);
    QCOMPARE(lines.SkyHole()[skyHoleBin], zenith);
  }

  // The horizon keeps the lowest elevation, the sky hole the highest.
  if (binned && elevation < 90) {
    SatelliteRecord lower = Sat(8, elevation - 5, azimuth, cno, quint8(status));
    SatelliteRecord higher = Sat(9, elevation + 5, azimuth, cno, quint8(status));
    lines.Bin(lower, quint32(mode));
    lines.Bin(higher, quint32(mode));
    QCOMPARE(lines.Horizon()[horizonBin], zenith + 5);
    QCOMPARE(lines.SkyHole()[skyHoleBin], std::max(zenith - 5, 0.0));
  }
}

void TestSkyChart::recordsPlottedBySeries()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  const Records records = Array({
      Sat(1, 0, 10),                       // elevation 0: plotted, not binned
      Sat(2, 40, 200, 40, 0x00, 1),        // not used: plotted, rising
      Sat(3, 50, 300, 0, 0x80, -1),        // no signal: plotted, falling
      Sat(4, 0, 0),                        // elevation and azimuth 0: neither
      Sat(5, 95, 370, 40, 0x80, 0),        // plotted at its raw values
      Sat(120, 30, 150, 40, 0x80, 1),      // SBAS, whatever its trend
      Sat(158, 31, 151, 40, 0x80, -1),
      Sat(119, 32, 152, 40, 0x80, 1),      // around the SBAS range: by trend
      Sat(159, 33, 153, 40, 0x80, -1),
  });
  dialog.UpdateSatellites(records.data());

  QCOMPARE(Points(dialog.NoDopplerSeries()), (QList<QPointF>{{10, 90}, {370, -5}}));
  QCOMPARE(Points(dialog.RisingSeries()), (QList<QPointF>{{200, 50}, {152, 58}}));
  QCOMPARE(Points(dialog.FallingSeries()), (QList<QPointF>{{300, 40}, {153, 57}}));
  QCOMPARE(Points(dialog.SbasSeries()), (QList<QPointF>{{150, 60}, {151, 59}}));

  // Only the four used satellites with a signal and an elevation drew lines.
  QCOMPARE(SeenCount(dialog.Lines().Horizon().data(), SkyLines::HorizonCount), 3);
  QCOMPARE(dialog.HorizonSeries()->count(), SkyLines::HorizonCount + 1);
  QCOMPARE(dialog.HorizonSeries()->at(179), QPointF(358, 0));  // azimuth 370 bins as 359, zenith 0
  QCOMPARE(dialog.HorizonSeries()->at(75), QPointF(150, 60));
  QCOMPARE(dialog.SkyHoleSeries()->at(36), QPointF(360, dialog.SkyHoleSeries()->at(0).y()));

  // The next update replaces the points.
  const Records next = Array({Sat(6, 20, 20)});
  dialog.UpdateSatellites(next.data());
  QCOMPARE(Points(dialog.NoDopplerSeries()), (QList<QPointF>{{20, 70}}));
  QVERIFY(Points(dialog.SbasSeries()).isEmpty());
}

void TestSkyChart::hiddenWindowBinsButDrawsNothing()
{
  SatAzElChartDialog dialog;
  const Records records = Array({Sat(3, 30, 47)});
  dialog.UpdateSatellites(records.data());
  QVERIFY(Points(dialog.NoDopplerSeries()).isEmpty());
  QCOMPARE(dialog.Lines().Horizon()[23], 60.0);
  // The line waits for the window.
  QVERIFY(dialog.Lines().Changed());
  QCOMPARE(dialog.HorizonSeries()->at(23).y(), 0.0);
  Show(dialog);
  QCOMPARE(dialog.HorizonSeries()->at(23), QPointF(46, 60));
  QVERIFY(!dialog.Lines().Changed());
}

void TestSkyChart::storedLines_data()
{
  QTest::addColumn<QString>("horizon");
  QTest::addColumn<int>("seen");

  QStringList full;
  for (int i = 0; i < SkyLines::HorizonCount; ++i)
    full << (i == 3 ? QStringLiteral("47.00") : QStringLiteral("-1.00"));
  QTest::newRow("180 parts, -1.00 unseen") << full.join(',') << 1;
  QStringList short179 = full.mid(1);
  QTest::newRow("179 parts ignored") << short179.join(',') << 0;
  QStringList bad = full;
  bad[5] = QStringLiteral("abc");
  bad[6] = QStringLiteral("91");
  bad[7] = QStringLiteral("90");
  QTest::newRow("unreadable and out-of-range parts") << bad.join(',') << 2;
  QTest::newRow("missing") << QString() << 0;
}

void TestSkyChart::storedLines()
{
  QFETCH(QString, horizon);
  QFETCH(int, seen);
  QSettings().setValue(QLatin1String(SkyLineKeys::HorizonLine), horizon);
  SatAzElChartDialog dialog;
  QCOMPARE(SeenCount(dialog.Lines().Horizon().data(), SkyLines::HorizonCount), seen);
  if (seen)
    QCOMPARE(dialog.Lines().Horizon()[3], 47.0);
}

void TestSkyChart::resetStoresUnseenLines()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  const Records records = Array({Sat(3, 30, 47), Sat(4, 60, 200)});
  dialog.UpdateSatellites(records.data());
  QVERIFY(dialog.HorizonSeries()->at(23).y() > 0);

  dialog.findChild<QPushButton *>(QStringLiteral("IDC_HORIZON_RESET_BUTTON"))->click();
  const QStringList horizon = StoredParts(SkyLineKeys::HorizonLine);
  const QStringList skyHole = StoredParts(SkyLineKeys::SkyHoleLine);
  QCOMPARE(horizon.size(), 180);
  QCOMPARE(skyHole.size(), 36);
  QCOMPARE(horizon.count(QStringLiteral("-1.00")), 180);
  QCOMPARE(skyHole.count(QStringLiteral("-1.00")), 36);
  for (const QPointF &p : dialog.HorizonSeries()->points())
    QCOMPARE(p.y(), 0.0);
}

void TestSkyChart::linesSavedAtShutDownEvenIfNeverShown()
{
  {
    SatAzElChartDialog dialog;
    const Records records = Array({Sat(3, 30, 47)});
    dialog.UpdateSatellites(records.data());
  }
  const QStringList horizon = StoredParts(SkyLineKeys::HorizonLine);
  QCOMPARE(horizon.size(), 180);
  QCOMPARE(horizon[23], QStringLiteral("60.00"));
  QCOMPARE(StoredParts(SkyLineKeys::SkyHoleLine)[4], QStringLiteral("60.00"));
}

// A real receiver's satellites, replayed through the window, teach the
// horizon; a restarted program draws the same line.
void TestSkyChart::horizonLearntFromCaptureAndRestored()
{
  RIDUDER_REQUIRE_CAPTURES();
  bool ok = false;
  const QByteArray bytes = riduder::test::ReadCapture(QStringLiteral("oncore/oncore-m12.log"), &ok);
  QVERIFY(ok);
  std::array<double, SkyLines::HorizonCount> learnt{};
  {
    riduder::test::WindowOnSimulator rig(
        riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 115200));
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    QVERIFY(rig.Replay(bytes.left(60000)));
    auto *chart = rig.Window().findChild<SatAzElChartDialog *>();
    QVERIFY(chart);
    learnt = chart->Lines().Horizon();
    QVERIFY2(SeenCount(learnt.data(), SkyLines::HorizonCount) >= 3, "the capture's satellites draw a horizon");
  }  // shut-down saves the lines

  SatAzElChartDialog restarted;
  QCOMPARE(restarted.Lines().Horizon(), learnt);
  Show(restarted);
  for (int i = 0; i < SkyLines::HorizonCount; ++i)
    QCOMPARE(restarted.HorizonSeries()->at(i).y(), std::max(learnt[i], 0.0));
}

// NAV-SVINFO marks a used satellite with bit 0 of its flags (bit 7 is
// "smoothed"): the lines of u-blox UBX receivers learn from those.
void TestSkyChart::linesLearntInUbxMode_data()
{
  QTest::addColumn<QString>("capture");
  QTest::addColumn<int>("horizonBins");  // at least
  QTest::addColumn<int>("skyHoleBins");
  QTest::newRow("Navisys GR-701W") << "ubx/navisys-gr701w.log" << 5 << 4;
  QTest::newRow("u-blox LEA-4T") << "ubx/ublox-lea-4t.log" << 5 << 5;
}

void TestSkyChart::linesLearntInUbxMode()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(QString, capture);
  QFETCH(int, horizonBins);
  QFETCH(int, skyHoleBins);
  SkyLinesReplay replay(GpsModeUbloxUbx, GpsRxModel::Unknown);
  QVERIFY(replay.Run(capture));
  const SkyLines &lines = replay.lines;
  QVERIFY(SeenCount(lines.Horizon().data(), SkyLines::HorizonCount) >= horizonBins);
  QVERIFY(SeenCount(lines.SkyHole().data(), SkyLines::SkyHoleCount) >= skyHoleBins);
}

// The Oncore modes and the NMEA sentences mark a used satellite with bit 7:
// their lines are those the chart always learnt from these captures.
void TestSkyChart::linesOfOncoreAndNmeaCaptures_data()
{
  QTest::addColumn<QString>("capture");
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("model");
  QTest::addColumn<QString>("horizon");
  QTest::addColumn<QString>("skyHole");
  QTest::newRow("Oncore M12, binary") << "oncore/oncore-m12.log" << int(GpsModeMotorolaBinary) << int(GpsRxModel::M12)
      << "30:49 36:35 50:64 69:36 106:21 136:44 146:56" << "6:49 7:35 10:64 13:35 21:21 27:44 29:56";
  QTest::newRow("Oncore GT+, NMEA") << "nmea/oncore.log" << int(GpsModeMotorolaNmea) << int(GpsRxModel::Unknown)
      << "97:51 121:47 149:57" << "19:50 24:47 29:57";
  QTest::newRow("HP 58534A, NMEA") << "nmea/hp58534a.log" << int(GpsModeGenericNmea) << int(GpsRxModel::Unknown)
      << "24:71 57:17 60:72 66:59 104:33 132:54 153:30"
      << "4:71 11:17 12:72 13:59 20:33 26:54 30:30";
  QTest::newRow("u-blox NEO-M9N, u-blox NMEA") << "nmea/ublox-neo-m9n-nmea.log" << int(GpsModeUbloxNmea) << int(GpsRxModel::Unknown)
      << "0:22 30:68 31:68 66:44 67:45 78:47 85:45 95:45 112:61 117:27 118:26 132:57 153:65 179:22"
      << "0:22 6:68 13:44 15:47 17:45 19:45 22:60 23:26 26:57 30:65 35:22";
}

void TestSkyChart::linesOfOncoreAndNmeaCaptures()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(QString, capture);
  QFETCH(int, mode);
  QFETCH(int, model);
  QFETCH(QString, horizon);
  QFETCH(QString, skyHole);
  SkyLinesReplay replay(quint32(mode), model);
  QVERIFY(replay.Run(capture));
  const SkyLines &lines = replay.lines;
  QCOMPARE(SeenBins(lines.Horizon().data(), SkyLines::HorizonCount), horizon);
  QCOMPARE(SeenBins(lines.SkyHole().data(), SkyLines::SkyHoleCount), skyHole);
}

void TestSkyChart::hoverShowsSatellite()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  // No empty balloon before the mouse is over a satellite.
  QVERIFY(!dialog.HoverCallout()->isVisible());
  const Records records = Array({Sat(12, 30, 45), Sat(17, 60, 100)});
  dialog.UpdateSatellites(records.data());

  dialog.tooltip(QPointF(100, 30), true);
  Callout *hover = dialog.HoverCallout();
  QVERIFY(hover && hover->isVisible());
  QCOMPARE(hover->anchor(), QPointF(100, 30));
  // The first hover shows its own satellite, not an earlier one.
  dialog.tooltip(QPointF(45, 60), true);
  QCOMPARE(dialog.HoverCallout()->anchor(), QPointF(45, 60));
  dialog.tooltip(QPointF(45, 60), false);
  QVERIFY(!dialog.HoverCallout()->isVisible());

  // A click pins the satellite clicked, whatever the hover showed last.
  dialog.UpdateSatellites(records.data());
  dialog.toggleCallout(QPointF(100, 30));
  QVERIFY(dialog.IsPinned(17));
  QCOMPARE(dialog.PinnedCallouts().size(), 1);
  QCOMPARE(dialog.PinnedCallouts().first()->anchor(), QPointF(100, 30));
  QVERIFY(dialog.PinnedCallouts().first()->isVisible());
}

void TestSkyChart::pinsFollowUpdatesAndReopenForgetsThem()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  Records records = Array({Sat(12, 30, 45), Sat(17, 60, 100)});
  dialog.UpdateSatellites(records.data());

  dialog.tooltip(QPointF(45, 60), true);
  dialog.toggleCallout(QPointF(45, 60));
  QVERIFY(dialog.IsPinned(12));
  QCOMPARE(dialog.PinnedCallouts().size(), 1);

  // The satellite moves: its balloon follows; no empty hover balloon comes
  // with it.
  records[0].azimuth = 47;
  dialog.UpdateSatellites(records.data());
  QCOMPARE(dialog.PinnedCallouts().size(), 1);
  QCOMPARE(dialog.PinnedCallouts().first()->anchor(), QPointF(47, 60));
  QVERIFY(dialog.PinnedCallouts().first()->isVisible());
  QVERIFY(!dialog.HoverCallout()->isVisible());

  // A second click on it unpins it.
  dialog.tooltip(QPointF(47, 60), true);
  dialog.toggleCallout(QPointF(47, 60));
  QVERIFY(!dialog.IsPinned(12));
  QVERIFY(dialog.PinnedCallouts().isEmpty());

  // Pinned again, then the window is closed and opened: pins are forgotten.
  dialog.tooltip(QPointF(47, 60), true);
  dialog.toggleCallout(QPointF(47, 60));
  dialog.close();
  QVERIFY(dialog.PinnedCallouts().isEmpty());
  Show(dialog);
  QVERIFY(!dialog.IsPinned(12));
  dialog.UpdateSatellites(records.data());
  QVERIFY(dialog.PinnedCallouts().isEmpty());
}

// The chart is replaced by the space bar while balloons hang on it; the
// dialog must then work on the new chart only. Run under AddressSanitizer by
// scripts/asan.
void TestSkyChart::spaceThenHoverUpdateAndClose()
{
  auto dialog = std::make_unique<SatAzElChartDialog>();
  Show(*dialog);
  Records records = Array({Sat(12, 30, 45), Sat(17, 60, 100), Sat(130, 20, 200)});
  dialog->UpdateSatellites(records.data());
  dialog->tooltip(QPointF(45, 60), true);
  dialog->toggleCallout(QPointF(45, 60));
  dialog->tooltip(QPointF(100, 30), true);
  QCOMPARE(dialog->PinnedCallouts().size(), 1);
  QChart *before = dialog->Chart();

  QTest::keyClick(dialog->ChartView(), Qt::Key_Space);
  QChart *after = dialog->Chart();
  QVERIFY(after != before);
  QCOMPARE(dialog->ChartView()->chart(), after);
  QCOMPARE(after->chartType(), QChart::ChartTypeCartesian);
  QVERIFY(dialog->PinnedCallouts().isEmpty());
  QVERIFY(dialog->IsPinned(12));
  QVERIFY(dialog->HoverCallout());
  QCOMPARE(dialog->HoverCallout()->parentItem(), after);
  QVERIFY(!dialog->HoverCallout()->isVisible());

  dialog->tooltip(QPointF(100, 30), true);
  QVERIFY(dialog->HoverCallout()->isVisible());
  records[0].elevation = 31;
  dialog->UpdateSatellites(records.data());
  QCOMPARE(dialog->PinnedCallouts().size(), 1);
  QCOMPARE(dialog->PinnedCallouts().first()->parentItem(), after);
  QCOMPARE(dialog->PinnedCallouts().first()->anchor(), QPointF(45, 59));
  dialog->grab();  // paints the balloons on the new chart
  dialog->resize(dialog->size() + QSize(20, 20));
  QCoreApplication::processEvents();

  dialog->close();
  dialog->tooltip(QPointF(100, 30), false);
  dialog.reset();
}

void TestSkyChart::twoSpacesRestoreThePolarChart()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  const QString title = dialog.Chart()->title();
  const QList<QAbstractSeries *> series = dialog.Chart()->series();
  SatAzElChart *view = dialog.ChartView();
  QTest::keyClick(view, Qt::Key_Space);
  QTest::keyClick(view, Qt::Key_Space);
  QChart *chart = dialog.Chart();
  QVERIFY(qobject_cast<QPolarChart *>(chart));
  QCOMPARE(chart->title(), title);
  QCOMPARE(chart->series(), series);
  const QList<QAbstractAxis *> axes = chart->axes();
  QCOMPARE(axes.size(), 2);
  QList<QPair<double, double>> ranges;
  for (QAbstractAxis *axis : axes) {
    auto *values = qobject_cast<QValueAxis *>(axis);
    QVERIFY(values);
    ranges << qMakePair(values->min(), values->max());
  }
  QVERIFY(ranges.contains(qMakePair(0.0, 360.0)));
  QVERIFY(ranges.contains(qMakePair(0.0, 90.0)));
  for (QAbstractSeries *s : series)
    QCOMPARE(s->attachedAxes().size(), 2);
}

// The words of the chart's title as the scene shows them.
QString ShownTitle(QChart *chart)
{
  for (QGraphicsItem *item : chart->childItems())
    if (auto *text = dynamic_cast<QGraphicsTextItem *>(item))
      if (text->toPlainText().contains(QLatin1String("arrow")))
        return text->toPlainText().simplified();
  return QString();
}

// At the window's own size the hint shows whole, on the polar chart and on
// the cartesian one Space switches to.
void TestSkyChart::hintShownWholeOnEitherChart()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  const QString hint = QStringLiteral("Use arrow keys to scroll, +/- to zoom, and space to switch chart type.");
  QCOMPARE(ShownTitle(dialog.Chart()), hint);
  QTest::keyClick(dialog.ChartView(), Qt::Key_Space);
  QCoreApplication::processEvents();
  QVERIFY(!qobject_cast<QPolarChart *>(dialog.Chart()));
  QCOMPARE(ShownTitle(dialog.Chart()), hint);
}

void TestSkyChart::cursorTextOnlyOnThePolarChart()
{
  SatAzElChartDialog dialog;
  Show(dialog);
  SatAzElChart *view = dialog.ChartView();
  QSignalSpy spy(view, &SatAzElChart::sendAzElMessage);
  const QPoint inside = view->mapFromScene(dialog.Chart()->mapToPosition(QPointF(90, 45)));
  QTest::mouseMove(view->viewport(), inside);
  QTRY_VERIFY(!spy.isEmpty());
  const QString text = spy.last().first().toString();
  QVERIFY2(text.startsWith(QLatin1String("Az: ")) && text.contains(QLatin1String("   El: ")), qPrintable(text));
  QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("AzElLabel"))->text(), text);

  QTest::keyClick(view, Qt::Key_Space);
  spy.clear();
  QTest::mouseMove(view->viewport(), inside + QPoint(3, 3));
  QTest::mouseMove(view->viewport(), inside);
  QCoreApplication::processEvents();
  QVERIFY(spy.isEmpty());
}

void TestSkyChart::emptyCalloutHasItsBox()
{
  QChart chart;
  Callout callout(&chart);
  callout.setText(QString());
  const QFontMetricsF metrics(QFont(QStringLiteral("Veranda"), 8));
  const QRectF box = callout.boundingRect();
  QVERIFY(box.width() >= 10 + metrics.horizontalAdvance(QStringLiteral("99999")) - 0.01);
  QVERIFY(box.height() >= 10 + metrics.height() - 0.01);
}

RIDUDER_TEST_MAIN(TestSkyChart)
#include "tst_skychart.moc"
