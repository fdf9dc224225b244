#pragma once
// "TIC Serial Port Settings": the connections of the eight counter ports,
// each off, a TCP/IP counter with its address, or a serial line with its
// framing. The stored settings are the whole interface to the connections,
// which read them whenever their port (re)starts.

#include "platform/PortChoices.h"
#include "tic/TicPortSettings.h"

#include <QDialog>

class QButtonGroup;
class QCloseEvent;

namespace Ui {
class TicPortDialog;
}

class TicPortDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicPortDialog(QWidget *parent = nullptr);
  ~TicPortDialog() override;

  // Refreshes the serial port list and reloads the stored settings first.
  // 1 after OK, 0 after Cancel or closing the window.
  int exec() override;

  // The refused-address box goes through this seam; empty: a modal box.
  void SetWarningHandler(PortWarningHandler handler) { warn = std::move(handler); }

  // The in-memory copy of port 1 to 8 that the dialog edits.
  const TicPortSettings &Port(int port) const { return ports[port - 1]; }

  // The port number in a "PORT n" text (from its first digit on); 0 when
  // it reads as none.
  static int PortNumberOf(const QString &text);

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void RefreshPortNames();
  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void ShowPort(const QString &idText);
  void ShowChoices(const TicPortSettings &port);
  void SelectPortName(const QString &name);
  void SetEnabledByName(const QString &name);
  int ShownPort() const;
  TicPortSettings *ShownSettings();
  void OnPortNameChanged();
  void OnAddressEditingFinished();
  bool ValidateIpAddress();
  void OnOkClicked();
  void OnCancelClicked();

  Ui::TicPortDialog *ui;
  TicPortSettings ports[TicPortCount];
  PortWarningHandler warn;
};
