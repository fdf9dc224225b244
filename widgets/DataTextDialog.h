#pragma once
// The shape shared by the traffic windows (receiver raw data, counter raw
// and processed data): a read-only text area that keeps the newest lines,
// a "Wrap text" box, a "Clear Screen" button and a remembered geometry.
// Lines are taken only while the window is visible.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

class DataTextDialog : public QDialog {
  Q_OBJECT

public:
  // Lines kept; older ones go first, so hours of traffic stay cheap to show.
  static constexpr int MaxLines = 1024;
  // Lines given meanwhile are appended together at most this often: one
  // repaint for a group, not one a message.
  static constexpr int AppendIntervalMs = 100;

  ~DataTextDialog() override;

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
  // `geometryKey` is the settings key of the window's size and place.
  DataTextDialog(const QString &geometryKey, QWidget *parent);
  // Called by the derived window once its form is set up: takes the text
  // area of that name and the form's "wrapCheckBox".
  void AttachTextArea(const QString &objectName);
  void closeEvent(QCloseEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void LoadSettings();
  void SaveSettings();

  QString geometryKey;
  int wrapState = Qt::Unchecked;
  QPlainTextEdit *textEdit = nullptr;
  QStringList pendingLines;  // at most MaxLines: older ones would scroll away unseen
  QTimer appendTimer;
};
