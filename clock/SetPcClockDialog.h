#pragma once
// The modal "Set PC Clock" dialog: how the PC clock follows the receiver.
// For now it only counts and remembers the clock settings it is told about.

#include <QDialog>
#include <QString>

class QLabel;

class SetPcClockDialog : public QDialog {
  Q_OBJECT

public:
  explicit SetPcClockDialog(QWidget *parent = nullptr);
  ~SetPcClockDialog() override;

  // Notes one setting of the PC clock at the time given as text.
  void ReportClockSet(const QString &when);

  int ClockResetCount() const { return clockResetCount; }
  QString LastClockSet() const { return lastClockSet; }

private:
  void ShowCounters();

  int clockResetCount = 0;
  QString lastClockSet;
  QLabel *countLabel = nullptr;
  QLabel *lastSetLabel = nullptr;
};
