#include "remote/RemoteControlProtocol.h"

#include "receiver/link/Checksums.h"

bool RemoteControlProtocol::CheckLine(QByteArray &line)
{
  const qsizetype size = line.size();
  if (size >= 4 && line.at(size - 3) == '*') {
    // The first byte (normally "$") is not summed.
    const bool ok = NmeaStarChecksumMatches(line);
    line.chop(3);
    return ok;
  }
  if (line.contains('*'))
    return false;
  if (line.contains(',') && (line.startsWith("$GP") || line.startsWith("$PZQK")))
    return true;
  // The interpreter's own sentences need no checksum either.
  if (line.startsWith("$DAREZ,"))
    return true;
  return line == "EXIT";
}

void RemoteLineFramer::Append(const QByteArray &bytes)
{
  input = bytes;
  at = 0;
  crInThisRead = false;
}

bool RemoteLineFramer::Next(Item &item)
{
  const qsizetype size = input.size();
  while (at < size) {
    if (afterCr) {
      const char c = input.at(at);
      if (c == '\n' || c == '\0' || (c == '\r' && crInThisRead)) {
        ++at;
        continue;
      }
      afterCr = false;
    }
    const qsizetype cr = input.indexOf('\r', at);
    const qsizetype end = cr < 0 ? size : cr;
    bool overlong = false;
    if (!discarding) {
      if (buffer.size() + (end - at) > MaxLineBytes) {
        buffer.append(input.constData() + at, qMin<qsizetype>(end - at, RejectedLineShown));
        item.kind = Item::Overlong;
        item.text = buffer.left(RejectedLineShown);
        buffer.clear();
        discarding = true;
        overlong = true;
      } else {
        buffer.append(input.constData() + at, end - at);
      }
    }
    if (cr < 0) {
      at = size;
      if (overlong)
        return true;
      break;
    }
    at = cr + 1;
    afterCr = true;
    crInThisRead = true;
    if (discarding) {
      // The CR ends the discarded line.
      discarding = false;
      if (overlong)
        return true;
      continue;
    }
    item.kind = Item::Line;
    item.text = buffer;
    buffer.clear();
    return true;
  }
  input.clear();
  at = 0;
  return false;
}

void RemoteLineFramer::Clear()
{
  input.clear();
  at = 0;
  buffer.clear();
  discarding = false;
  afterCr = false;
  crInThisRead = false;
}
