#include "RecordingDecoderHost.h"

namespace riduder::test {

void RecordingDecoderHost::SyncPcClock()
{
  calls << QStringLiteral("SyncPcClock");
  if (state_)
    clockStepTimes << state_->receiverTime.addSecs(0);
}

void RecordingDecoderHost::UpdateClockDisplay()
{
  calls << QStringLiteral("UpdateClockDisplay");
  ++updateClockDisplayCount;
}

void RecordingDecoderHost::ShowPosition(double latitude, double longitude, double height,
                                        double mslHeight)
{
  calls << QStringLiteral("ShowPosition");
  positions << RecordedPosition{latitude, longitude, height, mslHeight};
}

void RecordingDecoderHost::SetSpeed(double knots)
{
  calls << QStringLiteral("SetSpeed");
  speed = knots;
}

void RecordingDecoderHost::SetHeading(double degrees)
{
  calls << QStringLiteral("SetHeading");
  heading = degrees;
}

void RecordingDecoderHost::SetSatsTracked(int count)
{
  calls << QStringLiteral("SetSatsTracked");
  satsTracked = count;
}

void RecordingDecoderHost::SetNavMode(int mode)
{
  calls << QStringLiteral("SetNavMode(%1)").arg(mode);
  navMode = mode;
}

void RecordingDecoderHost::SetFixStatus(int status)
{
  calls << QStringLiteral("SetFixStatus");
  fixStatus = status;
}

void RecordingDecoderHost::SetDops(double g, double p, double h, double v, double t)
{
  calls << QStringLiteral("SetDops");
  const double values[5] = {g, p, h, v, t};
  for (int i = 0; i < 5; ++i)
    if (values[i] >= 0.0)
      dops[i] = values[i];
}

QString RecordingDecoderHost::DopsText() const
{
  return QString::asprintf("DOPs:  G=%03.1f  P=%03.1f  H=%03.1f  V=%03.1f  T=%03.1f ", dops[0],
                           dops[1], dops[2], dops[3], dops[4]);
}

double RecordingDecoderHost::GeoidSeparation(double, double) const { return geoidSeparation; }

void RecordingDecoderHost::SetAntennaStatus(int status)
{
  calls << QStringLiteral("SetAntennaStatus(%1)").arg(status);
  antennaStatus = status;
}

void RecordingDecoderHost::SetNavStatus(int status)
{
  calls << QStringLiteral("SetNavStatus(%1)").arg(status);
  navStatus = status;
}

void RecordingDecoderHost::UpdateSatelliteTable()
{
  calls << QStringLiteral("UpdateSatelliteTable");
  ++satelliteTableUpdates;
  if (state_) {
    QStringList rows;
    for (const SatelliteRecord &r : state_->satellites) {
      if (r.identifier != 0 && r.identifier != 256)
        rows << QStringLiteral("%1/%2").arg(r.identifier).arg(r.cno);
    }
    satelliteTables << satsVisibleText + QStringLiteral(": ") + rows.join(QLatin1Char(' '));
  }
}

void RecordingDecoderHost::ShowSatsVisible(const QString &text) { satsVisibleText = text; }
void RecordingDecoderHost::ShowSatsTracked(const QString &text) { satsTrackedText = text; }
void RecordingDecoderHost::ShowSatsStatusMessage(const QString &text) { statusMessage = text; }
void RecordingDecoderHost::ShowSatsDopsMessage(const QString &text) { dopsMessage = text; }

void RecordingDecoderHost::ShowDgpsMessage(const QString &text)
{
  calls << QStringLiteral("ShowDgpsMessage");
  dgpsMessage = text;
}

void RecordingDecoderHost::WriteBinaryGpsLog(const QByteArray &message) { binaryLog << message; }
void RecordingDecoderHost::WriteGpsLog(const QString &text) { gpsLog << text; }
void RecordingDecoderHost::WriteTicLog(const QString &text) { ticLog << text; }
void RecordingDecoderHost::AppendIdText(const QString &text) { idTexts << text; }
void RecordingDecoderHost::AppendIdLines(const QString &text) { idLines << text; }

void RecordingDecoderHost::SendGpsRxCommand(const QByteArray &command)
{
  commands << QString::fromLatin1(command.toHex());
}

void RecordingDecoderHost::DisableFirmwareUpload() { firmwareUploadDisabled = true; }

void RecordingDecoderHost::SetConstellations(bool gps, bool glonass, bool galileo, bool beidou,
                                             bool qzss, bool sbas)
{
  calls << QStringLiteral("SetConstellations");
  constellations = {gps, glonass, galileo, beidou, qzss, sbas};
}

void RecordingDecoderHost::SaveConstellationSettings()
{
  calls << QStringLiteral("SaveConstellationSettings");
  ++constellationSaves;
}

void RecordingDecoderHost::ShowConstellationLabel(const QString &text)
{
  calls << QStringLiteral("ShowConstellationLabel");
  constellationLabel = text;
}

}  // namespace riduder::test
