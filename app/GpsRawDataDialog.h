#pragma once
// The non-modal "GPS Raw Data" window: the traffic on the receiver link,
// one line per message. Lines are taken only while the window is visible.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace Ui {
class GpsRawDataDialog;
}

class GpsRawDataDialog : public QDialog {
  Q_OBJECT

public:
  // Lines kept; older ones go first, so hours of traffic stay cheap to show.
  static constexpr int MaxLines = 1024;

  explicit GpsRawDataDialog(QWidget *parent = nullptr);
  ~GpsRawDataDialog() override;

  // Restores the geometry, clears the text and shows the window.
  void ShowDialog();
  int exec() override;
  // Appends one line while the window is visible; without wrapping the
  // line's surrounding white space is dropped.
  void AppendText(const QString &line);

public slots:
  void on_ClearScreen_clicked();
  void OnWrapStateChanged(int state);

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void LoadSettings();
  void SaveSettings();

  Ui::GpsRawDataDialog *ui;
  int wrapState = Qt::Unchecked;
  QPlainTextEdit *textEdit = nullptr;
};
