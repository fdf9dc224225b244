#pragma once
// The receiver session alone on a simulated line: no window. The session's
// port is the pseudo-terminal of a simulated receiver, opened from the
// stored port settings; framed messages go through the session's routing as
// the window's would; the host and the decoders' host record. Its command
// clock runs at the scale given.

#include "RecordingDecoderHost.h"
#include "RecordingSessionHost.h"
#include "core/ReceiverState.h"
#include "receiver/session/ReceiverSession.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QString>

#include <memory>

namespace riduder::test {

class SessionOnSimulator {
public:
  // Stores the port settings (the simulator's line, `mode`, `rate`, the
  // "do not initialise" box) and opens the session's port.
  // The simulated line is the harness's own, or `line` (not owned; opened
  // here) when a test keeps one of its own.
  SessionOnSimulator(quint32 mode, int rate, double commandTimeScale, bool doNotInitialize = false,
                     sim::ReceiverSimulator *line = nullptr);
  ~SessionOnSimulator();
  SessionOnSimulator(const SessionOnSimulator &) = delete;
  SessionOnSimulator &operator=(const SessionOnSimulator &) = delete;

  // Empty when the port is open on the simulator; else why not.
  QString Problem() const { return problem_; }

  ReceiverSession &Session() { return *session_; }
  RecordingSessionHost &Host() { return host_; }
  RecordingDecoderHost &DecoderHost() { return decoderHost_; }
  ReceiverState &State() { return state_; }
  sim::ReceiverSimulator &Simulator() { return simulator_; }

private:
  QString problem_;
  sim::ReceiverSimulator ownSimulator_;
  sim::ReceiverSimulator &simulator_;
  ReceiverState state_;
  RecordingDecoderHost decoderHost_;
  RecordingSessionHost host_;
  std::unique_ptr<ReceiverSession> session_;
};

}  // namespace riduder::test
