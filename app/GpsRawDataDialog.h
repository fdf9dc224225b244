#pragma once
// The non-modal "GPS Raw Data" window: the traffic on the receiver link,
// one line per message. Lines are taken only while the window is visible.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

namespace Ui {
class GpsRawDataDialog;
}

class GpsRawDataDialog : public QDialog {
  Q_OBJECT

public:
  // Lines kept; older ones go first, so hours of traffic stay cheap to show.
  static constexpr int MaxLines = 1024;
  // Lines given meanwhile are appended together at most this often: one
  // repaint for a group, not one a message.
  static constexpr int AppendIntervalMs = 100;

  explicit GpsRawDataDialog(QWidget *parent = nullptr);
  ~GpsRawDataDialog() override;

  // Restores the geometry, clears the text and shows the window.
  void ShowDialog();
  int exec() override;
  // Takes one line while the window is visible; without wrapping the
  // line's surrounding white space is dropped. It is shown with the others
  // of its group, in order, within AppendIntervalMs.
  void AppendText(const QString &line);
  // Shows the lines taken and not shown yet, now.
  void AppendPendingLines();

public slots:
  void on_ClearScreen_clicked();
  void OnWrapStateChanged(int state);

protected:
  void closeEvent(QCloseEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void LoadSettings();
  void SaveSettings();

  Ui::GpsRawDataDialog *ui;
  int wrapState = Qt::Unchecked;
  QPlainTextEdit *textEdit = nullptr;
  QStringList pendingLines;  // at most MaxLines: older ones would scroll away unseen
  QTimer appendTimer;
};
