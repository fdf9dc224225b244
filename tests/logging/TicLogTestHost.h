#pragma once
// A TicDataLogHost whose answers a test sets and whose questions and
// reports it records. The writer fakes are in GpsLogTestHost.h.

#include "logging/TicDataLog.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

namespace riduder::test {

class TicLogTestHost : public TicDataLogHost {
public:
  TicLogTestHost() { displayed.SetDateTime(QDateTime(QDate(2024, 2, 14), QTime(12, 34, 56), Qt::UTC)); }

  GpsDateTime DisplayedTime() const override { return displayed; }
  bool SawtoothCorrectionOff() const override { return sawtoothOff; }
  bool ConfirmReplace(const QString &fileName) override
  {
    replaceQuestions << fileName;
    return replaceAnswer;
  }
  bool ConfirmClose(const QString &setText) override
  {
    closeQuestions << setText;
    return closeAnswer;
  }
  void ReportProblem(const QString &text) override { problems << text; }
  void OpenStateChanged(bool open) override { openStates << open; }

  GpsDateTime displayed;
  bool sawtoothOff = false;
  bool replaceAnswer = true;
  bool closeAnswer = true;
  QStringList replaceQuestions;
  QStringList closeQuestions;
  QStringList problems;
  QList<bool> openStates;
};

}  // namespace riduder::test
