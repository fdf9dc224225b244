#pragma once
// The main window as the receiver decoders see it: each report goes to the
// window's labels, dialogs, position object and logs. A small adapter, so
// that MainWindow itself need not derive from DecoderHost.

#include "receiver/decode/DecoderCommandThrottle.h"
#include "receiver/decode/DecoderHost.h"

class MainWindow;

class MainWindowDecoderHost : public DecoderHost {
public:
  explicit MainWindowDecoderHost(MainWindow &window) : window_(window) {}

  int GpsLogType() const override;
  bool RxOnLocalTime() const override;
  bool ConfigTextToTicLog() const override;

  void SyncPcClock() override;
  void UpdateClockDisplay() override;

  void ShowPosition(double latitude, double longitude, double height, double mslHeight) override;
  void SetSpeed(double knots) override;
  void SetHeading(double degrees) override;
  void SetSatsTracked(int count) override;
  void SetNavMode(int mode) override;
  int GetNavMode() const override;
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

  bool HasIdWindow() const override;
  void AppendIdText(const QString &text) override;
  void AppendIdLines(const QString &text) override;

  void SetConstellations(bool gps, bool glonass, bool galileo, bool beidou, bool qzss,
                         bool sbas) override;
  void SaveConstellationSettings() override;
  void ShowConstellationLabel(const QString &text) override;
  void SendGpsRxCommand(const QByteArray &command) override;
  void DisableFirmwareUpload() override;

private:
  MainWindow &window_;
  DecoderCommandThrottle commandThrottle_;
};
