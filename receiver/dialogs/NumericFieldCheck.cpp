#include "receiver/dialogs/NumericFieldCheck.h"
NumericFieldResult CheckIntegerField(const QString &, int, int) { return {}; }
NumericFieldResult CheckDecimalField(const QString &, double, double) { return {}; }
void SetFieldWarningFunction(FieldWarningFunction) {}
void ShowFieldWarning(QWidget *, const QString &, const QString &) {}
bool ReportFieldCheck(QWidget *, const NumericFieldResult &r, bool) { return r.ok(); }
void MarkFieldValid(QWidget *, bool) {}
