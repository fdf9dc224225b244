#pragma once
// The modal "Satellite Select" dialog: eight channel rows with a satellite ID
// field and a Disable box. It checks what is typed and keeps only its own
// window geometry; nothing entered is stored or sent.

#include <QDialog>

namespace Ui {
class SatelliteSelect;
}
class QLineEdit;

class SatelliteSelect : public QDialog {
  Q_OBJECT

public:
  explicit SatelliteSelect(QWidget *parent = nullptr);
  ~SatelliteSelect() override;

  int exec() override;

  void RestoreGeometry();
  void SaveGeometry();
  void ValidateAll();
  bool ValidateIntField(const QString &text, int min, int max, bool showMessages);

protected:
  void closeEvent(QCloseEvent *event) override;

private slots:
  void IDC_SS_1_SAT_ID_textEdited(const QString &text);
  void IDC_SS_1_SAT_ID_editingFinished();
  void IDC_SS_2_SAT_ID_textEdited(const QString &text);
  void IDC_SS_2_SAT_ID_editingFinished();
  void IDC_SS_3_SAT_ID_textEdited(const QString &text);
  void IDC_SS_3_SAT_ID_editingFinished();
  void IDC_SS_4_SAT_ID_textEdited(const QString &text);
  void IDC_SS_4_SAT_ID_editingFinished();
  void IDC_SS_5_SAT_ID_textEdited(const QString &text);
  void IDC_SS_5_SAT_ID_editingFinished();
  void IDC_SS_6_SAT_ID_textEdited(const QString &text);
  void IDC_SS_6_SAT_ID_editingFinished();
  void IDC_SS_7_SAT_ID_textEdited(const QString &text);
  void IDC_SS_7_SAT_ID_editingFinished();
  void IDC_SS_8_SAT_ID_textEdited(const QString &text);
  void IDC_SS_8_SAT_ID_editingFinished();

private:
  void OnOkClicked();
  void OnCancelClicked();
  QLineEdit *ChannelField(int channel) const;  // channel 1..8
  void ChannelEdited(int channel, const QString &text);
  bool ChannelLeft(int channel);

  Ui::SatelliteSelect *form;
};
