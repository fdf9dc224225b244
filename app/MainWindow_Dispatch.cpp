// Receiver message dispatch: every framed message and 1PPS marker from the
// receiver port goes to the decoder of the protocol mode in force and, as
// one text line, to the raw-data window and (for some modes) the GPS log.

#include "app/MainWindow.h"

#include "app/GpsRawDataDialog.h"
#include "app/MainWindowDecoderHost.h"
#include "app/MessageBoxes.h"
#include "core/GpsMode.h"
#include "receiver/decode/MessageRouting.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/decode/UbxDecoder.h"

DecoderHost &MainWindow::ReceiverDecoderHost()
{
  return *decoderHost;
}

QString MainWindow::DecodeMotorolaBinaryMessage(QByteArray message)
{
  return session->Decoders().oncore.Decode(message);
}

bool MainWindow::DecodeNmeaSentence(const QByteArray &sentence)
{
  return session->Decoders().nmea.Decode(sentence);
}

QString MainWindow::DecodeUbxMessage(const QByteArray &frame)
{
  return session->Decoders().ubx.Decode(frame);
}

void MainWindow::UpdateVisibleCount()
{
  session->Decoders().nmea.UpdateVisibleCount();
}

void MainWindow::OnNewGpsText(QByteArray message)
{
  if (message != QByteArray(PpsMarker))
    OnReceiverMessage();
  const bool rawWindowShown = gpsRawDataDialog && gpsRawDataDialog->isVisible();
  const RoutedMessage routed = session->Route(message, rawWindowShown);
  if (routed.toLog)
    appendPlainText_to_RawDataDialog_and_Log(routed.line);
  else if (rawWindowShown && !routed.line.isEmpty())
    gpsRawDataDialog->AppendText(routed.line);
}

void MainWindow::appendPlainText_to_RawDataDialog_and_Log(QString text)
{
  if (gpsRawDataDialog)
    gpsRawDataDialog->AppendText(text);
  if (gpsLogValues.type == 0)
    WriteGpsLog(text);
}

void MainWindow::OnNewTicText(QByteArray line)
{
  if (!state.closing)
    ProcessTicLine(line);
}

void MainWindow::showErrorMessageBox(QString text)
{
  // The counters open in the constructor: a box then would hold up the
  // window and the receiver search until someone answers it.
  if (!counterBoxesReleased) {
    if (!heldCounterBoxes.contains(text) && heldCounterBoxes.size() < 2 * TicPortCount)
      heldCounterBoxes.append(text);
    return;
  }
  messageBoxes->Warning(nullptr, QString(), text);
}
