#include "app/ProgramStart.h"

#include "app/MainWindow.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDebug>

int RunMainWindow(MainWindow &window)
{
  TerminationSignals terminations;
  CloseOnTerminationSignals(window, terminations);
  window.ShowAndDetectReceiver();
  if (!window.isVisible())
    return 0;
  return QApplication::exec();
}

void CloseOnTerminationSignals(MainWindow &window, TerminationSignals &terminations)
{
  QObject::connect(&terminations, &TerminationSignals::received, &window, [&window](int signalNumber) {
    qDebug().noquote() << QStringLiteral("Signal %1: closing.").arg(signalNumber);
    // The close ends a receiver search or a wait in progress; quit leaves
    // every event loop, a dialog's included.
    window.close();
    QCoreApplication::quit();
  });
}
