#include "app/StatusMessageRoom.h"

#include "app/ElidingLabel.h"

#include <QEvent>
#include <QLayout>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace {

// QStatusBar paints its message from this far in from the left, up to this
// far before the first permanent widget, and gives it a little room more.
constexpr int MessageLeft = 6;
constexpr int MessageGap = 2;
constexpr int MessageSlack = 4;

}  // namespace

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
