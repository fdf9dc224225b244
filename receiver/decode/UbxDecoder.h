#pragma once
// Decoder of u-blox UBX frames. One whole frame (B5 62, class, identifier,
// length, payload, CK_A, CK_B) in, one text line out; on the way it updates
// the shared receiver state and reports time, position, status, satellites,
// the identification and log rows to its host.
//
// The frame: an entry check, the binary log record, a dispatch on the class
// and then on the identifier and payload length (one table of messages with
// their layout and wording), and a common tail that ends the line and hands
// the fields text to the PVT log. Every field is read from inside the
// payload; a message whose payload does not have the length its layout
// needs is shown undecoded and changes nothing.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

class DecoderHost;
struct ReceiverState;

class UbxDecoder {
public:
  UbxDecoder(ReceiverState &state, DecoderHost &host);

  // Decodes one frame. Returns an empty line for bytes that are not a whole
  // UBX frame and for an unknown UPD identifier; otherwise a line ending in
  // "\n".
  QString Decode(const QByteArray &frame);

  // The CFG-MSG command (without checksum) that sets the TIM-SVIN output
  // rate to 0 on the port it arrives on; sent when the receiver reports a
  // time-only fix.
  static QByteArray StopSurveyInOutputCommand();

  // Line-break indent of the NAV-SVINFO channel texts after the eighth.
  static constexpr int SvinfoIndent = 30;

  // How the field texts read a payload field.
  enum class FieldType { U1, U2, U4, I1, I2, I4, Ratio, Bool, PortName };
  struct Field {
    int offset;
    FieldType type;
    double divisor = 0.0;  // non-zero: the value is shown as value / divisor
  };

private:
  struct Work;
  using Handler = void (UbxDecoder::*)(Work &);
  enum class LengthRule { Exactly, AtLeast };
  struct MessageEntry {
    quint8 messageClass;
    quint8 identifier;
    const char *name;
    LengthRule rule;
    int length;               // payload bytes the layout needs
    const char *format;       // fields text; nullptr when the handler builds it
    std::vector<Field> fields;
    Handler handler;          // effects besides the text; may be nullptr
  };
  static const std::vector<MessageEntry> &MessageTable();
  static const MessageEntry *FindMessage(quint8 messageClass, quint8 identifier, int length);
  static QString FormatFields(const char *format, const std::vector<Field> &fields,
                              const Work &work);

  void DecodeNavPosllh(Work &work);
  void DecodeNavStatus(Work &work);
  void DecodeNavDop(Work &work);
  void DecodeNavTimeutc(Work &work);
  void DecodeNavSvinfo(Work &work);
  void DecodeMonVer(Work &work);
  void DecodeMonHw(Work &work);
  void DecodeAidHui(Work &work);
  void DecodeCfgTp5(Work &work);
  void DecodeTimTp(Work &work);
  void DecodeTimSvin(Work &work);

  // Whether the field texts are built (raw-data window or log).
  bool TextGateOpen() const;

  ReceiverState &state_;
  DecoderHost &host_;
  // The fix type of the last NAV-STATUS (-1 before the first), and whether a
  // TIM-SVIN came while it was a time-only fix, so that the command that
  // stops TIM-SVIN goes out once per entry into that fix and again only
  // while the receiver keeps sending TIM-SVIN.
  int lastGpsFix_ = -1;
  bool surveyInSeenInTimeOnlyFix_ = false;
};
