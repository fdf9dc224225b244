#include "platform/TickSounds.h"

#include <QUrl>

QString TickSounds::SourceOf(Tick tick)
{
  switch (tick) {
  case Tick::Second:
    return QStringLiteral("qrc:/sounds/res/SecondTick.wav");
  case Tick::Minute:
    return QStringLiteral("qrc:/sounds/res/MinuteTick.wav");
  case Tick::Warning:
    break;
  }
  return QStringLiteral("qrc:/sounds/res/WarnTick.wav");
}

double TickSounds::VolumeOf(Tick tick)
{
  switch (tick) {
  case Tick::Second:
    return 1.0;
  case Tick::Minute:
    return 0.5;
  case Tick::Warning:
    break;
  }
  return 0.7;
}

SoundEffectTickSounds::SoundEffectTickSounds()
{
  for (Tick tick : {Tick::Minute, Tick::Second, Tick::Warning}) {
    QSoundEffect &effect = EffectOf(tick);
    effect.setSource(QUrl(SourceOf(tick)));
    effect.setVolume(static_cast<float>(VolumeOf(tick)));
  }
}

void SoundEffectTickSounds::Play(Tick tick) { EffectOf(tick).play(); }

const QSoundEffect &SoundEffectTickSounds::Effect(Tick tick) const
{
  return const_cast<SoundEffectTickSounds *>(this)->EffectOf(tick);
}

QSoundEffect &SoundEffectTickSounds::EffectOf(Tick tick)
{
  switch (tick) {
  case Tick::Second:
    return second_;
  case Tick::Minute:
    return minute_;
  case Tick::Warning:
    break;
  }
  return warning_;
}
