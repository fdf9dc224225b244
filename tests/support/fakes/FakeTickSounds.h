#pragma once

#include "platform/TickSounds.h"

#include <QList>

// Records what played, in order.
class FakeTickSounds : public TickSounds {
public:
  void Play(Tick tick) override { played_.append(tick); }
  const QList<Tick> &Played() const { return played_; }
  int Count(Tick tick) const { return static_cast<int>(played_.count(tick)); }
  void Clear() { played_.clear(); }

private:
  QList<Tick> played_;
};
