#include "TestMain.h"

#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsDateTime.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "receiver/decode/GpsRxModel.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>
#include <memory>

using namespace dialogtest;

namespace {

QLineEdit *Field(QDialog &d, const QString &name) { return d.findChild<QLineEdit *>(name); }
QPushButton *Button(QDialog &d, const char *name) { return d.findChild<QPushButton *>(name); }
QCheckBox *CheckBox(QDialog &d, const char *name) { return d.findChild<QCheckBox *>(name); }
QString Stored(const char *key) { return QSettings().value(QLatin1String(key)).toString(); }

GpsDateTime TimeAt(const QString &iso)
{
  GpsDateTime t;
  t.SetDateTime(QDateTime::fromString(iso, Qt::ISODate));
  return t;
}

// Locks the engine (timing mode, 8 satellites) and averages the fixes as
// 3-D fixes.
void Average(GpsNavDialog &nav, const QList<GeoPosition> &fixes)
{
  nav.SetSatsTracked(8);
  nav.SetNavMode(3);
  QCOMPARE(nav.LockStatusText(2, TimeAt(QStringLiteral("2026-01-05T06:07:08Z"))), 1);
  for (const GeoPosition &f : fixes)
    nav.UpdateAverages(f.latitude, f.longitude, f.gpsAltitude, f.mslAltitude, 2);
}

struct Snapshot {
  GeoPosition average;
  double positionCounter = 0;
  double rmsCounter = 0;
  double timingCounter = 0;
  double rmsLatitude = 0;
};

Snapshot Take(const GpsNavDialog &nav)
{
  const PositionAverages &a = nav.Averages();
  return {a.Averages(), a.PositionCounter(), a.RmsCounter(), a.TimingCounter(), a.Rms().latitude.refAvg};
}

void CompareSnapshots(const Snapshot &a, const Snapshot &b, bool withRms = true)
{
  QCOMPARE(a.average.latitude, b.average.latitude);
  QCOMPARE(a.average.longitude, b.average.longitude);
  QCOMPARE(a.average.gpsAltitude, b.average.gpsAltitude);
  QCOMPARE(a.average.mslAltitude, b.average.mslAltitude);
  QCOMPARE(a.positionCounter, b.positionCounter);
  QCOMPARE(a.rmsCounter, b.rmsCounter);
  QCOMPARE(a.timingCounter, b.timingCounter);
  if (withRms)
    QCOMPARE(a.rmsLatitude, b.rmsLatitude);
}

const QList<GeoPosition> kFixes = {{51.50010, -0.10020, 95.0, 49.0},
                                   {51.50012, -0.10018, 97.0, 51.0},
                                   {51.50008, -0.10022, 93.0, 47.0}};

const char *const kLimitFields[] = {"IDC_POS_FILTER_LIMIT", "IDC_RMS_FILTER_LIMIT", "IDC_TIMING_FILTER_LIMIT"};
const char *const kWeightFields[] = {"IDC_HDOP_WEIGHTING_VALUE", "IDC_VDOP_WEIGHTING_VALUE",
                                     "IDC_TDOP_WEIGHTING_VALUE"};

}  // namespace

class TestNavDialog : public QObject {
  Q_OBJECT

private slots:
  void init();

  void keysAndDefaults();
  void fieldChecks_data();
  void fieldChecks();
  void okSavesCheckedValues();
  void defaultsThenCancelStoresNothing();
  void dopWeightingGreyedOnOncoreBinary();
  void errorTable();
  void errorTableEmptyUntilASample();
  void damagedStoreRepairedAndNeverShown();
  void averagesSurviveTheWindow();
  void averagesSurviveReDetectionAndRestart();
};

void TestNavDialog::init()
{
  ClearSettings();
  RecordBoxes();
  CurrentGpsMode = GpsModeUbloxUbx;
  receiverIdentity.model = GpsRxModel::Ublox;
}

void TestNavDialog::keysAndDefaults()
{
  GpsNavDialog nav;
  // Nothing is written for a fresh store, least of all a reference location.
  QVERIFY(!PositionAverages::ReferenceLocationStored());
  const int result = ExecWith(nav, [&] {
    QCOMPARE(Field(nav, "IDC_POS_FILTER_LIMIT")->text(), QString("28800"));
    QCOMPARE(Field(nav, "IDC_RMS_FILTER_LIMIT")->text(), QString("86400"));
    QCOMPARE(Field(nav, "IDC_TIMING_FILTER_LIMIT")->text(), QString("28800"));
    QCOMPARE(Field(nav, "IDC_HDOP_WEIGHTING_VALUE")->text(), QString("1.5"));
    QCOMPARE(Field(nav, "IDC_VDOP_WEIGHTING_VALUE")->text(), QString("2.0"));
    QCOMPARE(Field(nav, "IDC_TDOP_WEIGHTING_VALUE")->text(), QString("1.5"));
    QVERIFY(CheckBox(nav, "IDC_USE_DOP_WEIGHTING")->isChecked());
    QVERIFY(CheckBox(nav, "IDC_RESTART_AVG_ON_UNLOCK")->isChecked());
    QVERIFY(!CheckBox(nav, "IDC_CONT_ON_PROG_RESTART")->isChecked());
    QVERIFY(Button(nav, "OK")->isEnabled());
    Button(nav, "OK")->click();
  });
  QCOMPARE(result, 1);
  QCOMPARE(Stored(GpsNavKeys::PositionWeightLimit), QString("028800.0"));
  QCOMPARE(Stored(GpsNavKeys::RmsWeightLimit), QString("086400.0"));
  QCOMPARE(Stored(GpsNavKeys::TimingWeightLimit), QString("028800.0"));
  QCOMPARE(Stored(GpsNavKeys::HdopWeight), QString("01.5"));
  QCOMPARE(Stored(GpsNavKeys::VdopWeight), QString("02.0"));
  QCOMPARE(Stored(GpsNavKeys::TdopWeight), QString("01.5"));
  QCOMPARE(QSettings().value(GpsNavKeys::UseDopWeighting).toBool(), true);
  QCOMPARE(QSettings().value(GpsNavKeys::RestartOnUnlock).toBool(), true);
  QCOMPARE(QSettings().value(GpsNavKeys::RestartOnStartup).toBool(), false);
  QCOMPARE(QSettings().value(GpsNavKeys::RefLocOnStart).toBool(), true);
  QVERIFY(QSettings().contains(QLatin1String("GpsNavDialog/geometry")));
  QVERIFY(Boxes().isEmpty());
}

void TestNavDialog::fieldChecks_data()
{
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<QString>("title");  // of the box on leaving; empty: none
  QTest::addColumn<QString>("message");

  const QString range = "Field is out of range.\nMust be between 1 and 999999";
  const QString weightRange = "Field is out of range.\nMust be between 0 and 99.0";
  const QString extra = "Extraineous characters in the field.";
  for (const char *limit : kLimitFields) {
    const QString f = QLatin1String(limit);
    QTest::addRow("%s 1", limit) << f << "1" << true << "" << "";
    QTest::addRow("%s 999999", limit) << f << "999999" << true << "" << "";
    QTest::addRow("%s 0 divides by zero", limit) << f << "0" << false << "Numeric Error" << range;
    QTest::addRow("%s 1000000", limit) << f << "1000000" << false << "Numeric Error" << range;
    QTest::addRow("%s x12", limit) << f << "x12" << false << "Error" << extra;
    QTest::addRow("%s 12a", limit) << f << "12a" << false << "Error" << extra;
    QTest::addRow("%s empty", limit) << f << "" << false << "" << "";
  }
  for (const char *weight : kWeightFields) {
    const QString f = QLatin1String(weight);
    QTest::addRow("%s 0.1", weight) << f << "0.1" << true << "" << "";
    QTest::addRow("%s 99", weight) << f << "99" << true << "" << "";
    QTest::addRow("%s 0 freezes the averages", weight) << f << "0" << false << "Numeric Error" << weightRange;
    QTest::addRow("%s 99.5", weight) << f << "99.5" << false << "Numeric Error" << weightRange;
    QTest::addRow("%s x1.5", weight) << f << "x1.5" << false << "Error" << extra;
  }
}

void TestNavDialog::fieldChecks()
{
  QFETCH(QString, field);
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(QString, title);
  QFETCH(QString, message);

  GpsNavDialog nav;
  ExecWith(nav, [&] {
    QLineEdit *edit = Field(nav, field);
    TypeInto(edit, text);
    QCOMPARE(IsRed(edit), !valid);
    QCOMPARE(Button(nav, "OK")->isEnabled(), valid);
    Leave(edit);
    if (title.isEmpty()) {
      QVERIFY(Boxes().isEmpty());
    } else {
      QCOMPARE(Boxes().size(), 1);
      QCOMPARE(Boxes().first().title, title);
      QCOMPARE(Boxes().first().text, message);
    }
    // Back to a good value: OK comes back.
    TypeInto(edit, QStringLiteral("2"));
    QVERIFY(!IsRed(edit));
    QVERIFY(Button(nav, "OK")->isEnabled());
    Button(nav, "CANCEL")->click();
  });
}

void TestNavDialog::okSavesCheckedValues()
{
  GpsNavDialog nav;
  const int result = ExecWith(nav, [&] {
    TypeInto(Field(nav, "IDC_POS_FILTER_LIMIT"), "+3600");
    TypeInto(Field(nav, "IDC_RMS_FILTER_LIMIT"), " 7200 ");
    TypeInto(Field(nav, "IDC_TIMING_FILTER_LIMIT"), "60");
    TypeInto(Field(nav, "IDC_HDOP_WEIGHTING_VALUE"), "2.5");
    TypeInto(Field(nav, "IDC_VDOP_WEIGHTING_VALUE"), "0.5");
    TypeInto(Field(nav, "IDC_TDOP_WEIGHTING_VALUE"), "12");
    CheckBox(nav, "IDC_USE_DOP_WEIGHTING")->setChecked(false);
    CheckBox(nav, "IDC_RESTART_AVG_ON_UNLOCK")->setChecked(false);
    CheckBox(nav, "IDC_CONT_ON_PROG_RESTART")->setChecked(true);
    Button(nav, "OK")->click();
  });
  QCOMPARE(result, 1);
  const PositionAverages &a = nav.Averages();
  QCOMPARE(a.PositionWeightLimit(), 3600.0);
  QCOMPARE(a.RmsWeightLimit(), 7200.0);
  QCOMPARE(a.TimingWeightLimit(), 60.0);
  QCOMPARE(a.HdopWeight(), 2.5);
  QCOMPARE(a.VdopWeight(), 0.5);
  QCOMPARE(a.TdopWeight(), 12.0);
  QVERIFY(!a.UseDopWeighting());
  QVERIFY(!a.RestartOnUnlock());
  QVERIFY(a.ContinueOnProgramRestart());
  QCOMPARE(Stored(GpsNavKeys::PositionWeightLimit), QString("003600.0"));
  QCOMPARE(Stored(GpsNavKeys::RmsWeightLimit), QString("007200.0"));
  QCOMPARE(Stored(GpsNavKeys::TimingWeightLimit), QString("000060.0"));
  QCOMPARE(Stored(GpsNavKeys::HdopWeight), QString("02.5"));
  QCOMPARE(Stored(GpsNavKeys::VdopWeight), QString("00.5"));
  QCOMPARE(Stored(GpsNavKeys::TdopWeight), QString("12.0"));
  QCOMPARE(QSettings().value(GpsNavKeys::RestartOnStartup).toBool(), true);
  QCOMPARE(QSettings().value(GpsNavKeys::RestartOnUnlock).toBool(), false);
  QVERIFY(QSettings().contains(GpsNavKeys::AveragesWeights));
}

void TestNavDialog::defaultsThenCancelStoresNothing()
{
  QSettings().setValue(GpsNavKeys::PositionWeightLimit, "000100.0");
  QSettings().setValue(GpsNavKeys::HdopWeight, "03.0");
  GpsNavDialog nav;
  const QStringList before = QSettings().allKeys();
  ExecWith(nav, [&] {
    QCOMPARE(Field(nav, "IDC_POS_FILTER_LIMIT")->text(), QString("100"));
    Button(nav, "IDC_AVERAGING_DEFAULTS")->click();
    QCOMPARE(Field(nav, "IDC_POS_FILTER_LIMIT")->text(), QString("28800"));
    QCOMPARE(Field(nav, "IDC_HDOP_WEIGHTING_VALUE")->text(), QString("1.5"));
    QVERIFY(CheckBox(nav, "IDC_CONT_ON_PROG_RESTART")->isChecked());
    Button(nav, "CANCEL")->click();
  });
  QCOMPARE(Stored(GpsNavKeys::PositionWeightLimit), QString("000100.0"));
  QCOMPARE(nav.Averages().PositionWeightLimit(), 100.0);
  QCOMPARE(nav.Averages().HdopWeight(), 3.0);
  QStringList after = QSettings().allKeys();
  after.removeAll(QStringLiteral("GpsNavDialog/geometry"));
  QCOMPARE(after, before);
  ExecWith(nav, [&] {
    QCOMPARE(Field(nav, "IDC_POS_FILTER_LIMIT")->text(), QString("100"));
    QCOMPARE(Field(nav, "IDC_HDOP_WEIGHTING_VALUE")->text(), QString("3.0"));
    Button(nav, "CANCEL")->click();
  });
}

void TestNavDialog::dopWeightingGreyedOnOncoreBinary()
{
  QSettings().setValue(GpsNavKeys::UseDopWeighting, true);
  CurrentGpsMode = GpsModeMotorolaBinary;
  receiverIdentity.model = GpsRxModel::M12;
  GpsNavDialog nav;
  ExecWith(nav, [&] {
    QVERIFY(!CheckBox(nav, "IDC_USE_DOP_WEIGHTING")->isChecked());
    QVERIFY(!CheckBox(nav, "IDC_USE_DOP_WEIGHTING")->isEnabled());
    for (const char *weight : kWeightFields)
      QVERIFY(!Field(nav, weight)->isEnabled());
    Button(nav, "IDC_AVERAGING_DEFAULTS")->click();
    QVERIFY(!CheckBox(nav, "IDC_USE_DOP_WEIGHTING")->isChecked());
    Button(nav, "OK")->click();
  });
  QVERIFY(!nav.Averages().UseDopWeighting());
}

// Reference (0, 0, 0 m, 0 m), weighting off, one 3-D fix 11.11 m north and
// 10 m up: the first pass copies the fix into the averages, the counters
// stand at 2, so each mean square is half its term squared.
void TestNavDialog::errorTable()
{
  GpsNavDialog nav;
  nav.Averages().SetUseDopWeighting(false);
  nav.SetReferenceLocation(0.0, 0.0, 0.0, 0.0);
  Average(nav, {{0.0001, 0.0, 10.0, -12.0}});
  auto *table = nav.findChild<QTableWidget *>(QStringLiteral("AveragingTableWidget"));
  ExecWith(nav, [&] {
    const QStringList header = {"", "Latitude", "Longitude", "- 2D -", "Alt(GPS)", "Alt(MSL)"};
    const QStringList rows = {"Ref-Avg (m)", "RMS:", "Avg-Cur (m)", "RMS:", "Ref-Cur (m)", "RMS:"};
    for (int column = 1; column < 6; ++column)
      QCOMPARE(table->item(0, column)->text(), header[column]);
    for (int row = 1; row < 7; ++row)
      QCOMPARE(table->item(row, 0)->text(), rows[row - 1]);
    const QStringList expected[6] = {
        {" -11.11", "   0.00", "   11.11", " -10.00", "  12.00"},  // ref-avg
        {"   7.86", "   0.00", "    7.86", "   7.07", "   8.49"},  // its RMS
        {"   0.00", "   0.00", "    0.00", "   0.00", "   0.00"},  // avg-cur
        {"   0.00", "   0.00", "    0.00", "   0.00", "   0.00"},
        {" -11.11", "   0.00", "   11.11", " -10.00", "  12.00"},  // ref-cur
        {"   7.86", "   0.00", "    7.86", "   7.07", "   8.49"},
    };
    for (int row = 1; row < 7; ++row)
      for (int column = 1; column < 6; ++column)
        QCOMPARE(table->item(row, column)->text(), expected[row - 1][column - 1]);
    QCOMPARE(nav.findChild<QLabel *>("IDC_POS_FILTER_COUNTER")->text(), QString("2"));
    QCOMPARE(nav.findChild<QLabel *>("IDC_LOCKED_SINCE")->text(), QString("05-Jan-2026 06:07:08 UTC"));
    QCOMPARE(nav.findChild<QLabel *>("IDC_UNLOCK_COUNTER")->text(), QString("0"));
    Button(nav, "CANCEL")->click();
  });
}

namespace {

// Which value cells of the error table the dialog shows: per row, "x" for a
// number and "-" for an empty cell, columns Latitude to Alt(MSL).
QStringList ShownErrorCells(GpsNavDialog &nav)
{
  QStringList rows;
  ExecWith(nav, [&] {
    auto *table = nav.findChild<QTableWidget *>(QStringLiteral("AveragingTableWidget"));
    for (int row = 1; row < 7; ++row) {
      QString cells;
      for (int column = 1; column < 6; ++column)
        cells += table->item(row, column)->text().isEmpty() ? QLatin1Char('-') : QLatin1Char('x');
      rows << cells;
    }
    Button(nav, "CANCEL")->click();
  });
  return rows;
}

}  // namespace

// Before any sample the table is empty, not a column of 0.00 m; a 2-D fix
// fills the horizontal columns only; restored mean squares show their RMS
// before the first fix of the run.
void TestNavDialog::errorTableEmptyUntilASample()
{
  {
    GpsNavDialog nav;
    QCOMPARE(ShownErrorCells(nav), QStringList(6, QStringLiteral("-----")));
    nav.SetSatsTracked(8);
    nav.SetNavMode(2);
    QCOMPARE(nav.LockStatusText(2, TimeAt(QStringLiteral("2026-01-05T06:07:08Z"))), 1);
    nav.UpdateAverages(51.5, -0.1, 95.0, 49.0, 2);
    QCOMPARE(ShownErrorCells(nav), QStringList(6, QStringLiteral("xxx--")));
  }

  QSettings settings;
  settings.setValue(GpsNavKeys::AveragesPosition, "51.5 -0.1 95.0 49.0");
  settings.setValue(GpsNavKeys::RmsLat, "4.0 1.0 9.0");
  settings.setValue(GpsNavKeys::RestartOnStartup, true);
  GpsNavDialog restored;
  const QStringList termsEmpty{"-----", "xxxxx", "-----", "xxxxx", "-----", "xxxxx"};
  QCOMPARE(ShownErrorCells(restored), termsEmpty);
  // A restart of the averages empties the table again.
  restored.Averages().ResetAverages();
  QCOMPARE(ShownErrorCells(restored), QStringList(6, QStringLiteral("-----")));
}

void TestNavDialog::damagedStoreRepairedAndNeverShown()
{
  QSettings settings;
  settings.setValue(GpsNavKeys::AveragesPosition, "-2147483649.0 12.0 100.0 50.0");
  settings.setValue(GpsNavKeys::RestartOnStartup, true);
  settings.setValue(GpsNavKeys::RefGpsAltitude, "1e20");
  settings.setValue(GpsNavKeys::RefMslAltitude, "-1000.5");
  settings.setValue(GpsNavKeys::HdopWeight, "0");
  GpsNavDialog nav;
  const GeoPosition average = nav.Averages().Averages();
  QCOMPARE(average.latitude, 0.0);
  QCOMPARE(average.longitude, 0.0);
  QVERIFY(nav.Averages().ResetPending());
  QCOMPARE(nav.Averages().ReferenceLocation().gpsAltitude, 0.0);
  QCOMPARE(nav.Averages().ReferenceLocation().mslAltitude, 0.0);
  QCOMPARE(Stored(GpsNavKeys::RefGpsAltitude), QString("0.0000000000000000"));
  QCOMPARE(nav.Averages().HdopWeight(), 1.5);
  QCOMPARE(Stored(GpsNavKeys::HdopWeight), QString("01.5"));
  QVERIFY(!nav.AveragePositionText(0).contains(QLatin1String("2147483649")));
}

void TestNavDialog::averagesSurviveTheWindow()
{
  GpsNavDialog nav;
  Average(nav, kFixes);
  const Snapshot gathered = Take(nav);
  QCOMPARE(gathered.positionCounter, 4.0);

  // Opened and cancelled, opened and closed from its title bar.
  ExecWith(nav, [&] { Button(nav, "CANCEL")->click(); });
  CompareSnapshots(Take(nav), gathered);
  ExecWith(nav, [&] { nav.close(); });
  CompareSnapshots(Take(nav), gathered);
  // OK keeps them too, and stores them with the options.
  ExecWith(nav, [&] { Button(nav, "OK")->click(); });
  CompareSnapshots(Take(nav), gathered);
  QVERIFY(Stored(GpsNavKeys::AveragesPosition).startsWith(QLatin1String("51.50")));
  // A later open still shows the averages gathered since.
  Average(nav, {kFixes.first()});
  const Snapshot later = Take(nav);
  ExecWith(nav, [&] { Button(nav, "CANCEL")->click(); });
  CompareSnapshots(Take(nav), later);
}

// The window over a simulated receiver: a re-detection keeps the averages,
// and a restart with "Continue on Program Restart" finds them again.
void TestNavDialog::averagesSurviveReDetectionAndRestart()
{
  QSettings().setValue(GpsNavKeys::RestartOnStartup, true);
  Snapshot gathered;
  {
    auto options = riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600);
    riduder::test::WindowOnSimulator rig(options);
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    rig.Window().Timing().SetScale(0.004);
    riduder::test::ScriptedReceiver receiver(rig.Simulator(), riduder::test::ReceiverFamily::Oncore12, 9600);
    auto *nav = rig.Window().findChild<GpsNavDialog *>();
    QVERIFY(nav);
    nav->Averages().SetUseDopWeighting(false);
    Average(*nav, kFixes);
    gathered = Take(*nav);

    rig.Window().DetectGpsReceiver();
    QVERIFY(receiver.HeardNames().contains(QStringLiteral("@@Cj")));
    // The receiver's own fixes during the set-up join the averages; what was
    // gathered before stays in them (a restart of the averages would have
    // copied the receiver's fix and begun counting again).
    const Snapshot after = Take(*nav);
    const double receiverLatitude = nav->Averages().CurrentFix().latitude;
    QVERIFY2(std::fabs(gathered.average.latitude - receiverLatitude) > 1.0, "the receiver reports another place");
    QVERIFY(after.positionCounter >= gathered.positionCounter);
    QVERIFY(std::fabs(after.average.latitude - receiverLatitude) > 0.1);
    gathered = after;
  }  // shut-down writes the averages

  // The receiver's fixes lie some 1000 km from the reference: mean squares
  // that large are not kept by the store.
  GpsNavDialog restarted;
  CompareSnapshots(Take(restarted), gathered, false);

  // Without continuing, the next start begins afresh.
  QSettings().setValue(GpsNavKeys::RestartOnStartup, false);
  GpsNavDialog fresh;
  QCOMPARE(fresh.Averages().PositionCounter(), 1.0);
  QVERIFY(fresh.Averages().ResetPending());
}

RIDUDER_TEST_MAIN(TestNavDialog)
#include "tst_navdialog.moc"
