#include "TestMain.h"

#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "receiver/link/Checksums.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

// The window's command travelling the whole way: completed with its
// protocol's checksum as the command sender does, written by the receiver
// port, read by a simulated receiver on a pseudo-terminal.
class TestManualCommandPort : public QObject
{
  Q_OBJECT

private slots:
  void commandReachesTheReceiver_data();
  void commandReachesTheReceiver();
  void replyShowsInTheRawDataWindow();
};

void TestManualCommandPort::commandReachesTheReceiver_data()
{
  QTest::addColumn<int>("model");
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<QString>("params");
  QTest::addColumn<QString>("checksum");
  QTest::addColumn<QByteArray>("line");

  QTest::newRow("Oncore") << 25 << 2u << "@@Ba" << "00" << "23" << QByteArray("\x40\x40\x42\x61\x00\x23\r\n", 8);
  QTest::newRow("Motorola NMEA") << 8 << 1u << "$PMOTG,GGA," << "0001" << "*01"
                                 << QByteArray("$PMOTG,GGA,0001*01\r\n");
}

void TestManualCommandPort::commandReachesTheReceiver()
{
  QFETCH(int, model);
  QFETCH(quint32, mode);
  QFETCH(QString, prefix);
  QFETCH(QString, params);
  QFETCH(QString, checksum);
  QFETCH(QByteArray, line);

  riduder::sim::ReceiverSimulator receiver;
  QString error;
  QVERIFY2(receiver.open(&error), qPrintable(error));

  GpsPortSettings settings;
  settings.portName = receiver.slavePath();
  settings.modeText = GpsModeName(mode);
  settings.ppsInterface = 0;
  settings.dataRate = 9600;
  settings.Save();

  receiverIdentity.model = model;
  CurrentGpsMode = mode;
  GpsSerialPortThread port;
  port.startGpsSerialPort(true);
  QVERIFY(port.IsOpen());

  ManualCommandDialog window;
  QList<QPair<QString, QString>> warnings;
  window.SetWarningHandler([&](const QString &title, const QString &text) { warnings.append({title, text}); });
  connect(&window, &ManualCommandDialog::sendGpsMessage, &port, [&port](QByteArray message) {
    if (message.startsWith('$'))
      AppendNmeaChecksum(message);
    else if (message.startsWith("\xB5\x62"))
      AppendUbxChecksum(message);
    else if (message.startsWith("@@"))
      AppendOncoreChecksum(message);
    port.OnSendGpsMessage(message);
  });
  window.ShowDialog();

  auto *combo = window.findChild<QComboBox *>("IDC_MANCMD_CMD");
  auto *prefixField = window.findChild<QLineEdit *>("IDC_MANCMD_PREFIX");
  auto *paramField = window.findChild<QLineEdit *>("IDC_MANCMD_PARAM");
  combo->lineEdit()->selectAll();
  QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
  QTest::keyClicks(prefixField, prefix);
  QTest::keyClicks(paramField, params);
  QCOMPARE(window.findChild<QLineEdit *>("IDC_MANCMD_CS")->text(), checksum);

  QTest::mouseClick(window.findChild<QPushButton *>("SEND"), Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(receiver.receivedMessages().size(), 1, 2000);
  QCOMPARE(receiver.received(), line);
  QVERIFY(warnings.isEmpty());
  port.stopGpsSerialPort();
}

// On the running program: the window opened from the menu, the command
// completed and written by the main window's command layer, and the
// receiver's answer shown in the raw-data window after the command's echo.
void TestManualCommandPort::replyShowsInTheRawDataWindow()
{
  auto options = riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600);
  riduder::test::WindowOnSimulator rig(options);
  QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
  riduder::test::ScriptedReceiver receiver(rig.Simulator(), riduder::test::ReceiverFamily::Oncore12, 9600);
  receiverIdentity.model = GpsRxModel::M12Plus;
  rig.TakeRawDataEntries();

  MainWindow &main = rig.Window();
  main.findChild<QAction *>(QStringLiteral("actionManual_GPS_Receiver_Commands"))->trigger();
  ManualCommandDialog *window = main.ManualCommands();
  QVERIFY(window && window->isVisible());
  auto *combo = window->findChild<QComboBox *>("IDC_MANCMD_CMD");
  combo->setCurrentIndex(combo->findText(QStringLiteral("@@Cj")));
  QCOMPARE(window->findChild<QLineEdit *>("IDC_MANCMD_CS")->text(), QStringLiteral("29"));

  QTest::mouseClick(window->findChild<QPushButton *>("SEND"), Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(receiver.HeardNames(), QStringList{QStringLiteral("@@Cj")}, 3000);
  QCOMPARE(receiver.Heard().first(), QByteArray("@@Cj\x29", 5));
  const auto replyShown = [&rig] {
    const QStringList entries = rig.RawDataEntries();
    const qsizetype echo = entries.indexOf(QStringLiteral("<- @@Cj<29>"));
    for (qsizetype i = echo + 1; echo >= 0 && i < entries.size(); ++i)
      if (entries.at(i).startsWith(QLatin1String("-> @@Cj")))
        return true;
    return false;
  };
  QTRY_VERIFY2_WITH_TIMEOUT(replyShown(), qPrintable(rig.RawDataEntries().join('\n')), 3000);
}

RIDUDER_TEST_MAIN(TestManualCommandPort)
#include "tst_manualcommandport.moc"
