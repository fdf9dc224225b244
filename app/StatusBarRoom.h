#pragma once
// Status-bar labels whose texts can outgrow the bar (a lost port, a log's
// problem) give way to the rest: the indicators keep their room, the
// message keeps room for its text, and such a label shows what fits of its
// text, elided, with the whole text as its tool tip.

#include <QLabel>
#include <QObject>

class QStatusBar;

class ElidingLabel : public QLabel {
  Q_OBJECT

public:
  explicit ElidingLabel(QWidget *parent = nullptr);

  // The text, and the same as the tool tip.
  void SetFullText(const QString &text);
  // What the label shows in its present width.
  QString ShownText() const;
  // A few characters: the label can give up the rest of its width.
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;
};

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
