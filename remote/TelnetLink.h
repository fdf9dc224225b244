#pragma once
// The modal "Remote Control Link" dialog: serving on or off, and the port.
// The stored on/off choice only pre-sets the check box: the server runs
// only after the user has confirmed the dialog with serving on.

#include "remote/TelnetTcpServer.h"

#include <QDialog>

class QCloseEvent;

namespace Ui {
class TelnetLink;
}

// Settings of the remote-control link.
namespace TelnetLinkKeys {
inline constexpr char Activate[] = "TelnetDialog/TelnetActivate";
inline constexpr char ServerPort[] = "TelnetDialog/TelnetServerPort";
inline constexpr char Geometry[] = "TelnetLink/geometry";
}  // namespace TelnetLinkKeys

// The stored choice, as the dialog shows it (the port is not checked here).
struct TelnetLinkSettings {
  bool activate = false;
  int port = RemoteControlProtocol::DefaultPort;

  static TelnetLinkSettings Load();
  void Save() const;
};

class TelnetLink : public QDialog {
  Q_OBJECT

public:
  static constexpr int MinPort = 1024;
  static constexpr int MaxPort = 32768;
  static constexpr char PortFieldStyle[] = "border: 1px solid black";
  static constexpr char BadPortFieldStyle[] = "border: 2px solid red";

  explicit TelnetLink(QWidget *parent = nullptr);
  ~TelnetLink() override;

  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();

  // What the main window reads after OK: the accepted choice of the last
  // successful OK, or the stored one of the last opening.
  const TelnetLinkSettings &Settings() const { return settings_; }
  // Shows a choice in the form, as if the user had typed it.
  void SetSettings(const TelnetLinkSettings &settings);

public slots:
  int exec() override;
  void OnOK();
  void OnCancel();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void ShowSettings();

  Ui::TelnetLink *ui;
  TelnetLinkSettings settings_;
};
