#include "app/StatusBarRoom.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace {

// The characters a squeezed label keeps, so that it still shows what it is
// about (and that there is more, in its tool tip).
const char ShortestShown[] = "MMMM";

// QStatusBar paints its message from this far in from the left, up to this
// far before the first permanent widget, and gives it a little room more.
constexpr int MessageLeft = 6;
constexpr int MessageGap = 2;
constexpr int MessageSlack = 4;

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

StatusMessageRoom::StatusMessageRoom(QStatusBar *bar) : QObject(bar), bar_(bar)
{
  bar_->installEventFilter(this);
  connect(bar_, &QStatusBar::messageChanged, this, &StatusMessageRoom::FitSoon);
}

bool StatusMessageRoom::eventFilter(QObject *watched, QEvent *event)
{
  // The bar's layout places its widgets after this filter has seen the
  // event, so the fit waits until they are placed.
  if (watched == bar_ && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest ||
                          event->type() == QEvent::Show))
    FitSoon();
  return QObject::eventFilter(watched, event);
}

void StatusMessageRoom::FitSoon()
{
  if (fitPending_)
    return;
  fitPending_ = true;
  QTimer::singleShot(0, this, &StatusMessageRoom::Fit);
}

void StatusMessageRoom::Fit()
{
  fitPending_ = false;
  if (!bar_->isVisible() || !bar_->layout())
    return;
  QList<ElidingLabel *> labels;
  for (ElidingLabel *label : bar_->findChildren<ElidingLabel *>(QString(), Qt::FindDirectChildrenOnly))
    if (!label->isHidden())
      labels << label;
  if (labels.isEmpty())
    return;
  bar_->layout()->activate();

  // The permanent widgets sit packed against the right edge, so the
  // message's room and the eliding labels' widths always add up to the
  // same: that sum less the message's text is theirs to share.
  int firstLeft = bar_->width();
  for (QWidget *widget : bar_->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
    if (widget->isVisible() && !qobject_cast<QSizeGrip *>(widget))
      firstLeft = std::min(firstLeft, widget->x());
  int shared = firstLeft - MessageGap - MessageLeft;
  for (ElidingLabel *label : labels)
    shared += label->width();
  const int messageWidth = bar_->fontMetrics().horizontalAdvance(bar_->currentMessage());
  int room = shared - (messageWidth > 0 ? messageWidth + MessageSlack : 0);

  // Each takes up to its whole text; the narrowest are served first and
  // the rest share what remains evenly.
  std::sort(labels.begin(), labels.end(), [](const ElidingLabel *a, const ElidingLabel *b) {
    return a->sizeHint().width() < b->sizeHint().width();
  });
  int wanted = 0;
  for (ElidingLabel *label : labels)
    wanted += label->sizeHint().width();
  if (wanted <= room) {
    for (ElidingLabel *label : labels)
      label->setMaximumWidth(QWIDGETSIZE_MAX);
  } else {
    for (int i = 0; i < labels.size(); ++i) {
      ElidingLabel *label = labels.at(i);
      const int share = room / int(labels.size() - i);
      const int width = std::max(label->minimumSizeHint().width(), std::min(label->sizeHint().width(), share));
      label->setMaximumWidth(width);
      room -= width;
    }
  }
  bar_->layout()->activate();
}
