#include "app/ElidingLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The characters a squeezed label keeps, so that it still shows what it is
// about (and that there is more, in its tool tip).
const char ShortestShown[] = "MMMM";

}  // namespace

ElidingLabel::ElidingLabel(QWidget *parent) : QLabel(parent) {}

void ElidingLabel::SetFullText(const QString &text)
{
  setText(text);
  setToolTip(text);
}

QString ElidingLabel::ShownText() const
{
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  return fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
}

QSize ElidingLabel::minimumSizeHint() const
{
  const QSize whole = QLabel::sizeHint();
  const QMargins frame = contentsMargins();
  const int shortest =
      frame.left() + frame.right() + 2 * margin() + fontMetrics().horizontalAdvance(QLatin1String(ShortestShown));
  return QSize(std::min(whole.width(), shortest), QLabel::minimumSizeHint().height());
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
  // QLabel's own painting of plain text, with the text elided to the room.
  QPainter painter(this);
  drawFrame(&painter);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  QStyleOption option;
  option.initFrom(this);
  style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), option.palette,
                        isEnabled(), ShownText(), foregroundRole());
}
