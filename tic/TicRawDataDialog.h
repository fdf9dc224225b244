#pragma once
// The non-modal window of the counters' raw data: the line as each counter sent it.
// Lines are taken only while the window is visible.

#include "widgets/DataTextDialog.h"

namespace Ui {
class TicRawDataDialog;
}

class TicRawDataDialog : public DataTextDialog {
  Q_OBJECT

public:
  explicit TicRawDataDialog(QWidget *parent = nullptr);
  ~TicRawDataDialog() override;

private:
  Ui::TicRawDataDialog *ui;
};
