#pragma once
// An NMEA decoder on a fresh receiver state with a recording host and a fake
// clock, and the program-wide values it reads reset to their start values.

#include "FrameBuilders.h"
#include "RecordingDecoderHost.h"
#include "FakeTimeSource.h"

#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/NmeaDecoder.h"

#include <memory>

namespace riduder::test {

struct NmeaDecoderFixture {
  explicit NmeaDecoderFixture(quint32 mode = GpsModeGenericNmea)
      : state(std::make_unique<ReceiverState>()), host(state.get()), decoder(*state, host),
        clockOverride(&clock)
  {
    ResetProgramWideState();
    CurrentGpsMode = mode;
    state->receiverTime.SetDateTime(start);
  }

  // Decodes "$", the body and its checksum.
  bool Feed(const QByteArray &body) { return decoder.Decode(FramedNmeaSentence(body)); }

  // What each 1PPS tick does to the flags the time sentences share.
  void Tick()
  {
    state->tickPending = state->zdaTickPending = state->rmcTickPending = true;
    state->zdaThisSecond = false;
    state->messageDroveClock = false;
  }

  QDateTime ReceiverTime() const { return state->receiverTime.addSecs(0); }
  const SatelliteRecord &Slot(int i) const { return state->satellites[i]; }

  const QDateTime start = QDateTime(QDate(2020, 2, 2), QTime(2, 2, 2), Qt::UTC);
  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  NmeaDecoder decoder;
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride;
};

}  // namespace riduder::test
