#include "TestMain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace {

const QString SourceDir = QStringLiteral(RIDUDER_SOURCE_DIR);

QString PagesDir() { return SourceDir + QStringLiteral("/help-pages/Web"); }

QString ReadText(const QString &path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  return QString::fromUtf8(file.readAll());
}

QString DecodeEntities(QString text)
{
  text.replace(QLatin1String("&gt;"), QLatin1String(">"));
  text.replace(QLatin1String("&lt;"), QLatin1String("<"));
  text.replace(QLatin1String("&quot;"), QLatin1String("\""));
  text.replace(QLatin1String("&#39;"), QLatin1String("'"));
  text.replace(QLatin1String("&amp;"), QLatin1String("&"));
  return text;
}

// A label as the user reads it: no mnemonic marks, single blanks, without
// the "..." of a menu item that opens a dialog, or the ":", "=" or "->"
// that leads from a caption to its field.
QString Readable(QString label)
{
  label.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
  label = label.simplified();
  static const QRegularExpression lead(QStringLiteral("\\s*(\\.\\.\\.|:|=|->)$"));
  label.remove(lead);
  return label;
}

// Every text a form shows as a label: the texts and titles of its widgets
// and actions, its list items and tab titles; a text of several lines
// gives each line as well as the whole.
QSet<QString> FormLabels(const QString &path)
{
  QSet<QString> labels;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return labels;
  QXmlStreamReader xml(&file);
  QStringList open;  // the "name" of each enclosing property or attribute
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QString tag = xml.name().toString();
      if (tag == QLatin1String("property") || tag == QLatin1String("attribute"))
        open.append(xml.attributes().value(QLatin1String("name")).toString());
      else if (tag == QLatin1String("string") && !open.isEmpty() &&
               QStringList{"text", "title", "windowTitle"}.contains(open.last())) {
        const QString text = xml.readElementText();
        labels.insert(Readable(text));
        for (const QString &line : text.split(QLatin1Char('\n')))
          labels.insert(Readable(line));
      }
    } else if (xml.isEndElement()) {
      const QString tag = xml.name().toString();
      if (tag == QLatin1String("property") || tag == QLatin1String("attribute"))
        open.removeLast();
    }
  }
  return labels;
}

QStringList Matches(const QString &text, const QString &pattern)
{
  QStringList found;
  QRegularExpressionMatchIterator it = QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption |
                                                                  QRegularExpression::DotMatchesEverythingOption)
                                      .globalMatch(text);
  while (it.hasNext())
    found.append(it.next().captured(1));
  return found;
}

// The forms a page describes: <meta name="form" content="folder/Name.ui">.
QStringList PageForms(const QString &page)
{
  return Matches(page, QStringLiteral("<meta\\s+name=\"form\"\\s+content=\"([^\"]+)\""));
}

// The controls a page names: its bold texts.
QStringList PageControls(const QString &page)
{
  QStringList controls;
  for (const QString &bold : Matches(page, QStringLiteral("<b>(.*?)</b>")))
    controls.append(Readable(DecodeEntities(bold)));
  return controls;
}

QStringList PageFiles() { return QDir(PagesDir()).entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name); }

}  // namespace

// The help pages beside the forms they describe: every control a page
// names (in bold) is labelled so in a form the page declares, and every
// form of the program has a page.
class TestHelpPages : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY2(!PageFiles().isEmpty(), qPrintable(PagesDir())); }

  void eachNamedControlIsInThePagesForms_data()
  {
    QTest::addColumn<QString>("file");
    for (const QString &file : PageFiles())
      QTest::newRow(qPrintable(file)) << file;
  }

  void eachNamedControlIsInThePagesForms()
  {
    QFETCH(QString, file);
    const QString page = ReadText(PagesDir() + QLatin1Char('/') + file);
    const QStringList forms = PageForms(page);
    const QStringList controls = PageControls(page);
    QVERIFY2(controls.isEmpty() || !forms.isEmpty(), "names controls but no form");
    QSet<QString> labels;
    for (const QString &form : forms) {
      QVERIFY2(QFile::exists(SourceDir + QLatin1Char('/') + form), qPrintable(form + " does not exist"));
      labels.unite(FormLabels(SourceDir + QLatin1Char('/') + form));
    }
    QStringList missing;
    for (const QString &control : controls)
      if (!labels.contains(control))
        missing.append(control);
    QVERIFY2(missing.isEmpty(), qPrintable("not in " + forms.join(", ") + ": \"" + missing.join("\", \"") + "\""));
  }

  void everyFormHasAPage()
  {
    QSet<QString> described;
    for (const QString &file : PageFiles())
      for (const QString &form : PageForms(ReadText(PagesDir() + QLatin1Char('/') + file)))
        described.insert(form);
    QStringList undescribed;
    const QDir source(SourceDir);
    for (const QString &folder : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      if (folder.startsWith(QLatin1String("build")) || folder == QLatin1String("tests"))
        continue;
      QDirIterator it(source.filePath(folder), {QStringLiteral("*.ui")}, QDir::Files, QDirIterator::Subdirectories);
      while (it.hasNext()) {
        const QString form = source.relativeFilePath(it.next());
        if (!described.contains(form))
          undescribed.append(form);
      }
    }
    undescribed.sort();
    QVERIFY2(undescribed.isEmpty(), qPrintable("no page describes " + undescribed.join(", ")));
  }

  // The reading itself: a label with a mnemonic, a caption's colon and a
  // menu item's dots read as the user sees them.
  void formLabelsAreReadAsShown()
  {
    const QSet<QString> labels = FormLabels(SourceDir + QStringLiteral("/update/UpdateDialog.ui"));
    for (const char *label : {"Skip This Version", "Installed version", "Update", "Check for updates automatically"})
      QVERIFY2(labels.contains(QLatin1String(label)), label);
    QVERIFY(FormLabels(SourceDir + QStringLiteral("/app/MainWindow.ui")).contains(QStringLiteral("Check for Updates")));
    QCOMPARE(PageControls(QStringLiteral("<b>Data</b> &gt; <b>Set Timing &amp;Parameters ...</b> <b>Limit:</b>")),
             (QStringList{"Data", "Set Timing Parameters", "Limit"}));
  }
};

RIDUDER_TEST_MAIN(TestHelpPages)
#include "tst_helppages.moc"
