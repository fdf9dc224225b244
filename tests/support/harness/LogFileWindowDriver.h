#pragma once
// Helpers for the New/Open windows of the logs: what a running window
// shows, and closing it from its title bar.

#include <QApplication>
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace riduder::test {

// What a New/Open window showed while its file dialog ran.
struct SeenLogFileWindow {
  QString title;
  QString acceptLabel;
  QStringList filters;
  bool native = true;
  // The option panel sits in the window, visible, below the file dialog.
  bool panelBelowDialog = false;
  QString startDirectory;
  QString selectedFilter;  // the name filter the dialog started on
};

inline SeenLogFileWindow LookAtLogFileWindow(QFileDialog &dialog, QWidget *panel, QWidget *owner)
{
  SeenLogFileWindow seen;
  QWidget *container = dialog.window();
  seen.title = container->windowTitle();
  seen.acceptLabel = dialog.labelText(QFileDialog::Accept);
  seen.filters = dialog.nameFilters();
  seen.native = !dialog.testOption(QFileDialog::DontUseNativeDialog);
  seen.panelBelowDialog = panel->window() == container && panel->isVisible() && container != owner &&
                          panel->geometry().top() >= dialog.geometry().bottom();
  seen.startDirectory = dialog.directory().absolutePath();
  seen.selectedFilter = dialog.selectedNameFilter();
  return seen;
}

struct TitleBarClose {
  bool closed = false;  // the window titled so was closed while it ran
  bool stuck = false;   // its file dialog still ran afterwards
};

// Runs `run`, which shows a New/Open window titled `title`, and closes that
// window from its title bar as soon as it shows. A file dialog still running
// three seconds later is rejected, so that the test fails instead of
// hanging.
inline TitleBarClose RunAndCloseFromTitleBar(QObject *context, const QString &title, const std::function<void()> &run)
{
  TitleBarClose result;
  QTimer::singleShot(0, context, [&result, title] {
    for (QWidget *top : QApplication::topLevelWidgets())
      if (top->isVisible() && top->windowTitle() == title)
        result.closed = top->close();
  });
  QTimer::singleShot(3000, context, [&result] {
    for (QWidget *top : QApplication::topLevelWidgets())
      for (QFileDialog *dialog : top->findChildren<QFileDialog *>()) {
        result.stuck = true;
        dialog->reject();
      }
  });
  run();
  return result;
}

}  // namespace riduder::test
