#include "app/MainWindow.h"
#include "app/ProgramStart.h"

#include <QApplication>

int main(int argc, char *argv[])
{
  qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
  QApplication app(argc, argv);
  int result = 0;
  {
    MainWindow window;
    result = RunMainWindow(window);
  }
  return result;
}
