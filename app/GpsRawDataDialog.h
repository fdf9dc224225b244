#pragma once
// The non-modal "GPS Raw Data" window: the traffic on the receiver link,
// one line per message. Lines are taken only while the window is visible.

#include "widgets/DataTextDialog.h"

namespace Ui {
class GpsRawDataDialog;
}

class GpsRawDataDialog : public DataTextDialog {
  Q_OBJECT

public:
  explicit GpsRawDataDialog(QWidget *parent = nullptr);
  ~GpsRawDataDialog() override;

private:
  Ui::GpsRawDataDialog *ui;
};
