#include "TestMain.h"

#include "help/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString Page(const QString &title) { return "<html><head><title>" + title + "</title></head><body>x</body></html>"; }

// The tree as text: one line per item, indented by level, "title=page".
void Describe(QTreeWidgetItem *item, int level, QStringList &lines)
{
  QString line = QString(level * 2, ' ') + item->text(0);
  if (item->data(0, Qt::UserRole).isValid())
    line += "=" + item->data(0, Qt::UserRole).toString();
  if (item->childCount() && !item->isExpanded())
    line += " (collapsed)";
  lines << line;
  for (int i = 0; i < item->childCount(); ++i)
    Describe(item->child(i), level + 1, lines);
}

QStringList Describe(QTreeWidget *tree)
{
  QStringList lines;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    Describe(tree->topLevelItem(i), 0, lines);
  return lines;
}

// Points the help window at a folder for the life of the object.
struct BaseFolder {
  explicit BaseFolder(const QString &folder) { HelpWindow::setBaseFolderOverride(folder); }
  ~BaseFolder() { HelpWindow::setBaseFolderOverride(QString()); }
};

}  // namespace

class TestHelpWindow : public QObject {
  Q_OBJECT

  QTemporaryDir fixture;

private slots:
  void initTestCase()
  {
    // Two levels, tags in any case, a backslash path, an entry without a
    // page, an unmatched </UL> and lines that mean nothing.
    const QByteArray contents =
        "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n"
        "<HTML><BODY>\r\n"
        "</UL>\r\n"
        "<ul>\r\n"
        "  <LI> <OBJECT type=\"text/sitemap\">\r\n"
        "    <param name=\"Name\" value=\"Welcome\">\r\n"
        "    <param name=\"Local\" value=\"Web\\index.htm\">\r\n"
        "  </OBJECT>\r\n"
        "  <li> <object type=\"text/sitemap\">\r\n"
        "    <PARAM NAME=\"Name\"   VALUE=\"Getting started\">\r\n"
        "  </object>\r\n"
        "  <Ul>\r\n"
        "    <LI> <OBJECT type=\"text/sitemap\">\n"
        "      <param name=\"Name\" value=\"Introduction\">\n"
        "      <param name=\"Local\" value=\"Docs\\Chapter\\Intro.htm\">\n"
        "    </OBJECT>\n"
        "    <LI> <OBJECT type=\"text/sitemap\">\n"
        "      <param name=\"Name\" value=\"Caf\xe9 \x96 Zeit\">\n"
        "      <param name=\"Local\" value=\"guide.html\">\n"
        "    </OBJECT>\n"
        "  </uL>\n"
        "  <LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Both\"><param name=\"Local\" value=\"x.htm\"></OBJECT>\n"
        "</UL>\n";
    Write(fixture.filePath("help/Table of Contents.hhc"), contents);
    Write(fixture.filePath("help/Web/index.htm"), Page("Start").toUtf8());
    Write(fixture.filePath("help/Web/Intro.htm"), Page("Intro page").toUtf8());
    Write(fixture.filePath("help/Web/guide.html"), "<html><head><title></title></head><body>g</body></html>");
    Write(fixture.filePath("help/Web/Named.htm"), Page("Riduder Help").toUtf8());
  }

  void init() { QSettings().clear(); }

  void contentsTreeFromAFixture()
  {
    BaseFolder base(fixture.path());
    HelpWindow window;
    QCOMPARE(Describe(window.contentsTree()),
             (QStringList{"Welcome=index.htm", "Getting started", "  Introduction=Intro.htm",
                          QString::fromUtf8("  Caf\u00e9 \u2013 Zeit=guide.html"), "Both"}));
    QVERIFY(!window.contentsTree()->isHidden());
  }

  void windows1252OnlyWhenNotUtf8()
  {
    QCOMPARE(HelpWindow::decodeContentsFile("Caf\xc3\xa9 \xe2\x80\x93"), QString::fromUtf8("Caf\u00e9 \u2013"));
    QCOMPARE(HelpWindow::decodeContentsFile("\x80 \x9f \xe9"), QString::fromUtf8("\u20ac \u0178 \u00e9"));
    // The table for a Qt without the decoder agrees with the decoder on
    // every byte.
    QStringDecoder qtDecoder("windows-1252");
    if (!qtDecoder.isValid())
      QSKIP("this Qt has no Windows-1252 decoder to compare the table with");
    QByteArray all;
    for (int b = 0; b < 256; ++b)
      all.append(char(b));
    QCOMPARE(HelpWindow::decodeWindows1252ByTable(all), qtDecoder.decode(all));
  }

  void pagesAreFoundInAnyCase_data()
  {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("title");
    QTest::newRow("start page") << "" << "index.htm" << "Riduder Help - Start";
    QTest::newRow("exact") << "Intro.htm" << "Intro.htm" << "Riduder Help - Intro page";
    QTest::newRow("other case") << "INTRO.HTM" << "Intro.htm" << "Riduder Help - Intro page";
    QTest::newRow("missing") << "nowhere.htm" << "index.htm" << "Riduder Help - Start";
    QTest::newRow("empty title") << "guide.html" << "guide.html" << "Riduder Help - guide";
    QTest::newRow("the window's own name") << "Named.htm" << "Named.htm" << "Riduder Help";
  }

  void pagesAreFoundInAnyCase()
  {
    QFETCH(QString, asked);
    QFETCH(QString, shown);
    QFETCH(QString, title);
    BaseFolder base(fixture.path());
    HelpWindow window;
    window.showPage(asked);
    QVERIFY(window.isVisible());
    QCOMPARE(QFileInfo(window.currentFile()).fileName(), shown);
    QCOMPARE(window.windowTitle(), title);
  }

  void clickingEntries()
  {
    BaseFolder base(fixture.path());
    HelpWindow window;
    window.showPage(QString());
    QTreeWidget *tree = window.contentsTree();
    QTreeWidgetItem *chapter = tree->topLevelItem(1);
    emit tree->itemClicked(chapter->child(0), 0);
    QCOMPARE(QFileInfo(window.currentFile()).fileName(), QStringLiteral("Intro.htm"));
    QVERIFY(window.findChild<QPushButton *>()->isEnabled());  // "< Back"
    // An entry without a page folds and unfolds.
    QVERIFY(chapter->isExpanded());
    emit tree->itemClicked(chapter, 0);
    QVERIFY(!chapter->isExpanded());
    QCOMPARE(QFileInfo(window.currentFile()).fileName(), QStringLiteral("Intro.htm"));
    emit tree->itemClicked(chapter, 0);
    QVERIFY(chapter->isExpanded());
  }

  void theContentsStayHiddenAfterTheUserHidThem()
  {
    BaseFolder base(fixture.path());
    {
      HelpWindow window;
      QCOMPARE(window.size(), QSize(900, 700));
      window.showPage(QString());
      QVERIFY(window.contentsTree()->isVisible());
      QCOMPARE(window.findChild<QSplitter *>()->sizes().value(0) > 0, true);
      QPushButton *contents = window.findChildren<QPushButton *>().value(2);
      QCOMPARE(contents->text(), QStringLiteral("Contents"));
      contents->click();
      QVERIFY(window.contentsTree()->isHidden());
      window.close();
    }
    HelpWindow again;
    again.showPage(QString());
    QVERIFY(again.contentsTree()->isHidden());
  }

  void helpPagesNotFound()
  {
    QTemporaryDir empty;
    BaseFolder base(empty.path());
    HelpWindow window;
    window.showPage(QStringLiteral("index.htm"));
    QVERIFY(window.contentsTree()->isHidden());
    const QString text = window.pageBrowser()->toPlainText();
    QVERIFY2(text.startsWith("Help pages not found"), qPrintable(text));
    QVERIFY2(text.contains(QDir::toNativeSeparators(empty.path() + "/help/Web")), qPrintable(text));
    // With no tree and no pages, Contents does nothing.
    window.findChildren<QPushButton *>().value(2)->click();
    QVERIFY(window.contentsTree()->isHidden());
  }

  void pagesWithoutAContentsFile()
  {
    QTemporaryDir dir;
    Write(dir.filePath("help/Web/index.htm"), Page("Only").toUtf8());
    BaseFolder base(dir.path());
    HelpWindow window;
    QVERIFY(window.contentsTree()->isHidden());
    window.findChildren<QPushButton *>().value(2)->click();  // Contents opens the start page
    QCOMPARE(QFileInfo(window.currentFile()).fileName(), QStringLiteral("index.htm"));
    QVERIFY(window.contentsTree()->isHidden());
  }

  // The help set the build copies beside the program.
  void theShippedHelpSet()
  {
    BaseFolder base(QStringLiteral(RIDUDER_BUILD_DIR));
    QVERIFY(!HelpWindow::helpFolder().isEmpty());
    HelpWindow window;
    QTreeWidget *tree = window.contentsTree();
    QStringList top;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
      top << tree->topLevelItem(i)->text(0);
    QCOMPARE(top, (QStringList{"Riduder Help", "The main window", "Dialogs"}));
    QVERIFY(tree->topLevelItem(1)->childCount() >= 5);
    QVERIFY(tree->topLevelItem(2)->childCount() >= 15);

    // Every entry opens its own page, whose title is the entry's; the start
    // page's is the window's own name, said once.
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      items << tree->topLevelItem(i);
      for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
        items << tree->topLevelItem(i)->child(j);
    }
    for (QTreeWidgetItem *item : items) {
      const QString page = item->data(0, Qt::UserRole).toString();
      if (page.isEmpty())
        continue;
      emit tree->itemClicked(item, 0);
      QCOMPARE(QFileInfo(window.currentFile()).fileName(), page);
      const QString title = item->text(0) == QLatin1String("Riduder Help") ? QStringLiteral("Riduder Help")
                                                                            : "Riduder Help - " + item->text(0);
      QCOMPARE(window.windowTitle(), title);
    }
    window.showPage(QStringLiteral("CLOCK.HTM"));
    QCOMPARE(QFileInfo(window.currentFile()).fileName(), QStringLiteral("clock.htm"));
    window.showPage(QString());
    QCOMPARE(window.windowTitle(), QStringLiteral("Riduder Help"));

    // Every link between the pages leads to a page that exists.
    const QDir web(HelpWindow::helpFolder());
    for (const QString &name : web.entryList({"*.htm"})) {
      QFile file(web.filePath(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QString html = QString::fromUtf8(file.readAll());
      static const QRegularExpression link("href=\"([^\"#:]+)\"");
      for (auto it = link.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        QVERIFY2(web.exists(target), qPrintable(name + " -> " + target));
      }
    }
  }
};

RIDUDER_TEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
