#pragma once
// The TIC log file dialog: the kind and options of the TIC log set.

#include <QDialog>

class TicFileDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicFileDialog(QWidget *parent = nullptr);
  ~TicFileDialog() override;
};
