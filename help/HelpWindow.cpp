#include "help/HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(tr("Riduder Help"));
  auto *layout = new QVBoxLayout(this);
  browser = new QTextBrowser(this);
  layout->addWidget(browser);
  resize(640, 480);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::showPage(const QString &page)
{
  currentPage = page.isEmpty() ? QStringLiteral("index.htm") : page;
  browser->setHtml(tr("<h2>Help pages not found</h2>"));
  show();
  raise();
}
