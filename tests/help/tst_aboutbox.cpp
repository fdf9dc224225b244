#include "TestMain.h"

#include "ModalDialogs.h"
#include "app/MainWindow.h"
#include "help/AboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>

class TestAboutBox : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void showsTheVersionAndOurLinks()
  {
    MainWindow window;
    QString version, web, mail;
    bool webOpensOutside = false, mailOpensOutside = false, fixed = false;
    QSize size;
    riduder::test::AnswerNextModalDialog([&](QDialog *dialog) {
      version = dialog->findChild<QLabel *>("IDC_ABOUTBOX_VERSION")->text();
      auto *webLabel = dialog->findChild<QLabel *>("IDC_ZIV_WEB");
      auto *mailLabel = dialog->findChild<QLabel *>("IDC_ZIV_EMAIL");
      web = webLabel->text();
      mail = mailLabel->text();
      webOpensOutside = webLabel->openExternalLinks();
      mailOpensOutside = mailLabel->openExternalLinks();
      fixed = dialog->minimumSize() == dialog->maximumSize();
      size = dialog->size();
      QVERIFY(!dialog->findChild<QLabel *>("label")->pixmap().isNull());
      QVERIFY(!dialog->findChild<QLabel *>("label_2")->pixmap().isNull());
      dialog->findChild<QPushButton *>("OK")->click();
    });
    window.actionAbout_triggered();
    QCOMPARE(version, QStringLiteral("Version 1.2.10"));
    QVERIFY2(web.contains("href=\"https://www.zivsystems.example/\""), qPrintable(web));
    QVERIFY2(mail.contains("href=\"mailto:support@zivsystems.example\""), qPrintable(mail));
    QVERIFY(webOpensOutside && mailOpensOutside);
    QVERIFY(fixed);
    QCOMPARE(size, QSize(405, 355));
    // OK remembers where the box was.
    QVERIFY(QSettings().contains("AboutBox/geometry"));
  }

  void escapeSavesNothing()
  {
    AboutBox box;
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isVisible());
    QVERIFY(!QSettings().contains("AboutBox/geometry"));
  }
};

RIDUDER_TEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
