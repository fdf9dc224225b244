#include "ChildProcess.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTest>

namespace riduder::test {

bool StartChild(QProcess &program, const char *function, const QList<QPair<const char *, QString>> &variables)
{
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto &variable : variables)
    environment.insert(QLatin1String(variable.first), variable.second);
  program.setProcessEnvironment(environment);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(QCoreApplication::applicationFilePath(), {QLatin1String(function)});
  return program.waitForStarted(5000);
}

bool WaitForChildOutput(QProcess &program, const QByteArray &text, QByteArray *output, int timeoutMs)
{
  return QTest::qWaitFor([&] { return (*output += program.readAllStandardOutput()).contains(text); }, timeoutMs);
}

}  // namespace riduder::test
