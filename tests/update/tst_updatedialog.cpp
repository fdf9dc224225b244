#include "TestMain.h"

#include "ModalDialogs.h"
#include "RecordingMessageBoxes.h"
#include "ScriptedHttpServer.h"
#include "WindowOnSimulator.h"
#include "FakeCodeSignature.h"
#include "FakeInstallerLauncher.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "platform/CodeSignature.h"
#include "platform/InstallerLauncher.h"
#include "update/UpdateCheck.h"
#include "update/UpdateDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

using riduder::test::HttpResponse;
using riduder::test::ScriptedHttpServer;

namespace {

struct Failure {
  QString title;
  QString text;
};

}  // namespace

// The update dialog against a local server, with a fake signature check and
// a fake launcher: download, verification, start, failures and cancelling;
// and the main window's checks that open it.
class TestUpdateDialog : public QObject {
  Q_OBJECT

  QByteArray installer;
  std::unique_ptr<ScriptedHttpServer> server;
  FakeCodeSignature signature;
  FakeInstallerLauncher launcher;
  std::unique_ptr<ScopedCodeSignatureOverride> signatureInForce;
  std::unique_ptr<ScopedInstallerLauncherOverride> launcherInForce;
  QList<Failure> failures;

  UpdateManifest Manifest() const
  {
    return {QStringLiteral("1.2.11"), server->Url("/dl/setup-1.2.11.exe"), QStringLiteral("Faster.")};
  }

  QByteArray ManifestJson() const
  {
    return "{\"latest_version\": \"1.2.11\", \"download_url\": \"" + server->Url("/dl/setup-1.2.11.exe").toLatin1() +
           "\", \"release_notes\": \"Faster.\"}";
  }

  void RouteGoodUpdate()
  {
    server->Route("/manifest.json", HttpResponse::Ok(ManifestJson()));
    server->Route("/dl/setup-1.2.11.exe", HttpResponse::Ok(installer));
    server->Route("/dl/setup-1.2.11.sha256",
                  HttpResponse::Ok(QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex() +
                                   "  setup-1.2.11.exe\n"));
  }

  std::unique_ptr<UpdateDialog> MakeDialog()
  {
    auto dialog = std::make_unique<UpdateDialog>(Manifest());
    dialog->setFailureReporter([this](const QString &title, const QString &text) { failures.append({title, text}); });
    dialog->show();
    return dialog;
  }

  template <typename T>
  static T *Child(QWidget *dialog, const char *name)
  {
    return dialog->findChild<T *>(QLatin1String(name));
  }

  static QString StatusOf(QWidget *dialog) { return Child<QLabel>(dialog, "labelStatus")->text(); }

private slots:
  void initTestCase()
  {
    for (int i = 0; i < 200000; ++i)
      installer.append(char(i % 251));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.10"));
  }

  void init()
  {
    QSettings().clear();
    server = std::make_unique<ScriptedHttpServer>();
    signature = FakeCodeSignature();
    launcher = FakeInstallerLauncher();
    signatureInForce = std::make_unique<ScopedCodeSignatureOverride>(&signature);
    launcherInForce = std::make_unique<ScopedInstallerLauncherOverride>(&launcher);
    failures.clear();
  }

  void cleanup()
  {
    launcherInForce.reset();
    signatureInForce.reset();
    server.reset();
  }

  void dialogShowsTheManifestAsPlainText()
  {
    UpdateManifest manifest{QStringLiteral("<b>1.2.11</b>"), QStringLiteral("https://h.example/s.exe"), QString()};
    UpdateDialog dialog(manifest);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Riduder Update"));
    QCOMPARE(Child<QLabel>(&dialog, "labelHeadline")->text(), QStringLiteral("A newer version of Riduder is available."));
    QCOMPARE(Child<QLabel>(&dialog, "labelInstalled")->text(), QStringLiteral("1.2.10"));
    QLabel *fresh = Child<QLabel>(&dialog, "labelNew");
    QCOMPARE(fresh->text(), manifest.latestVersion);
    QCOMPARE(fresh->textFormat(), Qt::PlainText);
    QCOMPARE(Child<QPlainTextEdit>(&dialog, "textNotes")->toPlainText(),
             QStringLiteral("(No release notes were published for this version.)"));
    QVERIFY(Child<QProgressBar>(&dialog, "progressBar")->isHidden());
    QVERIFY(Child<QPushButton>(&dialog, "btnLater")->isDefault());

    // The automatic-check box is stored at once, whatever ends the dialog.
    QCheckBox *automatic = Child<QCheckBox>(&dialog, "checkAuto");
    QVERIFY(automatic->isChecked());
    automatic->click();
    QCOMPARE(QSettings().value("Updates/AutoCheck").toBool(), false);
    dialog.reject();
    QCOMPARE(dialog.resultCode(), int(UpdateDialog::Later));
  }

  void skipStoresTheVersion()
  {
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnSkip")->click();
    QCOMPARE(dialog->resultCode(), int(UpdateDialog::Skipped));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(UpdateCheck::dismissedVersion(), QStringLiteral("1.2.11"));
  }

  void downloadVerifyAndStartTheVerifiedFile()
  {
    RouteGoodUpdate();
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnInstall")->click();
    QVERIFY(!Child<QPushButton>(dialog.get(), "btnInstall")->isEnabled());
    QCOMPARE(Child<QPushButton>(dialog.get(), "btnLater")->text(), QStringLiteral("Cancel"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 10000);
    QCOMPARE(dialog->resultCode(), int(UpdateDialog::InstallerStarted));
    QVERIFY(failures.isEmpty());
    const QString path = dialog->localPath();
    QCOMPARE(launcher.StartedPaths(), QStringList{path});
    QCOMPARE(signature.CheckedPaths(), QStringList{path});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), installer);
    // In a private folder made for it, which outlives the dialog.
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("setup-1.2.11.exe"));
    QCOMPARE(QFile::permissions(QFileInfo(path).absolutePath()) & 0x0077, QFileDevice::Permissions());
    dialog.reset();
    QVERIFY(QFile::exists(path));
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
  }

  void failuresKeepTheDialogOpen_data()
  {
    QTest::addColumn<QByteArray>("checksumBody");
    QTest::addColumn<bool>("cutShort");
    QTest::addColumn<bool>("launcherFails");
    QTest::addColumn<QString>("launcherReason");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("fileStays");
    QTest::newRow("mismatch") << QByteArray(64, '0') << false << false << QString()
                              << "The downloaded file does not match its published checksum, so it has NOT been "
                                 "run.\n\nExpected " + QString(64, '0') + "\nGot      %digest" << false;
    QTest::newRow("ended early") << QByteArray() << true << false << QString()
                                 << "The download ended early (1000 of 200000 bytes)." << false;
    // The launcher's own reason, and the file to run by hand, named once.
    QTest::newRow("installer does not start") << QByteArray() << false << true << "No room for it."
                                              << "The installer could not be started.\n\nNo room for it.\n\n%path"
                                              << true;
    QTest::newRow("installer does not start, reason names it")
        << QByteArray() << false << true << "Could not start %1."
        << "The installer could not be started.\n\nCould not start %path." << true;
  }

  void failuresKeepTheDialogOpen()
  {
    QFETCH(QByteArray, checksumBody);
    QFETCH(bool, cutShort);
    QFETCH(bool, launcherFails);
    QFETCH(QString, launcherReason);
    QFETCH(QString, error);
    QFETCH(bool, fileStays);
    RouteGoodUpdate();
    if (!checksumBody.isEmpty())
      server->Route("/dl/setup-1.2.11.sha256", HttpResponse::Ok(checksumBody));
    if (cutShort) {
      HttpResponse shortened = HttpResponse::Ok(installer);
      shortened.bytesToSend = 1000;
      server->Route("/dl/setup-1.2.11.exe", shortened);
    }
    launcher.SetFails(launcherFails, launcherReason);
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnInstall")->click();
    QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 10000);
    const QString path = dialog->localPath();
    error.replace("%digest", QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex());
    error.replace("%path", path);
    QCOMPARE(failures[0].title, QStringLiteral("Riduder"));
    QCOMPARE(failures[0].text, error);
    QCOMPARE(QFile::exists(path), fileStays);
    QVERIFY(dialog->isVisible());
    QCOMPARE(StatusOf(dialog.get()), QStringLiteral("The update was not installed."));
    QVERIFY(Child<QProgressBar>(dialog.get(), "progressBar")->isHidden());
    QPushButton *later = Child<QPushButton>(dialog.get(), "btnLater");
    QCOMPARE(later->text(), QStringLiteral("&Later"));
    QVERIFY(later->isEnabled());
    QVERIFY(Child<QPushButton>(dialog.get(), "btnInstall")->isEnabled());
    QVERIFY(Child<QPushButton>(dialog.get(), "btnSkip")->isEnabled());
    QCOMPARE(launcher.StartedPaths().size(), launcherFails ? 1 : 0);
    // An installer that would not start stays for the user, folder and all,
    // after the dialog has gone.
    dialog.reset();
    QCOMPARE(QFile::exists(path), fileStays);
    if (fileStays)
      QDir(QFileInfo(path).absolutePath()).removeRecursively();
  }

  void cancelDuringTheDownload()
  {
    // No length given: only the kilobytes are shown, the bar stays at 0.
    HttpResponse stalled = HttpResponse::Ok(installer);
    stalled.contentLength = HttpResponse::NoLength;
    stalled.bytesToSend = 1000;
    stalled.later = installer.mid(1000, 2000);
    stalled.laterMs = 300;
    stalled.stall = true;
    server->Route("/dl/setup-1.2.11.exe", stalled);
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnInstall")->click();
    QTRY_COMPARE_WITH_TIMEOUT(StatusOf(dialog.get()), QStringLiteral("Downloading... 2 KB"), 10000);
    QCOMPARE(Child<QProgressBar>(dialog.get(), "progressBar")->value(), 0);
    const QString path = dialog->localPath();
    QVERIFY(QFile::exists(path));
    dialog->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 10000);
    QCOMPARE(dialog->resultCode(), int(UpdateDialog::Later));
    QVERIFY(!QFile::exists(path));
    QVERIFY(failures.isEmpty());
    QVERIFY(launcher.StartedPaths().isEmpty());
  }

  // A download that stalls at once shows what came before it stalled, not
  // "Connecting to the update server..." until the server times out.
  void stalledDownloadShowsWhatCame()
  {
    HttpResponse stalled = HttpResponse::Ok(installer);
    stalled.bytesToSend = 100 * 1024;
    stalled.stall = true;
    server->Route("/dl/setup-1.2.11.exe", stalled);
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnInstall")->click();
    QTRY_COMPARE_WITH_TIMEOUT(StatusOf(dialog.get()), QStringLiteral("Downloading... 100 of 195 KB"), 5000);
    QCOMPARE(Child<QProgressBar>(dialog.get(), "progressBar")->value(), 51);
  }

  void closingTheDialogEndsTheDownloadQuietly()
  {
    HttpResponse stalled = HttpResponse::Ok(installer);
    stalled.bytesToSend = 1000;
    stalled.stall = true;
    server->Route("/dl/setup-1.2.11.exe", stalled);
    auto dialog = MakeDialog();
    Child<QPushButton>(dialog.get(), "btnInstall")->click();
    QTRY_COMPARE_WITH_TIMEOUT(server->RequestCount("/dl/setup-1.2.11.exe"), 1, 10000);
    QTest::qWait(200);
    const QString folder = QFileInfo(dialog->localPath()).absolutePath();
    dialog.reset();
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(failures.isEmpty());
  }

  // The published checksum trickles in a byte at a time (each restarting
  // the idle timeout): the user's Cancel, clicked or pressed, ends the
  // verification at once.
  void cancelDuringVerification_data()
  {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel clicked") << false;
    QTest::newRow("Escape pressed") << true;
  }

  void cancelDuringVerification()
  {
    QFETCH(bool, escape);
    RouteGoodUpdate();
    HttpResponse trickling = HttpResponse::Ok(QByteArray(64, 'a'));
    trickling.bytesToSend = 1;
    trickling.trickleMs = 200;
    trickling.stall = true;
    server->Route("/dl/setup-1.2.11.sha256", trickling);
    auto dialog = MakeDialog();
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "btnInstall"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(server->RequestCount("/dl/setup-1.2.11.sha256"), 1, 10000);
    QTest::qWait(500);
    QCOMPARE(StatusOf(dialog.get()), QStringLiteral("Verifying the download..."));
    const QString path = dialog->localPath();
    QVERIFY(QFile::exists(path));
    QElapsedTimer clock;
    clock.start();
    if (escape)
      QTest::keyClick(dialog.get(), Qt::Key_Escape);
    else
      QTest::mouseClick(Child<QPushButton>(dialog.get(), "btnLater"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 1000);
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(dialog->resultCode(), int(UpdateDialog::Later));
    QVERIFY(!QFile::exists(path));
    QVERIFY(failures.isEmpty());
    QVERIFY(signature.CheckedPaths().isEmpty());
    QVERIFY(launcher.StartedPaths().isEmpty());
  }

  // --- The main window's checks ---

  void menuCheckEndToEnd()
  {
    RouteGoodUpdate();
    QSettings().setValue("Updates/ManifestUrl", server->Url("/manifest.json"));
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    bool accepted = false;
    int manifestRequestsDuringDialog = -1;
    riduder::test::AnswerNextModalDialog([&](QDialog *dialog) {
      QCOMPARE(dialog->objectName(), QStringLiteral("UpdateDialog"));
      connect(dialog, &QDialog::accepted, [&] { accepted = true; });
      // No second check while the dialog is open, asked or automatic.
      window.StartUpdateCheck(false);
      window.StartUpdateCheck(true);
      manifestRequestsDuringDialog = server->RequestCount("/manifest.json");
      dialog->findChild<QPushButton *>("btnInstall")->click();
    });
    window.StartUpdateCheck(true);
    QTRY_VERIFY_WITH_TIMEOUT(accepted, 15000);
    QCOMPARE(manifestRequestsDuringDialog, 1);
    QCOMPARE(launcher.StartedPaths().size(), 1);
    QCOMPARE(signature.CheckedPaths(), launcher.StartedPaths());
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(QSettings().value("Updates/LastCheck").toLongLong() > 0);
    QDir(QFileInfo(launcher.StartedPaths()[0]).absolutePath()).removeRecursively();
  }

  // A receiver search runs (the start-up one, on a line where nobody
  // answers) when a newer version is found: the dialog waits for the user
  // while the search goes on sending its requests.
  void theSearchGoesOnWhileTheDialogWaits_data()
  {
    QTest::addColumn<bool>("interactive");
    QTest::newRow("automatic check") << false;
    QTest::newRow("Help > Check for Updates") << true;
  }

  void theSearchGoesOnWhileTheDialogWaits()
  {
    QFETCH(bool, interactive);
    RouteGoodUpdate();
    QSettings().setValue("Updates/ManifestUrl", server->Url("/manifest.json"));
    riduder::test::WindowOnSimulator rig(riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeSearch, 9600));
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    MainWindow &window = rig.Window();
    // A 2.5 s reply-wait step takes 50 ms.
    window.Timing().SetScale(0.02);
    int sent = 0;
    connect(&window, &MainWindow::sendGpsMessage, &window, [&] {
      if (sent++ == 0)
        QTimer::singleShot(0, &window, [&] {
          if (interactive)
            window.findChild<QAction *>("actionCheck_for_Updates")->trigger();
          else
            window.AutoCheckForUpdates();
        });
    });
    int sentWhenOpened = -1;
    int sentWhileOpen = -1;
    bool openThroughout = false;
    riduder::test::AnswerNextModalDialog(
        [&](QDialog *dialog) {
          QCOMPARE(dialog->objectName(), QStringLiteral("UpdateDialog"));
          sentWhenOpened = sent;
          QTimer::singleShot(600, dialog, [&, dialog] {
            sentWhileOpen = sent - sentWhenOpened;
            openThroughout = dialog->isVisible();
            dialog->findChild<QPushButton *>("btnLater")->click();
            // Enough seen: the rest of the search is not needed.
            window.close();
          });
        },
        10000);

    window.DetectGpsReceiver();

    QVERIFY(sentWhenOpened > 0);
    QVERIFY(openThroughout);
    // A 3 s reply wait is 60 ms here: in 600 ms the search asks several times.
    QVERIFY2(sentWhileOpen >= 3, qPrintable(QString::number(sentWhileOpen)));
    QVERIFY(rig.Boxes().shown.isEmpty());
    QVERIFY(launcher.StartedPaths().isEmpty());
  }

  void checksThatFindNothingNew_data()
  {
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("lastCheckSet");
    const QByteArray same = "{\"latest_version\": \"1.2.10\", \"download_url\": \"https://h.example/s.exe\"}";
    QTest::newRow("menu, latest") << true << same << 200
                                  << "Riduder 1.2.10 is the latest version.\n\n(checked %url)" << true;
    QTest::newRow("automatic, latest") << false << same << 200 << QString() << true;
    QTest::newRow("menu, failed") << true << same << 404
                                  << "Could not check for updates at\n%url\n\nThe update server answered 404." << false;
    QTest::newRow("automatic, failed") << false << same << 404 << QString() << false;
  }

  void checksThatFindNothingNew()
  {
    QFETCH(bool, interactive);
    QFETCH(QByteArray, manifest);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(bool, lastCheckSet);
    HttpResponse response = HttpResponse::Ok(manifest);
    response.status = status;
    server->Route("/manifest.json", response);
    const QString url = server->Url("/manifest.json");
    QSettings().setValue("Updates/ManifestUrl", url);
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.StartUpdateCheck(interactive);
    window.StartUpdateCheck(interactive);
    QTRY_COMPARE_WITH_TIMEOUT(server->RequestCount("/manifest.json"), 1, 10000);
    QTest::qWait(100);
    // Posted: nothing waits for their answer.
    QVERIFY(boxes.shown.isEmpty());
    QStringList shown;
    for (const MessageBoxRequest &request : boxes.posted) {
      shown << request.text;
      QCOMPARE(request.title, QStringLiteral("Riduder"));
    }
    QStringList expected;
    if (interactive)
      expected << "A check for updates is already running." << QString(text).replace("%url", url);
    QCOMPARE(shown, expected);
    if (interactive)  // the manifest address and the server's words, as they are
      QCOMPARE(boxes.posted.last().textFormat, Qt::PlainText);
    QCOMPARE(QSettings().contains("Updates/LastCheck"), lastCheckSet);
  }

  // The menu item names the host it asks, from the manifest address.
  void theMenuItemNamesTheUpdateServer()
  {
    QSettings().setValue("Updates/ManifestUrl", server->Url("/manifest.json"));
    MainWindow window;
    QAction *action = window.findChild<QAction *>("actionCheck_for_Updates");
    QVERIFY(action);
    QCOMPARE(action->statusTip(), QStringLiteral("Check 127.0.0.1 for a newer version"));
    QSettings().remove("Updates/ManifestUrl");
    QCOMPARE(UpdateCheck::checkStatusTip(), QStringLiteral("Check updates.riduder.invalid for a newer version"));
  }

  void theDismissedVersionIsOfferedOnlyWhenAsked()
  {
    RouteGoodUpdate();
    QSettings().setValue("Updates/ManifestUrl", server->Url("/manifest.json"));
    UpdateCheck::setDismissedVersion(QStringLiteral("1.2.11"));
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    int dialogs = 0;
    riduder::test::AnswerNextModalDialog([&](QDialog *dialog) {
      ++dialogs;
      dialog->reject();
    }, 500);
    window.StartUpdateCheck(false);
    QTRY_VERIFY_WITH_TIMEOUT(QSettings().contains("Updates/LastCheck"), 10000);
    QTest::qWait(600);
    QCOMPARE(dialogs, 0);
    riduder::test::AnswerNextModalDialog([&](QDialog *dialog) {
      ++dialogs;
      dialog->reject();
    });
    window.StartUpdateCheck(true);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs, 1, 10000);
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(launcher.StartedPaths().isEmpty());
  }
};

RIDUDER_TEST_MAIN(TestUpdateDialog)
#include "tst_updatedialog.moc"
