#pragma once
// The three tick sounds of the clock: the second tick, the minute tick and
// the out-of-lock warning tick. The per-second work plays them through this
// interface, so which one played can be seen without an audio device.

#include <QSoundEffect>
#include <QString>

class TickSounds {
public:
  enum class Tick { Second, Minute, Warning };

  virtual ~TickSounds() = default;
  virtual void Play(Tick tick) = 0;

  void PlaySecond() { Play(Tick::Second); }
  void PlayMinute() { Play(Tick::Minute); }
  void PlayWarning() { Play(Tick::Warning); }

  // The resource and volume of each tick.
  static QString SourceOf(Tick tick);
  static double VolumeOf(Tick tick);

protected:
  TickSounds() = default;
  TickSounds(const TickSounds &) = default;
  TickSounds &operator=(const TickSounds &) = default;
};

// Plays the ticks with QSoundEffect. Without an audio device the effects
// stay silent; nothing fails.
class SoundEffectTickSounds : public TickSounds {
public:
  SoundEffectTickSounds();
  void Play(Tick tick) override;

  const QSoundEffect &Effect(Tick tick) const;

private:
  QSoundEffect &EffectOf(Tick tick);

  QSoundEffect minute_;
  QSoundEffect second_;
  QSoundEffect warning_;
};
