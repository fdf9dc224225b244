#include "app/ProgramStart.h"

#include "app/MainWindow.h"

#include <QApplication>

int RunMainWindow(MainWindow &window)
{
  window.ShowAndDetectReceiver();
  if (!window.isVisible())
    return 0;
  return QApplication::exec();
}
