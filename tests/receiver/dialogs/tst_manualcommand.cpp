#include "TestMain.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "fields/NumericFieldCheck.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>

#include <memory>

namespace {

using Warnings = QList<QPair<QString, QString>>;

const QPair<QString, QString> kHexError{"HEX Number Error", "Illegal HEX character in parameter field."};
const QPair<QString, QString> kMessageError{"Message Error", "Improperly formed message, cannot send."};

// One window for a receiver model and protocol, with its boxes and sends
// recorded.
struct Window {
  std::unique_ptr<ManualCommandDialog> dialog;
  std::unique_ptr<QSignalSpy> sent;
  Warnings warnings;

  Window(int model, quint32 mode, bool show = true)
  {
    receiverIdentity.model = model;
    CurrentGpsMode = mode;
    dialog = std::make_unique<ManualCommandDialog>();
    dialog->SetWarningHandler([this](const QString &title, const QString &text) { warnings.append({title, text}); });
    sent = std::make_unique<QSignalSpy>(dialog.get(), &ManualCommandDialog::sendGpsMessage);
    if (show)
      dialog->ShowDialog();
  }

  template <typename T> T *w(const char *name) const
  {
    T *widget = dialog->findChild<T *>(QLatin1String(name));
    if (!widget)
      qFatal("no widget %s", name);
    return widget;
  }
  QComboBox *combo() const { return w<QComboBox>("IDC_MANCMD_CMD"); }
  QLineEdit *prefix() const { return w<QLineEdit>("IDC_MANCMD_PREFIX"); }
  QLineEdit *params() const { return w<QLineEdit>("IDC_MANCMD_PARAM"); }
  QLineEdit *ascii() const { return w<QLineEdit>("IDC_MANCMD_ASCII"); }
  QLineEdit *checksum() const { return w<QLineEdit>("IDC_MANCMD_CS"); }
  QLineEdit *info() const { return w<QLineEdit>("IDC_MANCMD_INFO"); }
  QLabel *asciiLabel() const { return w<QLabel>("IDC_MANCMD_STATIC51"); }

  QStringList names() const
  {
    QStringList out;
    for (int i = 0; i < combo()->count(); ++i)
      out << combo()->itemText(i);
    return out;
  }

  // Types a name into the command box, as the user would.
  void typeName(const QString &name) const
  {
    combo()->lineEdit()->selectAll();
    QTest::keyClick(combo()->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(combo()->lineEdit(), name);
  }

  // A raw command: no row chosen (no length limit), then prefix and
  // parameters typed into their fields.
  void enter(const QString &prefixText, const QString &paramText) const
  {
    typeName(QString());
    QTest::keyClicks(prefix(), prefixText);
    QTest::keyClicks(params(), paramText);
  }

  void send() const { QTest::mouseClick(w<QPushButton>("SEND"), Qt::LeftButton); }
  QByteArray lastSent() const { return sent->isEmpty() ? QByteArray() : sent->last().at(0).toByteArray(); }
};

}  // namespace

class TestManualCommand : public QObject
{
  Q_OBJECT

private slots:
  void showingFillsTheListAndSelectsTheFirstCommand();
  void hiddenCommandsCanStillBeTyped();
  void theGroupDecidesWhichCommandANameMeans();
  void noGroupLeavesTheListEmptyAndTheGroupAsItWas();
  void unknownNamesAreRawPrefixes();
  void sending_data();
  void sending();
  void hexErrorsWarnAndRefuse();
  void warningsGoThroughTheDialogsSharedBox();
  void asciiEntryIsTypedOverInPlace_data();
  void asciiEntryIsTypedOverInPlace();
  void tkTextCarriesItsTrailer_data();
  void tkTextCarriesItsTrailer();
  void closeSavesGeometry();
  void rendersOffscreen();
};

void TestManualCommand::showingFillsTheListAndSelectsTheFirstCommand()
{
  Window win(25, GpsModeMotorolaBinary);
  QCOMPARE(win.names().size(), 103);
  QCOMPARE(win.combo()->currentText(), QString("@@Aa"));
  QCOMPARE(win.prefix()->text(), QString("@@Aa"));
  QCOMPARE(win.params()->text(), QString("FFFFFF"));
  QCOMPARE(win.info()->text(), QString("Time of Day [VP. UT, GT]"));
  QCOMPARE(win.checksum()->text(), QString("DF"));  // 'A' ^ 'a' ^ FF ^ FF ^ FF
  QCOMPARE(win.params()->maxLength(), 6);

  // Showing again lists the names once, and a new protocol changes them.
  win.dialog->ShowDialog();
  QCOMPARE(win.names().size(), 103);
  CurrentGpsMode = GpsModeMotorolaNmea;
  win.dialog->ShowDialog();
  QCOMPARE(win.names().size(), 9);
  QCOMPARE(win.prefix()->text(), QString("$PMOTG,GGA,"));
  QCOMPARE(win.checksum()->text(), QString("*00"));  // XOR of "PMOTG,GGA,0000"
  QVERIFY(win.warnings.isEmpty());
}

void TestManualCommand::hiddenCommandsCanStillBeTyped()
{
  Window win(3, GpsModeMotorolaBinary);
  QCOMPARE(win.names().size(), 96);
  QVERIFY(!win.names().contains("@@Sa"));
  win.typeName("@@Sa");
  QCOMPARE(win.info()->text(), QString("M8F/T: Query Satellite Tracking Information"));
  QCOMPARE(win.prefix()->text(), QString("@@Sa"));
  QCOMPARE(win.params()->text(), QString("00"));
  QCOMPARE(win.checksum()->text(), QString("32"));  // 'S' ^ 'a'
}

void TestManualCommand::theGroupDecidesWhichCommandANameMeans()
{
  Window ut(8, GpsModeMotorolaNmea);
  ut.combo()->setCurrentIndex(ut.combo()->findText("@@Wb"));
  QCOMPARE(ut.info()->text(), QString("Change baud rate without leaving NMEA [SSR V4.21+]"));
  // "@@" in the Motorola NMEA protocol is still an Oncore message.
  QCOMPARE(ut.checksum()->text(), QString("00"));  // 'W' ^ 'b' ^ 01 ^ 34
  ut.send();
  QCOMPARE(ut.lastSent(), QByteArray("@@Wb\x01\x34"));

  ut.combo()->setCurrentIndex(ut.combo()->findText("$GPGGA"));
  QCOMPARE(ut.prefix()->text(), QString("$PMOTG,GGA,"));

  Window ublox(20, GpsModeUbloxNmea);
  QCOMPARE(ublox.combo()->currentText(), QString("$GPDTM"));
  ublox.combo()->setCurrentIndex(ublox.combo()->findText("$GPGGA"));
  QCOMPARE(ublox.prefix()->text(), QString("B56206010300F000"));
  QCOMPARE(ublox.params()->text(), QString("01"));
}

void TestManualCommand::noGroupLeavesTheListEmptyAndTheGroupAsItWas()
{
  Window win(3, GpsModeMotorolaBinary);
  CurrentGpsMode = GpsModeMotorolaBinaryRxOnly;
  win.dialog->ShowDialog();
  QCOMPARE(win.combo()->count(), 0);
  win.typeName("@@Sa");
  QCOMPARE(win.info()->text(), QString("M8F/T: Query Satellite Tracking Information"));

  // Receive-only: nothing leaves, whatever the command.
  QCOMPARE(win.checksum()->text(), QString());
  win.send();
  win.enter("$PMOTG,GGA,", "0001");
  QCOMPARE(win.checksum()->text(), QString("*01"));
  win.send();
  QCOMPARE(win.sent->count(), 0);
  QCOMPARE(win.warnings.size(), 2);
}

void TestManualCommand::unknownNamesAreRawPrefixes()
{
  // Before any fill has chosen a group every name is unknown.
  Window fresh(25, GpsModeMotorolaBinary, false);
  fresh.typeName("@@Aa");
  QCOMPARE(fresh.prefix()->text(), QString("@@Aa"));
  QCOMPARE(fresh.info()->text(), QString());
  QCOMPARE(fresh.params()->text(), QString());

  Window win(25, GpsModeMotorolaBinary);
  win.typeName("@@Zz");
  QCOMPARE(win.prefix()->text(), QString("@@Zz"));
  QCOMPARE(win.info()->text(), QString());
  QCOMPARE(win.params()->text(), QString());
  QCOMPARE(win.params()->maxLength(), 32767);
  QCOMPARE(win.checksum()->text(), QString("20"));  // 'Z' ^ 'z'
  QVERIFY(!win.ascii()->isEnabled());
}

void TestManualCommand::sending_data()
{
  QTest::addColumn<int>("model");
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<QString>("params");
  QTest::addColumn<QString>("checksum");
  QTest::addColumn<QByteArray>("sent");  // empty: refused

  QTest::newRow("Ba poll") << 25 << 2u << "@@Ba" << "00" << "23" << QByteArray("@@Ba\x00", 5);
  QTest::newRow("blank and lower case") << 25 << 2u << "@@Ba" << "1 a" << "39" << QByteArray("@@Ba\x1A");
  QTest::newRow("odd digit count") << 25 << 2u << "@@Ba" << "ABC" << "95" << QByteArray("@@Ba\x0A\xBC");
  QTest::newRow("short Oncore prefix") << 25 << 2u << "@@B" << "" << "" << QByteArray();
  QTest::newRow("NMEA prefix in binary") << 25 << 2u << "$PMOTG,GGA," << "0001" << "" << QByteArray();
  QTest::newRow("Motorola NMEA") << 8 << 1u << "$PMOTG,GGA," << "0001" << "*01" << QByteArray("$PMOTG,GGA,0001*01");
  QTest::newRow("typed tail gives way") << 8 << 1u << "$PMOTG,GGA," << "0001*7F" << "*01"
                                        << QByteArray("$PMOTG,GGA,0001*01");
  QTest::newRow("Oncore in Motorola NMEA") << 8 << 1u << "@@Cj" << "" << "29" << QByteArray("@@Cj");
  QTest::newRow("text as typed, sent cleaned") << 15 << 6u << "$GPALM," << "a b" << "*58"
                                               << QByteArray("$GPALM,AB*58");
  QTest::newRow("too short a sentence") << 15 << 6u << "$GPA" << "" << "" << QByteArray();
  QTest::newRow("'>' command") << 15 << 6u << ">ABC" << "D" << "" << QByteArray();
  QTest::newRow("UBX MON-VER poll") << 20 << 9u << "B5620A040000" << "" << "0E34"
                                    << QByteArray("\xB5\x62\x0A\x04\x00\x00", 6);
  QTest::newRow("UBX short prefix") << 20 << 9u << "B5620A04" << "0000" << "" << QByteArray();
  QTest::newRow("UBX wrong sync") << 20 << 9u << "B5630A040000" << "" << "" << QByteArray();
  QTest::newRow("rx only Oncore") << 25 << 3u << "@@Ba" << "00" << "" << QByteArray();
}

void TestManualCommand::sending()
{
  QFETCH(int, model);
  QFETCH(quint32, mode);
  QFETCH(QString, prefix);
  QFETCH(QString, params);
  QFETCH(QString, checksum);
  QFETCH(QByteArray, sent);

  Window win(model, mode);
  win.enter(prefix, params);
  QCOMPARE(win.checksum()->text(), checksum);
  win.send();
  if (sent.isEmpty()) {
    QCOMPARE(win.sent->count(), 0);
    QCOMPARE(win.warnings.size(), 1);
    if (mode != GpsModeMotorolaBinaryRxOnly)
      QCOMPARE(win.warnings.first(), kMessageError);
  } else {
    QCOMPARE(win.sent->count(), 1);
    QCOMPARE(win.lastSent(), sent);
    QVERIFY(win.warnings.isEmpty());
  }
  // The fields keep what the user typed.
  QCOMPARE(win.prefix()->text(), prefix);
  QCOMPARE(win.params()->text(), params);
}

void TestManualCommand::hexErrorsWarnAndRefuse()
{
  Window win(25, GpsModeMotorolaBinary);
  win.enter("@@Ba", "0G");
  QCOMPARE(win.warnings, Warnings({kHexError}));  // at the "G"
  QCOMPARE(win.checksum()->text(), QString());
  win.warnings.clear();
  win.send();
  QCOMPARE(win.warnings, Warnings({kMessageError}));
  QCOMPARE(win.sent->count(), 0);

  Window ublox(20, GpsModeUbloxUbx);
  ublox.enter("B5620A040000", "Z");
  QCOMPARE(ublox.warnings, Warnings({kHexError}));
  QCOMPARE(ublox.checksum()->text(), QString());
}

Warnings sharedBoxes;

void TestManualCommand::warningsGoThroughTheDialogsSharedBox()
{
  SetFieldWarningFunction([](QWidget *, const QString &title, const QString &text) {
    sharedBoxes.append({title, text});
  });
  receiverIdentity.model = 25;
  CurrentGpsMode = GpsModeMotorolaBinary;
  ManualCommandDialog dialog;
  dialog.ShowDialog();
  dialog.findChild<QPushButton *>("SEND")->click();  // "@@Aa" is well formed
  auto *prefix = dialog.findChild<QLineEdit *>("IDC_MANCMD_PREFIX");
  prefix->selectAll();
  QTest::keyClick(prefix, Qt::Key_Backspace);
  dialog.findChild<QPushButton *>("SEND")->click();
  SetFieldWarningFunction(nullptr);
  QCOMPARE(sharedBoxes, Warnings({kMessageError}));
}

void TestManualCommand::asciiEntryIsTypedOverInPlace_data()
{
  QTest::addColumn<QString>("command");
  QTest::addColumn<bool>("clearFirst");
  QTest::addColumn<QString>("ascii");
  QTest::addColumn<QString>("hex");

  QTest::newRow("serial number, blank field") << "@@Ws" << true << "AB          " << "4142" + QString("20").repeated(10);
  QTest::newRow("model number, blank field") << "@@Wm" << true << "AB             " << "4142" + QString("20").repeated(13);
  QTest::newRow("tag, typed over") << "@@Gk" << false << "AB****" << "41422A2A2A2A";
}

void TestManualCommand::asciiEntryIsTypedOverInPlace()
{
  QFETCH(QString, command);
  QFETCH(bool, clearFirst);
  QFETCH(QString, ascii);
  QFETCH(QString, hex);

  Window win(25, GpsModeMotorolaBinary);
  win.combo()->setCurrentIndex(win.combo()->findText(command));
  QVERIFY(win.ascii()->isEnabled());
  const int length = win.params()->text().size() / 2;
  QCOMPARE(win.asciiLabel()->text(), QString("Parameters (ASCII text, %1 characters)").arg(length));
  QCOMPARE(win.ascii()->maxLength(), length);
  if (clearFirst) {
    win.ascii()->selectAll();
    QTest::keyClick(win.ascii(), Qt::Key_Delete);  // pads back to blanks
    QCOMPARE(win.ascii()->text(), QString(length, ' '));
    QCOMPARE(win.ascii()->cursorPosition(), 0);
  } else {
    win.ascii()->setCursorPosition(0);
  }
  QTest::keyClicks(win.ascii(), "AB");
  QCOMPARE(win.ascii()->text(), ascii);
  QCOMPARE(win.params()->text(), hex);
  QCOMPARE(win.ascii()->cursorPosition(), 2);

  // HEX typed in the parameter field shows as text, unprintable as ".".
  win.params()->clear();
  QTest::keyClicks(win.params(), "4101");
  QCOMPARE(win.ascii()->text(), QString("A."));

  // A command whose defaults are not text keeps the ASCII entry closed.
  win.combo()->setCurrentIndex(win.combo()->findText("@@Aa"));
  QVERIFY(!win.ascii()->isEnabled());
  QCOMPARE(win.asciiLabel()->text(), QString("Parameters (ASCII text)"));
}

void TestManualCommand::tkTextCarriesItsTrailer_data()
{
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("trailer");
  QTest::addColumn<QString>("checksum");

  // Trailer: FF, bits 8..15 of sum + 256, low byte of the signed byte sum;
  // then the Oncore checksum of the whole message.
  QTest::newRow("two letters") << "AB" << QByteArray("\xFF\x01\x83") << "FF018341";
  QTest::newRow("high byte counts negative") << QString(QChar(0xE9)) << QByteArray("\xFF\x00\xE9", 3) << "FF00E9C0";
  QTest::newRow("empty") << "" << QByteArray("\xFF\x01\x00", 3) << "FF0100C1";
  QTest::newRow("blank kept") << "A B" << QByteArray("\xFF\x01\xA3") << "FF01A341";
}

void TestManualCommand::tkTextCarriesItsTrailer()
{
  QFETCH(QString, text);
  QFETCH(QByteArray, trailer);
  QFETCH(QString, checksum);

  Window win(3, GpsModeMotorolaBinary);
  win.typeName("@@Tk");
  QCOMPARE(win.info()->text(), QString("R/W Manufacturing Data From/To FLASH [M12]"));
  for (QChar c : text)
    QTest::sendKeyEvent(QTest::Click, win.params(), Qt::Key_unknown, QString(c), Qt::NoModifier);
  QCOMPARE(win.params()->text(), text);
  QCOMPARE(win.checksum()->text(), checksum);
  win.send();
  QCOMPARE(win.lastSent(), "@@Tk" + text.toLatin1() + trailer);
  QVERIFY(win.warnings.isEmpty());
}

void TestManualCommand::closeSavesGeometry()
{
  Window win(25, GpsModeMotorolaBinary);
  auto *close = win.w<QPushButton>("OK");
  QCOMPARE(close->text(), QString("Close"));
  QVERIFY(!close->autoDefault());
  QCOMPARE(win.dialog->windowTitle(), QString("Manual Commands"));
  QCOMPARE(win.dialog->size(), QSize(659, 175));
  QVERIFY(!QSettings().contains("ManualCommandDialog/geometry"));
  QTest::mouseClick(close, Qt::LeftButton);
  QVERIFY(!win.dialog->isVisible());
  QCOMPARE(win.dialog->result(), 1);
  QVERIFY(QSettings().contains("ManualCommandDialog/geometry"));
}

// The window drawn as the user sees it; RIDUDER_SCREENSHOT_DIR keeps the
// picture for a look.
void TestManualCommand::rendersOffscreen()
{
  Window win(25, GpsModeMotorolaBinary);
  win.combo()->setCurrentIndex(win.combo()->findText("@@Ws"));
  const QPixmap picture = win.dialog->grab();
  QCOMPARE(picture.size() / picture.devicePixelRatio(), QSize(659, 175));
  const QString dir = qEnvironmentVariable("RIDUDER_SCREENSHOT_DIR");
  if (!dir.isEmpty())
    QVERIFY(picture.save(dir + "/ManualCommandDialog.png"));
}

RIDUDER_TEST_MAIN(TestManualCommand)
#include "tst_manualcommand.moc"
