#include "TestMain.h"

#include "FakePcClocks.h"
#include "ModalDialogs.h"
#include "core/GpsDateTime.h"
#include "clock/PcClockSettings.h"
#include "clock/PcClockSync.h"
#include "clock/SetPcClockDialog.h"
#include "platform/SystemClock.h"
#include "platform/TimeSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <memory>

namespace {

template <typename T>
T *Find(QWidget *dialog, const char *name)
{
  T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
  if (!widget)
    qWarning("missing widget %s", name);
  return widget;
}

const char *const ModeButtons[] = {"IDC_CLOCK_SYNC_DISABLE", "IDC_CLOCK_SYNC_ONCE", "IDC_CLOCK_SYNC_SEC",
                                   "IDC_CLOCK_SYNC_MIN",     "IDC_CLOCK_SYNC_HOUR", "IDC_CLOCK_SYNC_DAY"};

// Clicks a check box or radio button on its indicator, as a user would.
void Click(QAbstractButton *button)
{
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Types into the threshold field and leaves it.
void TypeThreshold(SetPcClockDialog &dialog, const QString &text)
{
  auto *field = Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS");
  field->setText(text);
  emit field->editingFinished();
}

}  // namespace

class SetPcClockDialogTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void formNamesAndTexts()
  {
    SetPcClockDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set PC Clock"));
    QCOMPARE(dialog.font().family(), QStringLiteral("Verdana"));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    const QStringList modeTexts{"Disable", "One Time", "Every Second", "Every Minute", "Every Hour", "Every Day"};
    for (int i = 0; i < 6; ++i) {
      auto *button = Find<QRadioButton>(&dialog, ModeButtons[i]);
      QVERIFY(button);
      QCOMPARE(button->text(), modeTexts[i]);
      QVERIFY(button->group());
      QCOMPARE(button->group()->objectName(), QStringLiteral("IDC_PERIODIC_BUTTON_GROUP"));
    }
    QCOMPARE(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA")->text(), QStringLiteral("When PC clock error exceeds"));
    QVERIFY(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS"));
    QCOMPARE(Find<QCheckBox>(&dialog, "IDC_AMC_ON")->text(), QStringLiteral("Activate"));
    QVERIFY(Find<QSpinBox>(&dialog, "IDC_AMC_QTY"));
    auto *units = Find<QComboBox>(&dialog, "IDC_AMC_UNITS");
    QCOMPARE(units->count(), 3);
    QCOMPARE(units->itemText(0), QStringLiteral("Hour(s)"));
    QCOMPARE(units->itemText(1), QStringLiteral("Minute(s)"));
    QCOMPARE(units->itemText(2), QStringLiteral("Second(s)"));
    QCOMPARE(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_TRAIM")->text(), QStringLiteral("Override TRAIM (no 1PPS)"));
    QCOMPARE(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY")->text(),
             QStringLiteral("Override integrity check (too few satellites)"));
    QCOMPARE(Find<QGroupBox>(&dialog, "IDC_CLOCK_SYNC_NTPHITS_FRAME")->title(), QStringLiteral("NTP Hits"));
    for (const char *label : {"IDC_CLOCK_SYNC_COUNT", "IDC_CLOCK_SYNC_NTPHITS", "IDC_CLOCK_SYNC_LAST"})
      QVERIFY(Find<QLabel>(&dialog, label)->text().isEmpty());
    QStringList groupTitles;
    for (QGroupBox *box : dialog.findChildren<QGroupBox *>())
      groupTitles << box->title();
    for (const char *title : {"Periodic", "Limits", "Maximum Correction", "Special Purpose Modes", "Clock Resets",
                              "NTP Hits", "Time of last sync"})
      QVERIFY2(groupTitles.contains(QString::fromLatin1(title)), title);
    QCOMPARE(Find<QPushButton>(&dialog, "OK")->text(), QStringLiteral("OK"));
    QCOMPARE(Find<QPushButton>(&dialog, "CANCEL")->text(), QStringLiteral("Cancel"));
  }

  void defaultsOnAFreshStore()
  {
    SetPcClockDialog dialog;
    QVERIFY(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_DISABLE")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA")->isChecked());
    QCOMPARE(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->text(), QStringLiteral("1"));
    QVERIFY(!Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->isEnabled());
    QVERIFY(!Find<QCheckBox>(&dialog, "IDC_AMC_ON")->isChecked());
    QCOMPARE(Find<QSpinBox>(&dialog, "IDC_AMC_QTY")->value(), 2);
    QCOMPARE(Find<QComboBox>(&dialog, "IDC_AMC_UNITS")->currentIndex(), 0);
    QVERIFY(!Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_TRAIM")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY")->isChecked());
    QCOMPARE(dialog.Mode(), 0);
    QCOMPARE(dialog.DeltaMs(), 1);
    QCOMPARE(dialog.MaxQuantity(), 2);
    QCOMPARE(dialog.MaxUnits(), 0);
  }

  void storedValuesAndRepairs()
  {
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, 4);
    settings.setValue(PcClockKeys::DeltaOn, true);
    settings.setValue(PcClockKeys::DeltaMs, 75);
    settings.setValue(PcClockKeys::MaxOn, true);
    settings.setValue(PcClockKeys::MaxQuantity, 9);
    settings.setValue("SetPcClockDialog/Time SyncMax Units", 1);
    settings.setValue(PcClockKeys::OverrideTraim, true);
    settings.setValue(PcClockKeys::OverrideIntegrity, true);
    {
      SetPcClockDialog dialog;
      QVERIFY(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_HOUR")->isChecked());
      QVERIFY(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA")->isChecked());
      QVERIFY(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->isEnabled());
      QCOMPARE(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->text(), QStringLiteral("75"));
      QVERIFY(Find<QCheckBox>(&dialog, "IDC_AMC_ON")->isChecked());
      QCOMPARE(Find<QSpinBox>(&dialog, "IDC_AMC_QTY")->value(), 9);
      QCOMPARE(Find<QComboBox>(&dialog, "IDC_AMC_UNITS")->currentIndex(), 1);
      QVERIFY(dialog.OverrideTraim());
      QVERIFY(dialog.OverrideIntegrity());
    }

    // A mode out of range shows Disable and is written back; a threshold out
    // of range shows 1 with the rule off, as the clock step takes it, and is
    // left in the store; so is a quantity the spin box can't hold.
    settings.setValue(PcClockKeys::Mode, 7);
    settings.setValue(PcClockKeys::DeltaMs, 1000);
    settings.setValue(PcClockKeys::MaxQuantity, 5000);
    {
      SetPcClockDialog dialog;
      QVERIFY(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_DISABLE")->isChecked());
      QCOMPARE(dialog.Mode(), 0);
      QCOMPARE(settings.value(PcClockKeys::Mode).toInt(), 0);
      QCOMPARE(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->text(), QStringLiteral("1"));
      QVERIFY(!Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA")->isChecked());
      QVERIFY(!dialog.DeltaOn());
      QCOMPARE(settings.value(PcClockKeys::DeltaMs).toInt(), 1000);
      QCOMPARE(dialog.MaxQuantity(), 2);
      QCOMPARE(settings.value(PcClockKeys::MaxQuantity).toInt(), 5000);
    }
    settings.setValue(PcClockKeys::DeltaMs, -3);
    SetPcClockDialog dialog;
    QCOMPARE(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->text(), QStringLiteral("1"));
    QCOMPARE(dialog.DeltaMs(), PcClockSettings::Read(settings).deltaMs);
    QCOMPARE(dialog.DeltaOn(), PcClockSettings::Read(settings).deltaOn);
  }

  void thresholdField_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("deltaMs");
    QTest::addColumn<bool>("deltaOn");
    QTest::newRow("500") << "500" << 500 << true;
    QTest::newRow("1") << "1" << 1 << true;
    QTest::newRow("999") << "999" << 999 << true;
    QTest::newRow("0 switches off") << "0" << 1 << false;
    QTest::newRow("1000 switches off") << "1000" << 1 << false;
    QTest::newRow("-5 switches off") << "-5" << 1 << false;
    QTest::newRow("12x keeps") << "12x" << 25 << true;
    QTest::newRow("empty keeps") << "" << 25 << true;
  }

  void thresholdField()
  {
    QFETCH(QString, typed);
    QFETCH(int, deltaMs);
    QFETCH(bool, deltaOn);
    QSettings settings;
    settings.setValue(PcClockKeys::DeltaOn, true);
    settings.setValue(PcClockKeys::DeltaMs, 25);
    SetPcClockDialog dialog;
    dialog.show();

    TypeThreshold(dialog, typed);
    QCOMPARE(dialog.DeltaMs(), deltaMs);
    QCOMPARE(dialog.DeltaOn(), deltaOn);
    QCOMPARE(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA")->isChecked(), deltaOn);
    QCOMPARE(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->text(), typed);  // left as typed

    // OK checks the field as well and stores what it decided.
    QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(settings.value(PcClockKeys::DeltaMs).toInt(), deltaMs);
    QCOMPARE(settings.value(PcClockKeys::DeltaOn).toBool(), deltaOn);
  }

  void okStoresEveryChoice()
  {
    SetPcClockDialog dialog;
    dialog.show();
    Click(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_MIN"));
    Click(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_DELTA"));
    QVERIFY(Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->isEnabled());
    Find<QLineEdit>(&dialog, "IDC_CLOCK_SYNC_DELTA_MS")->setText(QStringLiteral("120"));
    Click(Find<QCheckBox>(&dialog, "IDC_AMC_ON"));
    Find<QSpinBox>(&dialog, "IDC_AMC_QTY")->setValue(30);
    Find<QComboBox>(&dialog, "IDC_AMC_UNITS")->setCurrentIndex(2);
    Click(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY"));
    QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);

    QCOMPARE(dialog.result(), 1);
    QVERIFY(!dialog.isVisible());
    QSettings settings;
    QCOMPARE(settings.value(PcClockKeys::Mode).toInt(), 3);
    QCOMPARE(settings.value(PcClockKeys::DeltaOn).toBool(), true);
    QCOMPARE(settings.value(PcClockKeys::DeltaMs).toInt(), 120);
    QCOMPARE(settings.value(PcClockKeys::MaxOn).toBool(), true);
    QCOMPARE(settings.value(PcClockKeys::MaxQuantity).toInt(), 30);
    QCOMPARE(settings.value("SetPcClockDialog/Time SyncMax Units").toInt(), 2);
    QCOMPARE(settings.value(PcClockKeys::OverrideTraim).toBool(), false);
    QCOMPARE(settings.value(PcClockKeys::OverrideIntegrity).toBool(), true);
    QVERIFY(settings.contains("SetPcClockDialog/geometry"));

    // The main window's loader reads the same choices.
    const PcClockSettings loaded = PcClockSettings::Read(settings);
    QCOMPARE(loaded.mode, 3);
    QCOMPARE(loaded.deltaMs, 120);
    QCOMPARE(loaded.maxSeconds, qint64(30));
  }

  void cancelRestoresTheStore()
  {
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, 2);
    SetPcClockDialog dialog;
    dialog.show();
    Click(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_DAY"));
    Click(Find<QCheckBox>(&dialog, "IDC_AMC_ON"));
    QCOMPARE(dialog.Mode(), 5);
    QVERIFY(dialog.MaxOn());
    QTest::mouseClick(Find<QPushButton>(&dialog, "CANCEL"), Qt::LeftButton);

    QCOMPARE(dialog.result(), 0);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Mode(), 2);
    QVERIFY(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_SEC")->isChecked());
    QVERIFY(!dialog.MaxOn());
    QVERIFY(!Find<QCheckBox>(&dialog, "IDC_AMC_ON")->isChecked());
    QCOMPARE(settings.value(PcClockKeys::Mode).toInt(), 2);
    QVERIFY(!settings.contains(PcClockKeys::MaxOn));
    QVERIFY(settings.contains("SetPcClockDialog/geometry"));
  }

  void execLoadsTheStoreFirst()
  {
    SetPcClockDialog dialog;
    QSettings().setValue(PcClockKeys::Mode, 4);
    bool hourChecked = false;
    riduder::test::AnswerNextModalDialog([&](QDialog *shown) {
      hourChecked = Find<QRadioButton>(shown, "IDC_CLOCK_SYNC_HOUR")->isChecked();
      QTest::mouseClick(Find<QPushButton>(shown, "OK"), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), 1);
    QVERIFY(hourChecked);
  }

  // The two overrides act on the next pass without OK; Cancel undoes them.
  void overridesActAtOnceAndCancelUndoes()
  {
    riduder::test::FakePcClocks clocks(QDateTime(QDate(2024, 3, 12), QTime(14, 30, 15), Qt::UTC));
    PcClockSync sync;
    PcClockSettings settings;
    settings.mode = SyncEverySecond;
    sync.SetSettings(settings);

    SetPcClockDialog dialog;
    dialog.show();
    QDateTime receiver = clocks.pc.NowUtc();
    auto pass = [&]() {
      PcClockPassInputs in;
      in.ppsTickSeen = false;  // no 1PPS line
      in.tooFewSatellites = true;
      in.overrideTraim = dialog.OverrideTraim();
      in.overrideIntegrity = dialog.OverrideIntegrity();
      GpsDateTime t;
      t.SetDateTime(receiver);
      clocks.pc.SetUtc(receiver);
      const bool set = sync.Step(t, in).setDone;
      receiver = receiver.addSecs(1);
      return set;
    };

    QVERIFY(!pass());
    Click(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_TRAIM"));
    QVERIFY(!pass());  // the integrity gate still wants the tick
    Click(Find<QCheckBox>(&dialog, "IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY"));
    QVERIFY(pass());
    QVERIFY(pass());
    QCOMPARE(clocks.clock.AppliedTimes().size(), 2);

    QTest::mouseClick(Find<QPushButton>(&dialog, "CANCEL"), Qt::LeftButton);
    QVERIFY(!dialog.OverrideTraim());
    QVERIFY(!dialog.OverrideIntegrity());
    QVERIFY(!pass());
    QCOMPARE(clocks.clock.AppliedTimes().size(), 2);
    QVERIFY(!QSettings().contains(PcClockKeys::OverrideTraim));
  }

  void oneTimeClearedWhileOpenIsNotSavedBack()
  {
    QSettings().setValue(PcClockKeys::Mode, 1);
    SetPcClockDialog dialog;
    dialog.show();
    dialog.SetMode(SyncDisable);
    QVERIFY(Find<QRadioButton>(&dialog, "IDC_CLOCK_SYNC_DISABLE")->isChecked());
    QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);
    QCOMPARE(QSettings().value(PcClockKeys::Mode).toInt(), 0);
  }

  void reportsAreCountedAndShownWhileVisible()
  {
    SetPcClockDialog dialog;
    auto *count = Find<QLabel>(&dialog, "IDC_CLOCK_SYNC_COUNT");
    auto *last = Find<QLabel>(&dialog, "IDC_CLOCK_SYNC_LAST");

    dialog.ReportClockSet(QStringLiteral("Tue Mar 12 2024"));
    dialog.ReportClockSet(QStringLiteral("Wed Mar 13 2024"));
    QCOMPARE(dialog.ClockResetCount(), 2u);
    QCOMPARE(dialog.LastSyncText(), QStringLiteral("Wed Mar 13 2024"));
    QVERIFY(count->text().isEmpty());
    QVERIFY(last->text().isEmpty());

    dialog.show();
    QVERIFY(count->text().isEmpty());  // shown only from the next report on
    dialog.ReportClockSet(QStringLiteral("Thu Mar 14 2024"));
    QCOMPARE(count->text(), QStringLiteral("3"));
    QCOMPARE(last->text(), QStringLiteral("Thu Mar 14 2024"));
    QVERIFY(Find<QLabel>(&dialog, "IDC_CLOCK_SYNC_NTPHITS")->text().isEmpty());

    dialog.SetClockResetCount(4294967294u);
    dialog.ReportClockSet(QStringLiteral("a"));
    QCOMPARE(count->text(), QStringLiteral("4294967295"));
    dialog.ReportClockSet(QStringLiteral("b"));
    QCOMPARE(count->text(), QStringLiteral("> 4294967295"));
    dialog.ReportClockSet(QStringLiteral("c"));
    QCOMPARE(count->text(), QStringLiteral("> 4294967295"));
    QCOMPARE(dialog.ClockResetCount(), 4294967295u);
    QCOMPARE(last->text(), QStringLiteral("c"));
  }

  void geometryIsKept()
  {
    {
      SetPcClockDialog dialog;
      dialog.show();
      dialog.move(123, 77);
      QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);
    }
    SetPcClockDialog again;
    again.show();
    // Within the frame margins of the platform.
    QVERIFY2((again.pos() - QPoint(123, 77)).manhattanLength() <= 8,
             qPrintable(QStringLiteral("at %1,%2").arg(again.pos().x()).arg(again.pos().y())));
  }
};

RIDUDER_TEST_MAIN(SetPcClockDialogTest)
#include "tst_setpcclockdialog.moc"
