#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
  qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
  QApplication app(argc, argv);
  QMainWindow w;
  w.setWindowTitle("Riduder");
  w.show();
  return app.exec();
}
