#pragma once
// What the receiver session asks of its owner: the displays it changes, the
// settings it reads (as values) and the few settings it changes. The main
// window implements it with its labels and dialogs; another host may just
// record.

#include "receiver/link/GpsPortSettings.h"
#include "receiver/session/ReceiverSetup.h"

#include <QString>

struct ReceiverIdentity;

class ReceiverSessionHost {
public:
  virtual ~ReceiverSessionHost() = default;

  // --- Displays ---
  // The status bar's receiver description.
  virtual QString ReceiverStatusText() const = 0;
  virtual void ShowReceiverStatusText(const QString &text) = 0;
  // A line for the raw-data window (and, in the text log style, the log).
  virtual void AppendRawDataLine(const QString &text) = 0;
  // The receiver ID window: a line added; everything cleared.
  virtual void AppendReceiverIdText(const QString &text) = 0;
  virtual void ClearReceiverIdWindow() = 0;
  // Antenna and navigation indicators (-1 unknown).
  virtual void SetAntennaStatus(int status) = 0;
  virtual void SetNavStatus(int status) = 0;
  // The satellite status, DOP and DGPS texts of the last receiver go.
  virtual void ClearSatelliteTexts() = 0;
  // Oncore binary and receive-only: the heartbeat shows off until a tick.
  virtual void ShowHeartbeatOff() = 0;
  // The inputs of the timing error estimate for the model found.
  virtual void SetTimingErrorInputs(double a, double b) = 0;
  // An information box (through the program's message-box seam).
  virtual void ShowInformation(const QString &title, const QString &text) = 0;

  // --- While the session works ---
  // True when the first set-up or reply wait begins, false when the last
  // one ends: what could start another is disabled meanwhile.
  virtual void ReceiverBusyChanged(bool busy) = 0;
  // The wait cursor over the program, and back.
  virtual void SetWaitCursor(bool on) = 0;
  // No tick sound during an initialisation; false gives back the choice
  // from before.
  virtual void MuteSounds(bool mute) = 0;
  // The end of every initialisation: the navigation settings are read
  // again (the receiver found may change what they offer).
  virtual void InitializationFinished() = 0;

  // --- Settings, as values ---
  virtual GpsPortSettings PortSettings() const = 0;
  // The receive-only and u-blox receivers take the identity chosen with the
  // port (model, firmware, channels, DGPS, T-RAIM).
  virtual void FillIdentityFromPortSettings(ReceiverIdentity &identity) const = 0;
  // Stored at once and shown by the port dialog.
  virtual void StorePortDataRate(int rate) = 0;
  virtual void StorePortMode(int mode) = 0;

  virtual ReceiverModeSettings ModeSettings() const = 0;
  // Kept for this run (not stored): the receiver found cannot do it.
  virtual void KeepModeSettings(const ReceiverModeSettings &settings) = 0;
  // The constellation rules applied to the stored set, a repaired set
  // written back: a set with no satellite system would switch the
  // receiver's tracking off.
  virtual void RepairConstellations() = 0;
  // A finished survey leaves the receiver holding its position: the nav
  // mode is stored as position hold and shown so. Nothing otherwise.
  virtual void HoldPositionAfterSurvey() = 0;

  virtual TimingSettings TimingParameters() const = 0;
  virtual ReferencePosition StoredReferencePosition() const = 0;
  // The reference position goes to the receiver at set-up when the user
  // wants it there and has stored one.
  virtual bool SendsReferencePositionAtSetUp() const = 0;
};
