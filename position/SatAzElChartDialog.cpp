#include "position/SatAzElChartDialog.h"

#include <algorithm>

SatAzElChartDialog::SatAzElChartDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("SatAzElChartDialog"));
  setWindowTitle(QStringLiteral("Satellite Az-El Chart"));
}

SatAzElChartDialog::~SatAzElChartDialog() = default;

void SatAzElChartDialog::ShowChart() { show(); }

void SatAzElChartDialog::UpdateSatellites(const SatelliteRecord *records)
{
  if (records)
    std::copy(records, records + SatelliteArraySize, satellites_.begin());
}
