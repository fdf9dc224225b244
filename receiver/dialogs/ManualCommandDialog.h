#pragma once
// The non-modal "Manual Commands" window: pick or type one receiver command,
// edit its parameters as HEX digits or as text, watch the checksum and send
// it. The bare message leaves through sendGpsMessage; the main window's
// command sender completes it and writes it to the receiver.

#include "receiver/dialogs/ManualCommandTable.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>

class QCloseEvent;

namespace Ui {
class ManualCommandDialog;
}

class ManualCommandDialog : public QDialog
{
  Q_OBJECT

public:
  explicit ManualCommandDialog(QWidget *parent = nullptr);
  ~ManualCommandDialog() override;

  bool eventFilter(QObject *watched, QEvent *event) override;
  int exec() override;

  // Restores the geometry, fills the command list for the receiver and
  // protocol in force and shows the window (non-modal).
  void ShowDialog();

  // Puts the names of the group that suits receiverIdentity.model and
  // CurrentGpsMode into the command box; its first name is then selected.
  void FillCommandList();

  // Fills prefix, description and parameters from the active group's row of
  // that name; a name with no row is taken as a raw prefix.
  void SelectCommand(const QString &name);

  // Warning boxes go through this seam so they can be recorded instead of shown.
  using WarningHandler = std::function<void(const QString &title, const QString &text)>;
  void SetWarningHandler(WarningHandler handler);

  void RestoreGeometry();
  void SaveGeometry();

signals:
  void sendGpsMessage(QByteArray qbComand);

protected:
  void closeEvent(QCloseEvent *event) override;

private slots:
  void IDC_MANCMD_PREFIX_textEdited(const QString &text);
  void IDC_MANCMD_PARAM_textEdited(const QString &text);
  void IDC_MANCMD_ASCII_textEdited(const QString &text);
  void IDC_MANCMD_CMD_currentIndexChanged(int index);
  void IDC_MANCMD_CMD_editTextChanged(const QString &text);
  void OnCloseClicked();
  void OnSendClicked();

private:
  bool UpdateChecksum();
  void HexToAscii();
  void AsciiToHex();
  void PadAscii();
  void SetParameterLimits(const QString &defaults);
  void Warn(const QString &title, const QString &text);

  Ui::ManualCommandDialog *ui = nullptr;
  // Constant rows, held by the window for its lifetime.
  const ManualCommandTable commandTable;
  // The group shown in the command box: first row and row count. Empty until
  // a fill chooses a group.
  int activeGroup = 0;
  int activeGroupCount = 0;
  int paramLength = 0;
  WarningHandler warningHandler;
};
