#pragma once
// The help viewer: a page browser and a contents tree read from the help
// set installed beside the program ("help/Web" and
// "help/Table of Contents.hhc").

#include <QDialog>
#include <QString>

class QCloseEvent;
class QHideEvent;
class QPushButton;
class QSplitter;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

class HelpWindow : public QDialog {
  Q_OBJECT

public:
  explicit HelpWindow(QWidget *parent = nullptr);
  ~HelpWindow() override;

  // Shows a page of the help folder and brings the window to the front; an
  // empty name, or one that is not there, shows the start page.
  void showPage(const QString &page);
  // (Re)builds the contents tree from the contents file.
  void loadContents();
  void restoreSettings();
  void saveSettings();
  // The help folder ("help/Web" beside the program) as an absolute path,
  // or empty when it is missing.
  static QString helpFolder();
  // The folder the help set is looked for in: the program's, unless
  // another has been put in its place (empty restores the program's).
  static QString baseFolder();
  static void setBaseFolderOverride(const QString &folder);

  // The file the browser shows now, for the status of the window.
  QString currentFile() const;
  QTreeWidget *contentsTree() const { return tree; }
  QTextBrowser *pageBrowser() const { return browser; }

  // The contents file's text: UTF-8, or Windows-1252 when it is not valid
  // UTF-8 (contents files written on Windows often are).
  static QString decodeContentsFile(const QByteArray &bytes);
  // Windows-1252 without Qt's decoder, for systems whose Qt lacks it.
  static QString decodeWindows1252ByTable(const QByteArray &bytes);

public slots:
  void done(int result) override;

private slots:
  void onContents();
  void onContentsItemClicked(QTreeWidgetItem *item, int column);
  void onSourceChanged(const QUrl &url);

protected:
  void closeEvent(QCloseEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  // The page's file in the help folder: the exact name, else the same name
  // in any case, else empty.
  QString findPage(const QString &page) const;

  QTextBrowser *browser = nullptr;
  QTreeWidget *tree = nullptr;
  QSplitter *splitter = nullptr;
  QPushButton *backButton = nullptr;
  QPushButton *forwardButton = nullptr;
  QPushButton *contentsButton = nullptr;
  QString folder;
};
