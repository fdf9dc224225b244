#pragma once
// The one check for the typed numeric fields of the settings dialogs: timing,
// coax calculator, satellite selection and averaging parameters.
//
// A field passes when its trimmed text is an optional "+" and digits (decimal
// fields: digits, optionally "." and digits; "." in every locale) whose value
// lies in the inclusive range. The range is tested first, on the first number
// found in the text, so "12000x" reports the range; anything before or after
// that number is extraneous ("-5" and "x12" are refused).

#include <QString>

class QWidget;

struct NumericFieldResult {
  enum Outcome {
    Accepted,
    Empty,        // empty or blank: fails without a message
    OutOfRange,   // "Numeric Error" box
    Extraneous,   // "Error" box
  };
  Outcome outcome = Empty;
  double value = 0.0;    // the number found (0 when none)
  QString title;         // box title, empty when no box is due
  QString message;       // box text
  bool ok() const { return outcome == Accepted; }
};

// Integer fields: range text "Field is out of range.\nMust be between %i and %i".
NumericFieldResult CheckIntegerField(const QString &text, int min, int max);
// Decimal fields: range text with "%.3f and %.3f".
NumericFieldResult CheckDecimalField(const QString &text, double min, double max);
// Decimal fields whose value must lie above `above` (exclusive) and at most
// `max`, reported with the caller's range text.
NumericFieldResult CheckDecimalFieldAbove(const QString &text, double above, double max,
                                          const QString &rangeText);

// The warning boxes go through this seam so that they can be recorded
// instead of blocking on a modal box. The default shows a modal
// QMessageBox::warning with one OK button.
using FieldWarningFunction = void (*)(QWidget *parent, const QString &title, const QString &text);
void SetFieldWarningFunction(FieldWarningFunction function);  // nullptr: the real box
void ShowFieldWarning(QWidget *parent, const QString &title, const QString &text);

// The result's box, when one is due and showMessages is set, then ok().
bool ReportFieldCheck(QWidget *parent, const NumericFieldResult &result, bool showMessages);

// Sets a field's text colour by a silent check ("color:black"/"color:red").
void MarkFieldValid(QWidget *field, bool valid);
