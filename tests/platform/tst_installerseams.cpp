#include "TestMain.h"
#include "FakeCodeSignature.h"
#include "FakeInstallerLauncher.h"

#include "platform/CodeSignature.h"
#include "platform/InstallerLauncher.h"

#include <QFile>
#include <QTemporaryDir>

// The two platform seams of the update: the signer check and the start of
// the installer, the machine's side and the fakes.
class TestInstallerSeams : public QObject {
  Q_OBJECT

private slots:
  void theMachinesSignatureCheckRefusesEveryFile()
  {
    QTemporaryDir dir;
    const QString path = dir.filePath("setup.exe");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("MZ");
    file.close();
    QString error;
    QVERIFY(!CodeSignature::Current().Verify(path, QStringLiteral("ZIV Systems"), &error));
    QCOMPARE(error, QStringLiteral("Code signatures cannot be checked on this system, so it has NOT been run."));
  }

  void overridesNestAndRestore()
  {
    CodeSignature *machineCheck = &CodeSignature::Current();
    InstallerLauncher *machineLauncher = &InstallerLauncher::Current();
    FakeCodeSignature outer, inner;
    FakeInstallerLauncher launcher;
    {
      ScopedCodeSignatureOverride a(&outer);
      ScopedInstallerLauncherOverride b(&launcher);
      {
        ScopedCodeSignatureOverride c(&inner);
        QCOMPARE(&CodeSignature::Current(), static_cast<CodeSignature *>(&inner));
      }
      QCOMPARE(&CodeSignature::Current(), static_cast<CodeSignature *>(&outer));
      QCOMPARE(&InstallerLauncher::Current(), static_cast<InstallerLauncher *>(&launcher));
    }
    QCOMPARE(&CodeSignature::Current(), machineCheck);
    QCOMPARE(&InstallerLauncher::Current(), machineLauncher);
  }

  void theFakeSignerCheck_data()
  {
    QTest::addColumn<QString>("signer");
    QTest::addColumn<bool>("untrusted");
    QTest::addColumn<QString>("error");
    QTest::newRow("ours, any case") << "zIV sYSTEMS GmbH" << false << QString();
    QTest::newRow("untrusted") << "ZIV Systems" << true
                               << "The downloaded file is not signed by a publisher Windows trusts (0x800B0100), "
                                  "so it has NOT been run.";
    QTest::newRow("unreadable") << "" << false
                                << "The downloaded file's signer could not be read, so it has NOT been run.";
    QTest::newRow("someone else") << "Other Ltd" << false
                                  << "The downloaded file is signed by \"Other Ltd\", not by ZIV Systems, so it "
                                     "has NOT been run.";
  }

  void theFakeSignerCheck()
  {
    QFETCH(QString, signer);
    QFETCH(bool, untrusted);
    QFETCH(QString, error);
    FakeCodeSignature check;
    check.SetSigner(signer);
    check.SetUntrusted(untrusted);
    QString text;
    QCOMPARE(check.Verify("/tmp/x.exe", "ZIV Systems", &text), error.isEmpty());
    QCOMPARE(text, error);
    QCOMPARE(check.CheckedPaths(), QStringList{"/tmp/x.exe"});
  }

  // The machine's launcher makes the file executable by its owner alone and
  // runs it directly: a script that leaves a mark shows it ran.
  void theMachinesLauncherStartsTheFile()
  {
    QTemporaryDir dir;
    const QString path = dir.filePath("installer with blanks; $(false)");
    const QString mark = dir.filePath("ran");
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho started > '" + mark.toUtf8() + "'\n");
    script.close();
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    LinuxInstallerLauncher launcher;
    QString error;
    QVERIFY2(launcher.Start(path, &error), qPrintable(error));
    QCOMPARE(QFile::permissions(path) & 0x7777,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser |
                 QFile::ExeUser);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark), 10000);
  }

  void theMachinesLauncherReportsAMissingFile()
  {
    QTemporaryDir dir;
    LinuxInstallerLauncher launcher;
    QString error;
    QVERIFY(!launcher.Start(dir.filePath("gone.exe"), &error));
    QVERIFY(!error.isEmpty());
  }

  void theFakeLauncherRecords()
  {
    FakeInstallerLauncher launcher;
    QVERIFY(launcher.Start("/a"));
    launcher.SetFails(true);
    QString error;
    QVERIFY(!launcher.Start("/b", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(launcher.StartedPaths(), (QStringList{"/a", "/b"}));
  }
};

RIDUDER_TEST_MAIN(TestInstallerSeams)
#include "tst_installerseams.moc"
