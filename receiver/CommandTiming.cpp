#include "receiver/CommandTiming.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

void CommandTiming::SetScale(double realPerProgramMs)
{
  scale = realPerProgramMs > 0.0 ? realPerProgramMs : 0.0;
}

bool CommandTiming::Pause(int ms)
{
  return Run(ms, true);
}

bool CommandTiming::Wait(int ms)
{
  return Run(ms, false);
}

void CommandTiming::Cancel()
{
  cancelled = true;
  for (QEventLoop *loop : running)
    loop->quit();
}

bool CommandTiming::Run(int ms, bool holdLine)
{
  if (cancelled)
    return false;
  ms = qMax(ms, 0);
  const int realMs = static_cast<int>(std::lround(ms * scale));

  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  QElapsedTimer elapsed;
  elapsed.start();
  running.append(&loop);
  timer.start(realMs);
  // Leaving out the socket notifiers keeps the serial port from reading:
  // its bytes stay in the line's buffer, as during a sleep.
  loop.exec(holdLine ? QEventLoop::ExcludeSocketNotifiers : QEventLoop::AllEvents);
  running.removeOne(&loop);

  if (!cancelled) {
    nowMs += ms;
    return true;
  }
  // Cut short: count the part that passed.
  const qint64 passed = scale > 0.0 ? static_cast<qint64>(elapsed.elapsed() / scale) : 0;
  nowMs += qMin<qint64>(passed, ms);
  return false;
}
