#pragma once
// "Satellite Az-El Chart": the non-modal sky chart of the satellites in view.

#include "app/core/SatelliteRecord.h"

#include <QDialog>
#include <array>

class SatAzElChartDialog : public QDialog {
  Q_OBJECT

public:
  explicit SatAzElChartDialog(QWidget *parent = nullptr);
  ~SatAzElChartDialog() override;

  // Restores the geometry, redraws and shows the window.
  void ShowChart();
  // Takes a copy of the SatelliteArraySize records of the display array.
  void UpdateSatellites(const SatelliteRecord *records);

  const std::array<SatelliteRecord, SatelliteArraySize> &Satellites() const { return satellites_; }

private:
  std::array<SatelliteRecord, SatelliteArraySize> satellites_{};
};
