#include "TestMain.h"
#include "FakeTickSounds.h"

#include "platform/TickSounds.h"

#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>

using Tick = TickSounds::Tick;

class TestTickSounds : public QObject {
  Q_OBJECT

private slots:
  void sourcesAndVolumes_data();
  void sourcesAndVolumes();
  void playsWithoutAnAudioDevice();
  void fakeRecordsWhatPlayed();
};

void TestTickSounds::sourcesAndVolumes_data()
{
  QTest::addColumn<Tick>("tick");
  QTest::addColumn<QString>("source");
  QTest::addColumn<double>("volume");
  QTest::newRow("second") << Tick::Second << "qrc:/sounds/res/SecondTick.wav" << 1.0;
  QTest::newRow("minute") << Tick::Minute << "qrc:/sounds/res/MinuteTick.wav" << 0.5;
  QTest::newRow("warning") << Tick::Warning << "qrc:/sounds/res/WarnTick.wav" << 0.7;
}

void TestTickSounds::sourcesAndVolumes()
{
  QFETCH(Tick, tick);
  QFETCH(QString, source);
  QFETCH(double, volume);
  QCOMPARE(TickSounds::SourceOf(tick), source);
  QCOMPARE(TickSounds::VolumeOf(tick), volume);

  // The sound is really compiled in, and is a WAV file.
  QFile wav(QUrl(source).path().prepend(QLatin1Char(':')));
  QVERIFY2(wav.open(QIODevice::ReadOnly), qPrintable(wav.fileName()));
  const QByteArray head = wav.read(12);
  QVERIFY(head.startsWith("RIFF") && head.mid(8, 4) == "WAVE");

  SoundEffectTickSounds sounds;
  QCOMPARE(sounds.Effect(tick).source(), QUrl(source));
  // Once loaded, an effect reads its volume back from its audio output; with
  // no output device that is a null one, which always says 1.0.
  if (!QMediaDevices::defaultAudioOutput().isNull())
    QTRY_VERIFY(qAbs(sounds.Effect(tick).volume() - volume) < 1e-3);
}

void TestTickSounds::playsWithoutAnAudioDevice()
{
  // Whether this machine has a sound device or not, playing every tick,
  // repeatedly and before loading has finished, must be harmless.
  SoundEffectTickSounds sounds;
  for (int i = 0; i < 3; ++i) {
    sounds.PlaySecond();
    sounds.PlayMinute();
    sounds.PlayWarning();
    QTest::qWait(20);
  }
  QVERIFY(sounds.Effect(Tick::Second).status() != QSoundEffect::Null);
}

void TestTickSounds::fakeRecordsWhatPlayed()
{
  FakeTickSounds fake;
  TickSounds &sounds = fake;
  sounds.PlayMinute();
  sounds.PlaySecond();
  sounds.PlaySecond();
  sounds.Play(Tick::Warning);
  QCOMPARE(fake.Played(), (QList<Tick>{Tick::Minute, Tick::Second, Tick::Second, Tick::Warning}));
  QCOMPARE(fake.Count(Tick::Second), 2);
  QCOMPARE(fake.Count(Tick::Minute), 1);
  QCOMPARE(fake.Count(Tick::Warning), 1);
  fake.Clear();
  QVERIFY(fake.Played().isEmpty());
}

RIDUDER_TEST_MAIN(TestTickSounds)
#include "tst_ticksounds.moc"
