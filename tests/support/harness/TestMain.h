#pragma once
// Common main for every test executable.
//
// Each test process gets a private settings scope, documents folder,
// temporary folder and time zone before the application object exists, so
// tests can run side by side under `ctest -j` and never touch the user's
// own settings or logs.

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QVariantMap>

namespace riduder::test {

// Prepares the environment; call before constructing the application.
// The folder lives until the process ends.
void PrepareTestEnvironment();

// The folder of the real receiver captures the repository carries
// (testdata/receivers of the source tree).
QString CaptureDir();

// Receiver bytes of a capture file: everything after its leading block of
// "#" comment lines (only that block; "#" inside binary frames stays).
QByteArray ReadCapture(const QString &relativePath, bool *ok = nullptr);

// Every key of the test's settings store with its value, to compare what a
// load or a save left there.
QVariantMap StoredSettings();

}  // namespace riduder::test

#define RIDUDER_TEST_MAIN(TestObject)                                      \
  int main(int argc, char *argv[])                                         \
  {                                                                        \
    riduder::test::PrepareTestEnvironment();                               \
    QApplication app(argc, argv);                                          \
    app.setAttribute(Qt::AA_Use96Dpi, true);                               \
    /* The program's settings identity, so settings written before the */  \
    /* first window land where the window reads them. */                   \
    app.setOrganizationName(QStringLiteral("ZIV Systems"));                \
    app.setApplicationName(QStringLiteral("Riduder"));                     \
    TestObject tc;                                                         \
    QTEST_SET_MAIN_SOURCE_PATH                                             \
    return QTest::qExec(&tc, argc, argv);                                  \
  }

// Fails the current test when the captures are absent: a checkout without
// them must not pass on tests that never ran.
#define RIDUDER_REQUIRE_CAPTURES()                                                      \
  do {                                                                                  \
    if (!QFileInfo(riduder::test::CaptureDir()).isDir())                                \
      QFAIL(qPrintable("receiver captures not found in " + riduder::test::CaptureDir())); \
  } while (0)
