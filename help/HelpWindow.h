#pragma once
// The help viewer.

#include <QDialog>
#include <QString>

class QTextBrowser;

class HelpWindow : public QDialog {
  Q_OBJECT

public:
  explicit HelpWindow(QWidget *parent = nullptr);
  ~HelpWindow() override;

  // Shows the page; an empty name shows the start page.
  void showPage(const QString &page);
  QString CurrentPage() const { return currentPage; }

private:
  QTextBrowser *browser = nullptr;
  QString currentPage;
};
