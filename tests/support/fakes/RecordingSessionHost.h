#pragma once
// A receiver-session host for tests: records what the session showed and
// asked, and hands it settings a test sets. The port settings start as
// stored and are stored again as the session changes them, as the port
// dialog does.

#include "core/ReceiverIdentity.h"
#include "receiver/session/ReceiverSessionHost.h"

#include <QList>
#include <QStringList>

namespace riduder::test {

class RecordingSessionHost : public ReceiverSessionHost {
public:
  RecordingSessionHost()
  {
    portSettings.Load();
    // The port dialog's identity before anything is chosen.
    portIdentity.model = 0;
    portIdentity.channels = 0;
    portIdentity.nativeChannels = 0;
  }

  // Records.
  QString statusText;
  QStringList statusTexts;  // every text shown, in order
  QStringList rawLines, idLines;
  // The identification lines as the identification window shows them: each
  // line trimmed.
  QString IdMessages() const
  {
    QStringList lines;
    for (const QString &line : idLines)
      lines << line.trimmed();
    return lines.join(QLatin1Char('\n'));
  }
  int idWindowClears = 0;
  int antennaStatus = -100, navStatus = -100;
  int satelliteTextClears = 0;
  int heartbeatOffs = 0;
  double timingErrorInputs[2] = {0.0, 0.0};
  QStringList informationTitles, informationTexts;
  QList<bool> busyChanges;
  int waitCursorDepth = 0;
  bool muted = false;
  int initializationsFinished = 0;
  int constellationRepairs = 0;
  int surveyHolds = 0;

  // Settings handed to the session.
  GpsPortSettings portSettings;
  ReceiverIdentity portIdentity;
  ReceiverModeSettings modeSettings;
  TimingSettings timingSettings;
  ReferencePosition referencePosition;
  bool sendsReferencePosition = false;

  QString ReceiverStatusText() const override { return statusText; }
  void ShowReceiverStatusText(const QString &text) override
  {
    statusText = text;
    statusTexts << text;
  }
  void AppendRawDataLine(const QString &text) override { rawLines << text; }
  void AppendReceiverIdText(const QString &text) override { idLines << text; }
  void ClearReceiverIdWindow() override { ++idWindowClears; }
  void SetAntennaStatus(int status) override { antennaStatus = status; }
  void SetNavStatus(int status) override { navStatus = status; }
  void ClearSatelliteTexts() override { ++satelliteTextClears; }
  void ShowHeartbeatOff() override { ++heartbeatOffs; }
  void SetTimingErrorInputs(double a, double b) override
  {
    timingErrorInputs[0] = a;
    timingErrorInputs[1] = b;
  }
  void ShowInformation(const QString &title, const QString &text) override
  {
    informationTitles << title;
    informationTexts << text;
  }
  void ReceiverBusyChanged(bool busy) override { busyChanges << busy; }
  void SetWaitCursor(bool on) override { waitCursorDepth += on ? 1 : -1; }
  void MuteSounds(bool mute) override { muted = mute; }
  void InitializationFinished() override { ++initializationsFinished; }

  GpsPortSettings PortSettings() const override { return portSettings; }
  void FillIdentityFromPortSettings(ReceiverIdentity &identity) const override
  {
    // What the port's choice does not say stays as it was.
    ReceiverIdentity chosen = portIdentity;
    chosen.plusFirmware = identity.plusFirmware;
    chosen.plusPlusFirmware = identity.plusPlusFirmware;
    chosen.hasNmeaMode = identity.hasNmeaMode;
    chosen.galileoCapable = identity.galileoCapable;
    identity = chosen;
  }
  void StorePortDataRate(int rate) override { portSettings.SetBaud(rate); }
  void StorePortMode(int mode) override { portSettings.SetMode(mode); }

  ReceiverModeSettings ModeSettings() const override { return modeSettings; }
  void KeepModeSettings(const ReceiverModeSettings &settings) override { modeSettings = settings; }
  void RepairConstellations() override { ++constellationRepairs; }
  void HoldPositionAfterSurvey() override { ++surveyHolds; }
  TimingSettings TimingParameters() const override { return timingSettings; }
  ReferencePosition StoredReferencePosition() const override { return referencePosition; }
  bool SendsReferencePositionAtSetUp() const override { return sendsReferencePosition; }
};

}  // namespace riduder::test
