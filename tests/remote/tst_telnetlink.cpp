#include "TestMain.h"

#include "ModalDialogs.h"
#include "RemoteClient.h"
#include "app/MainWindow.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

using riduder::test::AnswerNextModalDialog;
using riduder::test::FreeLinkPort;
using riduder::test::RemoteClient;

namespace {

struct LinkForm {
  explicit LinkForm(QDialog *dialog)
      : activate(dialog->findChild<QCheckBox *>(QStringLiteral("IDC_TELNET_LINK_ACTIVATE"))),
        port(dialog->findChild<QLineEdit *>(QStringLiteral("IDC_TELNET_LINK_PORT"))),
        ok(dialog->findChild<QPushButton *>(QStringLiteral("OK"))),
        cancel(dialog->findChild<QPushButton *>(QStringLiteral("CANCEL")))
  {
  }
  bool Complete() const { return activate && port && ok && cancel; }

  QCheckBox *activate;
  QLineEdit *port;
  QPushButton *ok;
  QPushButton *cancel;
};

// Answers the next link dialog by checking or clearing the box, typing
// the port and pressing OK.
void ConfirmLink(bool serving, quint16 port)
{
  AnswerNextModalDialog([serving, port](QDialog *dialog) {
    LinkForm form(dialog);
    QVERIFY(form.Complete());
    form.activate->setChecked(serving);
    form.port->setText(QString::number(port));
    form.ok->click();
  });
}

}  // namespace

class TestTelnetLink : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void anEmptyStoreShowsServingOffOnTheDefaultPort()
  {
    TelnetLink link;
    QCOMPARE(link.objectName(), QStringLiteral("TelnetLink"));
    QCOMPARE(link.windowTitle(), QStringLiteral("Remote Control Link"));
    QCOMPARE(link.size(), QSize(380, 110));
    QCOMPARE(link.minimumSize(), link.maximumSize());
    bool checked = true;
    QString port;
    AnswerNextModalDialog([&](QDialog *dialog) {
      LinkForm form(dialog);
      QVERIFY(form.Complete());
      checked = form.activate->isChecked();
      port = form.port->text();
      QCOMPARE(form.port->styleSheet(), QStringLiteral("border: 1px solid black"));
      form.cancel->click();
    });
    QCOMPARE(link.exec(), 0);
    QVERIFY(!checked);
    QCOMPARE(port, QStringLiteral("32325"));
    QVERIFY(!QSettings().contains(TelnetLinkKeys::Activate));
    QVERIFY(QSettings().contains(TelnetLinkKeys::Geometry));
  }

  void okTakesOnlyPortsInRange_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("lowest") << QStringLiteral("1024") << true;
    QTest::newRow("highest") << QStringLiteral("32768") << true;
    QTest::newRow("below") << QStringLiteral("1023") << false;
    QTest::newRow("above") << QStringLiteral("32769") << false;
    QTest::newRow("not a number") << QStringLiteral("80a") << false;
    QTest::newRow("empty") << QString() << false;
  }

  void okTakesOnlyPortsInRange()
  {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TelnetLink link;
    bool stayedOpen = false;
    QString styleAfter;
    QString textAfter;
    AnswerNextModalDialog([&](QDialog *dialog) {
      LinkForm form(dialog);
      form.activate->setChecked(true);
      form.port->setText(typed);
      form.ok->click();
      stayedOpen = dialog->isVisible();
      styleAfter = form.port->styleSheet();
      textAfter = form.port->text();
      if (stayedOpen)
        form.cancel->click();
    });
    const int result = link.exec();
    QCOMPARE(result, accepted ? 1 : 0);
    QCOMPARE(stayedOpen, !accepted);
    QSettings settings;
    if (accepted) {
      QCOMPARE(link.Settings().port, typed.toInt());
      QVERIFY(link.Settings().activate);
      QCOMPARE(settings.value(TelnetLinkKeys::ServerPort).toInt(), typed.toInt());
      QCOMPARE(settings.value(TelnetLinkKeys::Activate).toBool(), true);
      // The next opening shows the accepted port.
      QString shown;
      AnswerNextModalDialog([&](QDialog *dialog) {
        shown = LinkForm(dialog).port->text();
        LinkForm(dialog).cancel->click();
      });
      QCOMPARE(link.exec(), 0);
      QCOMPARE(shown, typed);
    } else {
      QCOMPARE(styleAfter, QStringLiteral("border: 2px solid red"));
      QCOMPARE(textAfter, typed.isEmpty() ? QStringLiteral("32325") : typed);
      QVERIFY(!settings.contains(TelnetLinkKeys::ServerPort));
      QVERIFY(!link.Settings().activate);
      QCOMPARE(link.Settings().port, 32325);
    }
  }

  void anEmptiedFieldIsRefilledAndThenAccepted()
  {
    TelnetLink link;
    QString styleNextOpening;
    AnswerNextModalDialog([&](QDialog *dialog) {
      LinkForm form(dialog);
      form.port->clear();
      form.ok->click();
      QVERIFY(dialog->isVisible());
      QCOMPARE(form.port->styleSheet(), QStringLiteral("border: 2px solid red"));
      form.ok->click();
    });
    QCOMPARE(link.exec(), 1);
    QCOMPARE(link.Settings().port, 32325);
    AnswerNextModalDialog([&](QDialog *dialog) {
      styleNextOpening = LinkForm(dialog).port->styleSheet();
      dialog->close();
    });
    QCOMPARE(link.exec(), 0);
    QCOMPARE(styleNextOpening, QStringLiteral("border: 1px solid black"));
  }

  void cancelKeepsTheStoredChoice()
  {
    QSettings().setValue(TelnetLinkKeys::ServerPort, 5000);
    TelnetLink link;
    AnswerNextModalDialog([](QDialog *dialog) {
      LinkForm form(dialog);
      form.activate->setChecked(true);
      form.port->setText(QStringLiteral("6000"));
      form.cancel->click();
    });
    QCOMPARE(link.exec(), 0);
    QCOMPARE(QSettings().value(TelnetLinkKeys::ServerPort).toInt(), 5000);
    QVERIFY(!QSettings().contains(TelnetLinkKeys::Activate));
    QVERIFY(!link.Settings().activate);
    QCOMPARE(link.Settings().port, 5000);
  }

  void aStoredPortOutOfRangeIsShownAndRefusedOnOk()
  {
    QSettings().setValue(TelnetLinkKeys::ServerPort, 80);
    TelnetLink link;
    QString shown;
    bool stayedOpen = false;
    AnswerNextModalDialog([&](QDialog *dialog) {
      LinkForm form(dialog);
      shown = form.port->text();
      form.ok->click();
      stayedOpen = dialog->isVisible();
      form.cancel->click();
    });
    QCOMPARE(link.exec(), 0);
    QCOMPARE(shown, QStringLiteral("80"));
    QVERIFY(stayedOpen);
  }

  void theStoredChoiceStartsNoServer()
  {
    QSettings settings;
    settings.setValue(TelnetLinkKeys::Activate, true);
    settings.setValue(TelnetLinkKeys::ServerPort, int(FreeLinkPort()));
    MainWindow window;
    QCoreApplication::processEvents();
    QVERIFY(!window.RemoteServer());
  }

  // A port change confirmed while a client is connected: the client is
  // dropped, the new port serves and the old one refuses.
  void aPortChangeMovesServingWhileAClientIsConnected()
  {
    MainWindow window;
    const quint16 first = FreeLinkPort();
    ConfirmLink(true, first);
    window.TelnetLinkInterface();
    TelnetTcpServer *server = window.RemoteServer();
    QVERIFY(server);
    RemoteClient client;
    QVERIFY(client.Connect(first));
    client.Send("$DAREZ,VERSION\r");
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,VERSION,1.2.10"));

    const quint16 second = FreeLinkPort();
    ConfirmLink(true, second);
    window.TelnetLinkInterface();
    QCOMPARE(window.RemoteServer(), server);
    QVERIFY(client.WaitGone());
    QTest::qWait(50);
    RemoteClient onOld;
    QVERIFY(!onOld.Connect(first));
    RemoteClient onNew;
    QVERIFY(onNew.Connect(second));
    // Each line is carried out once.
    onNew.Send("$DAREZ,VERSION\r");
    QCOMPARE(onNew.ReadLine(), QByteArray("$DAREZ,VERSION,1.2.10"));
    QCOMPARE(onNew.ReadLine(200), QByteArray());

    // Confirming the same port again drops the client and serves on.
    ConfirmLink(true, second);
    window.TelnetLinkInterface();
    QVERIFY(onNew.WaitGone());
    RemoteClient again;
    QVERIFY(again.Connect(second));

    ConfirmLink(false, second);
    window.TelnetLinkInterface();
    QVERIFY(!window.RemoteServer());
    QVERIFY(again.WaitGone());
  }
};

RIDUDER_TEST_MAIN(TestTelnetLink)
#include "tst_telnetlink.moc"
