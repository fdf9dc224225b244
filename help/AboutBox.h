#pragma once
// The "About Riduder" box: the program's icon, its version, our notices and
// live links to the web site and the support address.

#include <QDialog>

class QCloseEvent;
class QLabel;

namespace Ui {
class AboutBox;
}

class AboutBox : public QDialog {
  Q_OBJECT

public:
  explicit AboutBox(QWidget *parent = nullptr);
  ~AboutBox() override;

  // The version line the main window fills in.
  QLabel *versionLabel() const;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void onOk();
  void saveGeometrySetting();

  Ui::AboutBox *ui;
};
