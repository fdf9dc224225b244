#pragma once
// The non-modal "Manual Commands" window: pick or type one receiver command,
// edit its parameters as HEX digits or as text, watch the checksum and send
// it. The bare message leaves through sendGpsMessage; the main window's
// command sender completes it and writes it to the receiver.

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>

namespace Ui {
class ManualCommandDialog;
}

class ManualCommandDialog : public QDialog
{
  Q_OBJECT

public:
  explicit ManualCommandDialog(QWidget *parent = nullptr);
  ~ManualCommandDialog() override;

  // Restores the geometry, fills the command list for the receiver and
  // protocol in force and shows the window (non-modal).
  void ShowDialog();
  int exec() override;

  // Warning boxes go through this seam so tests can record them.
  using WarningHandler = std::function<void(const QString &title, const QString &text)>;
  void SetWarningHandler(WarningHandler handler);

signals:
  void sendGpsMessage(QByteArray qbComand);

private:
  Ui::ManualCommandDialog *ui = nullptr;
  WarningHandler warningHandler;
};
