#include "SessionOnSimulator.h"

#include "ReceiverLineSetting.h"

#include "receiver/link/GpsPortSettings.h"

#include <QSettings>

namespace riduder::test {

SessionOnSimulator::SessionOnSimulator(quint32 mode, int rate, double commandTimeScale, bool doNotInitialize,
                                       sim::ReceiverSimulator *line)
    : simulator_(line ? *line : ownSimulator_), decoderHost_(&state_)
{
  if (!simulator_.open(&problem_) && problem_.isEmpty())
    problem_ = QStringLiteral("the simulator's pseudo-terminal did not open");
  {
    QSettings settings;
    settings.setValue(GpsPortKeys::PortName, simulator_.slavePath());
    settings.setValue(GpsPortKeys::Mode, GpsModeName(mode));
    settings.setValue(GpsPortKeys::DataRate, rate);
    settings.setValue(GpsPortKeys::PpsInterface, 0);
    settings.setValue(GpsPortKeys::DoNotInitialize, doNotInitialize);
  }
  host_.portSettings.Load();
  // The state starts with its set-up gate open, as after a set-up.
  state_.setupInProgress = false;
  session_ = std::make_unique<ReceiverSession>(state_, decoderHost_, host_);
  session_->Timing().SetScale(commandTimeScale);
  session_->SetMode(mode);
  QObject::connect(&session_->Port(), &GpsSerialPortThread::newGpsText, session_.get(),
                   [this](QByteArray message) { session_->Route(message, false); });
  // As in the window's harness: a lock another program takes before the
  // port opens leaves this number; reopened, the simulator has another.
  session_->StartPort();
  for (int retry = 0; retry < 3 && problem_.isEmpty() && !session_->Port().IsOpen(); ++retry) {
    if (!simulator_.open(&problem_))
      break;
    QSettings().setValue(GpsPortKeys::PortName, simulator_.slavePath());
    host_.portSettings.Load();
    session_->StartPort();
  }
  if (problem_.isEmpty() && !session_->Port().IsOpen())
    problem_ = QStringLiteral("the receiver port did not open %1").arg(simulator_.slavePath());
}

SessionOnSimulator::~SessionOnSimulator()
{
  if (session_) {
    state_.closing = true;
    session_->Cancel();
    session_->Port().stopGpsSerialPort();
    session_.reset();
  }
  simulator_.close();
  // The line goes with the harness, and the system hands its number to the
  // next pseudo-terminal, perhaps another test's: a window or session made
  // later in this process must not open that line and take its lock.
  ForgetReceiverLine();
}

}  // namespace riduder::test
