#pragma once
// The balloon that labels a satellite on the sky chart: a rounded white box
// with its text and a pointer to the labelled point, placed beside the point
// and draggable with the left mouse button.

#include <QFont>
#include <QGraphicsItem>
#include <QPointF>
#include <QRectF>
#include <QString>

class QChart;

class Callout : public QGraphicsItem {
public:
  // The chart becomes the parent item: the balloon goes with it. Hidden
  // until shown.
  explicit Callout(QChart *chart);
  ~Callout() override;

  void setText(const QString &text);
  // The labelled point, in chart values (not pixels).
  void setAnchor(QPointF point);
  QPointF anchor() const { return m_anchor; }
  // Places the balloon beside its anchor on the chart as it is drawn now.
  void updateGeometry();

  QRectF boundingRect() const override;
  void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
  void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
  void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;

private:
  QPointF AnchorInItem() const;

  QString m_text;
  QRectF m_textRect;
  QRectF m_rect;
  QFont m_font;
  QChart *m_chart;
  QPointF m_anchor;
};
