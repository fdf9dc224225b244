#pragma once
// The options panel of the TIC log set ("TIC File Type"): the time-tag
// format, whether and how often time rows are recorded, the restart at a
// new day, the satellite events in the configuration log, and the
// averaging source and period. It is shown inside the New/Open TIC log
// window; the set and the counter rows read the stored values (see
// logging/TicLogOptions.h), never the panel.

#include <QDialog>

class QCloseEvent;

namespace Ui {
class TicFileDialog;
}

class TicFileDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicFileDialog(QWidget *parent = nullptr);
  ~TicFileDialog() override;

  // The stored options into the form; out-of-range values are repaired and
  // written back.
  void LoadSettings();
  // The form into the settings.
  void SaveSettings();
  // The stored time-log interval in seconds; 0 while time logging is off.
  int GetTimeIntervalLogMode() const;
  // The stored averaging period in seconds; 0 when it is no number.
  int GetAveragingLogPeriod() const;

public slots:
  int exec() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  Ui::TicFileDialog *ui;
};
