#include "tic/TicScpi.h"

TicCounterModel IdentifyTicCounter(const QByteArray &greeting)
{
  if (greeting.contains("53220A") || greeting.contains("53230A"))
    return TicCounterModel::Counter5322xA;
  if (greeting.contains("BNC1105"))
    return TicCounterModel::Bnc1105;
  return TicCounterModel::Unknown;
}

QList<QByteArray> TicScpiSetup(TicCounterModel model)
{
  switch (model) {
  case TicCounterModel::Counter5322xA:
    return {"CONFigure:TINTerval (@1),(@2)\r\n",
            "INP1:PROB 1\r\n", "INP2:PROB 1\r\n",
            "INP1:IMP 50\r\n", "INP2:IMP 50\r\n",
            "INP1:COUP DC\r\n", "INP2:COUP DC\r\n",
            "INP1:FILT OFF\r\n", "INP2:FILT OFF\r\n",
            "INP1:SLOP POS\r\n", "INP2:SLOP POS\r\n",
            "INP1:NREJ OFF\r\n", "INP2:NREJ OFF\r\n",
            "INP1:LEV 1.0\r\n", "INP2:LEV 1.0\r\n",
            "INP1:RANG 5.0\r\n", "INP2:RANG 5.0\r\n",
            "SYST:COMM:LAN:CONT?\r\n",
            "DISP ON\r\n"};
  case TicCounterModel::Bnc1105:
    return {"CONF:TINT (@1),(@2)\r\n",
            "INP1:IMP 50\r\n", "INP2:IMP 50\r\n",
            "INP1:COUP DC\r\n", "INP2:COUP DC\r\n",
            "INP1:ATT 1\r\n", "INP2:ATT 1\r\n",
            "INP1:FILT OFF\r\n", "INP2:FILT OFF\r\n",
            "EVEN1:SLOP POS\r\n", "EVEN2:SLOP POS\r\n",
            "EVEN1:LEV:ABS:AUTO OFF\r\n", "EVEN2:LEV:ABS:AUTO OFF\r\n",
            "EVEN1:LEV 1.0\r\n", "EVEN2:LEV 1.0\r\n"};
  case TicCounterModel::Unknown:
    break;
  }
  return {};
}

void TicScpiPoll::Start(TicCounterModel model)
{
  queue = TicScpiSetup(model);
  pending.clear();
  promptDue = false;
}

TicScpiPoll::Step TicScpiPoll::Receive(const QByteArray &bytes)
{
  Step step;
  step.readings = Take(bytes);
  step.command = NextCommand();
  return step;
}

QList<QByteArray> TicScpiPoll::Take(const QByteArray &bytes)
{
  QList<QByteArray> readings;
  pending.append(bytes);
  // One pass over the bytes: a block of a fast counter holds thousands of
  // lines.
  qsizetype from = 0;
  for (qsizetype end = pending.indexOf('\r', from); end >= 0; end = pending.indexOf('\r', from)) {
    QByteArray line = pending.sliced(from, end - from);
    from = end + 1;
    // A counter that talks on by itself puts its next reading right after
    // the prompt.
    line.remove(0, line.lastIndexOf('>') + 1);
    line = line.trimmed();
    bool numeric = false;
    line.toDouble(&numeric);  // takes a blank line for a number
    if (numeric && !line.isEmpty())
      readings.append(line);
  }
  pending.remove(0, from);
  // The prompt ends the counter's answer: what came before it on the same
  // line is no reading, and must not stick to the next reply.
  const int prompt = pending.lastIndexOf('>');
  if (prompt >= 0)
    pending.remove(0, prompt + 1);
  if (pending.size() > MaxPendingBytes)
    pending.remove(0, pending.size() - MaxPendingBytes);
  if (bytes.contains('>'))
    promptDue = true;
  return readings;
}

QByteArray TicScpiPoll::NextCommand()
{
  if (!promptDue)
    return {};
  promptDue = false;
  return queue.isEmpty() ? QByteArray(TicReadingRequest) : queue.takeFirst();
}
