#pragma once
// The modal dialog that offers a newer version.

#include <QDialog>

class UpdateDialog : public QDialog {
  Q_OBJECT

public:
  explicit UpdateDialog(QWidget *parent = nullptr);
  ~UpdateDialog() override;
};
