#pragma once
// The GPS log type dialog: which of the five GPS log types is written and
// how often a data record may be written. Other parts read the two members.

#include <QDialog>

class GpsLogTypeDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsLogTypeDialog(QWidget *parent = nullptr);
  ~GpsLogTypeDialog() override;

  int GpsLogType = 0;      // 0 raw text, 1 binary, 2 PVT (.csv), 3 NMEA, 4 RINEX
  int GpsLogInterval = 1;  // seconds between data records
};
