#pragma once
// Every message box of the main window goes through one MessageBoxes object,
// so that another object can answer the boxes instead of a person.

#include <QMessageBox>
#include <QString>

struct MessageBoxRequest {
  QWidget *parent = nullptr;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  QString informativeText;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  // Plain text for texts that come from outside (a server, a file).
  Qt::TextFormat textFormat = Qt::AutoText;
};

class MessageBoxes {
public:
  virtual ~MessageBoxes();

  // Shows the box modally; returns the button that closed it.
  virtual QMessageBox::StandardButton Show(const MessageBoxRequest &request);
  // Shows the box and returns at once (modal to its parent window only):
  // nothing waits for its answer. It goes when it is closed.
  virtual void Post(const MessageBoxRequest &request);

  // Shorthands for the usual shapes.
  QMessageBox::StandardButton Warning(QWidget *parent, const QString &title, const QString &text);
  QMessageBox::StandardButton Question(QWidget *parent, const QString &title, const QString &text,
                                       QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton,
                                       const QString &informativeText = QString());

  // The boxes that real people answer.
  static MessageBoxes &Interactive();
};
