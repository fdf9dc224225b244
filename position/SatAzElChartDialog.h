#pragma once
// "Satellite Az-El Chart": the non-modal sky chart of the satellites in view,
// marked by Doppler trend or as SBAS, with the horizon and sky-hole lines the
// antenna has shown so far. Hovering a satellite shows a balloon; clicking
// pins or unpins it, and pinned balloons follow their satellites.

#include "core/SatelliteRecord.h"
#include "position/SkyLines.h"

#include <QDialog>
#include <QList>
#include <QPointF>
#include <array>

class Callout;
class QChart;
class QLineSeries;
class QScatterSeries;
class SatAzElChart;

namespace Ui {
class SatAzElChartDialog;
}

class SatAzElChartDialog : public QDialog {
  Q_OBJECT

public:
  explicit SatAzElChartDialog(QWidget *parent = nullptr);
  // Saves the horizon and sky-hole lines, shown or not.
  ~SatAzElChartDialog() override;

  // Forgets the pins, restores the geometry, redraws and shows the window.
  void ShowChart();
  int exec() override;
  // Takes a copy of the SatelliteArraySize records of the display array:
  // bins them always, plots them while the window is shown.
  void UpdateSatellites(const SatelliteRecord *records);

  const std::array<SatelliteRecord, SatelliteArraySize> &Satellites() const { return satellites_; }
  const SkyLines &Lines() const { return lines_; }
  // For the screenshots and other readers: the parts of the chart.
  QChart *Chart() const { return chart_; }
  SatAzElChart *ChartView() const { return view_; }
  Callout *HoverCallout() const { return hover_; }
  const QList<Callout *> &PinnedCallouts() const { return pinned_; }
  bool IsPinned(int prn) const { return prn > 0 && prn < SatelliteArraySize && pins_[prn]; }
  QScatterSeries *RisingSeries() const { return rising_; }
  QScatterSeries *FallingSeries() const { return falling_; }
  QScatterSeries *NoDopplerSeries() const { return noDoppler_; }
  QScatterSeries *SbasSeries() const { return sbas_; }
  QLineSeries *HorizonSeries() const { return horizon_; }
  QLineSeries *SkyHoleSeries() const { return skyHole_; }

public slots:
  void toggleCallout(QPointF point);
  void tooltip(QPointF point, bool entered);
  void printAzElMessage(QString text);
  void IDC_HORIZON_RESET_BUTTON_clicked();

protected:
  void resizeEvent(QResizeEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void BuildChart();
  void PlotSatellite(const SatelliteRecord &record);
  void DrawLines();
  void SaveLines() const;
  void SaveGeometry();
  void PrepareToShow();
  void KeepCallout();
  void DropPinnedCallouts();
  int SatelliteAt(QPointF point) const;
  QScatterSeries *SeriesFor(SkyMarker marker) const;
  void OnChartAboutToBeReplaced();
  void OnChartReplaced(QChart *chart);

  Ui::SatAzElChartDialog *ui;
  QChart *chart_ = nullptr;
  SatAzElChart *view_ = nullptr;
  QScatterSeries *rising_ = nullptr;
  QScatterSeries *falling_ = nullptr;
  QScatterSeries *noDoppler_ = nullptr;
  QScatterSeries *sbas_ = nullptr;
  QLineSeries *horizon_ = nullptr;
  QLineSeries *skyHole_ = nullptr;
  SkyLines lines_;
  // Items of the chart; the chart deletes the hover balloon with itself.
  Callout *hover_ = nullptr;
  QList<Callout *> pinned_;
  std::array<SatelliteRecord, SatelliteArraySize> satellites_{};
  std::array<quint8, SatelliteArraySize> pins_{};
};
