#pragma once
// A decoder host for tests: records what a decoder reported, in order and
// by kind, and answers the few questions a decoder asks from settable
// members.

#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

namespace riduder::test {

struct RecordedPosition {
  double latitude = 0, longitude = 0, height = 0, mslHeight = 0;
};

class RecordingDecoderHost : public DecoderHost {
public:
  explicit RecordingDecoderHost(const ReceiverState *state = nullptr) : state_(state) {}

  // Answers.
  int gpsLogType = 0;
  bool rxOnLocalTime = false;
  bool configTextToTicLog = false;
  bool idWindow = true;
  double geoidSeparation = 0.0;

  // Records. `calls` holds every call by name, in order.
  QStringList calls;
  QList<RecordedPosition> positions;
  QList<QDateTime> clockStepTimes;  // receiver time at each clock step
  int updateClockDisplayCount = 0;
  int satelliteTableUpdates = 0;
  // At each table update: the visible count's text, ": ", and the
  // decoders' satellites in array order as "identifier/C/No" (the places a
  // short NMEA sentence leaves empty, identifier 256, left out).
  QStringList satelliteTables;
  int antennaStatus = -100, navStatus = -100, fixStatus = -100, satsTracked = -100;
  int navMode = 0;
  double speed = -1, heading = -1;
  double dops[5] = {-1, -1, -1, -1, -1};
  QString satsVisibleText, satsTrackedText, statusMessage, dopsMessage, dgpsMessage;
  QList<QByteArray> binaryLog;
  QStringList gpsLog, ticLog, idTexts, idLines, commands;
  bool firmwareUploadDisabled = false;

  int GpsLogType() const override { return gpsLogType; }
  bool RxOnLocalTime() const override { return rxOnLocalTime; }
  bool ConfigTextToTicLog() const override { return configTextToTicLog; }

  void SyncPcClock() override;
  void UpdateClockDisplay() override;

  void ShowPosition(double latitude, double longitude, double height, double mslHeight) override;
  void SetSpeed(double knots) override;
  void SetHeading(double degrees) override;
  void SetSatsTracked(int count) override;
  void SetNavMode(int mode) override;
  int GetNavMode() const override { return navMode; }
  void SetFixStatus(int status) override;
  void SetDops(double g, double p, double h, double v, double t) override;
  QString DopsText() const override;
  double GeoidSeparation(double latitude, double longitude) const override;

  void SetAntennaStatus(int status) override;
  void SetNavStatus(int status) override;
  void UpdateSatelliteTable() override;
  void ShowSatsVisible(const QString &text) override;
  void ShowSatsTracked(const QString &text) override;
  void ShowSatsStatusMessage(const QString &text) override;
  void ShowSatsDopsMessage(const QString &text) override;
  void ShowDgpsMessage(const QString &text) override;

  void WriteBinaryGpsLog(const QByteArray &message) override;
  void WriteGpsLog(const QString &text) override;
  void WriteTicLog(const QString &text) override;

  bool HasIdWindow() const override { return idWindow; }
  void AppendIdText(const QString &text) override;
  void AppendIdLines(const QString &text) override;

  void SendGpsRxCommand(const QByteArray &command) override;
  void DisableFirmwareUpload() override;

  // Constellation settings as GPS, GLONASS, Galileo, Beidou, QZSS, SBAS;
  // the label text (null until shown).
  QList<bool> constellations;
  int constellationSaves = 0;
  QString constellationLabel;
  void SetConstellations(bool gps, bool glonass, bool galileo, bool beidou, bool qzss,
                         bool sbas) override;
  void SaveConstellationSettings() override;
  void ShowConstellationLabel(const QString &text) override;

private:
  const ReceiverState *state_;
};

}  // namespace riduder::test
