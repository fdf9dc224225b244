#include "receiver/session/CommandTiming.h"

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
  if (cancelled || interrupted)
    return false;
  if (lineHold)
    lineHold(true);
  const bool completed = Run(ms);
  if (lineHold)
    lineHold(false);
  return completed;
}

bool CommandTiming::Wait(int ms)
{
  return Run(ms);
}

void CommandTiming::Cancel()
{
  cancelled = true;
  for (QEventLoop *loop : running)
    loop->quit();
}

void CommandTiming::Interrupt()
{
  interrupted = true;
  for (QEventLoop *loop : running)
    loop->quit();
}

bool CommandTiming::Run(int ms)
{
  if (cancelled || interrupted)
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
  loop.exec();
  running.removeOne(&loop);

  if (!cancelled && !interrupted) {
    nowMs += ms;
    return true;
  }
  // Cut short: count the part that passed.
  const qint64 passed = scale > 0.0 ? static_cast<qint64>(elapsed.elapsed() / scale) : 0;
  nowMs += qMin<qint64>(passed, ms);
  return false;
}
