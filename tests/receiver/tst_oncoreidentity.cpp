#include "TestMain.h"

#include "RecordingDecoderHost.h"

#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/OncoreDecoder.h"

#include <memory>

using riduder::test::RecordingDecoderHost;

namespace {

struct Piece {
  int offset;
  QByteArray text;
};

// A "@@Cj" answer: blanks with the given texts at their byte offsets.
QByteArray Cj(const QList<Piece> &pieces, int length = 291)
{
  QByteArray m(length, ' ');
  m.replace(0, 4, "@@Cj");
  for (const Piece &p : pieces)
    m.replace(p.offset, p.text.size(), p.text);
  return m.left(length);
}

// The Motorola layout: lines of 28 bytes, the version values at 84 and
// 112, "MODEL # " at 153 so the model field starts at 161.
QByteArray Motorola(const QByteArray &model, const QByteArray &version = "1",
                    const QByteArray &revision = "2", QList<Piece> more = {})
{
  QList<Piece> pieces{
      {4, "COPYRIGHT 1991-2000 MOTOROLA INC.\r\n"},
      {41, "SFTW P/N # 61-G10268A\r\n"},
      {69, "SOFTWARE VER # " + version},
      {95, "\r\n"},
      {97, "SOFTWARE REV # " + revision},
      {123, "\r\n"},
      {125, "SOFTWARE DATE  NOV 22 2000\r\n"},
      {153, "MODEL # " + model},
      {179, "\r\n"},
      {181, "HWDR P/N # 2\r\n"},
      {209, "SERIAL #   SSG0226726\r\n"},
      {237, "MANUFACTUR DATE 0K08\r\n"},
      {265, "OPTIONS LIST    IB\r\n"},
  };
  return Cj(pieces + more);
}

QByteArray Synergy(const QByteArray &model, const QByteArray &version,
                   const QByteArray &revision, QList<Piece> more = {})
{
  QList<Piece> pieces{{4, "COPYRIGHT 2017 Synergy Systems LLC\r\n"},
                      {69, "SOFTWARE VER # " + version},
                      {97, "SOFTWARE REV # " + revision},
                      {125, "SOFTWARE DATE  2019-05-01\r\n"},
                      {153, "MODEL # " + model}};
  return Cj(pieces + more);
}

}  // namespace

class TestOncoreIdentity : public QObject {
  Q_OBJECT

private slots:
  void init() { ResetProgramWideState(); }

  void families_data()
  {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<double>("version");
    QTest::addColumn<int>("plus");  // 0 none, 1 "+", 2 "++"
    QTest::addColumn<bool>("nmeaMode");

    auto motorola = [](const char *row, const QByteArray &field, int model, const char *name) {
      QTest::newRow(row) << Motorola(field) << model << QString::fromLatin1(name)
                         << QStringLiteral("1.2") << 1.2 << 0 << true;
    };
    motorola("M12 P1", "P121T12T11", GpsRxModel::M12, "M12");
    motorola("M12 P, sixth T", "P0000T1234", GpsRxModel::M12, "M12");
    motorola("P2 with sixth T is M12", "P2000T", GpsRxModel::M12, "M12");
    motorola("M12+ P2", "P2000A1234", GpsRxModel::M12Plus, "M12+");
    motorola("M12M P3", "P3000A1234", GpsRxModel::M12M, "M12M");
    motorola("short field never matches c5", "P2T", GpsRxModel::M12Plus, "M12+");
    motorola("GT R1, sixth N", "R1121N1114", GpsRxModel::GT, "GT");
    motorola("UT R1", "R1121U1114", GpsRxModel::UT, "UT");
    motorola("GT+ R3", "R3111G1112", GpsRxModel::GTPlus, "GT+");
    motorola("GT+ R4", "R4111G1112", GpsRxModel::GTPlus, "GT+");
    motorola("UT+ R5", "R5122U1115", GpsRxModel::UTPlus, "UT+");
    motorola("SL R6", "R6111S1112", GpsRxModel::SL, "SL");
    motorola("XT A1", "A1121P1155", GpsRxModel::XT, "XT");
    motorola("VP6 B1", "B1121P1155", GpsRxModel::VP6, "VP6");
    motorola("VP6 B2", "B2121P1155", GpsRxModel::VP6, "VP6");
    motorola("VP B3", "B3121P1155", GpsRxModel::VP, "VP");
    motorola("VP B4", "B4121P1155", GpsRxModel::VP, "VP");
    motorola("VP B8", "B8121P1155", GpsRxModel::VP, "VP");
    motorola("VP NS", "NS121P1155", GpsRxModel::VP, "VP");
    motorola("VP T8", "T8121P1155", GpsRxModel::VP, "VP");
    motorola("PVT6", "PVT6-1234", GpsRxModel::PVT6, "PVT6");
    motorola("IL is M12M", "IL000A1234", GpsRxModel::M12M, "M12M");
    motorola("unknown code is M12M", "ZZ000A1234", GpsRxModel::M12M, "M12M");

    // Synergy: the model name in the text, variants by "+" and "++".
    QTest::newRow("SSR-6Tf++ 4.21") << Synergy("SSR-6Tf++", "V4", "21")
                                    << int(GpsRxModel::Ssr6Tf) << "SSR-6Tf" << "V4.21" << 4.21
                                    << 2 << true;
    QTest::newRow("SSR-6Tf+ 4.20") << Synergy("SSR-6Tf+", "V4", "20") << int(GpsRxModel::Ssr6Tf)
                                   << "SSR-6Tf" << "V4.20" << 4.20 << 1 << false;
    QTest::newRow("SSR-6Tf plain") << Synergy("SSR-6Tf", "5", "0") << int(GpsRxModel::Ssr6Tf)
                                   << "SSR-6Tf" << "5.0" << 5.0 << 0 << true;
    QTest::newRow("SSR-6Tr++") << Synergy("SSR-6Tr++", "V4", "30") << int(GpsRxModel::Ssr6Tr)
                               << "SSR-6Tr" << "V4.30" << 4.30 << 2 << true;
    QTest::newRow("SSR-M8F always ++") << Synergy("SSR-M8F", "V4", "10")
                                       << int(GpsRxModel::SsrM8F) << "SSR-M8F" << "V4.10" << 4.10
                                       << 2 << false;
    QTest::newRow("SSR-M8T always ++") << Synergy("SSR-M8T", "V4", "21")
                                       << int(GpsRxModel::SsrM8T) << "SSR-M8T" << "V4.21" << 4.21
                                       << 2 << true;
    QTest::newRow("SYNERGY capitals, ++ at 170")
        << Cj({{4, "SYNERGY SYSTEMS"}, {84, "4"}, {112, "25"}, {153, "MODEL # XY-"},
               {170, "SSR-6Tf++"}})
        << int(GpsRxModel::Ssr6Tf) << "SSR-6Tf" << "4.25" << 4.25 << 2 << true;
    QTest::newRow("SSR-6Tf before byte 161 is not seen")
        << Synergy("XY-1", "4", "21", {{100, "SSR-6Tf++"}}) << int(GpsRxModel::M12M) << "M12M"
        << "4.21" << 4.21 << 0 << true;

    // Version numbers: the last number of the text wins.
    QTest::newRow("two numbers") << Motorola("P121T12T11", "1 2", "") << int(GpsRxModel::M12)
                                 << "M12" << "1 2." << 2.0 << 0 << true;
    QTest::newRow("no digits") << Motorola("P121T12T11", "AB", "CD") << int(GpsRxModel::M12)
                               << "M12" << "AB.CD" << 0.0 << 0 << true;
    QTest::newRow("signed") << Motorola("P121T12T11", "X-3", "5") << int(GpsRxModel::M12)
                            << "M12" << "X-3.5" << -3.5 << 0 << true;

    // Placement of "MODEL # ".
    QTest::newRow("MODEL # at 172 is read")
        << Cj({{4, "MOTOROLA"}, {172, "MODEL # "}, {180, "R5122U1115"}})
        << int(GpsRxModel::UTPlus) << "UT+" << "." << 0.0 << 0 << true;
    QTest::newRow("no MODEL #: the field from byte 7")
        << Cj({{4, "ABCB4121P1155 MOTOROLA"}, {84, "3"}, {112, "1"}}) << int(GpsRxModel::VP)
        << "VP" << "3.1" << 3.1 << 0 << true;

    // Fixed layouts, not Motorola or Synergy texts.
    QTest::newRow("SiRF") << Cj({{15, "SiRF"}, {84, "2"}, {112, "5"}}) << int(GpsRxModel::M12M)
                          << "M12M" << "2.5" << 2.5 << 0 << false;
    QTest::newRow("i-LOTUS reads from 83")
        << Cj({{26, "i-LOTUS"}, {83, "7"}, {112, "5"}}) << int(GpsRxModel::TxOncore)
        << "TX Oncore" << "7.5" << 7.5 << 0 << false;
    QTest::newRow("CONEXANT") << Cj({{26, "CONEXANT"}, {84, "1"}, {112, "23"}})
                              << int(GpsRxModel::CnxtNvmn) << "CNXT/NVMN" << "1.23" << 1.23 << 0
                              << false;
    QTest::newRow("SIGNAV, no number") << Cj({{26, "SIGNAV  "}, {84, "V1"}, {112, "23"}})
                                       << int(GpsRxModel::Signav) << "SIGNAV" << "V1.23" << 0.0
                                       << 0 << false;
    QTest::newRow("SIGNAV needs two blanks")
        << Cj({{26, "SIGNAV-X"}, {84, "1"}, {112, "23"}}) << int(GpsRxModel::Unknown)
        << "UNKNOWN" << "old" << 9.0 << 0 << false;
    QTest::newRow("MODEL # at 173 goes to the fixed layouts")
        << Cj({{4, "MOTOROLA"}, {26, "CONEXANT"}, {84, "1"}, {112, "0"}, {173, "MODEL # "},
               {181, "R5122U1115"}})
        << int(GpsRxModel::CnxtNvmn) << "CNXT/NVMN" << "1.0" << 1.0 << 0 << false;
  }
  void families()
  {
    QFETCH(QByteArray, message);
    QFETCH(int, model);
    QFETCH(QString, name);
    QFETCH(QString, versionText);
    QFETCH(double, version);
    QFETCH(int, plus);
    QFETCH(bool, nmeaMode);
    // What an earlier identification left; a layout that sets nothing keeps it.
    receiverIdentity.model = GpsRxModel::Unknown;
    receiverIdentity.firmwareVersionText = QStringLiteral("old");
    receiverIdentity.firmwareVersion = 9.0;
    receiverIdentity.hasNmeaMode = false;
    receiverIdentity.plusFirmware = receiverIdentity.plusPlusFirmware = true;

    auto state = std::make_unique<ReceiverState>();
    RecordingDecoderHost host(state.get());
    OncoreDecoder decoder(*state, host);
    QCOMPARE(message.size(), 291);
    QCOMPARE(decoder.Decode(message), QString::fromUtf8(message) + QLatin1Char('\n'));

    QCOMPARE(receiverIdentity.model, model);
    QCOMPARE(GpsRxModel::DisplayName(receiverIdentity.model), name);
    QCOMPARE(receiverIdentity.firmwareVersionText, versionText);
    // Versions are converted in single precision.
    QCOMPARE(float(receiverIdentity.firmwareVersion), float(version));
    QCOMPARE(receiverIdentity.plusFirmware, plus == 1);
    QCOMPARE(receiverIdentity.plusPlusFirmware, plus == 2);
    QCOMPARE(receiverIdentity.hasNmeaMode, nmeaMode);
    QVERIFY(host.firmwareUploadDisabled);
    QVERIFY(state->replyFlags.gotCj);
    QCOMPARE(host.idLines, QStringList{QString::fromUtf8(message)});
  }

  void shortAnswerOnlyCounts_data()
  {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("122") << 122 << false;
    QTest::newRow("123") << 123 << true;
    QTest::newRow("4") << 4 << false;
  }
  void shortAnswerOnlyCounts()
  {
    QFETCH(int, length);
    QFETCH(bool, decoded);
    auto state = std::make_unique<ReceiverState>();
    state->receiverSoftwareDate = QStringLiteral("before");
    RecordingDecoderHost host(state.get());
    host.configTextToTicLog = true;
    OncoreDecoder decoder(*state, host);
    const QByteArray message = Motorola("P121T12T11").left(length);
    const QString line = decoder.Decode(message);
    QVERIFY(state->replyFlags.gotCj);
    if (decoded) {
      QCOMPARE(line, QString::fromUtf8(message) + QLatin1Char('\n'));
      // "MODEL # " lies beyond the cut: the field is read from byte 7.
      QCOMPARE(receiverIdentity.model, int(GpsRxModel::M12M));
      QCOMPARE(receiverIdentity.firmwareVersionText, QStringLiteral("1.2"));
      QCOMPARE(host.ticLog, QStringList{QString::fromUtf8(message)});
      QVERIFY(host.firmwareUploadDisabled);
    } else {
      QCOMPARE(line, QStringLiteral("@@Cj ...\n"));
      QCOMPARE(receiverIdentity.model, int(GpsRxModel::SsrM8T));
      QCOMPARE(state->receiverSoftwareDate, QStringLiteral("before"));
      QVERIFY(host.idLines.isEmpty());
      QVERIFY(host.ticLog.isEmpty());
      QVERIFY(!host.firmwareUploadDisabled);
    }
  }

  void softwareDate_data()
  {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("date");
    QTest::newRow("up to CR") << Motorola("P1") << "NOV 22 2000";
    QTest::newRow("up to LF") << Cj({{125, "SOFTWARE DATE  JUN 1 1999\nMODEL"}}) << "JUN 1 1999";
    QTest::newRow("to the end") << Cj({{276, "SOFTWARE DATE 7"}}) << "7";
    QTest::newRow("absent") << Cj({{125, "SOFTWARE DAT 1999"}}) << "";
  }
  void softwareDate()
  {
    QFETCH(QByteArray, message);
    QFETCH(QString, date);
    auto state = std::make_unique<ReceiverState>();
    state->receiverSoftwareDate = QStringLiteral("before");
    RecordingDecoderHost host(state.get());
    OncoreDecoder decoder(*state, host);
    decoder.Decode(message);
    QCOMPARE(state->receiverSoftwareDate, date);
  }

  // The GNSS module of the older Synergy firmware cannot track Galileo.
  void galileoCapable_data()
  {
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<bool>("capable");
    QTest::newRow("FW 1") << QByteArray("FW 1.03") << false;
    QTest::newRow("FW 2") << QByteArray("FW 2.01") << false;
    QTest::newRow("FW 3") << QByteArray("FW 3.01") << true;
    QTest::newRow("FW 1 on a CORE") << QByteArray("FW 1.03 CORE 4") << true;
    QTest::newRow("no FW") << QByteArray("FWV 1.03") << true;
    QTest::newRow("FW at the end") << QByteArray("      FW ") << true;
  }
  void galileoCapable()
  {
    QFETCH(QByteArray, extra);
    QFETCH(bool, capable);
    auto state = std::make_unique<ReceiverState>();
    RecordingDecoderHost host(state.get());
    OncoreDecoder decoder(*state, host);
    receiverIdentity.galileoCapable = !capable;
    decoder.Decode(Synergy("SSR-M8T", "V4", "21", {{291 - int(extra.size()), extra}}));
    QCOMPARE(receiverIdentity.galileoCapable, capable);
  }

  void noIdentificationWindow()
  {
    auto state = std::make_unique<ReceiverState>();
    RecordingDecoderHost host(state.get());
    host.idWindow = false;
    OncoreDecoder decoder(*state, host);
    decoder.Decode(Motorola("P121T12T11"));
    QVERIFY(host.idLines.isEmpty());
    QCOMPARE(receiverIdentity.model, int(GpsRxModel::M12));
  }
};

RIDUDER_TEST_MAIN(TestOncoreIdentity)
#include "tst_oncoreidentity.moc"
