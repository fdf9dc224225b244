#pragma once
// Answers the next modal dialog from inside its own event loop, so a test can
// drive code that calls exec() without a person.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <QPointer>

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

// Runs dialog.exec() with `during` called inside its modal loop; `during`
// closes the dialog or leaves it to the watchdog, which ends it with -1.
inline int ExecWith(QDialog &dialog, const std::function<void()> &during)
{
  QPointer<QDialog> guard(&dialog);
  QTimer::singleShot(0, &dialog, during);
  QTimer::singleShot(5000, &dialog, [guard] {
    if (guard && guard->isVisible())
      guard->done(-1);
  });
  return dialog.exec();
}

// A named child of a dialog; a warning names the one that is missing.
template <class T> T *Child(QObject &parent, const char *name)
{
  T *child = parent.findChild<T *>(QLatin1String(name));
  if (!child)
    qWarning("no child named %s", name);
  return child;
}

}  // namespace riduder::test
