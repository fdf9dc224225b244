#pragma once
// The non-modal window of the counters' raw data lines.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

class TicRawDataDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicRawDataDialog(QWidget *parent = nullptr);
  ~TicRawDataDialog() override;

  // Clears the text and shows the window without blocking.
  void ShowDialog();
  // Appends one line while the window is visible.
  void AppendText(const QString &line);

private:
  QPlainTextEdit *textEdit = nullptr;
};
