#pragma once
// A MessageBoxes that nobody has to click: it records every box and answers
// with the button a test chose (Ok unless told otherwise).

#include "app/MessageBoxes.h"

#include <QList>

#include <functional>

namespace riduder::test {

class RecordingMessageBoxes : public MessageBoxes {
public:
  QMessageBox::StandardButton Show(const MessageBoxRequest &request) override
  {
    shown.append(request);
    if (onShow)
      onShow(request);
    return answer;
  }
  void Post(const MessageBoxRequest &request) override { posted.append(request); }

  QList<MessageBoxRequest> shown;
  // The boxes shown without waiting for an answer.
  QList<MessageBoxRequest> posted;
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  std::function<void(const MessageBoxRequest &)> onShow;
};

}  // namespace riduder::test
