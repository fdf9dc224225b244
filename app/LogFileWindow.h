#pragma once
// What the GPS log and the TIC log set share on the window's side: the
// New/Open window, a file dialog with the log's option panel below it, and
// the places where a log's problems reach the user.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class ElidingLabel;
class GpsRawDataDialog;
class MessageBoxes;
class QFileDialog;
class QStatusBar;

// Runs the file dialog of a New/Open window and returns its result; another
// runner can answer without a person. Empty: the dialog's exec().
using LogFileDialogRunner = std::function<int(QFileDialog &)>;

// The settings a New/Open window reads and stores for its log.
struct LogFileKeys {
  const char *directory;
  const char *prefix;
  const char *dialogState;
  const char *geometry;
};

// A top-level window holding Qt's own file dialog (so that it can be
// embedded) and, below it, the log's option panel, which it borrows from
// its owner. The dialog starts at the stored folder and prefix. Closing the
// window from its title bar is Cancel: the file dialog inside would
// otherwise keep running, unseen.
class LogFileWindow : public QWidget {
public:
  // owner parents the file dialog and gets the panel back at Finish().
  LogFileWindow(QWidget *owner, QWidget *panel, const LogFileKeys &keys, const QString &title,
                const QString &acceptLabel, const QStringList &nameFilters);

  // Shows the panel and the window and runs the file dialog modally. When
  // it is accepted, stores the dialog's state, the window's geometry and,
  // from the first chosen file, the folder and the prefix (the name less
  // extension and day tail), and returns true.
  bool Run(const LogFileDialogRunner &runner);
  QFileDialog &FileDialog() const { return *fileDialog_; }
  // The panel back to its owner, hidden; the window goes once control
  // returns to the event loop.
  void Finish();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  QWidget *owner_;
  QWidget *panel_;
  LogFileKeys keys_;
  QFileDialog *fileDialog_;
};

// A question about a log with the log's file as informative text: true
// when it is answered with `yes` (the default button; the other is Cancel).
bool ConfirmLogAction(MessageBoxes &boxes, QWidget *parent, const QString &text, const QString &informativeText,
                      QMessageBox::StandardButton yes);

// Where the problems of one log reach the user: the raw-data window with the
// full report, and a red status-bar label (elided to its room) with the
// log's short status text while it has one.
class LogProblemDisplay {
public:
  LogProblemDisplay(GpsRawDataDialog *rawData, QStatusBar *statusBar, const QString &labelName);

  // Warning output and raw-data window; the label follows.
  void Report(const QString &text, const QString &status);
  // The label shows status; hidden while it is empty (made at the first
  // problem).
  void ShowStatus(const QString &status);

private:
  GpsRawDataDialog *rawData_;
  QStatusBar *statusBar_;
  QString labelName_;
  ElidingLabel *label_ = nullptr;  // owned by the status bar
};
