#pragma once
// Status-bar labels whose texts can outgrow the bar give way to the rest:
// the indicators keep their room, the message keeps room for its text, and
// the eliding labels (ElidingLabel.h) share what is left.

#include <QObject>

class QStatusBar;

// Holds the eliding labels of a status bar to widths that leave the
// message, painted left of them, the room for its whole text, and shares
// the rest out among them. Lives as a child of the bar and refits after
// every change of the bar's size, layout or message.
class StatusMessageRoom : public QObject {
  Q_OBJECT

public:
  explicit StatusMessageRoom(QStatusBar *bar);

  void Fit();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FitSoon();

  QStatusBar *bar_;
  bool fitPending_ = false;
};
