#include "update/UpdateCheck.h"

#include "platform/CodeSignature.h"
#include "platform/TimeSource.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cctype>

namespace {

std::atomic<bool> remoteHostsForbidden{false};

// Why the program itself ended a reply (a refused redirect, too much data);
// replyErrorText prefers it to what the aborted reply says.
const char ReplyFailureProperty[] = "riduderUpdateFailure";

const char ManifestUrlKey[] = "Updates/ManifestUrl";
const char AutoCheckKey[] = "Updates/AutoCheck";
const char DismissedVersionKey[] = "Updates/DismissedVersion";
const char LastCheckKey[] = "Updates/LastCheck";
const char RequireSignatureKey[] = "Updates/RequireSignature";

QString Tr(const char *text) { return QCoreApplication::translate("UpdateCheck", text); }

qint64 NowSeconds() { return TimeSource::Current().NowMSecsSinceEpoch() / 1000; }

bool IsLocalHost(const QUrl &url)
{
  const QString host = url.host();
  return host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost");
}

void FailReply(QNetworkReply *reply, const QString &text)
{
  if (reply->property(ReplyFailureProperty).isValid())
    return;
  reply->setProperty(ReplyFailureProperty, text);
  reply->abort();
}

// A file name Windows would refuse, or one that names no file.
bool IsUnsafeFileName(const QString &name)
{
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
    return true;
  for (QChar c : name)
    if (c.unicode() < 32 || QStringLiteral("\"*/:<>?\\|").contains(c))
      return true;
  return false;
}

}  // namespace

UpdateCheck::UpdateCheck(QObject *parent) : QObject(parent)
{
  checksumLimit.setSingleShot(true);
  connect(&checksumLimit, &QTimer::timeout, this, [this] {
    if (checksumReply)
      FailReply(checksumReply, Tr(UpdateTexts::TookTooLong));
  });
}

UpdateCheck::~UpdateCheck()
{
  // Nobody is left to hear the end of a running download: end it quietly
  // and leave no partial file.
  for (QNetworkReply *reply : {download.data(), checksumReply.data()}) {
    if (reply) {
      reply->disconnect(this);
      reply->abort();
    }
  }
  if (download && downloadFile.isOpen()) {
    downloadFile.close();
    downloadFile.remove();
  }
}

void UpdateCheck::cancel()
{
  for (QNetworkReply *reply : {download.data(), checksumReply.data()})
    if (reply)
      FailReply(reply, Tr(UpdateTexts::Cancelled));
}

void UpdateCheck::setTimeouts(int idleMs, int wholeChecksumMs)
{
  idleTimeoutMs = idleMs;
  checksumLimitMs = wholeChecksumMs;
}

// ---------------------------------------------------------------------------
// Requests

QNetworkRequest UpdateCheck::makeRequest(const QString &address)
{
  QNetworkRequest request{QUrl(address)};
  request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Riduder-Updater"));
  // Unencoded, so that sizes and Content-Length count the bytes written.
  request.setRawHeader("Accept-Encoding", "identity");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setTransferTimeout(IdleTimeoutMs);
  return request;
}

QNetworkReply *UpdateCheck::get(const QString &address, qint64 limit, QString *error)
{
  const QUrl url(address, QUrl::StrictMode);
  if (!isAllowedUrl(address)) {
    *error = Tr(UpdateTexts::Unreachable).arg(Tr(UpdateTexts::AddressRefused));
    return nullptr;
  }
  if (RemoteHostsForbidden() && !IsLocalHost(url)) {
    *error = Tr(UpdateTexts::Unreachable).arg(Tr(UpdateTexts::RemoteHostsForbidden));
    return nullptr;
  }
  QNetworkRequest request = makeRequest(address);
  request.setTransferTimeout(idleTimeoutMs);
  QNetworkReply *reply = network.get(request);
  connect(reply, &QNetworkReply::redirected, this, [reply](const QUrl &target) {
    if (isAllowedUrl(target.toString(QUrl::FullyEncoded)) &&
        !(RemoteHostsForbidden() && !IsLocalHost(target)))
      emit reply->redirectAllowed();
    else
      FailReply(reply, Tr(UpdateTexts::Unreachable).arg(Tr(UpdateTexts::RedirectRefused)));
  });
  if (limit > 0) {
    // Every arrival is counted, so no more than the limit is ever held.
    connect(reply, &QNetworkReply::readyRead, this, [reply, limit] {
      if (reply->bytesAvailable() > limit)
        FailReply(reply, Tr(UpdateTexts::TooLarge));
    });
  }
  return reply;
}

QString UpdateCheck::replyErrorText(QNetworkReply *reply)
{
  const QVariant failure = reply->property(ReplyFailureProperty);
  if (failure.isValid())
    return failure.toString();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status != 0 && (status < 200 || status > 299))
    return Tr(UpdateTexts::ServerAnswered).arg(status);
  // Every abort of the program's own (a cancel included) carries its text:
  // what is left is Qt's idle timeout, which it reports as a cancel.
  if (reply->error() == QNetworkReply::OperationCanceledError)
    return Tr(UpdateTexts::StoppedAnswering);
  if (reply->error() == QNetworkReply::NoError)
    return QString();
  return Tr(UpdateTexts::Unreachable).arg(reply->errorString());
}

// ---------------------------------------------------------------------------
// Manifest

void UpdateCheck::fetchManifest(const QString &address)
{
  manifest_ = UpdateManifest();
  QString error;
  QNetworkReply *reply = nullptr;
  if (!isAllowedUrl(address))
    error = Tr(UpdateTexts::ManifestUrlNotHttps);
  else
    reply = get(address, SmallFileLimit, &error);
  if (!reply) {
    // The caller connects after this returns at the earliest.
    QTimer::singleShot(0, this, [this, error] { emit manifestReady(false, error); });
    return;
  }
  connect(reply, &QNetworkReply::finished, this, [this, reply] { onManifestFinished(reply); });
}

void UpdateCheck::onManifestFinished(QNetworkReply *reply)
{
  reply->deleteLater();
  QString error = replyErrorText(reply);
  bool ok = false;
  if (error.isEmpty()) {
    const QByteArray body = reply->read(SmallFileLimit + 1);
    if (body.size() > SmallFileLimit)
      error = Tr(UpdateTexts::TooLarge);
    else
      ok = parseManifest(body, &manifest_, &error);
  }
  emit manifestReady(ok, ok ? QString() : error);
}

bool UpdateCheck::parseManifest(const QByteArray &bytes, UpdateManifest *manifest, QString *error)
{
  *manifest = UpdateManifest();
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
  if (!document.isObject()) {
    *error = Tr(UpdateTexts::NotJson).arg(parseError.errorString());
    return false;
  }
  const QJsonObject object = document.object();
  manifest->latestVersion = object.value(QLatin1String("latest_version")).toString().trimmed();
  manifest->downloadUrl = object.value(QLatin1String("download_url")).toString().trimmed();
  manifest->releaseNotes = object.value(QLatin1String("release_notes")).toString();
  if (manifest->latestVersion.isEmpty())
    *error = Tr(UpdateTexts::NoLatestVersion);
  else if (manifest->downloadUrl.isEmpty())
    *error = Tr(UpdateTexts::NoDownloadUrl);
  else if (!isAllowedUrl(manifest->downloadUrl))
    *error = Tr(UpdateTexts::DownloadUrlNotHttps);
  else
    return true;
  return false;
}

bool UpdateCheck::isAllowedUrl(const QString &address)
{
  const QUrl url(address, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
    return false;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("https"))
    return true;
  return scheme == QLatin1String("http") && IsLocalHost(url);
}

// ---------------------------------------------------------------------------
// Download

void UpdateCheck::startDownload(const QString &address, const QString &path)
{
  if (download)
    FailReply(download, Tr(UpdateTexts::Cancelled));
  downloadFile.close();
  downloadFile.setFileName(path);
  downloadWriteFailed = false;
  downloadReceived = 0;
  if (!downloadFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    emit downloadFinished(false, Tr(UpdateTexts::CannotWrite).arg(path));
    return;
  }
  QString error;
  if (!isAllowedUrl(address))
    error = Tr(UpdateTexts::DownloadUrlNotHttps);
  else
    download = get(address, 0, &error);
  if (!download) {
    finishDownload(error);
    return;
  }
  QNetworkReply *reply = download;
  // Progress is what has been written, told at each arrival: the reply's
  // own signal holds back what comes in its first 100 ms, so a download
  // that stalls early would show nothing until it times out.
  connect(reply, &QNetworkReply::readyRead, this, &UpdateCheck::onDownloadReadyRead);
  connect(reply, &QNetworkReply::finished, this, [this, reply] { onDownloadFinished(reply); });
}

void UpdateCheck::onDownloadReadyRead()
{
  if (!download || !downloadFile.isOpen())
    return;
  const QByteArray bytes = download->readAll();
  const qint64 contentLength = download->header(QNetworkRequest::ContentLengthHeader).toLongLong();
  const qint64 received = downloadReceived + bytes.size();
  if (contentLength > 0 && received > contentLength) {
    FailReply(download, Tr(UpdateTexts::EndedEarly).arg(received).arg(contentLength));
    return;
  }
  if (contentLength <= 0 && received > InstallerLimit) {
    FailReply(download, Tr(UpdateTexts::TooLarge));
    return;
  }
  downloadReceived = received;
  if (downloadFile.write(bytes) != bytes.size())
    downloadWriteFailed = true;
  emit downloadProgress(downloadReceived, contentLength > 0 ? contentLength : -1);
}

void UpdateCheck::onDownloadFinished(QNetworkReply *reply)
{
  if (download == reply)
    download = nullptr;
  reply->deleteLater();
  QString error = replyErrorText(reply);
  const qint64 contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
  if (error.isEmpty() && downloadFile.isOpen()) {
    const QByteArray rest = reply->readAll();
    if (downloadFile.write(rest) != rest.size())
      downloadWriteFailed = true;
    downloadReceived += rest.size();
    if (!rest.isEmpty())
      emit downloadProgress(downloadReceived, contentLength > 0 ? contentLength : -1);
  }
  const qint64 size = downloadFile.isOpen() ? downloadFile.size() : 0;
  const bool flushed = downloadFile.flush();
  if (error.isEmpty() && (downloadWriteFailed || !flushed))
    error = Tr(UpdateTexts::CannotWrite).arg(downloadFile.fileName());
  // A connection that closed before the promised length is reported as
  // what it is, not as an unreachable server.
  const bool cutShort = reply->error() == QNetworkReply::RemoteHostClosedError &&
                        !reply->property(ReplyFailureProperty).isValid();
  if ((error.isEmpty() || cutShort) && contentLength >= 1 && contentLength != size)
    error = Tr(UpdateTexts::EndedEarly).arg(size).arg(contentLength);
  finishDownload(error);
}

void UpdateCheck::finishDownload(const QString &error)
{
  downloadFile.close();
  if (!error.isEmpty())
    downloadFile.remove();
  emit downloadFinished(error.isEmpty(), error);
}

// ---------------------------------------------------------------------------
// Verification

bool UpdateCheck::parsePublishedChecksum(const QByteArray &bytes, QString *digest, QString *error)
{
  digest->clear();
  int at = 0;
  while (at < bytes.size() && QByteArrayLiteral("\t\n\r ").contains(bytes.at(at)))
    ++at;
  const int start = at;
  while (at < bytes.size() && std::isxdigit(static_cast<unsigned char>(bytes.at(at))))
    ++at;
  if (at - start != 64) {
    *error = Tr(UpdateTexts::NotADigest);
    return false;
  }
  *digest = QString::fromLatin1(bytes.mid(start, 64)).toLower();
  return true;
}

bool UpdateCheck::sha256OfFile(const QString &path, QString *digest, QString *error)
{
  digest->clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = Tr(UpdateTexts::CannotRead).arg(path);
    return false;
  }
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) {
    *error = Tr(UpdateTexts::DigestFailed);
    return false;
  }
  *digest = QString::fromLatin1(hash.result().toHex());
  return true;
}

bool UpdateCheck::verifySignature(const QString &path, const QString &expected, QString *error)
{
  return CodeSignature::Current().Verify(path, expected, error);
}

void UpdateCheck::startVerification(const QString &path, const QString &address)
{
  if (checksumReply) {
    checksumReply->disconnect(this);
    checksumReply->abort();
  }
  QString error;
  QNetworkReply *reply = get(checksumUrlFor(address), SmallFileLimit, &error);
  if (!reply) {
    QTimer::singleShot(0, this, [this, error] { emit verificationFinished(false, error); });
    return;
  }
  checksumReply = reply;
  checksumLimit.start(checksumLimitMs);
  connect(reply, &QNetworkReply::finished, this, [this, reply, path] { onChecksumFinished(reply, path); });
}

void UpdateCheck::onChecksumFinished(QNetworkReply *reply, const QString &path)
{
  checksumLimit.stop();
  if (checksumReply == reply)
    checksumReply = nullptr;
  reply->deleteLater();
  QString error = replyErrorText(reply);
  QString published, computed;
  bool ok = error.isEmpty() && parsePublishedChecksum(reply->read(SmallFileLimit + 1), &published, &error) &&
            sha256OfFile(path, &computed, &error);
  if (ok && computed != published) {
    error = Tr(UpdateTexts::Mismatch).arg(published, computed);
    ok = false;
  }
  if (ok && requireSignature())
    ok = verifySignature(path, expectedSigner(), &error);
  emit verificationFinished(ok, ok ? QString() : error);
}

bool UpdateCheck::verifyDownload(const QString &path, const QString &address, QString *error)
{
  bool verified = false;
  QEventLoop loop;
  connect(this, &UpdateCheck::verificationFinished, &loop, [&](bool ok, const QString &text) {
    verified = ok;
    *error = text;
    loop.quit();
  });
  startVerification(path, address);
  loop.exec();
  return verified;
}

// ---------------------------------------------------------------------------
// Addresses and versions

QString UpdateCheck::checksumUrlFor(const QString &address)
{
  const int dot = address.lastIndexOf(QLatin1Char('.'));
  const int slash = address.lastIndexOf(QLatin1Char('/'));
  if (dot <= 0 || dot < slash)
    return address + QStringLiteral(".sha256");
  return address.left(dot) + QStringLiteral(".sha256");
}

QString UpdateCheck::localDownloadPath(const QString &address, const QString &folder)
{
  QString name = QUrl(address).fileName(QUrl::FullyDecoded);
  if (IsUnsafeFileName(name))
    name = QStringLiteral("Riduder-update.exe");
  return QDir(folder).filePath(name);
}

int UpdateCheck::compareVersions(const QString &a, const QString &b)
{
  const QList<uint> left = a.toUcs4();
  const QList<uint> right = b.toUcs4();
  qsizetype i = 0, j = 0;
  // Reads one component: the run of decimal digits at `at`, in unsigned
  // 32-bit arithmetic (a huge one wraps instead of overflowing), and steps
  // over the character that ends it.
  auto component = [](const QList<uint> &text, qsizetype &at) {
    quint32 value = 0;
    while (at < text.size() && QChar::isDigit(char32_t(text[at]))) {
      value = value * 10u + quint32(QChar::digitValue(char32_t(text[at])));
      ++at;
    }
    if (at < text.size())
      ++at;
    return value;
  };
  while (i < left.size() || j < right.size()) {
    const quint32 x = component(left, i);
    const quint32 y = component(right, j);
    if (x != y)
      return x > y ? 1 : -1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Settings

QString UpdateCheck::defaultManifestUrl()
{
  // A reserved name nobody answers, until the project runs an update server.
  return QStringLiteral("https://updates.riduder.invalid/sw_distribution/%1/manifest.json")
      .arg(productName().toLower());
}

QString UpdateCheck::manifestUrl()
{
  QSettings settings;
  const QString address = settings.value(QLatin1String(ManifestUrlKey)).toString().trimmed();
  return address.isEmpty() ? defaultManifestUrl() : address;
}

bool UpdateCheck::autoCheck()
{
  QSettings settings;
  return settings.value(QLatin1String(AutoCheckKey), true).toBool();
}

void UpdateCheck::setAutoCheck(bool on)
{
  QSettings settings;
  settings.setValue(QLatin1String(AutoCheckKey), on);
}

QString UpdateCheck::dismissedVersion()
{
  QSettings settings;
  return settings.value(QLatin1String(DismissedVersionKey)).toString();
}

void UpdateCheck::setDismissedVersion(const QString &version)
{
  QSettings settings;
  settings.setValue(QLatin1String(DismissedVersionKey), version);
}

bool UpdateCheck::isCheckDue()
{
  QSettings settings;
  const qint64 last = settings.value(QLatin1String(LastCheckKey), 0).toLongLong();
  if (last < 1)
    return true;
  const qint64 now = NowSeconds();
  return now - last >= 86400 || last > now;  // also when the clock was set back
}

void UpdateCheck::setLastCheckNow()
{
  QSettings settings;
  settings.setValue(QLatin1String(LastCheckKey), NowSeconds());
}

bool UpdateCheck::requireSignature()
{
  QSettings settings;
  return settings.value(QLatin1String(RequireSignatureKey), true).toBool();
}

QString UpdateCheck::checkStatusTip()
{
  return Tr("Check %1 for a newer version").arg(QUrl(manifestUrl()).host());
}

QString UpdateCheck::currentVersion() { return QCoreApplication::applicationVersion(); }

void UpdateCheck::ForbidRemoteHosts() { remoteHostsForbidden.store(true); }

bool UpdateCheck::RemoteHostsForbidden() { return remoteHostsForbidden.load(); }
