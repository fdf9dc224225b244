#include "TestMain.h"

#include "FramerRecorder.h"
#include "OncoreMessageBuilder.h"

#include "app/MainWindow.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/dialogs/GpsRxDialog.h"

#include <QLabel>
#include <QSettings>
#include <QStatusBar>

using riduder::test::OncoreMessageBuilder;

// The Oncore echoes and reports as the user meets them: in the main
// window's status bar, clock area, receiver identification window and
// settings.
class TestOncoreExtrasWindow : public QObject {
  Q_OBJECT

private slots:
  // The position-hold echo sets the navigation indicator at its message
  // (the next "@@Ea" rewrites it every second); the UTC offset of "@@Bo"
  // reaches the GPS date panel.
  void positionHoldCapture()
  {
    RIDUDER_REQUIRE_CAPTURES();
    bool read = false;
    const QByteArray stream =
        riduder::test::ReadCapture(QStringLiteral("oncore/oncore-binary-pos-hold.log"), &read);
    QVERIFY(read);
    riduder::test::FramerRecorder framed;
    OncoreFramer().Process(stream, framed);
    QVERIFY(!framed.messages.isEmpty());

    MainWindow window;
    auto *idWindow = window.findChild<GpsRxIdDialog *>();
    QVERIFY(idWindow);
    int holdEchoes = 0;
    for (const QByteArray &message : framed.messages) {
      const QString line = window.DecodeMotorolaBinaryMessage(message);
      if (!message.startsWith("@@At"))
        continue;
      ++holdEchoes;
      QCOMPARE(line, QStringLiteral("@@At Position Hold Mode ENABLED\n"));
      QCOMPARE(window.NavStatusLabel()->text(), QStringLiteral("Position Hold"));
      QVERIFY(idWindow->MessageText().endsWith(QLatin1String("@@At Position Hold Mode ENABLED")));
    }
    QVERIFY(holdEchoes > 0);

    auto *datePanel = window.findChild<QLabel *>(QStringLiteral("IDC_GPS_CLOCK_DATA"));
    QVERIFY(datePanel);
    QVERIFY2(datePanel->text().contains(QLatin1String("<br>UTC = GPS - 18 seconds")),
             qPrintable(datePanel->text()));
  }

  // A constellation report sets and stores the receiver settings and shows
  // the label in the status bar.
  void constellationReport()
  {
    MainWindow window;
    const ReceiverModeSettings &mode = window.ReceiverMode();
    window.DecodeMotorolaBinaryMessage(OncoreMessageBuilder("Sc", 5).U8(4, 0x83).Framed());
    QCOMPARE((QList<bool>{mode.satGps, mode.satGlonass, mode.satGalileo, mode.satBeidou, mode.satQzss,
                          mode.satSbas}),
             (QList<bool>{true, true, false, false, false, true}));
    QSettings settings;
    QCOMPARE(settings.value("GpsRxDialog/Sat Gps").toBool(), true);
    QCOMPARE(settings.value("GpsRxDialog/Sat Galileo").toBool(), false);
    QCOMPARE(settings.value("GpsRxDialog/Sat Sbas").toBool(), true);
    QStringList labels;
    for (QLabel *label : window.statusBar()->findChildren<QLabel *>())
      labels << label->text();
    QVERIFY2(labels.contains(QStringLiteral("GPS & GLONASS & SBAS")), qPrintable(labels.join('|')));

    window.DecodeMotorolaBinaryMessage(OncoreMessageBuilder("Sc", 5).U8(4, 0x60).Framed());
    QCOMPARE(settings.value("GpsRxDialog/Sat Gps").toBool(), false);
    QCOMPARE(settings.value("GpsRxDialog/Sat Sbas").toBool(), false);
    labels.clear();
    for (QLabel *label : window.statusBar()->findChildren<QLabel *>())
      labels << label->text();
    QVERIFY2(labels.contains(QStringLiteral("-")), qPrintable(labels.join('|')));
  }
};

RIDUDER_TEST_MAIN(TestOncoreExtrasWindow)
#include "tst_oncoreextraswindow.moc"
