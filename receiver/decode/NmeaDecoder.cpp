#include "receiver/decode/NmeaDecoder.h"

#include "core/GpsMode.h"
#include "core/PeerText.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/decode/ElevationTrend.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/ReceiverDateTime.h"

#include <QDebug>

#include <cmath>
#include <cstdio>

namespace {

// Field conversions. A QByteArray is always NUL-terminated, so its data can
// go to sscanf as it is; the widths keep every integer inside an int. A
// value that is not finite ("nan", "inf") counts as not converted.

bool ScanInt(const QByteArray &field, int *value)
{
  return std::sscanf(field.constData(), "%9d", value) == 1;
}

bool ScanDouble(const QByteArray &field, double *value)
{
  return std::sscanf(field.constData(), "%lf", value) == 1 && std::isfinite(*value);
}

struct TimeOfDay {
  int hours = 0, minutes = 0;
  double seconds = 0.0;
  bool converted = false;  // three conversions
  bool good = false;       // converted and in range
};

TimeOfDay ScanTimeOfDay(const QByteArray &field)
{
  TimeOfDay t;
  t.converted = std::sscanf(field.constData(), "%2d%2d%lf", &t.hours, &t.minutes, &t.seconds) == 3 &&
                std::isfinite(t.seconds);
  t.good = t.converted && t.hours >= 0 && t.hours <= 23 && t.minutes >= 0 && t.minutes <= 59 &&
           t.seconds >= 0.0 && t.seconds < 60.0;
  return t;
}

// Latitude "ddmm.mmmm" or longitude "dddmm.mmmm".
struct Angle {
  int degrees = 0;
  double minutes = 0.0;
  bool good = false;
  double Value() const { return degrees + minutes / 60.0; }
};

Angle ScanAngle(const QByteArray &field, bool longitude)
{
  Angle a;
  const bool converted =
      std::sscanf(field.constData(), longitude ? "%3d%lf" : "%2d%lf", &a.degrees, &a.minutes) == 2 &&
      std::isfinite(a.minutes);
  a.good = converted && a.degrees >= 0 && a.minutes >= 0.0 &&
           a.Value() <= (longitude ? 180.0 : 90.0);
  return a;
}

// +1 / -1 for the hemisphere letter, 0 for anything else.
int HemisphereSign(const QByteArray &field, char positive, char negative)
{
  if (field.size() != 1)
    return 0;
  if (field.at(0) == positive)
    return 1;
  if (field.at(0) == negative)
    return -1;
  return 0;
}

// The fields of a standard sentence: what follows the name and its comma,
// without the "*hh" tail, so that an empty last field reads as empty rather
// than as the checksum.
QByteArray StandardFields(const QByteArray &sentence)
{
  QByteArray fields = sentence.mid(7);
  const int star = fields.lastIndexOf('*');
  if (star >= 0 && star >= fields.size() - 3)
    fields.truncate(star);
  return fields;
}

// Proprietary answers are shown as the receiver sent them, checksum
// characters included on the last field.
QByteArray ProprietaryFields(const QByteArray &sentence) { return sentence.mid(7); }

// An empty field reads as 0 for the whole-sentence formats of GSA and GSV.
QByteArray FillEmptyFields(QByteArray text)
{
  while (text.contains(",,"))
    text.replace(",,", ",0,");
  while (text.contains(",*"))
    text.replace(",*", ",0*");
  if (text.endsWith(','))
    text.append('0');
  return text;
}

bool UbloxMode()
{
  return IsUbloxMode(CurrentGpsMode);
}

// Heights from the GGA altitude (above sea level) and geoid separation. Some
// Oncore firmware reports the altitude above the ellipsoid in that field.
void Heights(double altitude, double separation, double *gpsHeight, double *mslHeight)
{
  const qint32 model = receiverIdentity.model;
  const double firmware = receiverIdentity.firmwareVersion;
  const bool oncoreSixChannel = model == GpsRxModel::PVT6 || model == GpsRxModel::VP ||
                                model == GpsRxModel::XT || model == GpsRxModel::VP6;
  if (oncoreSixChannel && firmware != 0.0 && firmware < 7.0) {
    *gpsHeight = altitude;
    *mslHeight = altitude - separation;
  } else if (oncoreSixChannel && firmware >= 7.0 && firmware < 8.8) {
    *gpsHeight = altitude - separation;
    *mslHeight = altitude;
  } else {
    *gpsHeight = altitude + separation;
    *mslHeight = altitude;
  }
}

// The signal ID that NMEA 4.10 and later put after the last satellite of a
// GSV sentence (one hex digit), or -1 for a sentence without one. `text` has
// its empty fields filled.
int GsvSignalId(const QByteArray &text)
{
  int end = text.indexOf('*');
  if (end < 0)
    end = text.size();
  const QByteArrayView body = QByteArrayView(text).first(end);
  const qsizetype fields = body.count(',');
  if (fields < 4 || (fields - 3) % 4 != 1)
    return -1;
  const QByteArrayView last = body.sliced(body.lastIndexOf(',') + 1);
  if (last.size() != 1)
    return -1;
  bool ok = false;
  const int id = QByteArray(last.data(), last.size()).toInt(&ok, 16);
  return ok ? id : -1;
}

// The first `n` characters, or the whole field when it is not longer.
QByteArray Head(const QByteArray &field, int n) { return field.size() > n ? field.left(n) : field; }

}  // namespace

NmeaDecoder::NmeaDecoder(ReceiverState &state, DecoderHost &host) : state_(state), host_(host) {}

bool NmeaDecoder::TextGateOpen() const { return state_.rawDataWindowOpened || state_.logRecordGate; }

bool NmeaDecoder::Repeats(const QByteArray &sentence, QByteArray &last)
{
  if (sentence == last)
    return true;
  last = sentence;
  return false;
}

bool NmeaDecoder::Decode(const QByteArray &sentence)
{
  // The command layer waits for the named answer, whatever else becomes of
  // the sentence.
  if (!ExpectedNmeaReplyTag.isEmpty() && sentence.size() >= 7 && sentence.startsWith('$') &&
      sentence.mid(3, 4) == ExpectedNmeaReplyTag + ',')
    state_.replyFlags.gotMotorolaNmea = true;

  Work work{sentence, QString(), QString()};
  const QByteArray name = sentence.left(6);

  if (name == "$GPTXT" || name == "$GNTXT")
    return DecodeTxt(sentence);
  if (name == "$GPZDA")
    return DecodeZda(work);
  if (name == "$GPGGA")
    return DecodeGga(work);
  if (name == "$GPGSA")
    return DecodeGsa(work);
  if (name == "$GPGSV")
    return DecodeGsv(work);
  if (name == "$GPGLL")
    return DecodeGllVtg(work, lastGll_);
  if (name == "$GPRMC")
    return DecodeRmc(work);
  if (name == "$GPVTG")
    return DecodeGllVtg(work, lastVtg_);
  if (name == "$PGRMT")
    return DecodePgrmt(work);
  if (name == "$PGRMI")
    return DecodePgrmi(work);
  if (name == "$PGRMC")
    return DecodePgrmc(work);
  if (name == "$PGRMO")
    return DecodePgrmo(work);
  if (name == "$PMOTG") {
    state_.replyFlags.gotMotorolaNmea = true;
    return Tail(work, true);
  }
  if (name == "$GPALM") {
    state_.replyFlags.gotAlmanac = true;
    return Tail(work, true);
  }

  // End of the chain: the sentence goes to a PVT log as it came.
  work.pvtText = QString::fromLatin1(sentence);
  return Tail(work, sentence.startsWith("$PSYN,VEL"));
}

bool NmeaDecoder::Tail(Work &work, bool result)
{
  if (host_.GpsLogType() == 2 && !work.pvtText.isEmpty())
    host_.WriteGpsLog(work.pvtText);
  if (host_.ConfigTextToTicLog() && !work.statusText.isEmpty())
    host_.WriteTicLog(work.statusText);
  return result;
}

bool NmeaDecoder::DecodeTxt(const QByteArray &sentence)
{
  static const QByteArray key("ANTSTATUS=");
  const int at = sentence.indexOf(key);
  if (at < 0)
    return true;
  const QByteArray value = sentence.mid(at + key.size());
  int status = -1;
  if (value.startsWith("OK"))
    status = 0;
  else if (value.startsWith("SHORT"))
    status = 1;
  else if (value.startsWith("OPEN"))
    status = 2;
  state_.antennaStatus = status;
  host_.SetAntennaStatus(status);
  return true;
}

void NmeaDecoder::EndSatelliteBurst()
{
  UpdateVisibleCount();
  gsvAssemblyActive_ = false;
  gsaBurstCount_ = 0;
}

bool NmeaDecoder::StoreReceiverTime(int year, int month, int day, int hour, int minute,
                                    double seconds, bool &sentenceTickPending,
                                    const char *sentenceName)
{
  QDateTime dateTime;
  // Seconds are rounded to the nearest whole second; 59.5 and above build
  // the next minute.
  if (year < 1900 || !MakeReceiverDateTime(year, month, day, hour, minute,
                                           int(std::trunc(seconds + 0.5)), host_.RxOnLocalTime(),
                                           &dateTime)) {
    qDebug().noquote() << QStringLiteral("WARNING: Illegal date or time decoding %1.")
                              .arg(QLatin1String(sentenceName));
    return false;
  }
  state_.receiverTime.SetDateTime(dateTime);
  if (!sentenceTickPending) {
    host_.SyncPcClock();
    state_.messageDroveClock = true;
    host_.UpdateClockDisplay();
  }
  state_.tickPending = false;
  sentenceTickPending = false;
  // The next 1PPS tick marks the following second.
  state_.receiverTime.SetDateTime(state_.receiverTime.addSecs(1));
  return true;
}

bool NmeaDecoder::DecodeZda(Work &work)
{
  if (Repeats(work.sentence, lastZda_))
    return true;
  EndSatelliteBurst();

  QByteArray fields = StandardFields(work.sentence);
  const TimeOfDay time = ScanTimeOfDay(NextField(fields, "000000.00"));
  int day = 0, month = 0, year = 0, zoneHours = 0, zoneMinutes = 0;
  const bool dayOk = ScanInt(NextField(fields, "0"), &day);
  const bool monthOk = ScanInt(NextField(fields, "0"), &month);
  const bool yearOk = ScanInt(NextField(fields, "0"), &year);
  const bool zoneHoursOk = ScanInt(NextField(fields, "0"), &zoneHours);
  const bool zoneMinutesOk = ScanInt(NextField(fields, "0"), &zoneMinutes);

  if (!yearOk || !zoneHoursOk || !zoneMinutesOk)
    return Tail(work, false);
  if (year < 0 || !dayOk || day < 1 || day > 31 || !monthOk || month < 1 || month > 12 ||
      !time.good)
    return Tail(work, false);

  if (StoreReceiverTime(year, month, day, time.hours, time.minutes, time.seconds,
                        state_.zdaTickPending, "GPZDA")) {
    state_.zdaThisSecond = true;
    lastZdaMs_ = TimeSource::Current().MonotonicMs();
  }
  return Tail(work, true);
}

bool NmeaDecoder::DecodeGga(Work &work)
{
  EndSatelliteBurst();

  QByteArray fields = StandardFields(work.sentence);
  const TimeOfDay time = ScanTimeOfDay(NextField(fields, "000000.00"));
  const Angle latitude = ScanAngle(NextField(fields, "0000.0000"), false);
  const int latitudeSign = HemisphereSign(NextField(fields, ""), 'N', 'S');
  const Angle longitude = ScanAngle(NextField(fields, "00000.0000"), true);
  const int longitudeSign = HemisphereSign(NextField(fields, ""), 'E', 'W');
  int quality = 0;
  const bool qualityOk = ScanInt(NextField(fields, "0"), &quality);
  int satellites = 0;
  const bool satellitesOk = ScanInt(NextField(fields, ""), &satellites);
  NextField(fields, "");  // HDOP
  double altitude = 0.0;
  const bool altitudeOk = ScanDouble(NextField(fields, "0.0"), &altitude);
  if (NextField(fields, "") != "M") {
    qDebug("NMEA fAltitude_msl not in Meters");
    altitude = 0.0;
  }
  // A separation that does not convert counts as 0.
  double separation = 0.0;
  if (!ScanDouble(NextField(fields, "0.0"), &separation))
    separation = 0.0;
  if (NextField(fields, "") != "M") {
    qDebug("NMEA fGeoid_separation not in Meters");
    separation = 0.0;
  }
  double dgpsAge = 0.0;
  const bool ageOk = ScanDouble(NextField(fields, "0.0"), &dgpsAge);
  int dgpsStation = 0;
  const bool stationOk = ScanInt(NextField(fields, "0"), &dgpsStation);

  const bool latitudeGood = latitude.good && latitudeSign != 0;
  const bool longitudeGood = longitude.good && longitudeSign != 0;
  bool positionGood = latitudeGood && longitudeGood && qualityOk;

  if (TextGateOpen()) {
    if (time.converted)
      work.pvtText += QString::asprintf("%02d,%02d,%05.2f,", time.hours, time.minutes, time.seconds);
    if (latitudeGood) {
      work.pvtText += QString::asprintf("%02d,%06.6lf,%c,", latitude.degrees, latitude.minutes,
                                        latitudeSign > 0 ? 'N' : 'S');
      if (longitudeGood)
        work.pvtText += QString::asprintf("%02d,%06.6lf,%c,", longitude.degrees, longitude.minutes,
                                          longitudeSign > 0 ? 'E' : 'W');
    }
  }

  if (satellitesOk) {
    int fixStatus = 0;
    if (CurrentGpsMode == GpsModeUbloxNmea) {
      switch (quality) {
      case 1: fixStatus = 2; break;
      case 2: fixStatus = 3; break;
      case 6: fixStatus = 4; break;
      default: fixStatus = 0; break;
      }
    } else if (quality == 2) {
      fixStatus = 3;
    } else if (quality == 1 && satellites > 3) {
      fixStatus = 2;
    } else {
      fixStatus = satellites > 0 ? 1 : 0;
    }
    host_.SetFixStatus(fixStatus);
    host_.ShowSatsTracked(QString::asprintf("%1.1d Used", satellites));
    host_.SetSatsTracked(satellites);
  } else {
    positionGood = false;
  }

  double gpsHeight = 0.0, mslHeight = 0.0;
  Heights(altitude, separation, &gpsHeight, &mslHeight);

  if (altitudeOk && positionGood) {
    host_.ShowPosition(latitude.Value() * latitudeSign, longitude.Value() * longitudeSign,
                       gpsHeight, mslHeight);
    if (ageOk && stationOk)
      state_.dgpsInputState = quality == 2 ? 2 : 0;
  }
  return Tail(work, true);
}

bool NmeaDecoder::DecodeGllVtg(Work &work, QByteArray &last)
{
  if (Repeats(work.sentence, last))
    return true;
  return Tail(work, true);
}

bool NmeaDecoder::DecodeRmc(Work &work)
{
  if (Repeats(work.sentence, lastRmc_))
    return true;
  EndSatelliteBurst();

  QByteArray fields = StandardFields(work.sentence);
  const TimeOfDay time = ScanTimeOfDay(NextField(fields, "000000.00"));
  if (NextField(fields, "V") != "A")
    return true;
  const Angle latitude = ScanAngle(NextField(fields, "0000.0000"), false);
  const int latitudeSign = HemisphereSign(NextField(fields, ""), 'N', 'S');
  const Angle longitude = ScanAngle(NextField(fields, "00000.0000"), true);
  const int longitudeSign = HemisphereSign(NextField(fields, ""), 'E', 'W');
  double speed = 0.0, course = 0.0;
  const bool speedOk = ScanDouble(NextField(fields, "0.0"), &speed);
  if (speedOk)
    host_.SetSpeed(speed);
  const bool courseOk = ScanDouble(NextField(fields, "0.0"), &course);
  if (courseOk)
    host_.SetHeading(course);
  int day = 0, month = 0, year = 0;
  const bool dateOk =
      std::sscanf(NextField(fields, "010100").constData(), "%2d%2d%2d", &day, &month, &year) == 3 &&
      day >= 1 && day <= 31 && month >= 1 && month <= 12;
  year += year > 79 ? 1900 : 2000;

  const bool valid = time.good && latitude.good && latitudeSign != 0 && longitude.good &&
                     longitudeSign != 0 && speedOk && courseOk && dateOk;
  if (!valid)
    return Tail(work, false);

  // Within one second a ZDA takes precedence. Without 1PPS ticks nothing
  // clears the ZDA-this-second flag, so it lapses when no ZDA came lately.
  const bool zdaRecent = state_.zdaThisSecond &&
                         TimeSource::Current().MonotonicMs() - lastZdaMs_ <= ZdaPrecedenceMs;
  if (!zdaRecent)
    StoreReceiverTime(year, month, day, time.hours, time.minutes, time.seconds,
                      state_.rmcTickPending, "GPRMC");
  return Tail(work, true);
}

bool NmeaDecoder::DecodeGsa(Work &work)
{
  const QByteArray &sentence = work.sentence;
  const qint64 now = TimeSource::Current().MonotonicMs();
  if (now - lastGsaMs_ > BurstGapMs)
    gsaBurstCount_ = 0;
  lastGsaMs_ = now;

  // NMEA 4.10 ends the sentence with the GNSS system of its satellites.
  int end = sentence.lastIndexOf('*');
  if (end < 0)
    end = sentence.size();
  const int comma = sentence.lastIndexOf(',', end - 1);
  if (comma >= 0) {
    bool ok = false;
    const int system = sentence.mid(comma + 1, end - comma - 1).toInt(&ok, 10);
    if (ok && system >= 1 && system <= 6 && gsaBurstCount_ < MaxGsaEntries) {
      gsaSystemIds_[gsaBurstCount_] = system;
      gsaHasSatellites_[gsaBurstCount_] = sentence.size() >= 12 && sentence.at(11) >= '0' &&
                                          sentence.at(11) <= '9';
      ++gsaBurstCount_;
    }
  }

  if (Repeats(sentence, lastGsa_))
    return true;

  const QByteArray text = FillEmptyFields(sentence);
  char selection = 0;
  unsigned fixType = 0;
  unsigned ids[12];
  double pdop = 0, hdop = 0, vdop = 0;
  // Widths bound each number to its field (a one-digit fix mode, satellite
  // numbers of up to three digits): a longer field stops the scan and the
  // sentence is refused, never wrapped into a fix type.
  const int n = std::sscanf(text.constData(),
                            "$GPGSA,%c,%1u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%3u,%lf,%lf,%lf",
                            &selection, &fixType, &ids[0], &ids[1], &ids[2], &ids[3], &ids[4],
                            &ids[5], &ids[6], &ids[7], &ids[8], &ids[9], &ids[10], &ids[11], &pdop,
                            &hdop, &vdop);
  if (n != 17 || !std::isfinite(pdop) || !std::isfinite(hdop) || !std::isfinite(vdop))
    return Tail(work, false);

  const bool automatic = selection == 'A';
  QString fixText = QStringLiteral("No Fix");
  int navMode = 1;
  if (fixType == 2) {
    fixText = automatic ? QStringLiteral("2-D Fix (A)") : QStringLiteral("2-D Fix (M)");
    navMode = 2;
  } else if (fixType == 3) {
    fixText = automatic ? QStringLiteral("3-D Fix (A)") : QStringLiteral("3-D Fix (M)");
    navMode = 3;
  }
  host_.SetNavMode(navMode);
  host_.ShowSatsStatusMessage(fixText);

  if (host_.GetNavMode() == 3) {
    QString dopsText;
    if (pdop >= 99.0) {
      host_.SetDops(-1.0, -1.0, -1.0, -1.0, -1.0);
      dopsText = QStringLiteral("DOP not available (position hold)");
    } else {
      host_.SetDops(-1.0, pdop, hdop, vdop, -1.0);
      dopsText = QString::asprintf("PDOP = %3.1f, HDOP = %3.1f, VDOP = %3.1f", pdop, hdop, vdop);
    }
    host_.ShowSatsDopsMessage(dopsText);
  }
  return Tail(work, true);
}

int NmeaDecoder::MapIdentifier(int system, int id) const
{
  if (id < 1 || id > 64)
    return id;
  switch (system) {
  case 1:  // GPS; 33 to 64 are SBAS
    return id <= 32 ? id : id + 87;
  case 3:  // Galileo
    return id <= 36 ? id + 210 : id;
  case 4:  // BeiDou
    if (id <= 5)
      return id + 158;
    return id <= 37 ? id + 27 : id;
  case 5:  // QZSS
    return id <= 10 ? id + 192 : id;
  default:
    return id;
  }
}

bool NmeaDecoder::HoldsSignalGroup(int group) const
{
  for (int i = 0; i < signalGroupCount_; ++i) {
    if (signalGroups_[i] == group)
      return true;
  }
  return false;
}

bool NmeaDecoder::HoldsSatellite(int signal, int identifier) const
{
  return identifier > 0 && identifier < SatelliteArraySize &&
         heldSatellites_[size_t(signal + 1)].test(size_t(identifier));
}

int NmeaDecoder::GroupSystem(int groupIndex, const SatelliteRecord (&records)[4], int carried) const
{
  // The GSA entries of the burst in order (those without satellites skipped
  // when the last burst had fewer groups), then the satellites' own numbers.
  int system = 1;
  const bool skipEmpty = gsvGroupsInLastBurst_ > 0 && gsvGroupsInLastBurst_ < gsaBurstCount_;
  int countdown = groupIndex;
  for (int e = 0; e < gsaBurstCount_; ++e) {
    if (skipEmpty && !gsaHasSatellites_[e])
      continue;
    if (countdown == 0) {
      system = gsaSystemIds_[e];
      break;
    }
    --countdown;
  }
  for (int i = 0; i < carried; ++i) {
    if (records[i].identifier >= 38 && records[i].identifier <= 64)
      system = 1;
    else if (records[i].identifier >= 65 && records[i].identifier <= 96)
      system = 2;
  }
  return system;
}

void NmeaDecoder::StoreSatellite(const SatelliteRecord &record)
{
  if (record.cno > 0) {
    if (nextSignalSlot_ <= SatelliteSlots - 1)
      state_.satellites[nextSignalSlot_++] = record;
  } else if (nextNoSignalSlot_ >= nextSignalSlot_) {
    state_.satellites[nextNoSignalSlot_--] = record;
  }
}

bool NmeaDecoder::DecodeGsv(Work &work)
{
  if (Repeats(work.sentence, lastGsv_))
    return true;
  const QByteArray text = FillEmptyFields(work.sentence);

  int sentences = 0, number = 0, inView = 0;
  if (std::sscanf(text.constData(), "$GPGSV,%1d,%1d,%2d", &sentences, &number, &inView) != 3)
    return Tail(work, false);

  int id[4] = {0, 0, 0, 0}, elevation[4] = {0, 0, 0, 0}, azimuth[4] = {0, 0, 0, 0};
  unsigned cno[4] = {0, 0, 0, 0};
  int n = std::sscanf(text.constData(),
                      "$GPGSV,%*1d,%*1d,%*2d,%2d,%2d,%3d,%2u,%2d,%2d,%3d,%2u,%2d,%2d,%3d,%2u,%2d,"
                      "%2d,%3d,%2u",
                      &id[0], &elevation[0], &azimuth[0], &cno[0], &id[1], &elevation[1],
                      &azimuth[1], &cno[1], &id[2], &elevation[2], &azimuth[2], &cno[2], &id[3],
                      &elevation[3], &azimuth[3], &cno[3]);
  if (n < 0)
    n = 0;
  // A trailing identifier without its other fields is dropped.
  if (n % 4 == 1)
    --n;
  if (n % 4 != 0)
    return Tail(work, false);

  SatelliteRecord records[4];
  for (int i = 0; i < 4; ++i) {
    SatelliteRecord &r = records[i];
    if (i < n / 4) {
      r.identifier = id[i];
      r.elevation = elevation[i];
      r.azimuth = azimuth[i];
      r.cno = int(cno[i]);
    } else {
      r.identifier = 256;
    }
    if (r.cno != 0) {
      r.inChannel = 1;
      r.channelMode = 8;
      r.status = UbloxMode() ? 0x81 : 0x80;
    } else {
      r.inChannel = 0;
      r.channelMode = 9;
      r.status = 0;
    }
  }

  const qint64 now = TimeSource::Current().MonotonicMs();
  if (now - lastGsvMs_ > BurstGapMs) {
    UpdateVisibleCount();
    gsvAssemblyActive_ = false;
  }
  lastGsvMs_ = now;

  // A receiver's next burst begins with a group this one already holds.
  const int signal = GsvSignalId(text);
  const int signalGroup = (quint8(text.at(1)) << 16) | (quint8(text.at(2)) << 8) | signal;
  if (number == 1 && signal >= 0 && gsvAssemblyActive_ && HoldsSignalGroup(signalGroup)) {
    UpdateVisibleCount();
    gsvAssemblyActive_ = false;
  }

  // So does a satellite the burst already holds for this signal, whether or
  // not the new burst's first page came (a bad checksum, a receiver that
  // pages differently): without this a stream that never sends page 1
  // would fill one burst for ever.
  const int carried = qMin(4, inView - 4 * (number - 1));
  bool startsBurst = number == 1 && !gsvAssemblyActive_;
  if (!startsBurst) {
    const int system = GroupSystem(number == 1 ? gsvGroupIndex_ + 1 : gsvGroupIndex_, records, carried);
    for (const SatelliteRecord &r : records)
      startsBurst = startsBurst || HoldsSatellite(signal, MapIdentifier(system, r.identifier));
    if (startsBurst) {
      UpdateVisibleCount();
      gsvAssemblyActive_ = false;
    }
  }

  if (number == 1 || startsBurst) {
    groupRepeats_ = 0;
    if (!gsvAssemblyActive_) {
      for (int i = 0; i < SatelliteArraySize; ++i) {
        state_.satellites[i] = state_.blankRecord;
        state_.displaySatellites[i] = state_.blankRecord;
      }
      gsvAssemblyActive_ = true;
      nextSignalSlot_ = 0;
      nextNoSignalSlot_ = SatelliteSlots - 1;
      visibleSum_ = 0;
      gsvGroupIndex_ = 0;
      signalGroupCount_ = 0;
      listedSatellites_.reset();
      for (auto &held : heldSatellites_)
        held.reset();
    } else {
      ++gsvGroupIndex_;
    }
    if (signal >= 0 && !HoldsSignalGroup(signalGroup) && signalGroupCount_ < MaxSignalGroups)
      signalGroups_[signalGroupCount_++] = signalGroup;
  }

  const int system = GroupSystem(gsvGroupIndex_, records, carried);
  for (SatelliteRecord &r : records) {
    r.identifier = MapIdentifier(system, r.identifier);
    const bool real = r.identifier > 0 && r.identifier < SatelliteArraySize;
    // A further signal of a satellite already listed: the first group's
    // values stand.
    if (real && signal >= 0 && listedSatellites_.test(size_t(r.identifier))) {
      ++groupRepeats_;
      continue;
    }
    // A satellite twice in one sentence is kept once.
    if (HoldsSatellite(signal, r.identifier))
      continue;
    if (real) {
      listedSatellites_.set(size_t(r.identifier));
      heldSatellites_[size_t(signal + 1)].set(size_t(r.identifier));
    }
    r.trend = ElevationTrend(state_, r.identifier, r.elevation);
    StoreSatellite(r);
  }

  if (number == sentences) {
    visibleSum_ += inView - groupRepeats_;
    groupComplete_ = true;
    // Every constellation the GSA sentences announced has arrived.
    if (gsaBurstCount_ > 0 && gsvGroupIndex_ + 1 >= gsaBurstCount_)
      UpdateVisibleCount();
  }
  return Tail(work, true);
}

void NmeaDecoder::UpdateVisibleCount()
{
  if (!groupComplete_)
    return;
  groupComplete_ = false;
  gsvGroupsInLastBurst_ = gsvGroupIndex_ + 1;
  const QString text = QString::asprintf("%1.1d Visible", visibleSum_);
  if (text != lastVisibleText_) {
    lastVisibleText_ = text;
    host_.ShowSatsVisible(text);
    if (host_.ConfigTextToTicLog())
      host_.WriteTicLog(text);
  }
  host_.UpdateSatelliteTable();
}

void NmeaDecoder::EchoLine(Work &work, const QByteArray &line)
{
  work.statusText = QString::fromUtf8(line);
  // The line feed at the end is our own; the rest is the receiver's.
  const bool ownLineEnd = line.endsWith('\n');
  qDebug().noquote() << PeerTextForDebug(ownLineEnd ? line.chopped(1) : line) + (ownLineEnd ? "\n" : "");
  if (host_.HasIdWindow())
    host_.AppendIdText(work.statusText);
}

bool NmeaDecoder::DecodePgrmt(Work &work)
{
  // A receiver that answers with an unchanged status has still answered.
  state_.replyFlags.gotGarmin = true;
  if (Repeats(work.sentence, lastPgrmt_))
    return true;
  static const char *const labels[8] = {
      "",
      "ROM checksum test (P=pass, F=fail) = ",
      "Receiver failure? (P=pass, F=fail) = ",
      "Stored Data (L=lost, R=retained) = ",
      "Real time clock (L=lost, R=retained) = ",
      "Oscillator drift (P=pass, F=fail) = ",
      "Data collection (C = collecting) = ",
      "Board temperature (degrees C) = ",
  };
  QByteArray fields = ProprietaryFields(work.sentence);
  QByteArray text;
  for (const char *label : labels)
    text += label + NextField(fields, "") + '\n';
  if (host_.HasIdWindow())
    host_.AppendIdLines(QString::fromUtf8(text));
  return Tail(work, true);
}

bool NmeaDecoder::DecodePgrmi(Work &work)
{
  state_.replyFlags.gotGarmin = true;
  if (Repeats(work.sentence, lastPgrmi_))
    return true;
  QByteArray fields = ProprietaryFields(work.sentence);
  EchoLine(work, "$PRGMI Initialization Message:\n");

  const QByteArray latitude = NextField(fields, "0000.0000");
  const QByteArray latitudeHemisphere = NextField(fields, " ");
  EchoLine(work, "  Latitude = " + Head(latitude, 2) + " deg  " + latitude.mid(2) + " min " +
                     latitudeHemisphere + '\n');
  const QByteArray longitude = NextField(fields, "00000.0000");
  const QByteArray longitudeHemisphere = NextField(fields, " ");
  EchoLine(work, "  Longitude = " + Head(longitude, 3) + " deg  " + longitude.mid(3) + " min " +
                     longitudeHemisphere + '\n');
  const QByteArray date = NextField(fields, "000000");
  EchoLine(work, "  Day = " + Head(date, 2) + ", Month = " + date.mid(2, 2) +
                     ", Year = " + date.right(2) + '\n');
  const QByteArray time = NextField(fields, "000000");
  EchoLine(work, "  Hour = " + Head(time, 2) + ", Minute = " + time.mid(2, 2) +
                     ", Second = " + time.right(2) + '\n');
  EchoLine(work, "  Acq Reset = " + NextField(fields, "000000") + '\n');
  return Tail(work, true);
}

bool NmeaDecoder::DecodePgrmc(Work &work)
{
  state_.replyFlags.gotGarmin = true;
  if (Repeats(work.sentence, lastPgrmc_))
    return true;
  static const char *const items[12][2] = {
      {"  Fix Mode = ", ""},
      {"  Altitude (MSL) = ", " meters"},
      {"  Earth Datum Index = ", ""},
      {"  Semi-major axis = ", " meters"},
      {"  Inverse Flattening factor = ", ""},
      {"  Delta-X = ", ""},
      {"  Delta-Y = ", ""},
      {"  Delta-Z = ", ""},
      {"  Differential Mode = ", ""},
      {"  Baud Rate = ", ""},
      {"  Velocity Filter = ", ""},
      {"  Null field = ", ""},
  };
  QByteArray fields = ProprietaryFields(work.sentence);
  EchoLine(work, "$PGRMC Configuration Message:\n");
  for (const auto &item : items)
    EchoLine(work, item[0] + NextField(fields, " ") + item[1] + '\n');
  return Tail(work, true);
}

bool NmeaDecoder::DecodePgrmo(Work &work)
{
  state_.replyFlags.gotGarmin = true;
  if (Repeats(work.sentence, lastPgrmo_))
    return true;
  QByteArray fields = ProprietaryFields(work.sentence);
  const QByteArray target = NextField(fields, "NONE");
  const QByteArray mode = NextField(fields, " ");
  EchoLine(work, "$PGRMO: Target Sentence = " + target + ", " + "  Mode = " + mode + '\n');
  return Tail(work, true);
}
