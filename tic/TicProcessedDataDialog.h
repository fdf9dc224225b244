#pragma once
// The non-modal window of the counters' processed data lines.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

class TicProcessedDataDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicProcessedDataDialog(QWidget *parent = nullptr);
  ~TicProcessedDataDialog() override;

  // Clears the text and shows the window without blocking.
  void ShowDialog();
  // Appends one line while the window is visible.
  void AppendText(const QString &line);

private:
  QPlainTextEdit *textEdit = nullptr;
};
