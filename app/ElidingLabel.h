#pragma once
// A one-line label whose text can outgrow its room (a lost port, a log's
// problem, a receiver's long status) shows what fits of its text, elided
// with "…", and keeps the whole text as its tool tip.

#include <QLabel>

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
