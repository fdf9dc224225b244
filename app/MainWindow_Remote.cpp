// The main window's side of the remote-control link: the link action that
// starts, restarts or removes the server, and the host through which the
// client's commands reach the logs, the reference location and the counter
// data sentences.

#include "app/MainWindow.h"
#include "position/GpsNavDialog.h"
#include "remote/RemoteCommandInterpreter.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"
#include "tic/TicLineProcessor.h"

class MainWindowRemoteHost : public RemoteCommandHost {
public:
  explicit MainWindowRemoteHost(MainWindow &window) : window(window) {}

  void SendReply(const QByteArray &reply) override
  {
    if (window.telnetServer)
      window.telnetServer->SendMessage(reply);
  }

  void RestartServer() override
  {
    // Serving again on the port it served on.
    if (window.telnetServer)
      window.telnetServer->StartServer(window.telnetServer->Port());
  }

  void CarryOutNextLineAtOnce() override
  {
    if (window.telnetServer)
      window.telnetServer->CarryOutNextLineAtOnce();
  }

  QString VersionText() const override { return window.Version().toString(); }

  QString ReferencePositionText() const override { return window.NavDialog().ReferencePositionText(4); }

  void SetReferenceLocation(const GeoPosition &position) override
  {
    GpsNavDialog &nav = window.NavDialog();
    nav.SetReferenceLocation(position.latitude, position.longitude, position.gpsAltitude, position.mslAltitude);
    GeoPosition stored;
    nav.GetReferenceLocation(stored.latitude, stored.longitude, stored.gpsAltitude, stored.mslAltitude);
    window.SetTimesLocation(stored.latitude, stored.longitude);
  }

  void SetTicDataCount(TicDataKind kind, int count) override
  {
    TicLineProcessor &processor = window.TicProcessor();
    if (kind == TicDataKind::Time)
      processor.SetRemoteTimeCount(count);
    else
      processor.SetRemoteAverageCount(count);
  }

  QByteArray LastTicDataLine(TicDataKind kind) const override
  {
    const TicLineProcessor &processor = window.TicProcessor();
    return kind == TicDataKind::Time ? processor.LastTimeLine() : processor.LastAverageLine();
  }

  int GpsLogType() const override { return window.gpsLogValues.type; }
  // For this run only: the stored type stays as the log panel saved it.
  void SetGpsLogType(int type) override { window.gpsLogValues.type = type; }
  bool GpsLogOpen() const override { return window.GpsLog().IsOpen(); }
  QString GpsLogFileName() const override { return window.GpsLog().FileName(); }
  bool OpenGpsLogFile(int mode) override { return window.OpenGpsLogFile(mode); }
  bool CloseGpsLogFile() override { return window.CloseGpsLogFile(true); }

  bool TicLogOpen() const override { return window.TicLog().IsOpen(); }
  QString TicLogFirstFileName() const override { return window.TicLog().AverageFileName(1); }
  bool OpenTicLogFiles(int mode) override { return window.OpenTicLogFiles(mode); }
  bool CloseTicLogFiles() override { return window.CloseTicLogFiles(true); }
  void TicLogOptionsStored() override { window.LoadTicLogOptions(); }

private:
  MainWindow &window;
};

void MainWindow::OnTelnetCommand(QByteArray command)
{
  if (!remoteInterpreter) {
    remoteHost = std::make_unique<MainWindowRemoteHost>(*this);
    remoteInterpreter = std::make_unique<RemoteCommandInterpreter>(*remoteHost);
  }
  remoteInterpreter->OnTelnetCommand(command);
}

void MainWindow::TelnetLinkInterface()
{
  if (!telnetLink)
    telnetLink = new TelnetLink(this);
  if (!telnetLink->exec())
    return;
  const TelnetLinkSettings link = telnetLink->Settings();
  if (link.activate) {
    if (!telnetServer) {
      telnetServer = new TelnetTcpServer(nullptr);
      // The TICDATA counters outlive a client: one that reconnects after a
      // network drop goes on receiving what it asked for with ALWAYS.
      connect(telnetServer, &TelnetTcpServer::sendTelnetCommand, this, &MainWindow::OnTelnetCommand);
    }
    // Each confirmation restarts serving on the chosen port.
    telnetServer->StartServer(quint16(link.port));
  } else if (telnetServer) {
    delete telnetServer;
    telnetServer = nullptr;
  }
}
