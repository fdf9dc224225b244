#pragma once
// The non-modal window of the counters' processed data: the port number and the processed row.
// Lines are taken only while the window is visible.

#include "widgets/DataTextDialog.h"

namespace Ui {
class TicProcessedDataDialog;
}

class TicProcessedDataDialog : public DataTextDialog {
  Q_OBJECT

public:
  explicit TicProcessedDataDialog(QWidget *parent = nullptr);
  ~TicProcessedDataDialog() override;

private:
  Ui::TicProcessedDataDialog *ui;
};
