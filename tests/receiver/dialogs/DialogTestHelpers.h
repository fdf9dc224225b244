#pragma once
// Helpers for the receiver dialog tests: a recorder for the field-check
// warning boxes and a way to drive a modal exec() without blocking.

#include "fields/NumericFieldCheck.h"

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

namespace dialogtest {

struct Box {
  QString title;
  QString text;
};

inline QList<Box> &Boxes()
{
  static QList<Box> boxes;
  return boxes;
}

inline void RecordBox(QWidget *, const QString &title, const QString &text)
{
  Boxes().append({title, text});
}

// Replaces the warning boxes by the recorder and empties it.
inline void RecordBoxes()
{
  SetFieldWarningFunction(&RecordBox);
  Boxes().clear();
}

// Runs dialog.exec(); `during` runs inside the modal loop and must close the
// dialog. A watchdog rejects it after a few seconds so a fault cannot hang
// the test.
inline int ExecWith(QDialog &dialog, const std::function<void()> &during)
{
  QPointer<QDialog> guard(&dialog);
  QTimer::singleShot(0, &dialog, during);
  QTimer::singleShot(5000, &dialog, [guard] {
    if (guard && guard->isVisible())
      guard->reject();
  });
  return dialog.exec();
}

// Types into a line edit as a user would: clear, type, then leave it.
inline void TypeInto(QLineEdit *field, const QString &text)
{
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
}

inline void Leave(QLineEdit *field)
{
  emit field->editingFinished();
}

inline bool IsRed(QWidget *field)
{
  return field->styleSheet() == QLatin1String("color:red");
}

inline void ClearSettings()
{
  QSettings settings;
  settings.clear();
  settings.sync();
}

}  // namespace dialogtest
