#include "TestMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

// The real receiver captures travel with the source tree, beside a README
// that names their sources and licences and lists each file's SHA-256. The
// tests and the demo rely on the bytes as recorded: a capture re-saved by an
// editor, converted to other line endings or lost from a copy of the tree
// must show here, not as odd results elsewhere.
class TestReceiverCaptures : public QObject {
  Q_OBJECT

private slots:
  void everyCaptureIsListedAndByteExact()
  {
    RIDUDER_REQUIRE_CAPTURES();
    const QDir root(riduder::test::CaptureDir());
    QFile readme(root.filePath(QStringLiteral("README.md")));
    QVERIFY2(readme.open(QIODevice::ReadOnly), qPrintable(readme.fileName() + " (sources and licences) is missing"));

    // "<sha256>  <folder>/<file>.log" lines of the README's checksum table.
    static const QRegularExpression line(QStringLiteral("^([0-9a-f]{64})  (\\S+\\.log)$"),
                                         QRegularExpression::MultilineOption);
    QMap<QString, QByteArray> listed;
    for (const QRegularExpressionMatch &m : line.globalMatch(QString::fromUtf8(readme.readAll())))
      listed.insert(m.captured(2), m.captured(1).toLatin1());
    QVERIFY2(!listed.isEmpty(), "the README lists no capture checksums");

    QStringList problems;
    for (auto it = listed.cbegin(); it != listed.cend(); ++it) {
      QFile capture(root.filePath(it.key()));
      if (!capture.open(QIODevice::ReadOnly)) {
        problems << it.key() + " is missing";
        continue;
      }
      if (QCryptographicHash::hash(capture.readAll(), QCryptographicHash::Sha256).toHex() != it.value())
        problems << it.key() + " differs from the recorded bytes";
    }
    QDirIterator found(root.path(), {QStringLiteral("*.log")}, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
      const QString relative = root.relativeFilePath(found.next());
      if (!listed.contains(relative))
        problems << relative + " is not in the README's list";
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
  }
};

RIDUDER_TEST_MAIN(TestReceiverCaptures)
#include "tst_receivercaptures.moc"
