#pragma once
// What a framer hands on: whole, checked messages, and the points between
// them where the port may place a pending 1PPS marker.

#include <QByteArray>

class FramerSink
{
public:
  virtual ~FramerSink() = default;

  // One complete message whose checksum passed.
  virtual void OnFramedMessage(const QByteArray &message) = 0;

  // The framer is between messages: nothing is half collected.
  virtual void OnMessageBoundary() {}
};
