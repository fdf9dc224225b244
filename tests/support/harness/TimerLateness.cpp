#include "TimerLateness.h"

#include <QEventLoop>

namespace riduder::test {

TimerLateness::TimerLateness()
{
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(IntervalMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    worstLateMs_ = qMax(worstLateMs_, sinceTick_.restart() - IntervalMs);
    if (onTick_)
      onTick_();
  });
}

void TimerLateness::Start()
{
  worstLateMs_ = 0;
  sinceTick_.start();
  timer_.start();
}

void TimerLateness::Stop()
{
  timer_.stop();
}

bool TimerLateness::RunUntil(const std::function<bool()> &done, int timeoutMs)
{
  QEventLoop loop;
  bool finished = false;
  onTick_ = [&] {
    if (done()) {
      finished = true;
      loop.quit();
    }
  };
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  Start();
  loop.exec();
  Stop();
  onTick_ = nullptr;
  return finished;
}

}  // namespace riduder::test
