#pragma once
// The options of the GPS data log: its type, how often it records, whether
// the recording seconds count in GPS time, and whether the log restarts at
// a new day. It is shown inside the New/Open GPS log dialog and edits a
// copy of the options; the window takes Settings() once they are saved.

#include "logging/GpsLogSettings.h"

#include <QDialog>

class QCloseEvent;

namespace Ui {
class GpsLogTypeDialog;
}

class GpsLogTypeDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsLogTypeDialog(QWidget *parent = nullptr);
  ~GpsLogTypeDialog() override;

  // Settings into the copy and the form.
  void LoadSettings();
  // Geometry, then the form into the copy and the settings.
  void SaveSettings();
  // Seconds of the combo box's current index (1 for an unknown index).
  int GetLogInterval() const;
  void SaveGeometry();

  // The copy: as loaded (at construction, exec and close) or last saved.
  const GpsLogSettings &Settings() const { return settings_; }

public slots:
  int exec() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  Ui::GpsLogTypeDialog *ui;
  GpsLogSettings settings_;
};
