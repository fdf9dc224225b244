#pragma once
// The options of the GPS data log: its type, how often it records, whether
// the recording seconds count in GPS time, and whether the log restarts at
// a new day. It is shown inside the New/Open GPS log dialog; other parts
// read its fields directly.

#include <QDialog>

class QCloseEvent;

namespace Ui {
class GpsLogTypeDialog;
}

class GpsLogTypeDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsLogTypeDialog(QWidget *parent = nullptr);
  ~GpsLogTypeDialog() override;

  // Settings into the form and the fields.
  void LoadSettings();
  // Geometry, then the form into the fields and the settings.
  void SaveSettings();
  // Seconds of the combo box's current index (1 for an unknown index).
  int GetLogInterval() const;
  void SaveGeometry();

  // Seconds of a "Log Every" index; 1 outside 0 to 11.
  static int LogIntervalOfIndex(int index);

  int GpsLogType = 0;               // 0 raw text, 1 binary, 2 PVT (.csv), 3 NMEA, 4 RINEX
  int GpsLogInterval = 1;           // seconds between data records
  bool UseGpsSecondNumber = false;  // count the recording seconds in GPS time

public slots:
  int exec() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  Ui::GpsLogTypeDialog *ui;
};
