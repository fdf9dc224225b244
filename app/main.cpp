#include "app/ProgramStart.h"

#include <QApplication>

int main(int argc, char *argv[])
{
  qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
  QApplication app(argc, argv);
  // The window is built, shown and destroyed inside, before the
  // application object goes.
  return RunProgram();
}
