#pragma once
// The conversation with a counter on TCP/IP: the model its greeting names,
// the SCPI set-up of that model, and the polling driven by the counter's
// prompt ">": each prompt is answered with the next set-up command or, once
// they are all sent, with a reading request. Numeric reply lines are the
// readings.

#include <QByteArray>
#include <QList>

enum class TicCounterModel {
  Unknown,
  Counter5322xA,  // "53220A" or "53230A"
  Bnc1105,
};

// The model a greeting line names.
TicCounterModel IdentifyTicCounter(const QByteArray &greeting);

// TicScpiSetup: the set-up commands of a model, each ending in CR LF, in
// the order they are sent; none for an unknown model.
QList<QByteArray> TicScpiSetup(TicCounterModel model);

inline constexpr char TicReadingRequest[] = "READ?\r\n";

class TicScpiPoll {
public:
  // Bytes kept of a reply still without its carriage return.
  static constexpr int MaxPendingBytes = 256;

  // Queues the model's set-up commands in place of anything left.
  void Start(TicCounterModel model);

  struct Step {
    QList<QByteArray> readings;  // numeric reply lines, without white space around
    QByteArray command;          // to write now; empty: nothing
  };
  // Takes newly received bytes. A reading split over several calls is kept
  // until its carriage return arrives.
  Step Receive(const QByteArray &bytes);

  // The same in two halves, for a reader that takes several blocks in one
  // pass and answers once: Take gives the readings the bytes complete and
  // notes a prompt among them; NextCommand is the answer to the prompts
  // noted since it last gave one (empty when there was none).
  QList<QByteArray> Take(const QByteArray &bytes);
  QByteArray NextCommand();
  bool PromptDue() const { return promptDue; }

  int QueuedCommands() const { return queue.size(); }

private:
  QList<QByteArray> queue;
  QByteArray pending;
  bool promptDue = false;
};
