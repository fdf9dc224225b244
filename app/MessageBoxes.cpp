#include "app/MessageBoxes.h"

MessageBoxes::~MessageBoxes() = default;

namespace {

void Fill(QMessageBox &box, const MessageBoxRequest &request)
{
  box.setTextFormat(request.textFormat);
  if (!request.informativeText.isEmpty())
    box.setInformativeText(request.informativeText);
  if (request.defaultButton != QMessageBox::NoButton)
    box.setDefaultButton(request.defaultButton);
}

}  // namespace

QMessageBox::StandardButton MessageBoxes::Show(const MessageBoxRequest &request)
{
  QMessageBox box(request.icon, request.title, request.text, request.buttons, request.parent);
  Fill(box, request);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxes::Post(const MessageBoxRequest &request)
{
  auto *box = new QMessageBox(request.icon, request.title, request.text, request.buttons, request.parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  Fill(*box, request);
  box->open();
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
