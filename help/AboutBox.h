#pragma once
// The "About Riduder" box.

#include <QDialog>

class AboutBox : public QDialog {
  Q_OBJECT

public:
  explicit AboutBox(QWidget *parent = nullptr);
  ~AboutBox() override;
};
