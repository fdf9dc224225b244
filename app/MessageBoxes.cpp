#include "app/MessageBoxes.h"

MessageBoxes::~MessageBoxes() = default;

QMessageBox::StandardButton MessageBoxes::Show(const MessageBoxRequest &request)
{
  QMessageBox box(request.icon, request.title, request.text, request.buttons, request.parent);
  box.setTextFormat(request.textFormat);
  if (!request.informativeText.isEmpty())
    box.setInformativeText(request.informativeText);
  if (request.defaultButton != QMessageBox::NoButton)
    box.setDefaultButton(request.defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MessageBoxes::Warning(QWidget *parent, const QString &title,
                                                  const QString &text)
{
  MessageBoxRequest request;
  request.parent = parent;
  request.icon = QMessageBox::Warning;
  request.title = title;
  request.text = text;
  return Show(request);
}

QMessageBox::StandardButton MessageBoxes::Question(QWidget *parent, const QString &title,
                                                   const QString &text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton,
                                                   const QString &informativeText)
{
  MessageBoxRequest request;
  request.parent = parent;
  request.icon = QMessageBox::Question;
  request.title = title;
  request.text = text;
  request.informativeText = informativeText;
  request.buttons = buttons;
  request.defaultButton = defaultButton;
  return Show(request);
}

MessageBoxes &MessageBoxes::Interactive()
{
  static MessageBoxes boxes;
  return boxes;
}
