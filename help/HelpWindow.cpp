#include "help/HelpWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QStack>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString baseOverride;

const char GeometryKey[] = "HelpWindow/geometry";
const char SplitterKey[] = "HelpWindow/splitter";
const char ContentsShownKey[] = "HelpWindow/contentsShown";
const char StartPage[] = "index.htm";
const char ContentsFileName[] = "Table of Contents.hhc";

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); the five
// unassigned bytes keep their C1 code points, as Windows itself maps them.
const char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(tr("Riduder Help"));
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);
  setSizeGripEnabled(true);

  folder = helpFolder();

  backButton = new QPushButton(tr("< Back"), this);
  forwardButton = new QPushButton(tr("Forward >"), this);
  contentsButton = new QPushButton(tr("Contents"), this);
  browser = new QTextBrowser(this);
  tree = new QTreeWidget(this);
  tree->setHeaderHidden(true);
  tree->setMinimumWidth(180);

  if (!folder.isEmpty())
    browser->setSearchPaths({folder, QFileInfo(folder).absolutePath()});
  browser->setOpenExternalLinks(true);
  browser->setUndoRedoEnabled(false);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(backButton);
  buttons->addWidget(forwardButton);
  buttons->addWidget(contentsButton);
  buttons->addStretch();
  splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(tree);
  splitter->addWidget(browser);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({240, 660});
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);

  connect(backButton, &QPushButton::clicked, browser, &QTextBrowser::backward);
  connect(forwardButton, &QPushButton::clicked, browser, &QTextBrowser::forward);
  connect(contentsButton, &QPushButton::clicked, this, &HelpWindow::onContents);
  connect(tree, &QTreeWidget::itemClicked, this, &HelpWindow::onContentsItemClicked);
  connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::onSourceChanged);
  connect(browser, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
  connect(browser, &QTextBrowser::forwardAvailable, forwardButton, &QPushButton::setEnabled);
  backButton->setEnabled(false);
  forwardButton->setEnabled(false);

  loadContents();
  resize(900, 700);
  restoreSettings();
}

HelpWindow::~HelpWindow() { saveSettings(); }

QString HelpWindow::baseFolder()
{
  return baseOverride.isEmpty() ? QCoreApplication::applicationDirPath() : baseOverride;
}

void HelpWindow::setBaseFolderOverride(const QString &folder) { baseOverride = folder; }

QString HelpWindow::helpFolder()
{
  QDir dir(baseFolder());
  if (!dir.cd(QStringLiteral("help")) || !dir.cd(QStringLiteral("Web")))
    return QString();
  return dir.absolutePath();
}

QString HelpWindow::decodeContentsFile(const QByteArray &bytes)
{
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);
  if (!utf8.hasError())
    return text;
  QStringDecoder cp1252("windows-1252");
  if (cp1252.isValid())
    return cp1252.decode(bytes);
  return decodeWindows1252ByTable(bytes);
}

QString HelpWindow::decodeWindows1252ByTable(const QByteArray &bytes)
{
  QString latin;
  latin.reserve(bytes.size());
  for (char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    latin.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(b));
  }
  return latin;
}

void HelpWindow::loadContents()
{
  tree->clear();
  if (folder.isEmpty()) {
    tree->hide();
    return;
  }
  QFile file(QFileInfo(folder).absolutePath() + QLatin1Char('/') + QLatin1String(ContentsFileName));
  if (!file.open(QIODevice::ReadOnly)) {
    tree->hide();
    return;
  }
  const QString text = decodeContentsFile(file.readAll());
  file.close();

  static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
  static const QRegularExpression name(QStringLiteral("<param\\s+name=\"Name\"\\s+value=\"([^\"]*)\""),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression local(QStringLiteral("<param\\s+name=\"Local\"\\s+value=\"([^\"]*)\""),
                                        QRegularExpression::CaseInsensitiveOption);
  QStack<QTreeWidgetItem *> parents;
  QTreeWidgetItem *current = nullptr;
  for (const QString &line : text.split(lineBreak, Qt::SkipEmptyParts)) {
    if (line.contains(QLatin1String("<UL>"), Qt::CaseInsensitive)) {
      parents.push(current);
    } else if (line.contains(QLatin1String("</UL>"), Qt::CaseInsensitive)) {
      if (!parents.isEmpty())
        parents.pop();
    } else if (const QRegularExpressionMatch m = name.match(line); m.hasMatch()) {
      QTreeWidgetItem *parent = parents.isEmpty() ? nullptr : parents.top();
      current = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
      current->setText(0, m.captured(1));
    } else if (const QRegularExpressionMatch m = local.match(line); m.hasMatch()) {
      if (current) {
        QString page = m.captured(1).replace(QLatin1Char('\\'), QLatin1Char('/'));
        current->setData(0, Qt::UserRole, page.mid(page.lastIndexOf(QLatin1Char('/')) + 1));
      }
    }
  }
  tree->expandAll();
  tree->setVisible(tree->topLevelItemCount() > 0);
}

QString HelpWindow::findPage(const QString &page) const
{
  const QDir dir(folder);
  if (QFileInfo::exists(dir.filePath(page)))
    return dir.filePath(page);
  for (const QString &entry : dir.entryList(QDir::Files))
    if (entry.compare(page, Qt::CaseInsensitive) == 0)
      return dir.filePath(entry);
  return QString();
}

void HelpWindow::showPage(const QString &page)
{
  const QString name = page.isEmpty() ? QString::fromLatin1(StartPage) : page;
  if (!folder.isEmpty()) {
    QString path = findPage(name);
    if (path.isEmpty())
      path = QDir(folder).filePath(QLatin1String(StartPage));
    browser->setSource(QUrl::fromLocalFile(path));
  } else {
    const QString lookedIn = QDir::toNativeSeparators(baseFolder() + QStringLiteral("/help/Web"));
    browser->setHtml(tr("<h3>Help pages not found</h3><p>Riduder looked for its help pages in:</p>"
                        "<p><b>%1</b></p><p>They are installed with the program. If this copy was "
                        "built from source, copy the <i>help</i> folder beside the executable.</p>")
                         .arg(lookedIn.toHtmlEscaped()));
  }
  show();
  raise();
  activateWindow();
}

QString HelpWindow::currentFile() const { return browser->source().toLocalFile(); }

void HelpWindow::onContents()
{
  if (tree->topLevelItemCount() > 0) {
    tree->setVisible(tree->isHidden());
    return;
  }
  if (!folder.isEmpty())
    browser->setSource(QUrl::fromLocalFile(QDir(folder).filePath(QLatin1String(StartPage))));
}

void HelpWindow::onContentsItemClicked(QTreeWidgetItem *item, int column)
{
  Q_UNUSED(column);
  if (!item)
    return;
  const QVariant page = item->data(0, Qt::UserRole);
  if (page.isValid())
    showPage(page.toString());
  else
    item->setExpanded(!item->isExpanded());
}

void HelpWindow::onSourceChanged(const QUrl &url)
{
  const QString name = tr("Riduder Help");
  QString title = browser->documentTitle();
  if (title.isEmpty())
    title = QFileInfo(url.fileName()).completeBaseName();
  // The start page carries the window's own name; it is not said twice.
  setWindowTitle(title.isEmpty() || title == name ? name : tr("Riduder Help - %1").arg(title));
}

void HelpWindow::restoreSettings()
{
  QSettings settings;
  if (settings.contains(QLatin1String(GeometryKey)))
    restoreGeometry(settings.value(QLatin1String(GeometryKey)).toByteArray());
  if (settings.contains(QLatin1String(SplitterKey)))
    splitter->restoreState(settings.value(QLatin1String(SplitterKey)).toByteArray());
  if (tree->topLevelItemCount() > 0)
    tree->setVisible(settings.value(QLatin1String(ContentsShownKey), true).toBool());
}

void HelpWindow::saveSettings()
{
  QSettings settings;
  settings.setValue(QLatin1String(GeometryKey), saveGeometry());
  settings.setValue(QLatin1String(SplitterKey), splitter->saveState());
  settings.setValue(QLatin1String(ContentsShownKey), !tree->isHidden());
}

void HelpWindow::closeEvent(QCloseEvent *event)
{
  saveSettings();
  QDialog::closeEvent(event);
}

void HelpWindow::hideEvent(QHideEvent *event)
{
  saveSettings();
  QDialog::hideEvent(event);
}

void HelpWindow::done(int result)
{
  saveSettings();
  QDialog::done(result);
}
