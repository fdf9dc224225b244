#pragma once
// Answers the next modal dialog from inside its own event loop, so a test can
// drive code that calls exec() without a person.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace riduder::test {

// Polls until a modal QDialog is active, then calls `answer` with it (which
// typically sets fields and calls accept() or reject()). Gives up after
// timeoutMs.
inline void AnswerNextModalDialog(std::function<void(QDialog *)> answer, int timeoutMs = 5000)
{
  auto *timer = new QTimer;
  auto elapsed = std::make_shared<int>(0);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, elapsed, answer, timeoutMs]() {
    *elapsed += timer->interval();
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(dialog);
    } else if (*elapsed > timeoutMs) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start();
}

}  // namespace riduder::test
