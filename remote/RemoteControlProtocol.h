#pragma once
// The wire format of the remote-control link: the greeting, the rule that
// decides whether a line may be carried out, and the cutting of what a
// client sends into CR-terminated lines. Plain code, no sockets.

#include <QByteArray>
#include <QtGlobal>

namespace RemoteControlProtocol {
inline constexpr char Greeting[] = "Hello client, this is Riduder.\r\n";
inline constexpr char Rejected[] = " ???";
inline constexpr quint16 DefaultPort = 32325;

// Whether `line` (without its CR) may be carried out. A correct or wrong
// "*hh" suffix is removed from `line` either way, so a rejection shows the
// line without it.
bool CheckLine(QByteArray &line);
}  // namespace RemoteControlProtocol

// Cuts a client's bytes into lines ended by CR. LF and NUL right after a
// line's CR are dropped (a telnet client's line end), and so are further
// CRs in the same read. A line longer than MaxLineBytes is discarded up to
// its CR; its start is handed out once, as soon as it is too long.
class RemoteLineFramer {
public:
  static constexpr int MaxLineBytes = 4096;
  // The part of a discarded line that is handed out.
  static constexpr int RejectedLineShown = 64;

  struct Item {
    enum Kind { Line, Overlong };
    Kind kind = Line;
    QByteArray text;
  };

  // Takes the bytes of one read. The bytes of the previous read must have
  // been worked off (Next returned false) first.
  void Append(const QByteArray &bytes);
  // The next line (without its CR) or overlong line start; false when the
  // bytes taken so far end no more lines.
  bool Next(Item &item);
  // Forgets everything, for a new client.
  void Clear();

private:
  // The bytes of the last read and how far they have been framed.
  QByteArray input;
  qsizetype at = 0;
  // What no CR has ended yet (at most MaxLineBytes).
  QByteArray buffer;
  // Discarding an overlong line until its CR.
  bool discarding = false;
  // The last byte framed was a line's CR.
  bool afterCr = false;
  bool crInThisRead = false;
};
