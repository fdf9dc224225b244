#pragma once
// The sky chart's view: reports the azimuth and elevation under the mouse
// while the chart is polar, zooms and scrolls from the keyboard, and switches
// the chart between polar and cartesian presentation with the space bar.

#include <QChartView>
#include <QString>

class SatAzElChart : public QChartView {
  Q_OBJECT

public:
  explicit SatAzElChart(QWidget *parent = nullptr);

  // Replaces the chart by one of the other kind with the same series, axes,
  // ranges and title; the old chart is deleted.
  void SwitchChartType();

signals:
  void sendAzElMessage(QString text);
  // Around a switch of the chart type: items whose parent is the old chart
  // must go before it does, and the holder of the chart takes the new one.
  void chartAboutToBeReplaced(QChart *oldChart);
  void chartReplaced(QChart *newChart);

protected:
  void mouseMoveEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
};
