#include "TestMain.h"

#include "ModalDialogs.h"
#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsDateTime.h"
#include "core/ReceiverIdentity.h"
#include "position/GeoidModel.h"
#include "position/GpsNavDialog.h"
#include "position/RefLocationDB.h"
#include "receiver/decode/GpsRxModel.h"
#include "position/ReferenceLocationDialog.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

using namespace dialogtest;

namespace {

struct Warning {
  QString title;
  QString text;
};

// A reference-location dialog whose warnings are recorded, not shown.
class Dialog {
public:
  Dialog()
  {
    dialog.SetWarningHandler([this](const QString &title, const QString &text) { warnings.append({title, text}); });
  }
  QLineEdit *Field(const char *name) { return dialog.findChild<QLineEdit *>(QLatin1String(name)); }
  QLineEdit *Latitude() { return Field("IDC_REFDLG_LATITUDE"); }
  QLineEdit *Longitude() { return Field("IDC_REFDLG_LONGITUDE"); }
  QLineEdit *Wgs84() { return Field("IDC_REFDLG_ALT_WGS84"); }
  QLineEdit *Msl() { return Field("IDC_REFDLG_ALT_MSL"); }
  QComboBox *Names() { return dialog.findChild<QComboBox *>(QStringLiteral("IDC_REFDLG_NAME")); }
  QPushButton *Button(const char *name) { return dialog.findChild<QPushButton *>(QLatin1String(name)); }
  GeoPosition Location()
  {
    GeoPosition p;
    bool onStart = false;
    dialog.GetLocation(&p.latitude, &p.longitude, &p.gpsAltitude, &p.mslAltitude, &onStart);
    return p;
  }
  void Select(const QString &name) { Names()->setCurrentIndex(Names()->findText(name)); }

  ReferenceLocationDialog dialog;
  QList<Warning> warnings;
};

double Separation(double latitude, double longitude) { return GeoidModel().GeoidSeparation(latitude, longitude); }
QString Metres(double v) { return QString::asprintf("%04.2f", v); }
QString Degrees(const char *utf8) { return QString::fromUtf8(utf8); }

// The bytes of an Oncore position after its four-letter command.
QByteArray PositionParameters(const QList<QByteArray> &heard, const char *command)
{
  for (const QByteArray &m : heard)
    if (m.startsWith(command))
      return m.mid(4, 12);
  return {};
}

// The texts of a row of the main window's position table (1 Cur, 2 Avg,
// 3 Ref).
QStringList NavRow(MainWindow &window, int row)
{
  auto *table = window.findChild<QTableWidget *>(QStringLiteral("GpsNavDataTableWidget"));
  QStringList texts;
  for (int column = 1; column <= 4; ++column)
    texts << (table->item(row, column) ? table->item(row, column)->text() : QString());
  return texts;
}

using Records = QMap<QString, QString>;

// Averages held at the end of a last run, restored at the next start-up.
void StoreAveragesOfALastRun()
{
  QSettings().setValue(GpsNavKeys::AveragesPosition,
                       QStringLiteral("52.5000000000000000 6.2500000000000000 56.0000000000000000 10.0000000000000000"));
  QSettings().setValue(GpsNavKeys::RestartOnStartup, true);
}

}  // namespace

class TestRefLocation : public QObject {
  Q_OBJECT

private slots:
  void init();

  void fromCurrentAndAverage();
  void fromCurrentOnSurveyedReceivers_data();
  void fromCurrentOnSurveyedReceivers();
  void fromAverageTakesRestoredAverages();
  void positionFilterResetHoldsTheCurrentFix();
  void typedInEachNotation_data();
  void typedInEachNotation();
  void altitudesCoupledThroughGeoid();
  void invalidLatitude();
  void refusedAltitudeIsNeverAccepted();
  void savedAndSelectedByName();
  void storedRecordsAreWhatWasAsked_data();
  void storedRecordsAreWhatWasAsked();
  void selectedRecordKeepsBothAltitudes();
  void selectedRecordFillsMissingAltitude();
  void namesWithSlashesRefused();
  void removeNames();
  void cancelLeavesTheReference();
  void storedLocationSentAtNextSetUp();
};

void TestRefLocation::init() { ClearSettings(); }

void TestRefLocation::fromCurrentAndAverage()
{
  MainWindow window;
  auto *nav = window.findChild<GpsNavDialog *>();
  auto *fromCurrent = window.findChild<QAction *>(QStringLiteral("actionfrom_Current"));
  auto *fromAverage = window.findChild<QAction *>(QStringLiteral("actionfrom_Average"));
  const GeoPosition before = nav->Averages().ReferenceLocation();

  // No position yet: each refused with its own text, nothing stored.
  const std::pair<QAction *, const char *> refusals[] = {{fromCurrent, NoPositionYetText},
                                                         {fromAverage, NoAveragesYetText}};
  for (const auto &[action, text] : refusals) {
    action->trigger();
    QCOMPARE(window.statusBar()->currentMessage(), QString::fromLatin1(text));
    QCOMPARE(nav->Averages().ReferenceLocation().latitude, before.latitude);
    QVERIFY(!PositionAverages::ReferenceLocationStored());
  }

  GpsDateTime now;
  now.SetDateTime(QDateTime::fromString(QStringLiteral("2026-01-05T06:07:08Z"), Qt::ISODate));
  nav->SetSatsTracked(8);
  nav->SetNavMode(3);
  nav->LockStatusText(2, now);
  nav->UpdateAverages(12.5, -3.25, 100.0, 50.5, 2);
  nav->UpdateAverages(12.5002, -3.2502, 102.0, 52.5, 2);

  fromCurrent->trigger();
  QSettings settings;
  QCOMPARE(settings.value(GpsNavKeys::RefLatitude).toString(), QString("12.5001999999999995"));
  QCOMPARE(settings.value(GpsNavKeys::RefLongitude).toString(), QString("-3.2502000000000000"));
  QCOMPARE(settings.value(GpsNavKeys::RefGpsAltitude).toString(), QString("102.0000000000000000"));
  QCOMPARE(settings.value(GpsNavKeys::RefMslAltitude).toString(), QString("52.5000000000000000"));
  QCOMPARE(window.State().receiverTime.Latitude(), 12.5002);

  fromAverage->trigger();
  double latitude = 0, longitude = 0, gps = 0, msl = 0;
  nav->GetAverages(&latitude, &longitude, &gps, &msl);
  QCOMPARE(nav->Averages().ReferenceLocation().latitude, latitude);
  QCOMPARE(settings.value(GpsNavKeys::RefLatitude).toString(), QString::asprintf("%018.16f", latitude));
  QCOMPARE(settings.value(GpsNavKeys::RefMslAltitude).toString(), QString::asprintf("%018.16f", msl));
  QVERIFY(PositionAverages::ReferenceLocationStored());
}

void TestRefLocation::fromCurrentOnSurveyedReceivers_data()
{
  QTest::addColumn<QString>("capture");
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<int>("model");
  // "@@Ha" with the fix byte of position hold; NAV-STATUS gpsFix 5 (time
  // only) beside NAV-POSLLH.
  QTest::newRow("M12 position hold") << "oncore/oncore-m12.log" << quint32(GpsModeMotorolaBinary)
                                     << int(GpsRxModel::M12);
  QTest::newRow("M8T time mode") << "ubx/u-blox-m8t-time.log" << quint32(GpsModeUbloxUbx)
                                 << ReceiverIdentity().model;
}

// A timing receiver after its survey reports a held position and no 2-D or
// 3-D fix: "from Current" takes the position the window shows.
void TestRefLocation::fromCurrentOnSurveyedReceivers()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(QString, capture);
  QFETCH(quint32, mode);
  QFETCH(int, model);
  bool read = false;
  const QByteArray stream = riduder::test::ReadCapture(capture, &read);
  QVERIFY(read);

  riduder::test::WindowOnSimulator::Options options;
  options.mode = mode;
  riduder::test::WindowOnSimulator road(options);
  QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
  receiverIdentity.model = model;
  MainWindow &window = road.Window();
  auto *fromCurrent = window.findChild<QAction *>(QStringLiteral("actionfrom_Current"));
  auto *nav = window.findChild<GpsNavDialog *>();
  const GeoPosition before = nav->Averages().ReferenceLocation();

  // Before any position: refused, nothing stored.
  fromCurrent->trigger();
  QCOMPARE(window.statusBar()->currentMessage(), QString::fromLatin1(NoPositionYetText));
  QVERIFY(!PositionAverages::ReferenceLocationStored());
  QCOMPARE(nav->Averages().ReferenceLocation().latitude, before.latitude);

  QVERIFY(road.Replay(stream));
  QCOMPARE(road.NavLabel()->text(), QStringLiteral("Position Hold"));
  window.UpdateClockDisplay();
  const QStringList shown = NavRow(window, 1);
  QVERIFY2(!shown.first().isEmpty() && shown != NavRow(window, 3), qPrintable(shown.join(' ')));

  fromCurrent->trigger();
  QVERIFY(PositionAverages::ReferenceLocationStored());
  window.UpdateClockDisplay();
  QCOMPARE(NavRow(window, 3), shown);
  const GeoPosition current = nav->Averages().CurrentFix();
  QSettings settings;
  QCOMPARE(settings.value(GpsNavKeys::RefLatitude).toString(), QString::asprintf("%018.16f", current.latitude));
  QCOMPARE(settings.value(GpsNavKeys::RefLongitude).toString(), QString::asprintf("%018.16f", current.longitude));
  QCOMPARE(settings.value(GpsNavKeys::RefGpsAltitude).toString(),
           QString::asprintf("%018.16f", current.gpsAltitude));
  QCOMPARE(settings.value(GpsNavKeys::RefMslAltitude).toString(),
           QString::asprintf("%018.16f", current.mslAltitude));
  QCOMPARE(window.State().receiverTime.Latitude(), current.latitude);
}

// Averages restored from the last run are a place to take, before any fix of
// this one; without them "from Average" refuses and the row stays empty.
void TestRefLocation::fromAverageTakesRestoredAverages()
{
  StoreAveragesOfALastRun();
  {
    MainWindow window;
    auto *nav = window.findChild<GpsNavDialog *>();
    QVERIFY(nav->Averages().AveragesHeld());
    window.UpdateClockDisplay();
    QCOMPARE(NavRow(window, 2).first(), Degrees("52.50000000°"));
    window.findChild<QAction *>(QStringLiteral("actionfrom_Average"))->trigger();
    QCOMPARE(QSettings().value(GpsNavKeys::RefLatitude).toString(), QString("52.5000000000000000"));
    QCOMPARE(QSettings().value(GpsNavKeys::RefMslAltitude).toString(), QString("10.0000000000000000"));
  }

  ClearSettings();
  MainWindow window;
  auto *nav = window.findChild<GpsNavDialog *>();
  window.UpdateClockDisplay();
  QCOMPARE(NavRow(window, 2), QStringList({"", "", "", ""}));
  // A time-only fix is shown but not averaged.
  GpsDateTime now;
  now.SetDateTime(QDateTime::fromString(QStringLiteral("2026-01-05T06:07:08Z"), Qt::ISODate));
  nav->SetSatsTracked(8);
  nav->SetNavMode(0);
  nav->LockStatusText(2, now);
  nav->UpdateAverages(12.5, -3.25, 100.0, 50.5, 2);
  nav->UpdateAverages(12.5, -3.25, 100.0, 50.5, 2);
  window.UpdateClockDisplay();
  QCOMPARE(NavRow(window, 2), QStringList({"", "", "", ""}));
  window.findChild<QAction *>(QStringLiteral("actionfrom_Average"))->trigger();
  QCOMPARE(window.statusBar()->currentMessage(), QString::fromLatin1(NoAveragesYetText));
  QVERIFY(!PositionAverages::ReferenceLocationStored());
  // The first 3-D fix fills it.
  nav->SetNavMode(3);
  nav->UpdateAverages(12.5, -3.25, 100.0, 50.5, 2);
  window.UpdateClockDisplay();
  QCOMPARE(NavRow(window, 2).first(), Degrees("12.50000000°"));
}

// A receiver in position hold reports fixes that are not averaged: Reset of
// the position filter makes the current fix the averages, which OK stores and
// "from Average" takes.
void TestRefLocation::positionFilterResetHoldsTheCurrentFix()
{
  StoreAveragesOfALastRun();
  MainWindow window;
  auto *nav = window.findChild<GpsNavDialog *>();
  QVERIFY(nav->Averages().AveragesHeld());

  GpsDateTime now;
  now.SetDateTime(QDateTime::fromString(QStringLiteral("2026-01-05T06:07:08Z"), Qt::ISODate));
  nav->SetSatsTracked(8);
  nav->SetNavMode(1);  // "Acquiring Satellites or Position Hold"
  nav->LockStatusText(2, now);
  for (int i = 0; i < 3; ++i)
    nav->UpdateAverages(12.5, -3.25, 100.0, 50.5, 2);

  const int result = ExecWith(*nav, [&] {
    nav->findChild<QPushButton *>(QStringLiteral("IDC_POS_FILTER_RESET"))->click();
    nav->findChild<QPushButton *>(QStringLiteral("OK"))->click();
  });
  QCOMPARE(result, 1);
  QCOMPARE(QSettings().value(GpsNavKeys::AveragesPosition).toString(),
           QStringLiteral("12.5000000000000000 -3.2500000000000000 100.0000000000000000 50.5000000000000000"));
  window.UpdateClockDisplay();
  QCOMPARE(NavRow(window, 2), NavRow(window, 1));

  window.findChild<QAction *>(QStringLiteral("actionfrom_Average"))->trigger();
  QVERIFY(window.statusBar()->currentMessage() != QString::fromLatin1(NoAveragesYetText));
  QCOMPARE(QSettings().value(GpsNavKeys::RefLatitude).toString(), QString("12.5000000000000000"));
  QCOMPARE(QSettings().value(GpsNavKeys::RefMslAltitude).toString(), QString("50.5000000000000000"));
}

void TestRefLocation::typedInEachNotation_data()
{
  QTest::addColumn<int>("notation");
  QTest::addColumn<QString>("latitude");
  QTest::addColumn<QString>("longitude");
  QTest::addColumn<QString>("latitudeShown");
  QTest::addColumn<QString>("longitudeShown");
  QTest::addColumn<double>("latitudeValue");
  QTest::addColumn<double>("longitudeValue");

  QTest::newRow("decimal degrees") << 0 << "47.2085" << "-8.5" << Degrees("47.2085000°") << Degrees("-8.5000000°")
                                   << 47.2085 << -8.5;
  QTest::newRow("degrees and minutes") << 1 << "47 12.5" << "8 30 W" << Degrees("47°  12.50000'")
                                       << Degrees("-08°  30.00000'") << 47.208333333333333 << -8.5;
  QTest::newRow("degrees, minutes and seconds")
      << 2 << "47 12 30.5 N" << "-0 30" << Degrees("47°   12'  30.5000\"") << Degrees("-00°   30'   0.0000\"")
      << 47.208472222222222 << -0.5;
}

void TestRefLocation::typedInEachNotation()
{
  QFETCH(int, notation);
  QFETCH(QString, latitude);
  QFETCH(QString, longitude);
  QFETCH(QString, latitudeShown);
  QFETCH(QString, longitudeShown);
  QFETCH(double, latitudeValue);
  QFETCH(double, longitudeValue);

  Dialog d;
  d.dialog.SetLatLonFormat(notation);
  d.dialog.SetLocation(1.0, 2.0, 10.0, 5.0, true);
  const int result = ExecWith(d.dialog, [&] {
    TypeInto(d.Latitude(), latitude);
    Leave(d.Latitude());
    TypeInto(d.Longitude(), longitude);
    Leave(d.Longitude());
    QCOMPARE(d.Latitude()->text(), latitudeShown);
    QCOMPARE(d.Longitude()->text(), longitudeShown);
    d.Button("OK")->click();
  });
  QCOMPARE(result, 1);
  QVERIFY(d.warnings.isEmpty());
  QCOMPARE(d.Location().latitude, latitudeValue);
  QCOMPARE(d.Location().longitude, longitudeValue);
  QCOMPARE(d.Location().gpsAltitude, 10.0);
}

void TestRefLocation::altitudesCoupledThroughGeoid()
{
  Dialog d;
  d.dialog.SetLocation(12.5, -3.25, 0.0, 0.0, true);
  const double n = Separation(12.5, -3.25);
  QVERIFY(std::fabs(n) > 1.0);
  ExecWith(d.dialog, [&] {
    QCOMPARE(d.Field("IDC_REFDLG_GEDIFF_MODEL")->text(), Metres(n));
    TypeInto(d.Wgs84(), "100");
    QCOMPARE(d.Msl()->text(), Metres(100 - n));
    TypeInto(d.Msl(), "130");
    QCOMPARE(d.Wgs84()->text(), Metres(130 + n));

    TypeInto(d.Msl(), "abc");
    QCOMPARE(d.Wgs84()->text(), QString("???"));
    QVERIFY(IsRed(d.Wgs84()));
    QVERIFY(IsRed(d.Msl()));
    QVERIFY(!d.Button("OK")->isEnabled());
    QVERIFY(!d.Button("IDC_REFDLG_SAVE_NAME")->isEnabled());

    TypeInto(d.Msl(), "130");
    QVERIFY(d.Button("OK")->isEnabled());
    d.Button("OK")->click();
  });
  QCOMPARE(d.Location().mslAltitude, 130.0);
  QCOMPARE(d.Location().gpsAltitude, 130.0 + n);
  // Both altitudes were set by one edit: OK raised no altitude warning.
  QVERIFY(d.warnings.isEmpty());
}

void TestRefLocation::invalidLatitude()
{
  Dialog d;
  ExecWith(d.dialog, [&] {
    TypeInto(d.Latitude(), "91");
    QVERIFY(IsRed(d.Latitude()));
    QVERIFY(!d.Button("OK")->isEnabled());
    QVERIFY(!d.Button("IDC_REFDLG_SAVE_NAME")->isEnabled());
    Leave(d.Latitude());
    QCOMPARE(d.warnings.size(), 1);
    QCOMPARE(d.warnings.first().text, QString("Degrees field out of range.\nDegrees must be between -90.0 and +90.0"));
    QCOMPARE(d.Latitude()->text(), QString("91"));
    d.Button("CANCEL")->click();
  });
}

// OK is on only while every field reads, whichever was typed last, and OK
// itself checks the altitudes once more before anything is kept.
void TestRefLocation::refusedAltitudeIsNeverAccepted()
{
  Dialog d;
  d.dialog.SetLocation(12.5, -3.25, 40.0, 20.0, true);
  const int result = ExecWith(d.dialog, [&] {
    TypeInto(d.Wgs84(), "12x3abc");
    QVERIFY(!d.Button("OK")->isEnabled());
    TypeInto(d.Latitude(), "12.5");
    QVERIFY(!d.Button("OK")->isEnabled());
    QVERIFY(!d.Button("IDC_REFDLG_SAVE_NAME")->isEnabled());

    TypeInto(d.Msl(), "130");
    QVERIFY(d.Button("OK")->isEnabled());
    d.Wgs84()->setText(QStringLiteral("12x"));  // not through typing
    d.warnings.clear();
    d.Button("OK")->click();
    QVERIFY(d.dialog.isVisible());
    QVERIFY(!d.warnings.isEmpty());
    d.Button("CANCEL")->click();
  });
  QCOMPARE(result, 0);
}

void TestRefLocation::storedRecordsAreWhatWasAsked_data()
{
  // Each opening of Manual Entry is a list of steps: "type NAME" types into
  // the name box and leaves it, "pick NAME" picks from its list, "position"
  // types 12.5, -3.25 and 100 m, "start off" clears the start-up box, and
  // "save", "ok", "cancel" press the buttons.
  QTest::addColumn<QList<QStringList>>("openings");
  // The records afterwards: "typed" for the typed position, "as before" for
  // the record stored before.
  QTest::addColumn<QMap<QString, QString>>("records");
  QTest::addColumn<bool>("loadOnStart");

  using Records = QMap<QString, QString>;
  QTest::newRow("a name that begins another is its own record")
      << QList<QStringList>{{"position", "type Base", "save", "ok"}}
      << Records{{"Base", "typed"}, {"Base2", "as before"}, {"Home", "as before"}} << true;
  QTest::newRow("a name differing only in case is its own record")
      << QList<QStringList>{{"position", "type home", "save", "cancel"}}
      << Records{{"Base2", "as before"}, {"Home", "as before"}, {"home", "typed"}} << true;
  QTest::newRow("an existing name typed exactly takes the typed position")
      << QList<QStringList>{{"position", "type Home", "ok"}}
      << Records{{"Base2", "as before"}, {"Home", "typed"}} << true;
  QTest::newRow("a name picked and cancelled is gone at the next opening")
      << QList<QStringList>{{"pick Home", "cancel"}, {"position", "ok"}}
      << Records{{"Base2", "as before"}, {"Home", "as before"}} << true;
  QTest::newRow("a name picked and changed is stored when asked")
      << QList<QStringList>{{"pick Home", "position", "ok"}}
      << Records{{"Base2", "as before"}, {"Home", "typed"}} << true;
  QTest::newRow("the start-up box is stored by OK")
      << QList<QStringList>{{"start off", "ok"}}
      << Records{{"Base2", "as before"}, {"Home", "as before"}} << false;
  QTest::newRow("the start-up box is not stored by Cancel")
      << QList<QStringList>{{"start off", "cancel"}}
      << Records{{"Base2", "as before"}, {"Home", "as before"}} << true;
}

// What Manual Entry stores, after the openings of a row, is what the user
// asked for and nothing else.
void TestRefLocation::storedRecordsAreWhatWasAsked()
{
  QFETCH(QList<QStringList>, openings);
  QFETCH(Records, records);
  QFETCH(bool, loadOnStart);
  const QMap<QString, GeoPosition> before{{"Base2", {10.0, 20.0, 30.0, 40.0}}, {"Home", {1.0, 2.0, 3.0, 4.0}}};
  for (auto it = before.begin(); it != before.end(); ++it)
    RefLocationDB::Store(it.key(), it.value());
  const GeoPosition typed{12.5, -3.25, 100.0, 100.0 - Separation(12.5, -3.25)};

  MainWindow window;
  window.findChild<ReferenceLocationDialog *>()->SetWarningHandler([](const QString &, const QString &) {});
  auto *manualEntry = window.findChild<QAction *>(QStringLiteral("actionManual_Entry"));
  for (const QStringList &steps : openings) {
    QStringList namesShown;
    riduder::test::AnswerNextModalDialog([&](QDialog *dialog) {
      auto *names = dialog->findChild<QComboBox *>(QStringLiteral("IDC_REFDLG_NAME"));
      auto field = [dialog](const char *name) { return dialog->findChild<QLineEdit *>(QLatin1String(name)); };
      auto button = [dialog](const char *name) { return dialog->findChild<QPushButton *>(QLatin1String(name)); };
      namesShown << names->currentText();
      // Typing completes only in the active window.
      dialog->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(dialog));
      for (const QString &step : steps) {
        const QString argument = step.section(QLatin1Char(' '), 1);
        if (step == QLatin1String("position")) {
          TypeInto(field("IDC_REFDLG_LATITUDE"), "12.5");
          Leave(field("IDC_REFDLG_LATITUDE"));
          TypeInto(field("IDC_REFDLG_LONGITUDE"), "-3.25");
          Leave(field("IDC_REFDLG_LONGITUDE"));
          TypeInto(field("IDC_REFDLG_ALT_WGS84"), "100");
          Leave(field("IDC_REFDLG_ALT_WGS84"));
        } else if (step.startsWith(QLatin1String("type "))) {
          TypeInto(names->lineEdit(), argument);
          Leave(names->lineEdit());
          namesShown << names->currentText();
        } else if (step.startsWith(QLatin1String("pick "))) {
          names->setCurrentIndex(names->findText(argument, Qt::MatchExactly | Qt::MatchCaseSensitive));
        } else if (step == QLatin1String("start off")) {
          auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("IDC_REFDLG_LOC_ON_START"));
          if (box->isChecked())
            box->click();
        } else if (step == QLatin1String("save")) {
          button("IDC_REFDLG_SAVE_NAME")->click();
        } else if (step == QLatin1String("ok")) {
          button("OK")->click();
        } else if (step == QLatin1String("cancel")) {
          button("CANCEL")->click();
        }
      }
    });
    manualEntry->trigger();
    // Each opening starts without a name; a typed name stays as typed.
    QVERIFY(!namesShown.isEmpty());
    QCOMPARE(namesShown.first(), QString());
    for (const QString &step : steps)
      if (step.startsWith(QLatin1String("type ")))
        QVERIFY(namesShown.contains(step.section(QLatin1Char(' '), 1)));
  }

  QStringList stored = RefLocationDB::Names();
  stored.sort();
  QCOMPARE(stored, records.keys());
  for (auto it = records.begin(); it != records.end(); ++it) {
    const GeoPosition expected = it.value() == QLatin1String("typed") ? typed : before.value(it.key());
    QCOMPARE(RefLocationDB::Record(it.key()), RefLocationDB::RecordText(expected));
  }
  // The choice survives what reloads the settings: the averaging window and
  // each receiver set-up.
  QCOMPARE(QSettings().value(GpsNavKeys::RefLocOnStart, true).toBool(), loadOnStart);
  auto *nav = window.findChild<GpsNavDialog *>();
  nav->ReloadSettings();
  QCOMPARE(nav->Averages().ReferenceLocationOnStart(), loadOnStart);
}

void TestRefLocation::savedAndSelectedByName()
{
  const double n = Separation(12.5, -3.25);
  {
    Dialog d;
    d.dialog.SetLocation(0.0, 0.0, 0.0, 0.0, true);
    ExecWith(d.dialog, [&] {
      TypeInto(d.Latitude(), "12.5");
      TypeInto(d.Longitude(), "-3.25");
      TypeInto(d.Wgs84(), "100");
      d.Names()->setEditText(QStringLiteral("Home"));
      d.Button("IDC_REFDLG_SAVE_NAME")->click();
      // Saved again: overwritten, not listed twice.
      d.Button("IDC_REFDLG_SAVE_NAME")->click();
      QCOMPARE(d.Names()->count(), 2);
      QCOMPARE(d.Names()->itemText(0), QString());
      QCOMPARE(d.Names()->itemText(1), QString("Home"));
      // The fields stay as typed.
      QCOMPARE(d.Wgs84()->text(), QString("100"));
      // An empty name stores nothing.
      d.Names()->setEditText(QString());
      d.Button("IDC_REFDLG_SAVE_NAME")->click();
      d.Button("CANCEL")->click();
    });
  }
  QCOMPARE(RefLocationDB::Names(), QStringList{"Home"});
  QCOMPARE(QSettings().value(QStringLiteral("RefLocationDB/Home")).toString(),
           QString("12.5000000000000000 -3.2500000000000000 100.0000000000000000 ") +
               QString::asprintf("%018.16f", 100.0 - n));

  Dialog d;
  d.dialog.SetLatLonFormat(1);
  QCOMPARE(d.Names()->count(), 2);
  ExecWith(d.dialog, [&] {
    d.Select(QStringLiteral("Home"));
    QCOMPARE(d.Latitude()->text(), Degrees("12°  30.00000'"));
    QCOMPARE(d.Longitude()->text(), Degrees("-03°  15.00000'"));
    QCOMPARE(d.Wgs84()->text(), QString("100.00"));
    d.Button("OK")->click();
  });
  QCOMPARE(d.Location().latitude, 12.5);
  QCOMPARE(d.Location().longitude, -3.25);
  QVERIFY(d.warnings.isEmpty());
}

void TestRefLocation::selectedRecordKeepsBothAltitudes()
{
  QSettings().setValue(QStringLiteral("RefLocationDB/Home"),
                       "12.5000000000000000 -3.2500000000000000 100.0000000000000000 50.5000000000000000");
  Dialog d;
  d.dialog.SetLocation(40.0, 10.0, 7.0, 3.0, false);
  ExecWith(d.dialog, [&] {
    d.Select(QStringLiteral("Home"));
    QCOMPARE(d.Latitude()->text(), Degrees("12.5000000°"));
    QCOMPARE(d.Longitude()->text(), Degrees("-3.2500000°"));
    QCOMPARE(d.Wgs84()->text(), QString("100.00"));
    QCOMPARE(d.Msl()->text(), QString("50.50"));
    QCOMPARE(d.Field("IDC_REFDLG_GEDIFF_MODEL")->text(), Metres(Separation(12.5, -3.25)));
    d.Button("OK")->click();
  });
  const GeoPosition p = d.Location();
  QCOMPARE(p.gpsAltitude, 100.0);
  QCOMPARE(p.mslAltitude, 50.5);
  QVERIFY(d.warnings.isEmpty());
}

void TestRefLocation::selectedRecordFillsMissingAltitude()
{
  QSettings().setValue(QStringLiteral("RefLocationDB/Work"), "10.0 20.0 300.0");
  Dialog d;
  ExecWith(d.dialog, [&] {
    d.Select(QStringLiteral("Work"));
    QCOMPARE(d.Msl()->text(), Metres(300.0 - Separation(10.0, 20.0)));
    d.Button("OK")->click();
  });
  QCOMPARE(d.Location().gpsAltitude, 300.0);
}

void TestRefLocation::namesWithSlashesRefused()
{
  for (const QString &name : {QStringLiteral("a/b"), QStringLiteral("c\\d")}) {
    Dialog d;
    ExecWith(d.dialog, [&] {
      d.Names()->setEditText(name);
      d.Button("IDC_REFDLG_SAVE_NAME")->click();
      // OK refuses it too and stays open.
      d.Button("OK")->click();
      QVERIFY(d.dialog.isVisible());
      d.Button("CANCEL")->click();
    });
    QCOMPARE(d.warnings.size(), 2);
    QCOMPARE(d.warnings.first().title, QString("Name not allowed."));
    QCOMPARE(d.warnings.first().text, QString("A location name cannot contain / or \\."));
    QVERIFY(QSettings().allKeys().filter(QStringLiteral("RefLocationDB")).isEmpty());
  }
}

void TestRefLocation::removeNames()
{
  QSettings().setValue(QStringLiteral("RefLocationDB/Home"), "1.0 2.0 3.0 4.0");
  Dialog d;
  ExecWith(d.dialog, [&] {
    d.Names()->setEditText(QStringLiteral("Nowhere"));
    d.Button("IDC_REFDLG_REMOVE_NAME")->click();
    QCOMPARE(d.warnings.size(), 1);
    QCOMPARE(d.warnings.first().title, QString("No such item in the database."));
    QCOMPARE(d.warnings.first().text, QString("RefLocationDB/Nowhere"));

    d.Select(QStringLiteral("Home"));
    d.Button("IDC_REFDLG_REMOVE_NAME")->click();
    QVERIFY(!RefLocationDB::Contains(QStringLiteral("Home")));
    QVERIFY(d.Names()->findText(QStringLiteral("Home")) >= 0);
    d.Button("CANCEL")->click();
  });
  QCOMPARE(d.warnings.size(), 1);
}

void TestRefLocation::cancelLeavesTheReference()
{
  ReferenceLocationDialog reference;
  reference.SetWarningHandler([](const QString &, const QString &) {});
  GpsNavDialog nav;
  nav.SetReferenceLocationDialog(&reference);
  nav.SetReferenceLocation(51.0, 1.0, 60.0, 15.0);

  riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
    TypeInto(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_REFDLG_LATITUDE")), "45");
    dialog->findChild<QPushButton *>(QStringLiteral("CANCEL"))->click();
  });
  QVERIFY(!nav.EnterReferenceLocation());
  QCOMPARE(nav.Averages().ReferenceLocation().latitude, 51.0);
  QCOMPARE(QSettings().value(GpsNavKeys::RefLatitude).toString(), QString("51.0000000000000000"));

  riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
    TypeInto(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_REFDLG_LATITUDE")), "45");
    dialog->findChild<QCheckBox *>(QStringLiteral("IDC_REFDLG_LOC_ON_START"))->click();
    dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
  });
  QVERIFY(nav.EnterReferenceLocation());
  QCOMPARE(nav.Averages().ReferenceLocation().latitude, 45.0);
  QCOMPARE(nav.Averages().ReferenceLocation().gpsAltitude, 60.0);
  QVERIFY(!nav.Averages().ReferenceLocationOnStart());
  QCOMPARE(QSettings().value(GpsNavKeys::RefLatitude).toString(), QString("45.0000000000000000"));
}

// A fresh store sends no position at set-up; once a location is stored from
// the dialog, the next set-up sends it.
void TestRefLocation::storedLocationSentAtNextSetUp()
{
  auto options = riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600);
  riduder::test::WindowOnSimulator rig(options);
  QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
  rig.Window().Timing().SetScale(0.004);
  riduder::test::ScriptedReceiver receiver(rig.Simulator(), riduder::test::ReceiverFamily::Oncore12, 9600);
  rig.Window().DetectGpsReceiver();
  QVERIFY(receiver.HeardNames().contains(QStringLiteral("@@Bo")));
  QVERIFY(!receiver.HeardNames().contains(QStringLiteral("@@As")));
  QVERIFY(!receiver.HeardNames().contains(QStringLiteral("@@Ga")));

  rig.Window().findChild<ReferenceLocationDialog *>()->SetWarningHandler([](const QString &, const QString &) {});
  riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
    TypeInto(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_REFDLG_LATITUDE")), "12.5");
    TypeInto(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_REFDLG_LONGITUDE")), "-3.25");
    TypeInto(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_REFDLG_ALT_WGS84")), "100");
    dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
  });
  rig.Window().findChild<QAction *>(QStringLiteral("actionManual_Entry"))->trigger();
  QVERIFY(PositionAverages::ReferenceLocationStored());

  receiver.ClearHeard();
  rig.Window().DetectGpsReceiver();
  const QByteArray expected = QByteArray::fromHex("02aea540ff4d78e000002710");
  QCOMPARE(PositionParameters(receiver.Heard(), "@@Ga"), expected);
  QCOMPARE(PositionParameters(receiver.Heard(), "@@As"), expected);
}

RIDUDER_TEST_MAIN(TestRefLocation)
#include "tst_reflocation.moc"
