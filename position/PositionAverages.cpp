#include "position/PositionAverages.h"

#include "core/GpsDateTime.h"
#include "core/GpsMode.h"
#include "core/StoredSetting.h"
#include "receiver/decode/GpsRxModel.h"  // the model constants only

#include <QDebug>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>
#include <cmath>

namespace {

const QString kRefLatitude = QLatin1String(GpsNavKeys::RefLatitude);
const QString kRefLongitude = QLatin1String(GpsNavKeys::RefLongitude);
const QString kRefGpsAltitude = QLatin1String(GpsNavKeys::RefGpsAltitude);
const QString kRefMslAltitude = QLatin1String(GpsNavKeys::RefMslAltitude);
const QString kRefLocOnStart = QLatin1String(GpsNavKeys::RefLocOnStart);
const QString kPositionLimit = QLatin1String(GpsNavKeys::PositionWeightLimit);
const QString kRmsLimit = QLatin1String(GpsNavKeys::RmsWeightLimit);
const QString kTimingLimit = QLatin1String(GpsNavKeys::TimingWeightLimit);
const QString kUseDopWeighting = QLatin1String(GpsNavKeys::UseDopWeighting);
const QString kHdopWeight = QLatin1String(GpsNavKeys::HdopWeight);
const QString kVdopWeight = QLatin1String(GpsNavKeys::VdopWeight);
const QString kTdopWeight = QLatin1String(GpsNavKeys::TdopWeight);
const QString kRestartOnUnlock = QLatin1String(GpsNavKeys::RestartOnUnlock);
const QString kRestartOnStartup = QLatin1String(GpsNavKeys::RestartOnStartup);
const QString kAvgPosition = QLatin1String(GpsNavKeys::AveragesPosition);
const QString kAvgWeights = QLatin1String(GpsNavKeys::AveragesWeights);
const QString kRmsLat = QLatin1String(GpsNavKeys::RmsLat);
const QString kRmsLng = QLatin1String(GpsNavKeys::RmsLng);
const QString kRms2D = QLatin1String(GpsNavKeys::Rms2D);
const QString kRmsMsl = QLatin1String(GpsNavKeys::RmsMsl);
const QString kRmsAlt = QLatin1String(GpsNavKeys::RmsAlt);

constexpr double kMetresPerDegree = 111111.1;
constexpr double kMaxMeanSquare = 1e10;

QString Coordinate(double v) { return QString::asprintf("%018.16f", v); }

// A stored number in minValue..maxValue, the default when the key is
// missing; a value outside, nan or inf is replaced by the fallback, which is
// written back in the key's format.
double ReadNumber(QSettings &settings, const QString &key, double defaultValue, double minValue, double maxValue,
                  double fallback, const char *format)
{
  if (const std::optional<double> v = CheckedStoredNumber(settings, key, defaultValue, minValue, maxValue))
    return *v;
  settings.setValue(key, QString::asprintf(format, fallback));
  return fallback;
}

// Takes the next number off the front of a stored text; false when none.
bool ParseNumbers(QString &text, double *value)
{
  static const QRegularExpression re(
      QStringLiteral("(^|[ \\t])([-+]?([0-9]+\\.[0-9]*|\\.[0-9]+|[0-9]+))"));
  text = text.trimmed();
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch()) {
    *value = 0.0;
    return false;
  }
  *value = m.captured(2).toDouble();
  text = text.mid(m.capturedEnd(0));
  return true;
}

void ReadMeanSquares(QSettings &settings, const QString &key, ErrorTriple *triple)
{
  QString text = settings.value(key).toString();
  double *values[3] = {&triple->refAvg, &triple->avgCur, &triple->refCur};
  for (double *v : values) {
    ParseNumbers(text, v);
    if (!(std::isfinite(*v) && *v >= 0.0 && *v <= kMaxMeanSquare))
      *v = 0.0;
  }
}

QString TripleText(const ErrorTriple &t)
{
  return QString::asprintf("%018.16f %018.16f %018.16f", t.refAvg, t.avgCur, t.refCur);
}

ErrorTriple RootsOf(const ErrorTriple &ms)
{
  return {std::sqrt(ms.refAvg), std::sqrt(ms.avgCur), std::sqrt(ms.refCur)};
}

// A counter read from the settings, kept within [1, limit].
double ClampedCounter(double counter, double limit)
{
  if (!std::isfinite(counter) || counter < 1.0)
    return 1.0;
  return std::max(1.0, std::min(counter, limit));
}

// Altitudes a site can have, in metres.
constexpr double MinAltitude = -1000.0;
constexpr double MaxAltitude = 100000.0;
// Also refuses NaN.
bool IsAltitude(double v) { return v >= MinAltitude && v <= MaxAltitude; }

bool IsFinite(const GeoPosition &p)
{
  return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::isfinite(p.gpsAltitude) &&
         std::isfinite(p.mslAltitude);
}

}  // namespace

const char *const PositionAverages::NoTimingSolutionText =
    "No Timing Solution. Not enough satellites tracked.";

GeoPosition PositionAverages::DefaultReferenceLocation()
{
  // The transit circle of the Royal Observatory, Greenwich.
  GeoPosition p;
  p.latitude = 51.4778;
  p.longitude = -0.0015;
  p.gpsAltitude = 92.0;
  p.mslAltitude = 46.0;
  return p;
}

PositionAverages::PositionAverages() = default;

void PositionAverages::Initialize()
{
  SetLockOptionDefaults();
  LoadSettings();
  LoadAverages();
  if (!continueOnRestart_)
    ResetAverages();
  SetTimingErrorInputs(500.0, 500.0);
}

void PositionAverages::SetLockOptionDefaults()
{
  restartOnUnlock_ = false;
  continueOnRestart_ = true;
}

QString PositionAverages::UpdateAverages(double latitude, double longitude, double gpsAltitude,
                                         double mslAltitude, int gpsModeSetting)
{
  const GeoPosition fix{latitude, longitude, gpsAltitude, mslAltitude};
  if (!IsFinite(fix))
    return QString();
  current_ = fix;
  // Receivers report zeros until they know where they are.
  if (fix.latitude != 0.0 || fix.longitude != 0.0)
    positionReported_ = true;
  Average(gpsModeSetting);
  return MaidenheadLocator();
}

QString PositionAverages::MaidenheadLocator() const
{
  return ::MaidenheadLocator(current_.latitude, current_.longitude);
}

double PositionAverages::StepCounter(double counter, double limit)
{
  double next = counter < limit ? counter + 1.0 : limit;
  next = std::min(next, CounterCeiling);
  // A limit below 1 (or a broken one) must not leave a counter to divide by
  // that is 0 or less.
  if (!(next >= 1.0))
    next = 1.0;
  return next;
}

double PositionAverages::WeightedUpdate(double value, double sample, double weight, double counter)
{
  return (std::max(0.0, counter - weight) * value + std::min(weight, counter) * sample) / counter;
}

double PositionAverages::SampleWeight(double referenceDop, double dop) const
{
  if (useDopWeighting_ && dop > 0.0) {
    const double r = referenceDop / dop;
    return r * r;
  }
  return 1.0;
}

void PositionAverages::Average(int gpsModeSetting)
{
  if (!locked_) {
    if (restartOnUnlock_ && !resetPending_) {
      // The lock losses are counted across restarts of the averages.
      const qint32 unlocks = unlockCounter_;
      ResetAverages();
      unlockCounter_ = unlocks;
    }
    if (!noTimingTextShown_) {
      timeAccuracyText_ = QString::fromLatin1(NoTimingSolutionText);
      noTimingTextShown_ = true;
    }
    return;
  }

  noTimingTextShown_ = false;
  timingCounter_ = StepCounter(timingCounter_, timingLimit_);
  UpdateTsigma(gpsModeSetting, SampleWeight(tdopWeight_, tdop_));

  if (resetPending_) {
    average_ = current_;
    resetPending_ = false;
  }

  const bool fixHasPosition = navMode_ == 2 || navMode_ == 3;
  if (!wasAveraging_ && !fixHasPosition)
    return;

  positionCounter_ = StepCounter(positionCounter_, positionLimit_);
  if (navMode_ == 3)
    altitudeCounter_ = StepCounter(altitudeCounter_, positionLimit_);
  rmsCounter_ = StepCounter(rmsCounter_, rmsLimit_);

  const double wp = SampleWeight(hdopWeight_, hdop_);
  const double wp1 = std::min(wp, positionCounter_);
  average_.latitude = WeightedUpdate(average_.latitude, current_.latitude, wp, positionCounter_);
  average_.longitude = WeightedUpdate(average_.longitude, current_.longitude, wp, positionCounter_);

  const auto distances = [](double scale, double ref, double avg, double cur) {
    return ErrorTriple{scale * (ref - avg), scale * (avg - cur), scale * (ref - cur)};
  };
  errors_.latitude = distances(metresPerDegLat_, reference_.latitude, average_.latitude, current_.latitude);
  errors_.longitude = distances(metresPerDegLon_, reference_.longitude, average_.longitude, current_.longitude);
  errors_.twoD = {std::hypot(errors_.latitude.refAvg, errors_.longitude.refAvg),
                  std::hypot(errors_.latitude.avgCur, errors_.longitude.avgCur),
                  std::hypot(errors_.latitude.refCur, errors_.longitude.refCur)};

  const auto accumulate = [this](const ErrorTriple &terms, double weight, ErrorTriple *ms, ErrorTriple *rms) {
    ms->refAvg = WeightedUpdate(ms->refAvg, terms.refAvg * terms.refAvg, weight, rmsCounter_);
    ms->avgCur = WeightedUpdate(ms->avgCur, terms.avgCur * terms.avgCur, weight, rmsCounter_);
    ms->refCur = WeightedUpdate(ms->refCur, terms.refCur * terms.refCur, weight, rmsCounter_);
    *rms = RootsOf(*ms);
  };
  accumulate(errors_.latitude, wp1, &meanSquares_.latitude, &rms_.latitude);
  accumulate(errors_.longitude, wp1, &meanSquares_.longitude, &rms_.longitude);
  accumulate(errors_.twoD, 1.0, &meanSquares_.twoD, &rms_.twoD);
  horizontalTermsHeld_ = true;

  if (navMode_ == 3) {
    const double wv = SampleWeight(vdopWeight_, vdop_);
    const double wv1 = std::min(wv, altitudeCounter_);
    average_.gpsAltitude = WeightedUpdate(average_.gpsAltitude, current_.gpsAltitude, wv, altitudeCounter_);
    average_.mslAltitude = WeightedUpdate(average_.mslAltitude, current_.mslAltitude, wv, altitudeCounter_);
    errors_.gpsAltitude = distances(1.0, reference_.gpsAltitude, average_.gpsAltitude, current_.gpsAltitude);
    errors_.mslAltitude = distances(1.0, reference_.mslAltitude, average_.mslAltitude, current_.mslAltitude);
    accumulate(errors_.mslAltitude, wv1, &meanSquares_.mslAltitude, &rms_.mslAltitude);
    accumulate(errors_.gpsAltitude, wv1, &meanSquares_.gpsAltitude, &rms_.gpsAltitude);
    altitudeTermsHeld_ = true;
  }

  if (fixHasPosition)
    averagesHeld_ = true;
  wasAveraging_ = fixHasPosition;
  if (!wasAveraging_)
    qDebug("Averaging just stopped with one pass after Nav set to 0D\n");
}

void PositionAverages::UpdateTsigma(int gpsModeSetting, double timingWeight)
{
  if (satsTracked_ < 1) {
    timeAccuracyText_.clear();
    return;
  }
  const double n = satsTracked_;
  // Unknowns of the solution: position and time, horizontal position and
  // time, or time alone.
  const double k = gpsModeSetting == 0 ? 4.0 : gpsModeSetting == 1 ? 3.0 : 1.0;
  const double dof = n > k ? n - k + 0.5 : 0.5;
  tsigma_ = std::sqrt(errorS_ * k / dof);
  tsigmaAverage_ = WeightedUpdate(tsigmaAverage_, tsigma_, timingWeight, timingCounter_);
  tsigmaMax_ = tsigmaMax_ <= 0.0 ? tsigma_ : std::max(tsigmaMax_, tsigma_);
  if (!(tsigmaMin_ > 0.0 && tsigmaMin_ <= tsigma_))
    tsigmaMin_ = tsigma_;
  timeAccuracyText_ = QString::asprintf("Tsigma %03.0f nsec (max %3.0f, average %3.0f, min %3.0f)", tsigma_,
                                        tsigmaMax_, tsigmaAverage_, tsigmaMin_);
}

void PositionAverages::ResetAverages()
{
  average_ = current_;
  errors_ = ErrorTerms();
  positionCounter_ = altitudeCounter_ = rmsCounter_ = timingCounter_ = 1.0;
  tsigma_ = tsigmaMax_ = tsigmaMin_ = -1.0;
  tsigmaAverage_ = 0.0;
  unlockCounter_ = 0;
  meanSquares_ = ErrorTerms();
  rms_ = ErrorTerms();
  resetPending_ = true;
  averagesHeld_ = false;
  horizontalTermsHeld_ = altitudeTermsHeld_ = meanSquaresRestored_ = false;
  ApplyProtocolRestrictions();
}

void PositionAverages::ApplyProtocolRestrictions()
{
  // The Oncore binary receivers other than the VP report no DOPs to weight by.
  const bool oncoreBinary = receiverMode_ == GpsModeMotorolaBinary || receiverMode_ == GpsModeMotorolaBinaryRxOnly;
  if (oncoreBinary && receiverModel_ != GpsRxModel::VP) {
    useDopWeighting_ = false;
    dopWeightingBlocked_ = true;
  }
}

void PositionAverages::ReloadSettings() { LoadSettings(); }

void PositionAverages::SetReceiver(quint32 gpsMode, qint32 model)
{
  receiverMode_ = gpsMode;
  receiverModel_ = model;
}

void PositionAverages::SetTimingErrorInputs(double a, double b)
{
  errorA_ = a;
  errorB_ = b;
  errorS_ = a * a + b * b;
}

int PositionAverages::LockStatusText(unsigned gpsModeSetting, const GpsDateTime &receiverTime)
{
  const qint32 n = satsTracked_;
  const bool unlocked = (gpsModeSetting <= 1 && n < 3) || (gpsModeSetting == 2 && n <= 0);
  if (unlocked) {
    if (locked_) {
      ++unlockCounter_;
      locked_ = false;
      lockedSinceText_.clear();
    }
    return 0;
  }
  if (!locked_) {
    locked_ = true;
    lockedSinceText_ = receiverTime.toString(QStringLiteral("dd-MMM-yyyy HH:mm:ss")) + QStringLiteral(" UTC");
  }
  return 1;
}

void PositionAverages::SetDops(double g, double p, double h, double v, double t)
{
  if (g >= 0.0)
    gdop_ = g;
  if (p >= 0.0)
    pdop_ = p;
  if (h >= 0.0)
    hdop_ = h;
  if (v >= 0.0)
    vdop_ = v;
  if (t >= 0.0)
    tdop_ = t;
}

QString PositionAverages::DopsText() const
{
  const double dops[5] = {gdop_, pdop_, hdop_, vdop_, tdop_};
  const char *const formats[5] = {"G=%03.1f ", "P=%03.1f ", "H=%03.1f ", "V=%03.1f ", "T=%03.1f "};
  QString text;
  for (int i = 0; i < 5; ++i) {
    if (dops[i] > 0.0) {
      if (text.isEmpty())
        text = QStringLiteral("DOPs: ");
      text += QString::asprintf(formats[i], dops[i]);
    }
  }
  return text;
}

void PositionAverages::SetSatsTracked(qint32 n)
{
  if (n >= 0)
    satsTracked_ = n;
}

void PositionAverages::SetSpeed(double speed)
{
  if (speed >= 0.0)
    speed_ = speed;
}

void PositionAverages::SetHeading(double heading)
{
  if (heading >= 0.0)
    heading_ = heading;
}

void PositionAverages::SetFixStatus(qint32 status)
{
  if (status >= -1)
    fixStatus_ = status;
}

void PositionAverages::SetMetresPerDegree()
{
  metresPerDegLat_ = kMetresPerDegree;
  metresPerDegLon_ = std::cos(reference_.latitude * 0.0174533) * kMetresPerDegree;
}

void PositionAverages::SetReferenceLocation(const GeoPosition &reference)
{
  reference_ = reference;
  SetMetresPerDegree();
  QSettings settings;
  settings.setValue(kRefLatitude, Coordinate(reference_.latitude));
  settings.setValue(kRefLongitude, Coordinate(reference_.longitude));
  settings.setValue(kRefGpsAltitude, Coordinate(reference_.gpsAltitude));
  settings.setValue(kRefMslAltitude, Coordinate(reference_.mslAltitude));
  settings.setValue(kRestartOnUnlock, restartOnUnlock_);
  settings.setValue(kRestartOnStartup, continueOnRestart_);
}

bool PositionAverages::ReferenceLocationStored()
{
  const QSettings settings;
  return settings.contains(kRefLatitude) && settings.contains(kRefLongitude) &&
         settings.contains(kRefGpsAltitude) && settings.contains(kRefMslAltitude);
}

void PositionAverages::SetDopWeights(double hdop, double vdop, double tdop)
{
  hdopWeight_ = hdop;
  vdopWeight_ = vdop;
  tdopWeight_ = tdop;
}

void PositionAverages::SetWeightLimits(double position, double rms, double timing)
{
  positionLimit_ = position;
  rmsLimit_ = rms;
  timingLimit_ = timing;
}

void PositionAverages::ResetPositionFilter()
{
  positionCounter_ = altitudeCounter_ = 1.0;
  average_ = current_;
  // The current fix is the new average, also on a receiver in position hold
  // whose fixes are not averaged; before any fix there is nothing to hold.
  averagesHeld_ = positionReported_;
}

void PositionAverages::ResetRmsFilter() { rmsCounter_ = 1.0; }

void PositionAverages::ResetTimingFilter()
{
  timingCounter_ = 1.0;
  tsigmaMax_ = tsigmaMin_ = tsigmaAverage_ = tsigma_;
}

void PositionAverages::ResetAllFilters()
{
  ResetPositionFilter();
  ResetRmsFilter();
  ResetTimingFilter();
}

void PositionAverages::LoadSettings()
{
  QSettings settings;
  const GeoPosition home = DefaultReferenceLocation();
  // A missing key reads as the default site's value as its stored text gives it.
  const auto site = [](double v) { return Coordinate(v).toDouble(); };
  reference_.latitude = ReadNumber(settings, kRefLatitude, site(home.latitude), -90.0, 90.0, 0.0, "%018.16f");
  reference_.longitude = ReadNumber(settings, kRefLongitude, site(home.longitude), std::nextafter(-180.0, 0.0),
                                    180.0, 0.0, "%018.16f");
  reference_.gpsAltitude = ReadNumber(settings, kRefGpsAltitude, site(home.gpsAltitude), MinAltitude, MaxAltitude,
                                      0.0, "%018.16f");
  reference_.mslAltitude = ReadNumber(settings, kRefMslAltitude, site(home.mslAltitude), MinAltitude, MaxAltitude,
                                      0.0, "%018.16f");
  // The longitude distances need the scale of the reference latitude from
  // the first fix on, not only after the reference is next set.
  SetMetresPerDegree();
  refLocOnStart_ = settings.value(kRefLocOnStart, true).toBool();

  positionLimit_ = ReadNumber(settings, kPositionLimit, DefaultPositionWeightLimit, 1.0, CounterCeiling,
                              DefaultPositionWeightLimit, "%08.1f");
  rmsLimit_ = ReadNumber(settings, kRmsLimit, DefaultRmsWeightLimit, 1.0, CounterCeiling, DefaultRmsWeightLimit,
                         "%08.1f");
  timingLimit_ = ReadNumber(settings, kTimingLimit, DefaultTimingWeightLimit, 1.0, CounterCeiling,
                            DefaultTimingWeightLimit, "%08.1f");

  useDopWeighting_ = settings.value(kUseDopWeighting, true).toBool() && !dopWeightingBlocked_;
  // A weight of 0 would freeze the averages.
  const double minWeight = std::nextafter(0.0, 1.0);
  hdopWeight_ = ReadNumber(settings, kHdopWeight, DefaultHdopWeight, minWeight, 99.0, DefaultHdopWeight, "%04.1f");
  vdopWeight_ = ReadNumber(settings, kVdopWeight, DefaultVdopWeight, minWeight, 99.0, DefaultVdopWeight, "%04.1f");
  tdopWeight_ = ReadNumber(settings, kTdopWeight, DefaultTdopWeight, minWeight, 99.0, DefaultTdopWeight, "%04.1f");

  restartOnUnlock_ = settings.value(kRestartOnUnlock, true).toBool();
  continueOnRestart_ = settings.value(kRestartOnStartup, false).toBool();

  ApplyProtocolRestrictions();
}

void PositionAverages::LoadAverages()
{
  QSettings settings;

  QString text = settings.value(kAvgPosition).toString();
  bool complete = ParseNumbers(text, &average_.latitude);
  complete = ParseNumbers(text, &average_.longitude) && complete;
  complete = ParseNumbers(text, &average_.gpsAltitude) && complete;
  complete = ParseNumbers(text, &average_.mslAltitude) && complete;
  if (!complete || !(average_.latitude >= -90.0 && average_.latitude <= 90.0) ||
      !(average_.longitude >= -180.0 && average_.longitude <= 180.0) || !IsAltitude(average_.gpsAltitude) ||
      !IsAltitude(average_.mslAltitude)) {
    // Damaged averages are never shown: the next locked pass starts afresh.
    average_ = current_;
    resetPending_ = true;
  }

  text = settings.value(kAvgWeights).toString();
  double counters[4];
  for (double &c : counters)
    ParseNumbers(text, &c);
  positionCounter_ = ClampedCounter(counters[0], positionLimit_);
  altitudeCounter_ = ClampedCounter(counters[1], positionLimit_);
  rmsCounter_ = ClampedCounter(counters[2], rmsLimit_);
  timingCounter_ = ClampedCounter(counters[3], timingLimit_);

  ReadMeanSquares(settings, kRmsLat, &meanSquares_.latitude);
  ReadMeanSquares(settings, kRmsLng, &meanSquares_.longitude);
  ReadMeanSquares(settings, kRms2D, &meanSquares_.twoD);
  ReadMeanSquares(settings, kRmsMsl, &meanSquares_.mslAltitude);
  ReadMeanSquares(settings, kRmsAlt, &meanSquares_.gpsAltitude);
  rms_.latitude = RootsOf(meanSquares_.latitude);
  rms_.longitude = RootsOf(meanSquares_.longitude);
  rms_.twoD = RootsOf(meanSquares_.twoD);
  rms_.mslAltitude = RootsOf(meanSquares_.mslAltitude);
  rms_.gpsAltitude = RootsOf(meanSquares_.gpsAltitude);
  averagesHeld_ = !resetPending_;
  meanSquaresRestored_ = averagesHeld_;
}

void PositionAverages::SaveSettings()
{
  QSettings settings;
  settings.setValue(kPositionLimit, QString::asprintf("%08.1f", positionLimit_));
  settings.setValue(kRmsLimit, QString::asprintf("%08.1f", rmsLimit_));
  settings.setValue(kTimingLimit, QString::asprintf("%08.1f", timingLimit_));
  settings.setValue(kUseDopWeighting, useDopWeighting_);
  settings.setValue(kHdopWeight, QString::asprintf("%04.1f", hdopWeight_));
  settings.setValue(kVdopWeight, QString::asprintf("%04.1f", vdopWeight_));
  settings.setValue(kTdopWeight, QString::asprintf("%04.1f", tdopWeight_));
  settings.setValue(kRestartOnUnlock, restartOnUnlock_);
  settings.setValue(kRestartOnStartup, continueOnRestart_);
  settings.setValue(kRefLocOnStart, refLocOnStart_);
}

void PositionAverages::SaveAverages()
{
  QSettings settings;
  // Averages that hold no sample are none: stored, they would pull the next
  // run's averages towards them.
  settings.setValue(kAvgPosition, !averagesHeld_ ? QString()
                                                : QString::asprintf("%018.16f %018.16f %018.16f %018.16f",
                                                                    average_.latitude, average_.longitude,
                                                                    average_.gpsAltitude, average_.mslAltitude));
  settings.setValue(kAvgWeights, QString::asprintf("%018.16f %018.16f %018.16f %018.16f", positionCounter_,
                                                   altitudeCounter_, rmsCounter_, timingCounter_));
  settings.setValue(kRmsLat, TripleText(meanSquares_.latitude));
  settings.setValue(kRmsLng, TripleText(meanSquares_.longitude));
  settings.setValue(kRms2D, TripleText(meanSquares_.twoD));
  settings.setValue(kRmsMsl, TripleText(meanSquares_.mslAltitude));
  settings.setValue(kRmsAlt, TripleText(meanSquares_.gpsAltitude));
}
