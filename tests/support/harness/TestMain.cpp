#include "TestMain.h"

#include "platform/SystemClock.h"
#include "update/UpdateCheck.h"
#include "tools/simulator/CaptureFile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <ctime>

namespace riduder::test {

void PrepareTestEnvironment()
{
  // Outlives the application object; removed when the process exits.
  static QTemporaryDir home(QDir::tempPath() + "/riduder-test-XXXXXX");
  const QString root = home.path();
  QDir().mkpath(root + "/config");
  QDir().mkpath(root + "/data");
  QDir().mkpath(root + "/Documents");
  QDir().mkpath(root + "/runtime");
  QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // Temporary folders, a child process's own home among them, inside this
  // one: a child killed outright leaves nothing behind once this is removed.
  QDir().mkpath(root + "/tmp");
  qputenv("TMPDIR", (root + "/tmp").toUtf8());
  // Documents folder without a desktop session: Qt reads user-dirs.dirs.
  QFile dirs(root + "/config/user-dirs.dirs");
  if (dirs.open(QIODevice::WriteOnly))
    dirs.write(QByteArray("XDG_DOCUMENTS_DIR=\"") + root.toUtf8() + "/Documents\"\n");
  qputenv("HOME", root.toUtf8());
  qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
  qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("TZ"))
    qputenv("TZ", "UTC");
  tzset();
  // Root holds CAP_SYS_TIME here: no test may ever step the real clock.
  LinuxSystemClock::ForbidSetting();
  // Nor may a test reach an update server beyond this machine.
  UpdateCheck::ForbidRemoteHosts();
}

QString CaptureDir()
{
  return QDir(QStringLiteral(RIDUDER_TESTDATA_DIR)).absolutePath();
}

QByteArray ReadCapture(const QString &relativePath, bool *ok)
{
  if (ok)
    *ok = false;
  QFile f(CaptureDir() + "/" + relativePath);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  const QByteArray bytes = riduder::sim::ReceiverBytes(f.readAll());
  if (ok)
    *ok = true;
  return bytes;
}

QVariantMap StoredSettings()
{
  QSettings settings;
  QVariantMap contents;
  for (const QString &key : settings.allKeys())
    contents.insert(key, settings.value(key));
  return contents;
}

}  // namespace riduder::test
