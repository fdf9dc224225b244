#include "TestMain.h"

#include "ScriptedHttpServer.h"
#include "FakeCodeSignature.h"
#include "FakeTimeSource.h"
#include "platform/CodeSignature.h"
#include "platform/TimeSource.h"
#include "update/UpdateCheck.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

using riduder::test::HttpRequest;
using riduder::test::HttpResponse;
using riduder::test::ScriptedHttpServer;

Q_DECLARE_METATYPE(riduder::test::HttpResponse)

namespace {

QByteArray Manifest(const QByteArray &version, const QByteArray &url, const QByteArray &notes = "New things")
{
  return "{\"latest_version\": \"" + version + "\", \"download_url\": \"" + url +
         "\", \"release_notes\": \"" + notes + "\"}";
}

QString Digest(const QByteArray &bytes)
{
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Waits for the one manifestReady of a check and returns (ok, error).
QPair<bool, QString> FetchManifest(UpdateCheck &check, const QString &address)
{
  QSignalSpy ready(&check, &UpdateCheck::manifestReady);
  check.fetchManifest(address);
  if (!ready.wait(10000) || ready.size() != 1)
    return {false, QStringLiteral("no answer")};
  return {ready[0][0].toBool(), ready[0][1].toString()};
}

}  // namespace

class TestUpdateCheck : public QObject {
  Q_OBJECT

  QByteArray installer;

  bool WriteInstaller(const QString &path) const
  {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(installer) == installer.size();
  }

private slots:
  void initTestCase()
  {
    for (int i = 0; i < 20000; ++i)
      installer.append(char(i * 7));
  }

  void init() { QSettings().clear(); }

  void compareVersions_data()
  {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("1.2.10 > 1.2.9") << "1.2.10" << "1.2.9" << 1;
    QTest::newRow("1.2 = 1.2.0") << "1.2" << "1.2.0" << 0;
    QTest::newRow("2 < 10") << "2" << "10" << -1;
    QTest::newRow("1.10 > 1.9") << "1.10" << "1.9" << 1;
    QTest::newRow("1.2.10.1 > 1.2.10") << "1.2.10.1" << "1.2.10" << 1;
    QTest::newRow("1.2.10 < 1.2.10.1") << "1.2.10" << "1.2.10.1" << -1;
    // 99999999999 wraps in 32 bits to 1215752191: defined, still large.
    QTest::newRow("99999999999 > 1.2.10") << "99999999999" << "1.2.10" << 1;
    QTest::newRow("2^32 wraps to 0") << "4294967296" << "0" << 0;
    QTest::newRow("garbage is 0") << "abc" << "0" << 0;
    QTest::newRow("garbage suffix") << "1.2beta" << "1.2" << 0;
    QTest::newRow("each separator counts") << "1..2" << "1.0.2" << 0;
    QTest::newRow("empty = 0") << "" << "0.0" << 0;
    QTest::newRow("Arabic-Indic two") << QString::fromUtf8("1.\u0662") << "1.2" << 0;
    QTest::newRow("fullwidth one") << QString::fromUtf8("\uff11.3") << "1.2" << 1;
  }

  void compareVersions()
  {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(UpdateCheck::compareVersions(a, b), expected);
    QCOMPARE(UpdateCheck::compareVersions(b, a), -expected);
  }

  void isAllowedUrl_data()
  {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("https") << "https://updates.example/riduder/setup.exe" << true;
    QTest::newRow("local name in capitals with port") << "HTTP://LOCALHOST:8080/SETUP.EXE" << true;
    QTest::newRow("loopback") << "http://127.0.0.1/setup.exe" << true;
    QTest::newRow("other loopback address") << "http://127.0.0.2/setup.exe" << false;
    QTest::newRow("plain http") << "http://updates.example/setup.exe" << false;
    QTest::newRow("ftp") << "ftp://updates.example/setup.exe" << false;
    QTest::newRow("user info hides the host") << "http://localhost:80@evil.example/x" << false;
    QTest::newRow("user info on https") << "https://user@updates.example/x" << false;
    QTest::newRow("loopback as a subdomain") << "http://127.0.0.1.evil.example/x" << false;
    QTest::newRow("no host") << "https:///setup.exe" << false;
    QTest::newRow("not an address") << "setup.exe" << false;
    QTest::newRow("empty") << "" << false;
  }

  void isAllowedUrl()
  {
    QFETCH(QString, address);
    QFETCH(bool, allowed);
    QCOMPARE(UpdateCheck::isAllowedUrl(address), allowed);
  }

  void addressesDerivedFromTheInstaller_data()
  {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("checksum");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("extension replaced") << "https://h.example/dl/setup-1.2.11.exe"
                                        << "https://h.example/dl/setup-1.2.11.sha256" << "setup-1.2.11.exe";
    QTest::newRow("dots only in the host") << "https://updates.example.com/dl/setup"
                                           << "https://updates.example.com/dl/setup.sha256" << "setup";
    QTest::newRow("colon after decoding") << "https://h.example/a%3Ab.exe"
                                          << "https://h.example/a%3Ab.sha256" << "Riduder-update.exe";
    QTest::newRow("question mark after decoding") << "https://h.example/a%3Fb.exe"
                                                  << "https://h.example/a%3Fb.sha256" << "Riduder-update.exe";
    QTest::newRow("no file name") << "https://h.example/dl/" << "https://h.example/dl/.sha256"
                                  << "Riduder-update.exe";
    QTest::newRow("parent folder") << "https://h.example/dl/%2E%2E" << "https://h.example/dl/%2E%2E.sha256"
                                   << "Riduder-update.exe";
  }

  void addressesDerivedFromTheInstaller()
  {
    QFETCH(QString, address);
    QFETCH(QString, checksum);
    QFETCH(QString, fileName);
    QCOMPARE(UpdateCheck::checksumUrlFor(address), checksum);
    QCOMPARE(UpdateCheck::localDownloadPath(address, QStringLiteral("/private/folder")),
             QStringLiteral("/private/folder/") + fileName);
  }

  void checkIsDueOncePerDayAndAfterTheClockWentBack()
  {
    FakeTimeSource now(QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC));
    ScopedTimeSourceOverride inForce(&now);
    const qint64 seconds = now.NowMSecsSinceEpoch() / 1000;
    QSettings settings;
    QVERIFY(UpdateCheck::isCheckDue());
    UpdateCheck::setLastCheckNow();
    QCOMPARE(settings.value("Updates/LastCheck").toLongLong(), seconds);
    QVERIFY(!UpdateCheck::isCheckDue());
    now.Advance(86399 * 1000);
    QVERIFY(!UpdateCheck::isCheckDue());
    now.Advance(1000);
    QVERIFY(UpdateCheck::isCheckDue());
    settings.setValue("Updates/LastCheck", seconds + 86400 + 30);
    QVERIFY(UpdateCheck::isCheckDue());
  }

  void settingsDefaults()
  {
    QSettings settings;
    QCOMPARE(UpdateCheck::manifestUrl(),
             QStringLiteral("https://updates.riduder.invalid/sw_distribution/riduder/manifest.json"));
    settings.setValue("Updates/ManifestUrl", "   ");
    QCOMPARE(UpdateCheck::manifestUrl(), UpdateCheck::defaultManifestUrl());
    settings.setValue("Updates/ManifestUrl", " http://127.0.0.1:9/m.json ");
    QCOMPARE(UpdateCheck::manifestUrl(), QStringLiteral("http://127.0.0.1:9/m.json"));
    QVERIFY(UpdateCheck::autoCheck());
    QVERIFY(UpdateCheck::requireSignature());
    QVERIFY(UpdateCheck::dismissedVersion().isEmpty());
  }

  void manifestFromTheServer_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    const QByteArray good = Manifest("1.2.11", "https://updates.example/setup-1.2.11.exe");
    QTest::newRow("good") << good << 200 << QString();
    QByteArray exactlyAtTheLimit = good;
    exactlyAtTheLimit.append(QByteArray(UpdateCheck::SmallFileLimit - good.size(), ' '));
    QTest::newRow("262144 bytes") << exactlyAtTheLimit << 200 << QString();
    QTest::newRow("262145 bytes") << exactlyAtTheLimit + " " << 200
                                  << "The file from the update server is unreasonably large.";
    QTest::newRow("far too large") << QByteArray(3 * UpdateCheck::SmallFileLimit, ' ') << 200
                                   << "The file from the update server is unreasonably large.";
    QTest::newRow("not JSON") << QByteArray("<html>latest</html>") << 200
                              << "The update manifest is not valid JSON (illegal value).";
    QTest::newRow("array") << QByteArray("[\"1.2.11\"]") << 200
                           << "The update manifest is not valid JSON (no error occurred).";
    QTest::newRow("no latest_version") << QByteArray("{\"download_url\": \"https://h.example/s.exe\"}")
                                       << 200 << "The update manifest has no latest_version.";
    QTest::newRow("blank latest_version") << Manifest("   ", "https://h.example/s.exe") << 200
                                          << "The update manifest has no latest_version.";
    QTest::newRow("no download_url") << QByteArray("{\"latest_version\": \"1.2.11\"}") << 200
                                     << "The update manifest has no download_url.";
    QTest::newRow("ftp download") << Manifest("1.2.11", "ftp://h.example/s.exe") << 200
                                  << "The update manifest's download_url is not https.";
    QTest::newRow("plain http download") << Manifest("1.2.11", "http://h.example/s.exe") << 200
                                         << "The update manifest's download_url is not https.";
    QTest::newRow("127.0.0.2 download") << Manifest("1.2.11", "http://127.0.0.2/s.exe") << 200
                                        << "The update manifest's download_url is not https.";
    QTest::newRow("user-info download") << Manifest("1.2.11", "http://localhost:80@evil.example/x") << 200
                                        << "The update manifest's download_url is not https.";
    QTest::newRow("not found") << good << 404 << "The update server answered 404.";
  }

  void manifestFromTheServer()
  {
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QString, error);
    ScriptedHttpServer server;
    HttpResponse response = HttpResponse::Ok(body);
    response.status = status;
    server.Route("/manifest.json", response);
    UpdateCheck check;
    const auto answer = FetchManifest(check, server.Url("/manifest.json"));
    QCOMPARE(answer.second, error);
    QCOMPARE(answer.first, error.isEmpty());
    if (error.isEmpty()) {
      QCOMPARE(check.manifest().latestVersion, QStringLiteral("1.2.11"));
      QCOMPARE(check.manifest().downloadUrl, QStringLiteral("https://updates.example/setup-1.2.11.exe"));
      QCOMPARE(check.manifest().releaseNotes, QStringLiteral("New things"));
    }
    const HttpRequest &request = server.Requests().value(0);
    QCOMPARE(request.headers.value("user-agent"), QByteArray("Riduder-Updater"));
  }

  // The connection stays open: only the count of what came can end it.
  void anOversizedManifestIsRefusedWhileItArrives()
  {
    ScriptedHttpServer server;
    HttpResponse endless = HttpResponse::Ok(QByteArray(UpdateCheck::SmallFileLimit + 1000, ' '));
    endless.contentLength = 100 * UpdateCheck::SmallFileLimit;
    endless.stall = true;
    server.Route("/manifest.json", endless);
    UpdateCheck check;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(FetchManifest(check, server.Url("/manifest.json")),
             qMakePair(false, QStringLiteral("The file from the update server is unreasonably large.")));
    QVERIFY(clock.elapsed() < 10000);
  }

  void manifestAddressesThatAreRefused_data()
  {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    QTest::newRow("non-local http") << "http://updates.example/manifest.json"
                                    << "The update manifest address is not https.";
    QTest::newRow("user info") << "http://localhost:80@evil.example/x"
                               << "The update manifest address is not https.";
    QTest::newRow("the default server, from a test")
        << UpdateCheck::defaultManifestUrl()
        << "Could not reach the update server: update servers other than this machine are switched off "
           "in this program.";
  }

  void manifestAddressesThatAreRefused()
  {
    QFETCH(QString, address);
    QFETCH(QString, error);
    UpdateCheck check;
    QCOMPARE(FetchManifest(check, address), qMakePair(false, error));
  }

  void redirectsAreFollowedOnlyToAllowedAddresses()
  {
    ScriptedHttpServer server;
    server.Route("/manifest.json", HttpResponse::Ok(Manifest("1.2.11", "https://h.example/s.exe")));
    server.Route("/moved", HttpResponse::Redirect(server.Url("/manifest.json").toLatin1()));
    server.Route("/away", HttpResponse::Redirect("http://updates.example/manifest.json"));
    server.Route("/far-away", HttpResponse::Redirect("https://updates.riduder.invalid/manifest.json"));
    UpdateCheck check;
    QCOMPARE(FetchManifest(check, server.Url("/moved")), qMakePair(true, QString()));
    const QString refused = "Could not reach the update server: redirect to a disallowed address.";
    QCOMPARE(FetchManifest(check, server.Url("/away")), qMakePair(false, refused));
    QCOMPARE(FetchManifest(check, server.Url("/far-away")), qMakePair(false, refused));
    QCOMPARE(server.RequestCount("/manifest.json"), 1);
  }

  void downloadWritesTheInstallerUnencoded()
  {
    ScriptedHttpServer server;
    server.Route("/setup.exe", HttpResponse::Ok(installer));
    QTemporaryDir dir;
    const QString path = dir.filePath("setup.exe");
    UpdateCheck check;
    QSignalSpy progress(&check, &UpdateCheck::downloadProgress);
    QSignalSpy finished(&check, &UpdateCheck::downloadFinished);
    check.startDownload(server.Url("/setup.exe"), path);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0], (QVariantList{true, QString()}));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), (QVariantList{qint64(installer.size()), qint64(installer.size())}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), installer);
    QCOMPARE(server.Requests().value(0).headers.value("accept-encoding"), QByteArray("identity"));
  }

  void failedDownloadsLeaveNoFile_data()
  {
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("contentLength");
    QTest::addColumn<qint64>("bytesSent");
    QTest::addColumn<QString>("error");
    QTest::newRow("ended early") << 200 << qint64(20000) << qint64(5000)
                                 << "The download ended early (5000 of 20000 bytes).";
    QTest::newRow("not found") << 404 << qint64(HttpResponse::BodySize) << qint64(-1)
                               << "The update server answered 404.";
  }

  void failedDownloadsLeaveNoFile()
  {
    QFETCH(int, status);
    QFETCH(qint64, contentLength);
    QFETCH(qint64, bytesSent);
    QFETCH(QString, error);
    ScriptedHttpServer server;
    HttpResponse response = HttpResponse::Ok(installer);
    response.status = status;
    response.contentLength = contentLength;
    response.bytesToSend = bytesSent;
    server.Route("/setup.exe", response);
    QTemporaryDir dir;
    const QString path = dir.filePath("setup.exe");
    UpdateCheck check;
    QSignalSpy finished(&check, &UpdateCheck::downloadFinished);
    check.startDownload(server.Url("/setup.exe"), path);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0], (QVariantList{false, error}));
    QVERIFY(!QFile::exists(path));
  }

  void downloadToAnUnwritablePlace()
  {
    ScriptedHttpServer server;
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/setup.exe");
    UpdateCheck check;
    QSignalSpy finished(&check, &UpdateCheck::downloadFinished);
    check.startDownload(server.Url("/setup.exe"), path);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QVariantList{false, "Could not write to " + path + "."}));
    QCOMPARE(server.Requests().size(), 0);
  }

  void verification_data()
  {
    QTest::addColumn<HttpResponse>("checksum");
    QTest::addColumn<bool>("requireSignature");
    QTest::addColumn<QString>("signer");
    QTest::addColumn<QString>("error");
    // Filled in by the test: "%digest" stands for the installer's digest.
    QTest::newRow("digest, name, signed") << HttpResponse::Ok("%digest  setup.exe\n") << true
                                          << "ZIV Systems Ltd" << QString();
    QTest::newRow("leading blanks, no signature needed") << HttpResponse::Ok(" \r\n\t%digest") << false
                                                          << "" << QString();
    QTest::newRow("checksum file missing") << HttpResponse::Status(404) << true << "ZIV Systems"
                                           << "The update server answered 404.";
    QTest::newRow("63 digits") << HttpResponse::Ok("%digest63") << true << "ZIV Systems"
                               << "The published checksum file is not a SHA-256 digest.";
    QTest::newRow("65 digits") << HttpResponse::Ok("%digest0") << true << "ZIV Systems"
                               << "The published checksum file is not a SHA-256 digest.";
    QTest::newRow("a word first") << HttpResponse::Ok("SHA256 %digest") << true << "ZIV Systems"
                                  << "The published checksum file is not a SHA-256 digest.";
    QTest::newRow("mismatch") << HttpResponse::Ok(QByteArray(64, 'a')) << true << "ZIV Systems"
                              << "The downloaded file does not match its published checksum, so it has NOT "
                                 "been run.\n\nExpected " + QString(64, 'a') + "\nGot      %digest";
    QTest::newRow("another signer") << HttpResponse::Ok("%DIGEST") << true << "Somebody Else"
                                    << "The downloaded file is signed by \"Somebody Else\", not by ZIV "
                                       "Systems, so it has NOT been run.";
    QTest::newRow("signer unreadable") << HttpResponse::Ok("%digest") << true << ""
                                       << "The downloaded file's signer could not be read, so it has NOT "
                                          "been run.";
  }

  void verification()
  {
    QFETCH(HttpResponse, checksum);
    QFETCH(bool, requireSignature);
    QFETCH(QString, signer);
    QFETCH(QString, error);
    const QByteArray digest = Digest(installer).toLatin1();
    checksum.body.replace("%digest63", digest.left(63));
    checksum.body.replace("%digest", digest);
    checksum.body.replace("%DIGEST", digest.toUpper());
    error.replace("%digest", QString::fromLatin1(digest));
    QSettings().setValue("Updates/RequireSignature", requireSignature);
    FakeCodeSignature signature;
    signature.SetSigner(signer);
    ScopedCodeSignatureOverride inForce(&signature);

    ScriptedHttpServer server;
    server.Route("/dl/setup-1.2.11.sha256", checksum);
    QTemporaryDir dir;
    const QString path = dir.filePath("setup-1.2.11.exe");
    QVERIFY(WriteInstaller(path));
    UpdateCheck check;
    QString text;
    const bool verified = check.verifyDownload(path, server.Url("/dl/setup-1.2.11.exe"), &text);
    QCOMPARE(text, error);
    QCOMPARE(verified, error.isEmpty());
    QVERIFY(QFile::exists(path));
    QCOMPARE(server.RequestCount("/dl/setup-1.2.11.sha256"), 1);
  }

  // Linux has no code signatures for installers: with the signature
  // required (the default) nothing passes; without it the digest decides.
  void theMachinesSignatureCheckFailsClosed()
  {
    ScriptedHttpServer server;
    server.Route("/setup.sha256", HttpResponse::Ok(Digest(installer).toLatin1()));
    QTemporaryDir dir;
    const QString path = dir.filePath("setup.exe");
    QVERIFY(WriteInstaller(path));
    UpdateCheck check;
    QString text;
    QVERIFY(!check.verifyDownload(path, server.Url("/setup.exe"), &text));
    QCOMPARE(text, QStringLiteral("Code signatures cannot be checked on this system, so it has NOT been run."));
    QSettings().setValue("Updates/RequireSignature", false);
    QVERIFY(check.verifyDownload(path, server.Url("/setup.exe"), &text));
  }

  // Qt ends a reply that went idle as if it were cancelled: the user is
  // told which of the two happened. Limits shortened to 1 s idle and 2.5 s
  // for the whole checksum fetch.
  void timeoutsAndCancelsAreToldApart_data()
  {
    QTest::addColumn<QString>("stage");
    QTest::addColumn<HttpResponse>("response");
    QTest::addColumn<bool>("userCancels");
    QTest::addColumn<QString>("error");
    HttpResponse silent;
    silent.silent = true;
    HttpResponse stopsAt100k = HttpResponse::Ok(QByteArray(200000, 'x'));
    stopsAt100k.bytesToSend = 100000;
    stopsAt100k.stall = true;
    // A byte every 200 ms keeps the idle timeout from ever firing.
    HttpResponse trickling = HttpResponse::Ok(QByteArray(64, 'a'));
    trickling.bytesToSend = 1;
    trickling.trickleMs = 200;
    trickling.stall = true;
    const QString stopped = "The update server stopped answering.";
    const QString cancelled = "The download was cancelled.";
    QTest::newRow("manifest never answers") << "manifest" << silent << false << stopped;
    QTest::newRow("download stops at 100 kB") << "download" << stopsAt100k << false << stopped;
    QTest::newRow("download cancelled") << "download" << stopsAt100k << true << cancelled;
    QTest::newRow("checksum never answers") << "checksum" << silent << false << stopped;
    QTest::newRow("checksum trickles") << "checksum" << trickling << false
                                       << "The update server took longer than 30 seconds.";
    QTest::newRow("checksum cancelled") << "checksum" << trickling << true << cancelled;
  }

  void timeoutsAndCancelsAreToldApart()
  {
    QFETCH(QString, stage);
    QFETCH(HttpResponse, response);
    QFETCH(bool, userCancels);
    QFETCH(QString, error);
    ScriptedHttpServer server;
    server.Route("/file", response);
    server.Route("/file.sha256", response);
    QTemporaryDir dir;
    const QString path = dir.filePath("setup.exe");
    QVERIFY(WriteInstaller(path));
    UpdateCheck check;
    check.setTimeouts(1000, 2500);
    QSignalSpy manifest(&check, &UpdateCheck::manifestReady);
    QSignalSpy download(&check, &UpdateCheck::downloadFinished);
    QSignalSpy verification(&check, &UpdateCheck::verificationFinished);
    QElapsedTimer clock;
    clock.start();
    if (stage == "manifest")
      check.fetchManifest(server.Url("/file"));
    else if (stage == "download")
      check.startDownload(server.Url("/file"), path);
    else
      check.startVerification(path, server.Url("/file.exe"));
    if (userCancels) {
      QTRY_COMPARE_WITH_TIMEOUT(server.Requests().size(), 1, 10000);
      QTest::qWait(300);
      check.cancel();
    }
    QTRY_COMPARE_WITH_TIMEOUT(manifest.size() + download.size() + verification.size(), 1, 10000);
    const QSignalSpy &finished = stage == "manifest" ? manifest : stage == "download" ? download : verification;
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QVariantList{false, error}));
    if (stage == "download")
      QVERIFY(!QFile::exists(path));
    if (error.contains("30 seconds"))  // the overall limit, not the idle one
      QVERIFY2(clock.elapsed() >= 2400, qPrintable(QString::number(clock.elapsed())));
  }

  void digestOfAMissingFile()
  {
    QString digest, error;
    QVERIFY(!UpdateCheck::sha256OfFile("/nonexistent/setup.exe", &digest, &error));
    QCOMPARE(error, QStringLiteral("Could not read /nonexistent/setup.exe."));
  }
};

RIDUDER_TEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
