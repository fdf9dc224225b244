#include "clock/PcClockSettings.h"

#include "core/StoredSetting.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>

qint64 PcClockSettings::MaxCorrectionSeconds(bool on, int quantity, int units)
{
  if (!on)
    return 0;
  // 64-bit, so a large stored quantity can't wrap into a small or negative limit.
  const qint64 q = quantity;
  switch (units) {
  case MaxUnitHours:
    return q * 3600;
  case MaxUnitMinutes:
    return q * 60;
  case MaxUnitSeconds:
    return q;
  default:
    return 0;
  }
}

void PcClockSettings::ReadThreshold(QSettings &settings, bool *on, int *ms)
{
  *on = settings.value(PcClockKeys::DeltaOn, false).toBool();
  const QVariant stored = settings.value(PcClockKeys::DeltaMs, PcClockDeltaMsMin);
  bool ok = false;
  *ms = stored.toInt(&ok);
  if (!ok || *ms < PcClockDeltaMsMin || *ms > PcClockDeltaMsMax) {
    // As the dialog's field does with such a threshold: a rule of 0 ms, or
    // a negative one, would set the clock on every pass.
    NoteUnusableStoredSetting(QString::fromLatin1(PcClockKeys::DeltaMs), stored);
    *ms = PcClockDeltaMsMin;
    *on = false;
  }
}

int PcClockSettings::ReadMaxQuantity(QSettings &settings)
{
  return ReadStoredInt(settings, QString::fromLatin1(PcClockKeys::MaxQuantity), PcClockMaxQuantityDefault, 0,
                       PcClockMaxQuantityMax, MissingKey::Leave, BadValue::Leave);
}

PcClockSettings PcClockSettings::Read(QSettings &settings)
{
  PcClockSettings s;
  s.mode = settings.value(PcClockKeys::Mode, 0).toInt();
  if (s.mode < SyncOnce || s.mode > SyncEveryDay)
    s.mode = SyncDisable;

  ReadThreshold(settings, &s.deltaOn, &s.deltaMs);

  const int quantity = ReadMaxQuantity(settings);
  const int units = settings.value(PcClockKeys::MaxUnits, 0).toInt();
  const bool maxOn = settings.value(PcClockKeys::MaxOn, false).toBool();
  s.maxSeconds = MaxCorrectionSeconds(maxOn, quantity, units);
  return s;
}

PcClockSettings PcClockSettings::Load(QSettings &settings, const std::function<void(const QString &)> &warn)
{
  PcClockSettings s = Read(settings);
  if (s.mode == SyncDisable)
    return s;

  QString error;
  if (SystemClock::Current().EnableSetTimePrivilege(&error))
    return s;

  qDebug() << "Failed to adjust privileges";
  if (warn)
    warn(PrivilegeWarningText(error.trimmed()));
  s.mode = SyncDisable;
  settings.setValue(PcClockKeys::Mode, s.mode);
  return s;
}

QString PcClockSettings::PrivilegeWarningText(const QString &error)
{
  auto tr = [](const char *text) { return QCoreApplication::translate("PcClockSettings", text); };
  return tr("<b>Riduder cannot set the system time</b><br/>because it cannot get the Set System Time "
            "Privilege.<br/>") +
         tr("System Error: <br/>") + QLatin1Char('"') + error.toHtmlEscaped() + QLatin1Char('"') +
         tr("<p><b>Disabling system clock synchronization.</b><br/>Use Set PC Clock on the main menu to "
            "re-enable.</p>") +
         tr("<p>To correct, give the program the Linux capability CAP_SYS_TIME: run it as root, or "
            "grant the capability to the program file once with ") +
         QStringLiteral("\"sudo setcap cap_sys_time+ep %1\".<br/>")
             .arg(QCoreApplication::applicationFilePath().toHtmlEscaped()) +
         tr("The capability must be granted again whenever the program file is replaced, for "
            "example by an update.</p>");
}
