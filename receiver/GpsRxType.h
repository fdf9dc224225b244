#pragma once
// The receive-only mode cannot ask the receiver who it is, so the user tells:
// which Motorola Oncore family and firmware range it belongs to. The choice
// is stored as the chosen button's text.

#include <QDialog>
#include <QString>

class QCloseEvent;
class QRadioButton;

namespace Ui {
class GpsRxType;
}

namespace GpsRxTypeKeys {
inline constexpr char Choice[] = "GpsRxType/PPS Interface";
// The object name of the chosen button: the texts repeat across the
// columns, so the text alone cannot say which column was chosen.
inline constexpr char ChoiceButton[] = "GpsRxType/Button";
inline constexpr char Geometry[] = "GpsRxType/geometry";
}  // namespace GpsRxTypeKeys

class GpsRxType : public QDialog
{
  Q_OBJECT
public:
  explicit GpsRxType(QWidget *parent = nullptr);
  ~GpsRxType() override;

  // Shows the stored choice, then runs modally.
  int exec() override;

  // The checked button (nullptr when none).
  QRadioButton *CheckedButton() const;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void OnOkClicked();

  Ui::GpsRxType *ui;
};
