#pragma once
// Cuts a counter's bytes into lines: each carriage return ends one line,
// which leaves as the port number, a blank and the printable bytes before
// it ("3 +1.234E-07"). Line feeds and other control bytes are dropped.

#include <QByteArray>
#include <QList>

class TicLineAssembler {
public:
  // Longest line kept; a longer one loses its beginning.
  static constexpr int MaxLineBytes = 256;

  explicit TicLineAssembler(int port = 0) : portNumber(port) {}
  void SetPort(int port) { portNumber = port; }

  // The lines that the block completes, in order.
  QList<QByteArray> Feed(const QByteArray &block);
  // Forgets a partial line.
  void Clear() { line.clear(); }

private:
  int portNumber = 0;
  QByteArray line;
};
