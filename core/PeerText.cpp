#include "core/PeerText.h"

QString PeerTextForDebug(const QByteArray &text)
{
  static constexpr char Hex[] = "0123456789abcdef";
  QByteArray shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown.append(c);
      continue;
    }
    const char escaped[] = {'\\', 'x', Hex[byte >> 4], Hex[byte & 0x0f]};
    shown.append(escaped, sizeof escaped);
  }
  return QString::fromLatin1(shown);
}
