#include "position/SatAzElChart.h"

#include <QAbstractSeries>
#include <QChart>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPolarChart>
#include <QValueAxis>

SatAzElChart::SatAzElChart(QWidget *parent) : QChartView(parent) {}

void SatAzElChart::mouseMoveEvent(QMouseEvent *event)
{
  if (chart() && chart()->chartType() == QChart::ChartTypePolar) {
    const QPoint pixel = event->position().toPoint();
    const QPointF value = chart()->mapToValue(pixel);
    if (value.x() < 360.0 && value.y() <= 90.0)
      emit sendAzElMessage(QStringLiteral("Az: %1   El: %2")
                               .arg(value.x(), 0, 'f', 1)
                               .arg(90.0 - value.y(), 0, 'f', 1));
  }
  QGraphicsView::mouseMoveEvent(event);
}

void SatAzElChart::keyPressEvent(QKeyEvent *event)
{
  QChart *current = chart();
  if (!current) {
    QGraphicsView::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
  case Qt::Key_Left:
    current->scroll(-1.0, 0);
    break;
  case Qt::Key_Right:
    current->scroll(1.0, 0);
    break;
  case Qt::Key_Up:
    current->scroll(0, 1.0);
    break;
  case Qt::Key_Down:
    current->scroll(0, -1.0);
    break;
  case Qt::Key_Plus:
    current->zoomIn();
    break;
  case Qt::Key_Minus:
    current->zoomOut();
    break;
  case Qt::Key_Space:
    SwitchChartType();
    break;
  default:
    QGraphicsView::keyPressEvent(event);
    break;
  }
}

void SatAzElChart::SwitchChartType()
{
  QChart *old = chart();
  if (!old)
    return;
  emit chartAboutToBeReplaced(old);

  QChart *fresh = old->chartType() == QChart::ChartTypeCartesian ? new QPolarChart : new QChart;
  const QList<QAbstractSeries *> series = old->series();
  struct AxisRange {
    QAbstractAxis *axis;
    Qt::Alignment alignment;
    qreal min;
    qreal max;
  };
  QList<AxisRange> axes;
  for (QAbstractAxis *axis : old->axes(Qt::Horizontal | Qt::Vertical)) {
    // Every axis of the sky chart is a value axis.
    auto *values = qobject_cast<QValueAxis *>(axis);
    axes.append({axis, axis->alignment(), values ? values->min() : 0.0, values ? values->max() : 0.0});
  }

  for (QAbstractSeries *s : series)
    old->removeSeries(s);
  for (const AxisRange &a : axes) {
    old->removeAxis(a.axis);
    if (auto *polar = qobject_cast<QPolarChart *>(fresh)) {
      // A polar chart places its axes by polar orientation, not alignment.
      polar->addAxis(a.axis, a.alignment == Qt::AlignBottom || a.alignment == Qt::AlignTop
                                 ? QPolarChart::PolarOrientationAngular
                                 : QPolarChart::PolarOrientationRadial);
    } else {
      fresh->addAxis(a.axis, a.alignment);
    }
  }
  for (QAbstractSeries *s : series) {
    fresh->addSeries(s);
    for (const AxisRange &a : axes)
      s->attachAxis(a.axis);
  }
  for (const AxisRange &a : axes)
    if (auto *values = qobject_cast<QValueAxis *>(a.axis))
      values->setRange(a.min, a.max);
  fresh->setTitle(old->title());

  setChart(fresh);
  delete old;
  emit chartReplaced(fresh);
}
