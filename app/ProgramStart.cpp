#include "app/ProgramStart.h"

#include "app/MainWindow.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDebug>

int RunProgram(const std::function<void(MainWindow &)> &prepare)
{
  // Before the window: building it opens the ports, and a signal then must
  // not leave their lock files behind.
  TerminationSignals terminations;
  MainWindow window;
  CloseOnTerminationSignals(window, terminations);
  if (prepare)
    prepare(window);
  // Came while the window was built: it goes without showing, and its
  // destruction closes the ports it opened.
  if (terminations.Received())
    return 0;
  return RunMainWindow(window);
}

int RunMainWindow(MainWindow &window)
{
  window.ShowAndDetectReceiver();
  if (!window.isVisible())
    return 0;
  return QApplication::exec();
}

void CloseOnTerminationSignals(MainWindow &window, TerminationSignals &terminations)
{
  QObject::connect(&terminations, &TerminationSignals::received, &window, [&window](int signalNumber) {
    qDebug().noquote() << QStringLiteral("Signal %1: closing.").arg(signalNumber);
    window.EndProgram();
  });
}
