#pragma once
// What the receiver decoders tell the rest of the program, and the few
// settings they read. MainWindow implements it with its widgets, dialogs and
// logs; another host may just record what it is told. Every function has
// an empty default so a host implements only what it shows.

#include <QByteArray>
#include <QString>

class DecoderHost {
public:
  virtual ~DecoderHost() = default;

  // Settings the decoders read.
  virtual int GpsLogType() const { return 0; }          // 2 = PVT rows
  virtual bool RxOnLocalTime() const { return false; }  // receiver sends local time
  // Whether the configuration text of a message reaches the TIC
  // configuration log ("Save Satellite Events in Config Log"; off).
  virtual bool ConfigTextToTicLog() const { return false; }

  // Once-per-receiver-second clock work, run by a time message when no
  // 1PPS tick came since the previous one.
  virtual void SyncPcClock() {}
  virtual void UpdateClockDisplay() {}

  // Position object: fix, averaging, speed, heading, status and DOPs.
  virtual void ShowPosition(double latitude, double longitude, double height, double mslHeight)
  {
    Q_UNUSED(latitude) Q_UNUSED(longitude) Q_UNUSED(height) Q_UNUSED(mslHeight)
  }
  virtual void SetSpeed(double knots) { Q_UNUSED(knots) }
  virtual void SetHeading(double degrees) { Q_UNUSED(degrees) }
  virtual void SetSatsTracked(int count) { Q_UNUSED(count) }
  virtual void SetNavMode(int mode) { Q_UNUSED(mode) }
  virtual int GetNavMode() const { return 0; }
  virtual void SetFixStatus(int status) { Q_UNUSED(status) }
  virtual void SetDops(double g, double p, double h, double v, double t)
  {
    Q_UNUSED(g) Q_UNUSED(p) Q_UNUSED(h) Q_UNUSED(v) Q_UNUSED(t)
  }
  virtual QString DopsText() const { return QString(); }
  // Geoid undulation (m) at a position in degrees; 0 outside the grid.
  virtual double GeoidSeparation(double latitude, double longitude) const
  {
    Q_UNUSED(latitude) Q_UNUSED(longitude)
    return 0.0;
  }

  // Status indicators, satellite table and the labels beside it.
  virtual void SetAntennaStatus(int status) { Q_UNUSED(status) }
  virtual void SetNavStatus(int status) { Q_UNUSED(status) }
  virtual void UpdateSatelliteTable() {}
  virtual void ShowSatsVisible(const QString &text) { Q_UNUSED(text) }        // IDC_SATS_VISIBLE
  virtual void ShowSatsTracked(const QString &text) { Q_UNUSED(text) }        // IDC_SATS_TRACKED
  virtual void ShowSatsStatusMessage(const QString &text) { Q_UNUSED(text) }  // IDC_SATS_STATUS_MESSAGE
  virtual void ShowSatsDopsMessage(const QString &text) { Q_UNUSED(text) }    // IDC_SATS_DOPS_MESSAGE
  virtual void ShowDgpsMessage(const QString &text) { Q_UNUSED(text) }        // IDC_SATS_DGPS_MESSAGE

  // Logs.
  virtual void WriteBinaryGpsLog(const QByteArray &message) { Q_UNUSED(message) }
  virtual void WriteGpsLog(const QString &text) { Q_UNUSED(text) }
  virtual void WriteTicLog(const QString &text) { Q_UNUSED(text) }

  // Receiver identification window. Decoders test HasIdWindow() before
  // every append.
  virtual bool HasIdWindow() const { return false; }
  virtual void AppendIdText(const QString &text) { Q_UNUSED(text) }
  // Replaces the window's pending text with these lines (the whole
  // identification answer).
  virtual void AppendIdLines(const QString &text) { Q_UNUSED(text) }

  // Receiver settings the decoders change, and commands they send.
  virtual void SetConstellations(bool gps, bool glonass, bool galileo, bool beidou, bool qzss,
                                 bool sbas)
  {
    Q_UNUSED(gps) Q_UNUSED(glonass) Q_UNUSED(galileo) Q_UNUSED(beidou) Q_UNUSED(qzss)
    Q_UNUSED(sbas)
  }
  virtual void SaveConstellationSettings() {}
  // --- Oncore extension messages ---
  // The constellation label of the status bar ("GPS & GLONASS", "-"); a
  // host without the label ignores it.
  virtual void ShowConstellationLabel(const QString &text) { Q_UNUSED(text) }
  // --- end Oncore extension messages ---
  virtual void SendGpsRxCommand(const QByteArray &command) { Q_UNUSED(command) }
  // Disables "Send new firmware to GPS Rx ..." once a receiver identified.
  virtual void DisableFirmwareUpload() {}
};
