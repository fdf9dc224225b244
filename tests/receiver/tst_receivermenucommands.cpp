#include "TestMain.h"

#include "receiver/link/Checksums.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/ReceiverMenuCommands.h"

namespace {

QByteArray Wb(quint8 high, quint8 low)
{
  QByteArray message("@@Wb");
  message.append(char(high));
  message.append(char(low));
  return message;
}

}  // namespace

class ReceiverMenuCommandsTest : public QObject
{
  Q_OBJECT
private slots:
  void rateCommand_data();
  void rateCommand();
  void selfTestByModel();
  void selfSurveyByChannels();
  void ubloxSelfSurveyFrames();
  void followUpsByMode_data();
  void followUpsByMode();
};

void ReceiverMenuCommandsTest::rateCommand_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("rate");
  QTest::addColumn<QByteArray>("command");
  struct Row {
    int rate;
    QByteArray ublox, binary, nmea;
  };
  const Row rows[] = {
      {300, Wb(0x00, 0x03), Wb(0x40, 0x03), {}},
      {1200, Wb(0x00, 0x12), Wb(0x40, 0x12), {}},
      {2400, Wb(0x00, 0x24), Wb(0x40, 0x24), {}},
      {4800, Wb(0x00, 0x48), Wb(0x40, 0x48), Wb(0x40, 0x48)},
      {9600, Wb(0x00, 0x96), Wb(0x00, 0x00), Wb(0x00, 0x00)},
      {14400, Wb(0x01, 0x44), Wb(0x41, 0x44), Wb(0x41, 0x44)},
      {19200, Wb(0x01, 0x92), Wb(0x41, 0x92), Wb(0x41, 0x92)},
      {38400, Wb(0x03, 0x84), Wb(0x43, 0x84), Wb(0x43, 0x84)},
      {57600, Wb(0x01, 0x34), Wb(0x45, 0x76), Wb(0x45, 0x76)},
      {115000, Wb(0x11, 0x50), Wb(0x51, 0x50), {}},
      {115200, Wb(0x01, 0x34), Wb(0x00, 0x00), {}},
  };
  for (const Row &row : rows) {
    QTest::addRow("u-blox UBX %d", row.rate) << 9 << row.rate << row.ublox;
    QTest::addRow("u-blox NMEA %d", row.rate) << 10 << row.rate << row.ublox;
    QTest::addRow("binary %d", row.rate) << 2 << row.rate << row.binary;
    QTest::addRow("Motorola NMEA %d", row.rate) << 1 << row.rate << row.nmea;
  }
  for (int mode : {0, 3, 6, 11})
    QTest::addRow("mode %d sends nothing", mode) << mode << 9600 << QByteArray();
}

void ReceiverMenuCommandsTest::rateCommand()
{
  QFETCH(int, mode);
  QFETCH(int, rate);
  QFETCH(QByteArray, command);
  QCOMPARE(ReceiverRateCommand(mode, rate).toHex(' '), command.toHex(' '));
}

void ReceiverMenuCommandsTest::selfTestByModel()
{
  QList<qint32> withIa;
  for (qint32 model = -1; model <= GpsRxModel::Count; ++model) {
    const QByteArray command = OncoreSelfTestCommand(model);
    QVERIFY(command == "@@Ia" || command == "@@Fa");
    if (command == "@@Ia")
      withIa << model;
  }
  QCOMPARE(withIa, (QList<qint32>{3, 4, 5, 19, 21, 22, 23, 24, 25}));
}

void ReceiverMenuCommandsTest::selfSurveyByChannels()
{
  QCOMPARE(OncoreSelfSurveyCommand(8), QByteArray("@@At\x02", 5));
  QCOMPARE(OncoreSelfSurveyCommand(11), QByteArray("@@At\x02", 5));
  QCOMPARE(OncoreSelfSurveyCommand(-1), QByteArray("@@At\x02", 5));  // not yet known
  QCOMPARE(OncoreSelfSurveyCommand(12), QByteArray("@@Gd\x03", 5));
  QCOMPARE(OncoreSelfSurveyCommand(16), QByteArray("@@Gd\x03", 5));
}

void ReceiverMenuCommandsTest::ubloxSelfSurveyFrames()
{
  const QList<QByteArray> frames = UbloxSelfSurveyFrames();
  QCOMPARE(frames.size(), 3);
  QCOMPARE(frames.at(0).toHex(' '), QByteArray("b5 62 06 01 03 00 0d 04 01"));
  const QByteArray payload = "01" + QByteArray("00").repeated(15) + "a00f0000" + "90130000" + "d0070000";
  QCOMPARE(frames.at(1).toHex(), "b562061d1c00" + payload);
  QCOMPARE(frames.at(2).toHex(), "b562063d1c00" + payload);
  // The sender completes each with its checksum.
  for (QByteArray frame : frames) {
    const int size = frame.size();
    QVERIFY(AppendUbxChecksum(frame));
    QCOMPARE(frame.size(), size + 2);
  }
}

void ReceiverMenuCommandsTest::followUpsByMode_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("receiver");
  QTest::addColumn<int>("timing");
  using F = SettingsFollowUp;
  const int apply = int(F::Apply), nmea = int(F::ApplyInNmeaMode), init = int(F::Initialize),
            none = int(F::Nothing);
  QTest::newRow("0 LORAN") << 0 << init << init;
  QTest::newRow("1 Motorola NMEA") << 1 << nmea << init;
  QTest::newRow("2 Motorola binary") << 2 << apply << apply;
  QTest::newRow("3 receive only") << 3 << init << none;
  QTest::newRow("4") << 4 << apply << apply;
  QTest::newRow("5") << 5 << init << init;
  QTest::newRow("6 generic NMEA") << 6 << init << none;
  QTest::newRow("7") << 7 << apply << apply;
  QTest::newRow("8") << 8 << init << none;
  QTest::newRow("9 u-blox UBX") << 9 << apply << apply;
  QTest::newRow("10 u-blox NMEA") << 10 << apply << apply;
  QTest::newRow("11 search") << 11 << init << none;
  QTest::newRow("12") << 12 << init << init;
}

void ReceiverMenuCommandsTest::followUpsByMode()
{
  QFETCH(int, mode);
  QFETCH(int, receiver);
  QFETCH(int, timing);
  QCOMPARE(int(ReceiverParametersFollowUp(quint32(mode))), receiver);
  QCOMPARE(int(TimingParametersFollowUp(quint32(mode))), timing);
}

RIDUDER_TEST_MAIN(ReceiverMenuCommandsTest)
#include "tst_receivermenucommands.moc"
