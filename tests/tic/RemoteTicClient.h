#pragma once
// A loopback client of the window's remote-control server, switched on
// through the link dialog as a user would.

#include "ModalDialogs.h"
#include "RemoteClient.h"
#include "app/MainWindow.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"

#include <QTcpSocket>
#include <QTest>

namespace riduder::test {

// Serves remote control on a free loopback port and connects `client`;
// true when the server has taken the client.
inline bool ConnectRemoteClient(MainWindow &window, QTcpSocket &client)
{
  // A port the link dialog accepts (the system's own picks lie above it).
  const quint16 port = FreeLinkPort();
  if (port == 0)
    return false;
  AnswerNextModalDialog([port](QDialog *dialog) {
    auto *link = qobject_cast<TelnetLink *>(dialog);
    if (!link)
      return dialog->reject();
    link->SetSettings({true, port});
    dialog->accept();
  });
  window.TelnetLinkInterface();
  if (!window.RemoteServer())
    return false;
  client.connectToHost(QHostAddress::LocalHost, port);
  if (!client.waitForConnected(3000))
    return false;
  if (!QTest::qWaitFor([&] { return window.RemoteServer()->HasClient(); }, 3000))
    return false;
  // The greeting comes first; what the test reads begins after it.
  if (!QTest::qWaitFor([&] { return client.canReadLine(); }, 3000))
    return false;
  return client.readLine() == RemoteControlProtocol::Greeting;
}

}  // namespace riduder::test
