#include "fields/NumericFieldCheck.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QWidget>

namespace {

void ShowWarningBox(QWidget *parent, const QString &title, const QString &text)
{
  QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

FieldWarningFunction warningFunction = &ShowWarningBox;

QString Translate(const char *text)
{
  return QCoreApplication::translate("NumericFieldCheck", text);
}

// The shared part of both checks: the first number in the trimmed text is
// range-tested, then anything around it is extraneous.
template <typename InRange>
NumericFieldResult Check(const QString &text, const QRegularExpression &number, InRange inRange,
                         const QString &rangeText)
{
  NumericFieldResult result;
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty())
    return result;  // Empty: fails without a message

  const QRegularExpressionMatch match = number.match(trimmed);
  bool extraneous = true;
  if (match.hasMatch()) {
    result.value = match.captured(0).toDouble();
    extraneous = match.capturedStart(0) != 0 || match.capturedEnd(0) != trimmed.size();
  }

  if (!inRange(result.value)) {
    result.outcome = NumericFieldResult::OutOfRange;
    result.title = Translate("Numeric Error");
    result.message = rangeText;
  } else if (extraneous) {
    result.outcome = NumericFieldResult::Extraneous;
    result.title = Translate("Error");
    result.message = Translate("Extraineous characters in the field.");
  } else {
    result.outcome = NumericFieldResult::Accepted;
  }
  return result;
}

const QRegularExpression &DecimalNumber()
{
  static const QRegularExpression number(QStringLiteral("[+]?[0-9]+(?:\\.[0-9]+)?"));
  return number;
}

}  // namespace

NumericFieldResult CheckIntegerField(const QString &text, int min, int max)
{
  static const QRegularExpression number(QStringLiteral("[+]?[0-9]+"));
  return Check(text, number, [min, max](double v) { return v >= min && v <= max; },
               QString::asprintf(Translate("Field is out of range.\nMust be between %i and %i").toUtf8().constData(),
                                 min, max));
}

NumericFieldResult CheckDecimalField(const QString &text, double min, double max)
{
  return Check(text, DecimalNumber(), [min, max](double v) { return v >= min && v <= max; },
               QString::asprintf(Translate("Field is out of range.\nMust be between %.3f and %.3f").toUtf8().constData(),
                                 min, max));
}

NumericFieldResult CheckDecimalFieldAbove(const QString &text, double above, double max,
                                          const QString &rangeText)
{
  return Check(text, DecimalNumber(), [above, max](double v) { return v > above && v <= max; }, rangeText);
}

void SetFieldWarningFunction(FieldWarningFunction function)
{
  warningFunction = function ? function : &ShowWarningBox;
}

void ShowFieldWarning(QWidget *parent, const QString &title, const QString &text)
{
  warningFunction(parent, title, text);
}

bool ReportFieldCheck(QWidget *parent, const NumericFieldResult &result, bool showMessages)
{
  if (showMessages && !result.title.isEmpty())
    ShowFieldWarning(parent, result.title, result.message);
  return result.ok();
}

void MarkFieldValid(QWidget *field, bool valid)
{
  field->setStyleSheet(valid ? QStringLiteral("color:black") : QStringLiteral("color:red"));
}
