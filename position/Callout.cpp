#include "position/Callout.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPainterPath>

Callout::Callout(QChart *chart)
    : QGraphicsItem(chart), m_font(QStringLiteral("Veranda"), 8), m_chart(chart)
{
  // Shown once it has a text and a point: an empty balloon would point from
  // the chart's corner to its centre.
  hide();
}

Callout::~Callout() = default;

void Callout::setText(const QString &text)
{
  m_text = text;
  // Room for a few more digits than the text needs, so a balloon keeps its
  // size while its numbers change.
  const QFontMetricsF metrics(m_font);
  m_textRect = QRectF(5, 5, metrics.horizontalAdvance(m_text + QStringLiteral("99999")), metrics.height());
  prepareGeometryChange();
  m_rect = m_textRect.adjusted(-5, -5, 5, 5);
}

void Callout::setAnchor(QPointF point) { m_anchor = point; }

void Callout::updateGeometry()
{
  prepareGeometryChange();
  setPos(m_chart->mapToPosition(m_anchor) + QPointF(10, -50));
}

QPointF Callout::AnchorInItem() const
{
  return mapFromParent(m_chart->mapToPosition(m_anchor));
}

QRectF Callout::boundingRect() const
{
  const QPointF anchor = AnchorInItem();
  QRectF rect;
  rect.setLeft(qMin(m_rect.left(), anchor.x()));
  rect.setRight(qMax(m_rect.right(), anchor.x()));
  rect.setTop(qMin(m_rect.top(), anchor.y()));
  rect.setBottom(qMax(m_rect.bottom(), anchor.y()));
  return rect;
}

void Callout::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
  QPainterPath path;
  path.addRoundedRect(m_rect, 5, 5);

  const QPointF anchor = AnchorInItem();
  // Drawn wherever the user dragged the balloon: the pointer geometry below
  // covers anchors on every side.
  if (!m_rect.contains(anchor)) {
    const bool above = anchor.y() <= m_rect.top();
    const bool aboveCenter = anchor.y() > m_rect.top() && anchor.y() <= m_rect.center().y();
    const bool belowCenter = anchor.y() > m_rect.center().y() && anchor.y() <= m_rect.bottom();
    const bool below = anchor.y() > m_rect.bottom();

    const bool onLeft = anchor.x() <= m_rect.left();
    const bool leftOfCenter = anchor.x() > m_rect.left() && anchor.x() <= m_rect.center().x();
    const bool rightOfCenter = anchor.x() > m_rect.center().x() && anchor.x() <= m_rect.right();
    const bool onRight = anchor.x() > m_rect.right();

    // The nearest corner.
    const qreal x = (onRight + rightOfCenter) * m_rect.width();
    const qreal y = (below + belowCenter) * m_rect.height();
    const bool cornerCase = (above && onLeft) || (above && onRight) || (below && onLeft) || (below && onRight);
    const bool vertical = qAbs(anchor.x() - x) > qAbs(anchor.y() - y);

    const qreal x1 = x + leftOfCenter * 10 - rightOfCenter * 20 + cornerCase * !vertical * (onLeft * 10 - onRight * 20);
    const qreal y1 = y + aboveCenter * 10 - belowCenter * 20 + cornerCase * vertical * (above * 10 - below * 20);
    const qreal x2 = x + leftOfCenter * 20 - rightOfCenter * 10 + cornerCase * !vertical * (onLeft * 20 - onRight * 10);
    const qreal y2 = y + aboveCenter * 20 - belowCenter * 10 + cornerCase * vertical * (above * 20 - below * 10);

    path.moveTo(x1, y1);
    path.lineTo(anchor);
    path.lineTo(x2, y2);
    path = path.simplified();
  }
  painter->setBrush(QColor(255, 255, 255));
  painter->drawPath(path);
  painter->drawText(m_textRect, m_text);
}

void Callout::mousePressEvent(QGraphicsSceneMouseEvent *event) { event->setAccepted(true); }

void Callout::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
  if (event->buttons() & Qt::LeftButton) {
    setPos(mapToParent(event->pos() - event->buttonDownPos(Qt::LeftButton)));
    event->setAccepted(true);
  } else {
    event->setAccepted(false);
  }
}
