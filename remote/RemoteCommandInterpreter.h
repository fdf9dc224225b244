#pragma once
// The commands of the remote-control client: "$DAREZ," sentences (and the
// bare "EXIT") that the server accepted, carried out one line at a time and
// answered through the host. A reply echoes the command's fields as sent,
// each followed by ",", then a result word or value. No command ever opens
// a window: every failure is answered on the connection.

#include "position/CoordinateText.h"

#include <QByteArray>
#include <QString>

// The two kinds of counter data sentences a client can ask for.
enum class TicDataKind { Time, Average };

// What the commands need of the program around them.
class RemoteCommandHost {
public:
  virtual ~RemoteCommandHost();

  // One reply line to the client (the server appends CR LF).
  virtual void SendReply(const QByteArray &reply) = 0;
  // EXIT: drops the client and listens again on the link's port.
  virtual void RestartServer() = 0;
  // A log was closed: the client's next line, when it came with this one,
  // is carried out before any reading reaches the closed log's place.
  virtual void CarryOutNextLineAtOnce() = 0;
  virtual QString VersionText() const = 0;

  // The stored reference location as the comma-separated text (notation 4).
  virtual QString ReferencePositionText() const = 0;
  // Stores a new reference location and moves the sidereal times to it.
  virtual void SetReferenceLocation(const GeoPosition &position) = 0;

  // TICDATA: 0 sends no more sentences of the kind, -1 every one.
  virtual void SetTicDataCount(TicDataKind kind, int count) = 0;
  // The last row of the kind; empty while none has come.
  virtual QByteArray LastTicDataLine(TicDataKind kind) const = 0;

  // The GPS data log: its type (0 to 4) in memory, and the log itself.
  virtual int GpsLogType() const = 0;
  virtual void SetGpsLogType(int type) = 0;
  virtual bool GpsLogOpen() const = 0;
  virtual QString GpsLogFileName() const = 0;
  // Opens in mode 0 (create), 2 (replace) or 3 (append); asks nothing.
  virtual bool OpenGpsLogFile(int mode) = 0;
  // Closes without asking; true when a log was open.
  virtual bool CloseGpsLogFile() = 0;

  // The TIC log set.
  virtual bool TicLogOpen() const = 0;
  // The full name of the set's first file (port 1's average file).
  virtual QString TicLogFirstFileName() const = 0;
  // Opens in mode 0, 2 or 3 from the stored settings; asks nothing.
  virtual bool OpenTicLogFiles(int mode) = 0;
  // Closes without asking; true when the set was open.
  virtual bool CloseTicLogFiles() = 0;
  // The TIC options were stored: the counter rows follow them from now.
  virtual void TicLogOptionsStored() = 0;
};

// Reply words and texts of the commands.
namespace RemoteReplies {
inline constexpr char Unknown[] = "UNKNOWN";
inline constexpr char BadOption[] = "BADOPTION";
inline constexpr char Error[] = "ERROR";
inline constexpr char Disconnected[] = "DISCONNECTED";
inline constexpr char Created[] = "CREATED";
inline constexpr char Opened[] = "OPENED";
inline constexpr char Closed[] = "CLOSED";
inline constexpr char Failed[] = "FAILED";
inline constexpr char NoFileName[] = "NOFILENAME";
}  // namespace RemoteReplies

class RemoteCommandInterpreter {
public:
  // Limits on a remote TIC log name.
  static constexpr int MaxTicNameBytes = 128;
  static constexpr int MaxTicPrefixLength = 64;

  explicit RemoteCommandInterpreter(RemoteCommandHost &host);

  // Carries out one accepted line (without CR and checksum) and answers it.
  void OnTelnetCommand(QByteArray line);

  // The prefix a remote TIC log name stands for, or an empty string when
  // the name is refused: it must be a bare file name whose prefix (its day
  // tail and extension cut) is 1 to 64 letters, digits, "_" or "-".
  static QString TicLogPrefixOfName(const QByteArray &name);

private:
  void Version(QByteArray &line, QByteArray reply);
  void RefLoc(QByteArray &line, QByteArray reply);
  void TicData(QByteArray &line, QByteArray reply);
  void Log(QByteArray &line, QByteArray reply);
  void TicLog(QByteArray &line, QByteArray reply);
  void TicLogNewOrOpen(QByteArray &line, QByteArray reply, bool newLog);
  void Exit();

  RemoteCommandHost &host;
};
