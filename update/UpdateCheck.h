#pragma once
// The update engine: fetches and checks the manifest of the newest version,
// downloads the installer it names and verifies the download (published
// SHA-256 digest, then the signer) before anything may run it. Also keeps
// the "Updates" settings and compares versions.

#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkReply;
class QNetworkRequest;

// What the manifest says about the newest version.
struct UpdateManifest {
  QString latestVersion;  // "latest_version", trimmed
  QString downloadUrl;    // "download_url", trimmed
  QString releaseNotes;   // "release_notes", as given
};

// The update engine's texts for the user.
namespace UpdateTexts {
inline constexpr char ServerAnswered[] = "The update server answered %1.";
inline constexpr char Cancelled[] = "The download was cancelled.";
inline constexpr char StoppedAnswering[] = "The update server stopped answering.";
inline constexpr char TookTooLong[] = "The update server took longer than 30 seconds.";
inline constexpr char Unreachable[] = "Could not reach the update server: %1";
inline constexpr char AddressRefused[] = "a disallowed address.";
inline constexpr char RedirectRefused[] = "redirect to a disallowed address.";
inline constexpr char RemoteHostsForbidden[] =
    "update servers other than this machine are switched off in this program.";
inline constexpr char TooLarge[] = "The file from the update server is unreasonably large.";
inline constexpr char NotJson[] = "The update manifest is not valid JSON (%1).";
inline constexpr char NoLatestVersion[] = "The update manifest has no latest_version.";
inline constexpr char NoDownloadUrl[] = "The update manifest has no download_url.";
inline constexpr char DownloadUrlNotHttps[] = "The update manifest's download_url is not https.";
inline constexpr char ManifestUrlNotHttps[] = "The update manifest address is not https.";
inline constexpr char CannotWrite[] = "Could not write to %1.";
inline constexpr char EndedEarly[] = "The download ended early (%1 of %2 bytes).";
inline constexpr char CannotRead[] = "Could not read %1.";
inline constexpr char DigestFailed[] = "The SHA-256 check failed part way through.";
inline constexpr char NotADigest[] = "The published checksum file is not a SHA-256 digest.";
inline constexpr char Mismatch[] =
    "The downloaded file does not match its published checksum, so it has NOT been run.\n\n"
    "Expected %1\nGot      %2";
}  // namespace UpdateTexts

class UpdateCheck : public QObject {
  Q_OBJECT

public:
  // The largest manifest or checksum file read.
  static constexpr qint64 SmallFileLimit = 262144;
  // The largest installer taken when the server gives no length.
  static constexpr qint64 InstallerLimit = qint64(1) << 30;
  // How long a request may go without a byte, and how long the checksum
  // fetch may take in all (a server trickling it would otherwise never end).
  static constexpr int IdleTimeoutMs = 30000;
  static constexpr int ChecksumLimitMs = 30000;
  // Who must have signed an installer.
  static QString expectedSigner() { return QStringLiteral("ZIV Systems"); }

  explicit UpdateCheck(QObject *parent = nullptr);
  ~UpdateCheck() override;

  // Aborts a running download or verification, which then ends with "The
  // download was cancelled.".
  void cancel();
  // Replaces IdleTimeoutMs and ChecksumLimitMs with shorter limits.
  void setTimeouts(int idleMs, int wholeChecksumMs);
  // Starts fetching the manifest; manifestReady follows (never before this
  // call has returned).
  void fetchManifest(const QString &address);
  // The manifest of the last fetchManifest, complete once it was ok.
  const UpdateManifest &manifest() const { return manifest_; }
  // Streams the installer at address into path: downloadProgress at each
  // arrival (the bytes written so far and the length the server gave, -1
  // when none), then exactly one downloadFinished. A failed download leaves
  // no file.
  void startDownload(const QString &address, const QString &path);
  // Checks the file at path against the digest published beside address,
  // then (when "RequireSignature") its signer: exactly one
  // verificationFinished follows (never before this call has returned).
  // Deletes nothing.
  void startVerification(const QString &path, const QString &address);
  // The same, waiting for the answer in a local event loop.
  bool verifyDownload(const QString &path, const QString &address, QString *error);

  // The "Updates" settings.
  static QString manifestUrl();
  static QString defaultManifestUrl();
  static bool autoCheck();
  static void setAutoCheck(bool on);
  static QString dismissedVersion();
  static void setDismissedVersion(const QString &version);
  static bool isCheckDue();
  static void setLastCheckNow();
  static bool requireSignature();

  // The menu item's status tip: "Check " + the manifest's host + " for a
  // newer version".
  static QString checkStatusTip();

  static QString currentVersion();
  static QString productName() { return QStringLiteral("Riduder"); }

  // -1, 0 or 1 as a is older than, the same as or newer than b: dotted
  // numbers, missing components count 0.
  static int compareVersions(const QString &a, const QString &b);
  // The installer's address with its extension replaced by ".sha256".
  static QString checksumUrlFor(const QString &address);
  // Where in folder the installer at address is written: its own file name
  // when that is a safe one, "Riduder-update.exe" otherwise.
  static QString localDownloadPath(const QString &address, const QString &folder);
  // https with a host, or http to 127.0.0.1 or localhost; never user info.
  static bool isAllowedUrl(const QString &address);
  static QNetworkRequest makeRequest(const QString &address);
  static bool parseManifest(const QByteArray &bytes, UpdateManifest *manifest, QString *error);
  // The lower-case digest that a ".sha256" file begins with.
  static bool parsePublishedChecksum(const QByteArray &bytes, QString *digest, QString *error);
  // The error of a finished reply in the user's words; empty when it
  // succeeded.
  static QString replyErrorText(QNetworkReply *reply);
  static bool sha256OfFile(const QString &path, QString *digest, QString *error);
  static bool verifySignature(const QString &path, const QString &expected, QString *error);

  // From this call on, no UpdateCheck in this process contacts a host other
  // than 127.0.0.1 or localhost. A program that must never reach another
  // host calls it first thing.
  static void ForbidRemoteHosts();
  static bool RemoteHostsForbidden();

signals:
  void manifestReady(bool ok, QString error);
  void downloadProgress(qint64 received, qint64 total);
  void downloadFinished(bool ok, QString error);
  void verificationFinished(bool ok, QString error);

private:
  // A GET of address that follows only allowed redirects and, with a
  // limit, is aborted once more than `limit` bytes wait to be read. Null,
  // with error set, when address may not be contacted.
  QNetworkReply *get(const QString &address, qint64 limit, QString *error);
  void onManifestFinished(QNetworkReply *reply);
  void onDownloadReadyRead();
  void onDownloadFinished(QNetworkReply *reply);
  void finishDownload(const QString &error);
  void onChecksumFinished(QNetworkReply *reply, const QString &path);

  QNetworkAccessManager network;
  UpdateManifest manifest_;
  QPointer<QNetworkReply> download;
  QPointer<QNetworkReply> checksumReply;
  QTimer checksumLimit;
  int idleTimeoutMs = IdleTimeoutMs;
  int checksumLimitMs = ChecksumLimitMs;
  QFile downloadFile;
  bool downloadWriteFailed = false;
  qint64 downloadReceived = 0;
};
