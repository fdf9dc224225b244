#include "TestMain.h"

#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

using namespace dialogtest;

namespace {

const QStringList AllKeys = {
    "GpsRxDialog/Gps Mode", "GpsRxDialog/Gps Rx On Local Time", "GpsRxDialog/Emulate Pvt6",
    "GpsRxDialog/Position Fix Mode", "GpsRxDialog/Satellite Selection", "GpsRxDialog/Ionospheric Delay",
    "GpsRxDialog/Tropospheric Delay", "GpsRxDialog/GeometryButton", "GpsRxDialog/DGPS Activate",
    "GpsRxDialog/Align Messages", "GpsRxDialog/DGPS Rate", "GpsRxDialog/Elevation Mask",
    "GpsRxDialog/Application Type", "GpsRxDialog/Pps Rate", "GpsRxDialog/Pps Duration",
    "GpsRxDialog/Sat Gps", "GpsRxDialog/Sat Glonass", "GpsRxDialog/Sat Galileo", "GpsRxDialog/Sat Beidou",
    "GpsRxDialog/Sat Qzss", "GpsRxDialog/Sat Sbas"};

void SetReceiver(quint32 mode, qint32 model, double firmware = 0.0, bool dgps = false, bool galileo = true)
{
  ResetProgramWideState();
  CurrentGpsMode = mode;
  receiverIdentity.model = model;
  receiverIdentity.firmwareVersion = firmware;
  receiverIdentity.hasDgps = dgps;
  receiverIdentity.galileoCapable = galileo;
}

}  // namespace

class GpsRxDialogTest : public QObject {
  Q_OBJECT

  template <typename T = QCheckBox>
  static T *W(QDialog &d, const QString &name)
  {
    T *w = d.findChild<T *>(name);
    Q_ASSERT(w);
    return w;
  }
  static QCheckBox *Box(QDialog &d, const QString &name) { return W<QCheckBox>(d, "IDC_GPS_MODE_" + name); }
  static void Click(QDialog &d, const QString &name) { W<QAbstractButton>(d, name)->click(); }

private slots:
  void init()
  {
    ClearSettings();
    SetReceiver(GpsModeMotorolaBinary, GpsRxModel::M12Plus, 2.0, true);
  }

  // ---- the store --------------------------------------------------------

  void emptyStoreLoad()
  {
    GpsRxDialog d;
    QCOMPARE(d.Settings().gpsNavMode, 0);
    QCOMPARE(d.Settings().positionFixMode, 0);
    QCOMPARE(d.Settings().satelliteSelection, 0);
    QCOMPARE(d.Settings().ionosphericDelay, 0);
    QCOMPARE(d.Settings().troposphericDelay, 0);
    QCOMPARE(int(d.Settings().geometryButton), 0);
    QCOMPARE(int(d.Settings().applicationType), 0);
    QCOMPARE(d.Settings().ppsRate, 0);
    QCOMPARE(d.Settings().ppsDuration, 0);
    QVERIFY(!d.Settings().rxOnLocalTime && !d.Settings().emulatePvt6 && !d.Settings().dgpsActivate && !d.Settings().alignMessages);
    // GPS is on from the start; the other systems are the user's choice.
    QCOMPARE(int(ConstellationMaskOf(d.Settings())), int(ConstellationGps));
    QCOMPARE(QSettings().value("GpsRxDialog/Sat Gps").toBool(), true);
    QCOMPARE(d.Settings().dgpsRate, 30);
    QCOMPARE(d.Settings().elevationMask, 5);
    QCOMPARE(d.Settings().satelliteUseMask, 0xFFFFFFFFu);
    QStringList expected = AllKeys;
    expected.removeOne("GpsRxDialog/Elevation Mask");
    QStringList written = QSettings().allKeys();
    written.sort();
    expected.sort();
    QCOMPARE(written, expected);
    QVERIFY(W<QRadioButton>(d, "IDC_GPS_MODE_3D_RADIO")->isChecked());
    QVERIFY(!W<QLineEdit>(d, "IDC_GPS_MODE_DGPS_RATE")->isEnabled());
  }

  // Stored values and what the load makes of them.
  void loadTable_data()
  {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("storedValue");
    QTest::addColumn<int>("member");
    QTest::addColumn<QVariant>("afterLoad");
    QTest::newRow("gps mode 3") << "Gps Mode" << QVariant(3) << 0 << QVariant(0);
    QTest::newRow("gps mode 2") << "Gps Mode" << QVariant(2) << 2 << QVariant(2);
    QTest::newRow("position fix 1") << "Position Fix Mode" << QVariant(1) << 1 << QVariant(1);
    QTest::newRow("position fix 2") << "Position Fix Mode" << QVariant(2) << 0 << QVariant(0);
    QTest::newRow("geometry 4") << "GeometryButton" << QVariant(4) << 4 << QVariant(4);
    QTest::newRow("geometry 260 is not 4") << "GeometryButton" << QVariant(260) << 0 << QVariant(0);
    QTest::newRow("application -1") << "Application Type" << QVariant(-1) << 0 << QVariant(0);
    QTest::newRow("dgps rate 256") << "DGPS Rate" << QVariant(256) << 30 << QVariant(30);
    QTest::newRow("dgps rate -1") << "DGPS Rate" << QVariant(-1) << 30 << QVariant(30);
    QTest::newRow("dgps rate 255") << "DGPS Rate" << QVariant(255) << 255 << QVariant(255);
    QTest::newRow("mask 91") << "Elevation Mask" << QVariant(91) << 5 << QVariant(5);
    QTest::newRow("mask -1") << "Elevation Mask" << QVariant(-1) << 5 << QVariant(5);
    QTest::newRow("mask 90") << "Elevation Mask" << QVariant(90) << 90 << QVariant(90);
    QTest::newRow("pps duration 1") << "Pps Duration" << QVariant(1) << 1 << QVariant(1);
  }

  void loadTable()
  {
    QFETCH(QString, key);
    QFETCH(QVariant, storedValue);
    QFETCH(int, member);
    QFETCH(QVariant, afterLoad);
    QSettings().setValue("GpsRxDialog/" + key, storedValue);
    GpsRxDialog d;
    const QMap<QString, int> members{{"Gps Mode", d.Settings().gpsNavMode},
                                     {"Position Fix Mode", d.Settings().positionFixMode},
                                     {"GeometryButton", d.Settings().geometryButton},
                                     {"Application Type", d.Settings().applicationType},
                                     {"DGPS Rate", d.Settings().dgpsRate},
                                     {"Elevation Mask", d.Settings().elevationMask},
                                     {"Pps Duration", d.Settings().ppsDuration}};
    QCOMPARE(members.value(key), member);
    QCOMPARE(QSettings().value("GpsRxDialog/" + key).toInt(), afterLoad.toInt());
  }

  void dgpsRateZeroSwitchesDgpsOff()
  {
    {
      QSettings s;
      s.setValue("GpsRxDialog/DGPS Rate", 0);
      s.setValue("GpsRxDialog/DGPS Activate", true);
    }
    GpsRxDialog d;
    QCOMPARE(d.Settings().dgpsRate, 0);
    QVERIFY(!d.Settings().dgpsActivate);
    QVERIFY(!Box(d, "DGPS_ON")->isChecked());
    QCOMPARE(QSettings().value("GpsRxDialog/DGPS Activate").toBool(), false);
  }

  // The fix dimension the set-up stores after a survey shows at the next
  // opening.
  void saveGpsModeShowsAtNextOpening()
  {
    GpsRxDialog d;
    SaveGpsNavMode(2);
    QCOMPARE(QSettings().value("GpsRxDialog/Gps Mode").toInt(), 2);
    ExecWith(d, [&] {
      QCOMPARE(d.Settings().gpsNavMode, 2);
      QVERIFY(W<QRadioButton>(d, "IDC_GPS_MODE_0D_RADIO")->isChecked());
      Click(d, "CANCEL");
    });
  }

  // The receiver's constellation report, as the Oncore decoder stores it.
  void constellationReportStored()
  {
    ReceiverModeSettings mode;
    SetConstellationsFromMask(mode, ConstellationGps | ConstellationGlonass);
    SaveConstellationSettings(mode);
    QVERIFY(mode.satGps && mode.satGlonass);
    QVERIFY(!mode.satGalileo && !mode.satBeidou && !mode.satQzss && !mode.satSbas);
    QSettings s;
    QCOMPARE(s.value("GpsRxDialog/Sat Gps").toBool(), true);
    QCOMPARE(s.value("GpsRxDialog/Sat Glonass").toBool(), true);
    for (const char *key : {"Sat Galileo", "Sat Beidou", "Sat Qzss", "Sat Sbas"})
      QCOMPARE(s.value(QString("GpsRxDialog/") + key).toBool(), false);
    QCOMPARE(int(ConstellationMaskOf(mode)), 3);
    QCOMPARE(int(ConstellationMaskOf(LoadReceiverModeSettings())), 3);
  }

  void predicates_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("firmware");
    QTest::addColumn<bool>("ionoOff");
    QTest::addColumn<bool>("tropoOff");
    QTest::newRow("GT 1.59") << quint32(2) << GpsRxModel::GT << 1.59 << true << true;
    QTest::newRow("GT 1.6") << quint32(2) << GpsRxModel::GT << 1.6 << false << true;
    QTest::newRow("SL 2.0") << quint32(2) << GpsRxModel::SL << 2.0 << false << false;
    QTest::newRow("UT+ 1.9") << quint32(2) << GpsRxModel::UTPlus << 1.9 << true << true;
    QTest::newRow("CNXT 2.0") << quint32(2) << GpsRxModel::CnxtNvmn << 2.0 << false << false;
    QTest::newRow("M12 old fw") << quint32(2) << GpsRxModel::M12 << 1.0 << false << false;
    QTest::newRow("SSR-M8T") << quint32(2) << GpsRxModel::SsrM8T << 0.0 << false << false;
    QTest::newRow("VP 8.8") << quint32(2) << GpsRxModel::VP << 8.8 << false << true;
    QTest::newRow("VP 8.9") << quint32(2) << GpsRxModel::VP << 8.9 << false << false;
    QTest::newRow("u-blox") << quint32(9) << GpsRxModel::Ublox << 0.0 << false << true;
    QTest::newRow("generic NMEA, any model") << quint32(6) << GpsRxModel::GT << 1.0 << false << true;
    QTest::newRow("index above 25") << quint32(2) << 40 << 9.0 << false << false;
  }

  void predicates()
  {
    QFETCH(quint32, mode);
    QFETCH(int, model);
    QFETCH(double, firmware);
    QFETCH(bool, ionoOff);
    QFETCH(bool, tropoOff);
    SetReceiver(mode, model, firmware);
    QCOMPARE(GpsRxDialog::IsIonoOffByDefault(), ionoOff);
    QCOMPARE(GpsRxDialog::IsTropoOffByDefault(), tropoOff);
  }

  // ---- the window -------------------------------------------------------

  // Controls offered by protocol, model and capability.
  void enabledControls_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("dgps");
    QTest::addColumn<bool>("galileoCapable");
    QTest::addColumn<bool>("dgpsGroup");
    QTest::addColumn<bool>("galileoBox");
    QTest::addColumn<bool>("otherBoxes");
    QTest::addColumn<int>("forcedMask");  // -1: the stored choice stays
    QTest::newRow("Oncore 8-channel VP") << quint32(2) << GpsRxModel::VP << true << true << true << true << true << -1;
    QTest::newRow("Oncore 12-channel M12+") << quint32(2) << GpsRxModel::M12Plus << true << true << true << true << true << -1;
    QTest::newRow("M12+ without DGPS") << quint32(2) << GpsRxModel::M12Plus << false << true << false << true << true << -1;
    QTest::newRow("Motorola NMEA") << quint32(1) << GpsRxModel::UTPlus << true << true << false << true << true << -1;
    QTest::newRow("Synergy SSR-6Tr") << quint32(2) << GpsRxModel::Ssr6Tr << true << true << true << false << false << 1;
    QTest::newRow("Synergy M8T old GNSS") << quint32(2) << GpsRxModel::SsrM8T << false << false << false << false << true << -1;
    QTest::newRow("Synergy M8T") << quint32(2) << GpsRxModel::SsrM8T << false << true << false << true << true << -1;
    QTest::newRow("u-blox") << quint32(9) << GpsRxModel::Ublox << false << true << false << true << true << -1;
    QTest::newRow("generic NMEA") << quint32(6) << GpsRxModel::GenericNmea << false << true << false << true << true << -1;
  }

  void enabledControls()
  {
    QFETCH(quint32, mode);
    QFETCH(int, model);
    QFETCH(bool, dgps);
    QFETCH(bool, galileoCapable);
    QFETCH(bool, dgpsGroup);
    QFETCH(bool, galileoBox);
    QFETCH(bool, otherBoxes);
    QFETCH(int, forcedMask);
    {
      QSettings s;
      s.setValue("GpsRxDialog/Sat Gps", true);
      s.setValue("GpsRxDialog/Sat Galileo", true);
      s.setValue("GpsRxDialog/Sat Sbas", true);
    }
    SetReceiver(mode, model, 3.0, dgps, galileoCapable);
    GpsRxDialog d;
    ExecWith(d, [&] {
      QCOMPARE(W<QGroupBox>(d, "DGPSOutputGroupBox")->isEnabled(), dgpsGroup);
      QCOMPARE(W<QPushButton>(d, "IDC_GPS_MODE_D_DEFAULTS")->isEnabled(), dgpsGroup);
      QCOMPARE(Box(d, "GALILEO")->isEnabled(), galileoBox);
      QCOMPARE(Box(d, "GALILEO")->toolTip().isEmpty(), galileoBox);
      for (const char *name : {"GPS", "GLONASS", "BEIDOU", "QZSS", "SBAS"})
        QCOMPARE(Box(d, name)->isEnabled(), otherBoxes);
      QCOMPARE(int(ConstellationMaskOf(d.Settings())), forcedMask < 0 ? 1 + 4 + 128 : forcedMask);
      Click(d, "CANCEL");
    });
    // The controls that depend on nothing stay on.
    QVERIFY(W<QGroupBox>(d, "SatSelectionButtonGroup")->isEnabled());
    QVERIFY(W<QLineEdit>(d, "IDC_GPS_MODE_EL_MASK")->isEnabled());
  }

  void glonassAndBeidouExclusive()
  {
    GpsRxDialog d;
    ExecWith(d, [&] {
      Box(d, "GLONASS")->click();
      QVERIFY(d.Settings().satGlonass);
      QVERIFY(!Box(d, "BEIDOU")->isEnabled());
      QCOMPARE(Box(d, "BEIDOU")->toolTip(), QString("This receiver cannot track GLONASS and Beidou at the same time"));
      Box(d, "GLONASS")->click();
      QVERIFY(Box(d, "BEIDOU")->isEnabled());
      QVERIFY(Box(d, "BEIDOU")->toolTip().isEmpty());
      Box(d, "BEIDOU")->click();
      QVERIFY(d.Settings().satBeidou);
      QVERIFY(!Box(d, "GLONASS")->isEnabled());
      Click(d, "CANCEL");
    });
  }

  void storedGlonassAndBeidouKeepsGlonass()
  {
    {
      QSettings s;
      s.setValue("GpsRxDialog/Sat Gps", false);
      s.setValue("GpsRxDialog/Sat Glonass", true);
      s.setValue("GpsRxDialog/Sat Beidou", true);
    }
    GpsRxDialog d;
    ExecWith(d, [&] {
      QVERIFY(Box(d, "GLONASS")->isChecked());
      QVERIFY(!Box(d, "BEIDOU")->isChecked());
      QVERIFY(d.Settings().satGlonass && !d.Settings().satBeidou && !d.Settings().satGps);
      Click(d, "CANCEL");
    });
  }

  void gpsRulesAndQzss()
  {
    QSettings().setValue("GpsRxDialog/Sat Gps", false);
    GpsRxDialog d;
    ExecWith(d, [&] {
      // No system stored: GPS is switched on at opening (not stored).
      QVERIFY(d.Settings().satGps && Box(d, "GPS")->isChecked());
      QCOMPARE(QSettings().value("GpsRxDialog/Sat Gps").toBool(), false);
      // GPS alone cannot be unchecked.
      Box(d, "GPS")->click();
      QVERIFY(Box(d, "GPS")->isChecked());
      QVERIFY(d.Settings().satGps);
      // With Galileo on it can; QZSS goes with it.
      Box(d, "QZSS")->click();
      Box(d, "GALILEO")->click();
      QVERIFY(d.Settings().satQzss);
      Box(d, "GPS")->click();
      QVERIFY(!d.Settings().satGps && !d.Settings().satQzss && d.Settings().satGalileo);
      QVERIFY(!Box(d, "QZSS")->isChecked());
      QVERIFY(!Box(d, "QZSS")->isEnabled());
      QCOMPARE(Box(d, "QZSS")->toolTip(), QString("QZSS is only available together with GPS"));
      Click(d, "CANCEL");
    });
  }

  // The three defaults buttons: the members they set, and the radios and
  // fields that show them.
  void defaults_data()
  {
    QTest::addColumn<QString>("button");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("firmware");
    // expected: nav, mask, posfix, selection, dop, app, dgps, iono, tropo, constellations
    QTest::addColumn<QList<int>>("expected");
    const int keep = -9;  // a member the row leaves alone
    QTest::newRow("timing M12+") << "T" << quint32(2) << GpsRxModel::M12Plus << 2.0
                                 << QList<int>{2, 5, 0, 1, 4, 2, 0, 0, 0, keep};
    QTest::newRow("timing GT 1.5") << "T" << quint32(2) << GpsRxModel::GT << 1.5
                                   << QList<int>{0, 10, keep, keep, keep, keep, keep, 1, 1, keep};
    QTest::newRow("timing UT+") << "T" << quint32(2) << GpsRxModel::UTPlus << 3.0
                                << QList<int>{2, 10, keep, keep, keep, keep, keep, 0, 0, keep};
    QTest::newRow("timing SSR-6Tf") << "T" << quint32(2) << GpsRxModel::Ssr6Tf << 1.0
                                    << QList<int>{2, 5, 0, 1, 4, 4, 0, 0, 0, keep};
    QTest::newRow("timing u-blox") << "T" << quint32(9) << GpsRxModel::Ublox << 0.0
                                   << QList<int>{2, 5, 0, 1, 4, 4, 0, 0, 1, 1};
    QTest::newRow("timing VP") << "T" << quint32(2) << GpsRxModel::VP << 9.0
                               << QList<int>{2, 10, 0, 1, 4, 2, 0, 0, 0, keep};
    QTest::newRow("timing generic NMEA") << "T" << quint32(6) << GpsRxModel::GenericNmea << 0.0
                                         << QList<int>{1, keep, keep, keep, keep, keep, keep, 0, 1, keep};
    QTest::newRow("navigation u-blox") << "N" << quint32(9) << GpsRxModel::Ublox << 0.0
                                       << QList<int>{0, 5, 0, 0, 0, 2, 0, 0, 1, 1 + 128};
    QTest::newRow("navigation GT 1.9") << "N" << quint32(2) << GpsRxModel::GT << 1.9
                                       << QList<int>{0, 10, keep, keep, keep, keep, keep, 0, 1, keep};
    QTest::newRow("navigation M12M") << "N" << quint32(2) << GpsRxModel::M12M << 1.0
                                     << QList<int>{0, 5, 0, 0, 0, 2, 0, 0, 0, keep};
    QTest::newRow("navigation SSR-M8F") << "N" << quint32(2) << GpsRxModel::SsrM8F << 1.0
                                        << QList<int>{0, 5, 0, 0, 0, 2, 0, 0, 0, 1 + 128};
    QTest::newRow("dgps M12") << "D" << quint32(2) << GpsRxModel::M12 << 1.0
                              << QList<int>{2, 5, 0, 0, 0, 2, 1, 1, 1, keep};
    QTest::newRow("dgps UT 1.0") << "D" << quint32(2) << GpsRxModel::UT << 1.0
                                 << QList<int>{2, 10, keep, keep, keep, keep, keep, 1, 1, keep};
    QTest::newRow("dgps VP") << "D" << quint32(2) << GpsRxModel::VP << 9.0
                             << QList<int>{2, 10, 0, 0, 0, 2, 1, 1, 1, keep};
  }

  void defaults()
  {
    QFETCH(QString, button);
    QFETCH(quint32, mode);
    QFETCH(int, model);
    QFETCH(double, firmware);
    QFETCH(QList<int>, expected);
    const int keep = -9;
    // A stored state unlike every default, so "keep" is visible.
    {
      QSettings s;
      s.setValue("GpsRxDialog/Elevation Mask", 33);
      s.setValue("GpsRxDialog/Position Fix Mode", 1);
      s.setValue("GpsRxDialog/GeometryButton", 2);
      s.setValue("GpsRxDialog/Application Type", 3);
      s.setValue("GpsRxDialog/Satellite Selection", 1);
      s.setValue("GpsRxDialog/Sat Gps", true);
      s.setValue("GpsRxDialog/Sat Glonass", true);
      s.setValue("GpsRxDialog/Sat Qzss", true);
      s.setValue("GpsRxDialog/DGPS Activate", true);
      s.setValue("GpsRxDialog/Gps Mode", 1);
      if (button == "T")
        s.setValue("GpsRxDialog/Satellite Selection", 0);
    }
    SetReceiver(mode, model, firmware, true);
    GpsRxDialog d;
    ExecWith(d, [&] {
      const QList<int> before{d.Settings().gpsNavMode, d.Settings().elevationMask, d.Settings().positionFixMode, d.Settings().satelliteSelection,
                              d.Settings().geometryButton, d.Settings().applicationType, d.Settings().dgpsActivate, d.Settings().ionosphericDelay,
                              d.Settings().troposphericDelay, ConstellationMaskOf(d.Settings())};
      if (button == "D" && !W<QPushButton>(d, "IDC_GPS_MODE_D_DEFAULTS")->isEnabled())
        W<QPushButton>(d, "IDC_GPS_MODE_D_DEFAULTS")->setEnabled(true);
      Click(d, "IDC_GPS_MODE_" + button + "_DEFAULTS");
      const QList<int> actual{d.Settings().gpsNavMode, d.Settings().elevationMask, d.Settings().positionFixMode, d.Settings().satelliteSelection,
                              d.Settings().geometryButton, d.Settings().applicationType, d.Settings().dgpsActivate, d.Settings().ionosphericDelay,
                              d.Settings().troposphericDelay, ConstellationMaskOf(d.Settings())};
      for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i) == keep ? before.at(i) : expected.at(i));
      // The widgets show the members.
      const char *nav[] = {"3D", "2D", "0D"};
      QVERIFY(W<QRadioButton>(d, QString("IDC_GPS_MODE_%1_RADIO").arg(nav[d.Settings().gpsNavMode]))->isChecked());
      QCOMPARE(W<QLineEdit>(d, "IDC_GPS_MODE_EL_MASK")->text(), QString::number(d.Settings().elevationMask));
      QCOMPARE(W<QRadioButton>(d, "IDC_GPS_MODE_ION_OFF_RADIO")->isChecked(), d.Settings().ionosphericDelay == 1);
      QCOMPARE(W<QRadioButton>(d, "IDC_GPS_MODE_TRO_OFF_RADIO")->isChecked(), d.Settings().troposphericDelay == 1);
      QCOMPARE(W<QRadioButton>(d, "IDC_GPS_MODE_HIGHEST_RADIO")->isChecked(), d.Settings().satelliteSelection == 1);
      QCOMPARE(W<QRadioButton>(d, "IDC_GPS_MODE_TDOP_RADIO")->isChecked(), d.Settings().geometryButton == 4);
      QCOMPARE(Box(d, "DGPS_ON")->isChecked(), d.Settings().dgpsActivate);
      QLineEdit *rate = W<QLineEdit>(d, "IDC_GPS_MODE_DGPS_RATE");
      QCOMPARE(rate->isEnabledTo(rate->parentWidget()), d.Settings().dgpsActivate);
      Click(d, "CANCEL");
    });
    // Nothing is stored until OK.
    QCOMPARE(QSettings().value("GpsRxDialog/Elevation Mask").toInt(), 33);
  }

  // Cancel, Escape and the close button put the stored values back.
  void cancelEscapeCloseRevert_data()
  {
    QTest::addColumn<int>("how");
    QTest::newRow("cancel") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close") << 2;
  }

  void cancelEscapeCloseRevert()
  {
    QFETCH(int, how);
    GpsRxDialog d;
    const int result = ExecWith(d, [&] {
      Click(d, "IDC_GPS_MODE_0D_RADIO");
      Click(d, "IDC_GPS_MODE_LOCAL_TIME");
      Click(d, "IDC_GPS_MODE_AP_STATIC_RADIO");
      Click(d, "IDC_GPS_MODE_T_DEFAULTS");
      QVERIFY(d.Settings().rxOnLocalTime);
      QCOMPARE(d.Settings().gpsNavMode, 2);
      if (how == 0)
        Click(d, "CANCEL");
      else if (how == 1)
        QTest::keyClick(&d, Qt::Key_Escape);
      else
        d.close();
    });
    QCOMPARE(result, 0);
    QCOMPARE(d.Settings().gpsNavMode, 0);
    QVERIFY(!d.Settings().rxOnLocalTime);
    QCOMPARE(int(d.Settings().applicationType), 0);
    QVERIFY(W<QRadioButton>(d, "IDC_GPS_MODE_3D_RADIO")->isChecked());
    QVERIFY(!Box(d, "LOCAL_TIME")->isChecked());
    QCOMPARE(QSettings().value("GpsRxDialog/Gps Mode").toInt(), 0);
    QVERIFY(QSettings().contains("GpsRxDialog/Geometry"));
  }

  // OK stores the clicks and the mask still being typed; leaving a DGPS
  // rate of 0 switches DGPS off.
  void okStoresEverything()
  {
    {
      GpsRxDialog d;
      const int result = ExecWith(d, [&] {
        Click(d, "IDC_GPS_MODE_2D_RADIO");
        Click(d, "IDC_GPS_MODE_100PPS");
        Click(d, "IDC_GPS_MODE_PPS_SHORT");
        Click(d, "IDC_GPS_MODE_EMULATE_PVT6");
        Click(d, "IDC_GPS_MODE_VDOP_RADIO");
        Click(d, "IDC_GPS_MODE_SBAS");
        Click(d, "IDC_GPS_MODE_DGPS_ON");
        QVERIFY(W<QLineEdit>(d, "IDC_GPS_MODE_DGPS_RATE")->isEnabled());
        QLineEdit *rate = W<QLineEdit>(d, "IDC_GPS_MODE_DGPS_RATE");
        TypeInto(rate, "0");
        Leave(rate);
        QVERIFY(!d.Settings().dgpsActivate);
        QVERIFY(!Box(d, "DGPS_ON")->isChecked());
        QVERIFY(rate->isEnabled());
        QLineEdit *mask = W<QLineEdit>(d, "IDC_GPS_MODE_EL_MASK");
        TypeInto(mask, "12");
        Click(d, "OK");
      });
      QCOMPARE(result, 1);
      QCOMPARE(d.Settings().elevationMask, 12);
    }
    GpsRxDialog restarted;
    QCOMPARE(restarted.Settings().gpsNavMode, 1);
    QCOMPARE(restarted.Settings().ppsRate, 1);
    QCOMPARE(restarted.Settings().ppsDuration, 1);
    QVERIFY(restarted.Settings().emulatePvt6);
    QCOMPARE(int(restarted.Settings().geometryButton), 3);
    QCOMPARE(restarted.Settings().elevationMask, 12);
    QCOMPARE(restarted.Settings().dgpsRate, 0);
    QVERIFY(!restarted.Settings().dgpsActivate);
    QCOMPARE(int(ConstellationMaskOf(restarted.Settings())), 1 + 128);
  }

  // A partial entry the validator lets stand ("95" on the way to "9") is
  // not taken as the mask.
  void maskOutOfRangeNotTaken()
  {
    GpsRxDialog d;
    ExecWith(d, [&] {
      QLineEdit *mask = W<QLineEdit>(d, "IDC_GPS_MODE_EL_MASK");
      mask->setText("95");
      Click(d, "OK");
    });
    QCOMPARE(d.Settings().elevationMask, 5);
    QCOMPARE(QSettings().value("GpsRxDialog/Elevation Mask").toInt(), 5);
  }
};

RIDUDER_TEST_MAIN(GpsRxDialogTest)
#include "tst_gpsrxdialog.moc"
