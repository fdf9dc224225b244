#include "tic/TicLineAssembler.h"

#include <QChar>

QList<QByteArray> TicLineAssembler::Feed(const QByteArray &block)
{
  QList<QByteArray> lines;
  for (const char c : block) {
    if (c == '\r') {
      lines.append(QByteArray::number(portNumber) + ' ' + line);
      line.clear();
    } else if (QChar::fromLatin1(c).isPrint()) {
      if (line.size() >= MaxLineBytes)
        line.clear();
      line.append(c);
    }
  }
  return lines;
}
