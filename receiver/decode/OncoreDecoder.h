#pragma once
// Decoder of Motorola Oncore binary messages. One framed message ("@@", the
// two identifier letters and the parameters, without checksum and CR LF) in,
// one text line out; on the way it updates the shared receiver state and
// reports time, position, status, satellites and log rows to its host.
//
// The frame: a prologue (awaited-reply match, rejection of non-Oncore bytes,
// binary log record, line start), a table of handlers by identifier, and a
// common tail that finishes the line and hands the rows to the logs.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class DecoderHost;
struct OncoreEcho;
struct OncorePositionLayout;
struct ReceiverState;

class OncoreDecoder {
public:
  OncoreDecoder(ReceiverState &state, DecoderHost &host);

  // Decodes one message. Returns an empty line for bytes that are not an
  // Oncore message; otherwise a line ending in "\n".
  QString Decode(const QByteArray &message);

private:
  // The per-call texts of one message.
  struct Work {
    const QByteArray &message;
    QString line;        // the result; starts as the identifier and a blank
    QString pvtRow;      // a row for the PVT log
    QString configText;  // text for the TIC configuration log
  };
  using Handler = void (OncoreDecoder::*)(Work &);
  struct HandlerEntry {
    char first;
    char second;
    int minimumLength;  // bytes the handler reads; shorter is undecoded
    Handler handler;
  };
  static const HandlerEntry *FindHandler(char first, char second);
  static const HandlerEntry handlerTable[];

  // Position, channels and status: "@@Ea", "@@Ba" and "@@Ha" through one
  // table of their layouts.
  void DecodeEa(Work &work);
  void DecodeBa(Work &work);
  void DecodeHa(Work &work);
  void DecodePositionStatus(Work &work, const OncorePositionLayout &layout);
  void StorePositionChannels(const QByteArray &m, const OncorePositionLayout &layout);
  void ShowHaStatus(const QByteArray &m, const OncorePositionLayout &layout);
  void ShowEaBaStatus(const QByteArray &m, const OncorePositionLayout &layout);
  void DecodeHb(Work &work);
  void DecodeHr(Work &work);
  void DecodeEq(Work &work);
  void DecodeBb(Work &work);
  void DecodeBk(Work &work);
  void DecodeEk(Work &work);
  void DecodeDops(Work &work, bool ek);
  void DecodeBg(Work &work);
  void DecodeEg(Work &work);
  void DecodeChannelTimes(Work &work, bool eg);
  void DecodeCj(Work &work);

  // T-RAIM and 1PPS status.
  void DecodeBn(Work &work);
  void DecodeEn(Work &work);
  void DecodeTraim68(Work &work, bool en);
  void DecodeHn(Work &work);
  void FinishTraim(Work &work, bool waitForIdWindow);
  // Whether the T-RAIM line has a reader: the window or a log, the
  // identification window's one echo, or (6 and 8 channels) the TIC
  // configuration log.
  bool TraimTextWanted(bool toConfigLog) const;
  // UTC, leap seconds, almanac, ephemeris and corrections.
  void DecodeBj(Work &work);
  void DecodeBo(Work &work);
  void DecodeGj(Work &work);
  void DecodeBd(Work &work);
  void DecodeCb(Work &work);
  void DecodeBf(Work &work);
  void DecodeCc(Work &work);
  void DecodeCe(Work &work);
  void DecodeCk(Work &work);
  void DecodeCo(Work &work);
  // Self tests; each result returns the receiver to position fixes.
  void DecodeCa(Work &work);
  void DecodeFa(Work &work);
  void DecodeIa(Work &work);
  void DecodeIr(Work &work);
  void FinishSelfTest(Work &work, const QString &text);
  // Setting echoes and the other messages of one shape: see OncoreEchoes.h.
  void DecodeEcho(Work &work, const OncoreEcho &echo);

  // Stores the message's date-time (bytes 4 to 14) as the receiver time and
  // runs the clock step when no 1PPS tick came; false when it is impossible.
  bool StoreReceiverTime(const QByteArray &message, bool roundSeconds, bool advanceOneSecond);
  // The C/No of a channel's signal level for the current model.
  static int ChannelCNo(int signalLevel);
  // Whether the field texts and rows are built (raw-data window or log).
  bool TextGateOpen() const;
  bool AnyTimeHoldActive() const;

  ReceiverState &state_;
  DecoderHost &host_;
};
