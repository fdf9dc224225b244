#include "TestMain.h"

#include "core/ProgramState.h"
#include "receiver/session/CommandSender.h"
#include "receiver/session/CommandTiming.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

QByteArray Hex(const char *hex)
{
  return QByteArray::fromHex(hex);
}

// The name of every flag a plan awaits, in the flags' order.
QStringList FlagNames(const CommandWaitPlan &plan)
{
  static const QList<QPair<bool ReceiverReplyFlags::*, const char *>> names = {
      {&ReceiverReplyFlags::gotBa, "Ba"},       {&ReceiverReplyFlags::gotBn, "Bn"},
      {&ReceiverReplyFlags::gotCe, "Ce"},       {&ReceiverReplyFlags::gotCj, "Cj"},
      {&ReceiverReplyFlags::gotEa, "Ea"},       {&ReceiverReplyFlags::gotEn, "En"},
      {&ReceiverReplyFlags::gotHa, "Ha"},       {&ReceiverReplyFlags::gotHn, "Hn"},
      {&ReceiverReplyFlags::gotWb, "Wb"},       {&ReceiverReplyFlags::gotMotorolaNmea, "Nmea"},
      {&ReceiverReplyFlags::gotGarmin, "Garmin"}, {&ReceiverReplyFlags::gotAlmanac, "Almanac"},
      {&ReceiverReplyFlags::gotLoran, "Loran"}, {&ReceiverReplyFlags::gotMonVer, "MonVer"},
  };
  QStringList result;
  for (bool ReceiverReplyFlags::*flag : plan.flags)
    for (const auto &entry : names)
      if (entry.first == flag)
        result << QLatin1String(entry.second);
  if (plan.byOncoreName)
    result << QStringLiteral("byName");
  return result;
}

}  // namespace

class CommandSenderTest : public QObject {
  Q_OBJECT

private slots:
  void cleanup() { ResetProgramWideState(); }

  // Each kind is completed with its own checksum and echoed in its own form.
  void completionAndEcho_data()
  {
    QTest::addColumn<QByteArray>("bare");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("completed");
    QTest::addColumn<QString>("echo");

    const int nmea = int(CommandKind::Nmea), ubx = int(CommandKind::Ubx),
              oncore = int(CommandKind::Oncore), uu = int(CommandKind::Uu),
              other = int(CommandKind::Other);
    QTest::newRow("oncore poll") << QByteArray("@@Cj") << oncore << Hex("4040436A29")
                                 << "<- @@Cj<29>";
    // The parameters end in 0x2A: every byte after "@@" is still summed.
    QTest::newRow("oncore cable delay 10752 ns")
        << (QByteArray("@@Az") + Hex("00002A00")) << oncore << Hex("4040417A00002A0011")
        << "<- @@Az<00><00><2A><00><11>";
    QTest::newRow("nmea") << QByteArray("$PMOTG,FOR,0") << nmea << QByteArray("$PMOTG,FOR,0*2A")
                          << "<- $PMOTG,FOR,0*2A";
    QTest::newRow("nmea with a wrong tail")
        << QByteArray("$PMOTG,FOR,0*00") << nmea << QByteArray("$PMOTG,FOR,0*2A")
        << "<- $PMOTG,FOR,0*2A";
    QTest::newRow("nmea too short") << QByteArray("$GPGGA") << nmea << QByteArray("$GPGGA")
                                    << "<- $GPGGA";
    QTest::newRow("ubx mon-ver") << Hex("B5620A040000") << ubx << Hex("B5620A0400000E34")
                                 << "<- <B5><62><0A><04><00><00><0E><34>";
    QTest::newRow("ubx too short") << Hex("B5620A") << ubx << Hex("B5620A")
                                   << "<- <B5><62><0A>";
    QTest::newRow("uu") << Hex("55550102") << uu << Hex("55550102") << "<- <55><55><01><02>";
    QTest::newRow("loran") << QByteArray("T0") << other << QByteArray("T0") << QString();
    QTest::newRow("loran bin") << QByteArray("BIN") << other << QByteArray("BIN") << QString();
    QTest::newRow("dle message") << Hex("10A0FF1003") << other << Hex("10A0FF1003") << QString();
    QTest::newRow("single @") << QByteArray("@Cj1") << other << QByteArray("@Cj1") << QString();
    QTest::newRow("empty") << QByteArray() << other << QByteArray() << QString();
  }
  void completionAndEcho()
  {
    QFETCH(QByteArray, bare);
    QFETCH(int, kind);
    QFETCH(QByteArray, completed);
    QFETCH(QString, echo);
    QCOMPARE(int(CommandKindOf(bare)), kind);
    QByteArray message = bare;
    QCOMPARE(int(CompleteCommand(message)), kind);
    QCOMPARE(message.toHex(' '), completed.toHex(' '));
    QCOMPARE(CommandEchoText(message), echo);
  }

  // "@@Tk" carries text: the plain sender shows it as text up to byte 58;
  // the send-and-wait layer shows every parameter byte in hex.
  void tkEchoShowsItsText()
  {
    const QByteArray text = QByteArray("SERIAL 12345").leftJustified(55, ' ');
    QByteArray message = QByteArray("@@Tk") + text + Hex("FF0123");
    CompleteCommand(message);
    QCOMPARE(message.size(), 63);
    const QString checksum = HexBytesText(message.right(1));
    QCOMPARE(CommandEchoText(message),
             "<- @@Tk" + QString::fromLatin1(text) + "<FF><01><23>" + checksum);
    QCOMPARE(CommandEchoText(message, TkEcho::AsHex),
             "<- @@Tk" + HexBytesText(message.mid(4)));
    // Other Oncore messages are hex after the identifier either way.
    QByteArray other = QByteArray("@@Ab") + text.left(3);
    CompleteCommand(other);
    QCOMPARE(CommandEchoText(other), CommandEchoText(other, TkEcho::AsHex));
  }

  // What send-and-wait does with each command.
  void waitPlans_data()
  {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<QString>("answeredText");
    QTest::addColumn<QString>("timeoutText");

    using R = CommandWaitRow;
    QTest::newRow("empty") << QByteArray() << int(R::Empty) << QStringList() << 0 << 0 << ""
                           << "";
    QTest::newRow("$PMOTG") << QByteArray("$PMOTG,ZDA,0001") << int(R::MotorolaNmea)
                            << QStringList{"Nmea"} << 3000 << 0 << "" << "";
    QTest::newRow("$PMOTG,FOR") << QByteArray("$PMOTG,FOR,0") << int(R::MotorolaNmea)
                                << QStringList{"Nmea"} << 3000 << 2500 << "" << "";
    QTest::newRow("$PGRM") << QByteArray("$PGRMO,,2") << int(R::Garmin)
                           << QStringList{"Garmin", "Almanac"} << 3000 << 0 << "" << "";
    QTest::newRow("$GPALM") << QByteArray("$GPALM,Q") << int(R::Garmin)
                            << QStringList{"Garmin", "Almanac"} << 3000 << 0 << "" << "";
    QTest::newRow("other nmea") << QByteArray("$GPGGA,1") << int(R::NotSent) << QStringList()
                                << 0 << 0 << "" << "";
    QTest::newRow("@@Ci") << QByteArray("@@Ci\x01", 5) << int(R::OncoreNoWait) << QStringList()
                          << 0 << 500 << "" << "";
    QTest::newRow("@@Cj") << QByteArray("@@Cj") << int(R::OncoreId) << QStringList{"Cj"} << 5000
                          << 0 << "" << "@@Cj Timeout - no valid version number!";
    QTest::newRow("@@Ba") << QByteArray("@@Ba\x00", 5) << int(R::OncoreChannels)
                          << QStringList{"Ba"} << 3000 << 0 << "@@Ba OK - must be a 6-channel Rcvr"
                          << "@@Ba Timeout - not a 6-channel Rcvr";
    QTest::newRow("@@Ea") << QByteArray("@@Ea\x00", 5) << int(R::OncoreChannels)
                          << QStringList{"Ea"} << 3000 << 0 << "@@Ea OK - must be a 8-channel Rcvr"
                          << "@@Ea Timeout - not a 8-channel Rcvr";
    QTest::newRow("@@Ha") << QByteArray("@@Ha\x00", 5) << int(R::OncoreChannels)
                          << QStringList{"Ha"} << 3000 << 0
                          << "@@Ha OK - must be a 12-channel Rcvr"
                          << "@@Ha Timeout - not a 12-channel Rcvr";
    QTest::newRow("@@Bh") << QByteArray("@@Bh\x01", 5) << int(R::OncoreDgps) << QStringList{"Ce"}
                          << 5000 << 0 << "@@Bh OK - must be a DGPS Rcvr"
                          << "@@Bh Timeout - must be a non-DGPS Rcvr";
    QTest::newRow("@@En") << QByteArray("@@En\x00", 5) << int(R::OncoreTraim)
                          << QStringList{"Bn", "En", "Hn"} << 5000 << 0
                          << "@@En OK - must have T-RAIM" << "@@En Timeout - must not have T-RAIM";
    QTest::newRow("@@Wb") << QByteArray("@@Wb\x00", 5) << int(R::OncoreRate) << QStringList{"Wb"}
                          << 5000 << 0 << "" << "";
    QTest::newRow("@@Gc") << QByteArray("@@Gc\x01", 5) << int(R::OncoreByName)
                          << QStringList{"byName"} << 3000 << 0 << "" << "";
    QTest::newRow("@@Tk") << QByteArray("@@Tk") << int(R::OncoreByName) << QStringList{"byName"}
                          << 3000 << 0 << "" << "";
    QTest::newRow("Z") << QByteArray("Z") << int(R::Loran) << QStringList{"Loran"} << 5000 << 0
                       << "" << "Timeout: no response to Motorola Loran Cmd Z\n";
    QTest::newRow("T0") << QByteArray("T0") << int(R::Loran) << QStringList{"Loran"} << 5000
                        << 0 << "" << "Timeout: no response to Motorola Loran Cmd T0\n";
    QTest::newRow("BIN") << QByteArray("BIN") << int(R::LoranNoWait) << QStringList{"Loran"} << 0
                         << 500 << "" << "";
    QTest::newRow("NMEA") << QByteArray("NMEA") << int(R::LoranNoWait) << QStringList{"Loran"}
                          << 0 << 500 << "" << "";
    QTest::newRow("ZZ is no LORAN command") << QByteArray("ZZ") << int(R::NotSent)
                                            << QStringList() << 0 << 0 << "" << "";
    QTest::newRow("MON-VER") << Hex("B5620A040000") << int(R::MonVer) << QStringList{"MonVer"}
                             << 5000 << 0 << ""
                             << " Timeout - no response to MON-VER request";
    QTest::newRow("other ubx") << Hex("B56206010300F00500") << int(R::OtherUbx) << QStringList()
                               << 0 << 0 << "" << "";
  }
  void waitPlans()
  {
    QFETCH(QByteArray, command);
    QFETCH(int, row);
    QFETCH(QStringList, flags);
    QFETCH(int, timeoutMs);
    QFETCH(int, pauseMs);
    QFETCH(QString, answeredText);
    QFETCH(QString, timeoutText);
    const CommandWaitPlan plan = PlanCommandWait(command);
    QCOMPARE(int(plan.row), row);
    QCOMPARE(FlagNames(plan), flags);
    QCOMPARE(plan.timeoutMs, timeoutMs);
    QCOMPARE(plan.pauseMs, pauseMs);
    QCOMPARE(plan.answeredIdText, answeredText);
    QCOMPARE(plan.timeoutIdText, timeoutText);
    // LORAN commands go out as they are, without an echo.
    const bool loran =
        row == int(CommandWaitRow::Loran) || row == int(CommandWaitRow::LoranNoWait);
    QCOMPARE(plan.completes, plan.sends && !loran);
    QCOMPARE(plan.echoes, plan.sends && !loran);
  }

  void waitPlanNamesAndRecords()
  {
    const CommandWaitPlan zda = PlanCommandWait("$PMOTG,ZDA,0001");
    QVERIFY(zda.setsNmeaTag);
    QCOMPARE(zda.nmeaTag, QByteArray("ZDA"));
    QCOMPARE(zda.timeoutWarning, QStringLiteral("Timeout: no response to Motorola Cmd $PMOTG,ZDA,0001\n"));
    QCOMPARE(PlanCommandWait("$PGRMC").timeoutWarning,
             QStringLiteral("Timeout: no response to Garmin Cmd $PGRMC\n"));
    QCOMPARE(PlanCommandWait("@@Gc\x01").oncoreTag, QByteArray("@@Gc"));
    QCOMPARE(PlanCommandWait("@@Ha\x00").channels, 12);
    QVERIFY(PlanCommandWait("@@Bh\x01").setsDgps);
    QVERIFY(PlanCommandWait("@@Hn\x00").setsTraim);
    const CommandWaitPlan cj = PlanCommandWait("@@Cj");
    QVERIFY(cj.retryOnce);
    QCOMPARE(cj.retryEcho, QStringLiteral("<- @@Cj (retry)"));
  }

  // Any flag of a plan answers it; a flag of another command does not.
  void plansAreAnsweredOnlyByTheirReplies()
  {
    ReceiverReplyFlags flags;
    const CommandWaitPlan traim = PlanCommandWait("@@En\x00");
    QVERIFY(!traim.Answered(flags));
    flags.gotHn = true;
    QVERIFY(traim.Answered(flags));
    traim.ClearFlags(flags);
    QVERIFY(!flags.gotHn);

    const CommandWaitPlan ha = PlanCommandWait("@@Ha\x00");
    flags.gotEa = true;
    flags.gotBa = true;
    QVERIFY(!ha.Answered(flags));
    flags.gotHa = true;
    QVERIFY(ha.Answered(flags));
    ha.ClearFlags(flags);
    QVERIFY(!flags.gotHa);
    QVERIFY(flags.gotEa);  // another command's flag is left alone

    const CommandWaitPlan garmin = PlanCommandWait("$PGRMO,,2");
    flags.gotAlmanac = true;
    QVERIFY(garmin.Answered(flags));

    const CommandWaitPlan byName = PlanCommandWait("@@Gc\x01");
    QVERIFY(!byName.Answered(flags));
    OncoreReplySeen = true;
    QVERIFY(byName.Answered(flags));
    QVERIFY(!ha.Answered(ReceiverReplyFlags()));  // the name flag answers only by-name plans
    byName.ClearFlags(flags);
    QVERIFY(!OncoreReplySeen);
  }

  // Pauses and waits advance the program clock by their full length even
  // when a test shrinks them; a cancel ends them at once, and later ones too.
  void timingScalesAndCancels()
  {
    CommandTiming timing;
    timing.SetScale(0.002);
    QElapsedTimer real;
    real.start();
    QVERIFY(timing.Wait(2500));
    QVERIFY(timing.Pause(100));
    QCOMPARE(timing.NowMs(), qint64(2600));
    QVERIFY(real.elapsed() < 1000);

    // A pause keeps received bytes waiting but timers run; a wait runs all.
    int fired = 0;
    QTimer::singleShot(0, [&] { ++fired; });
    timing.Pause(10);
    QCOMPARE(fired, 1);

    timing.SetScale(1.0);
    QTimer::singleShot(20, [&] { timing.Cancel(); });
    real.restart();
    QVERIFY(!timing.Wait(60000));
    QVERIFY(real.elapsed() < 5000);
    QVERIFY(timing.NowMs() < 2600 + 5000);
    QVERIFY(timing.IsCancelled());
    real.restart();
    QVERIFY(!timing.Pause(60000));
    QVERIFY(!timing.Wait(60000));
    QVERIFY(real.elapsed() < 1000);
  }

  // Pauses (not wait steps) hold the receiver's line, once around each.
  void pausesHoldTheLine()
  {
    CommandTiming timing;
    timing.SetScale(0.01);
    QList<bool> holds;
    timing.SetLineHold([&](bool hold) { holds << hold; });
    QVERIFY(timing.Pause(100));
    QCOMPARE(holds, (QList<bool>{true, false}));
    QVERIFY(timing.Wait(100));
    QCOMPARE(holds.size(), 2);
    QTimer::singleShot(0, [&] { timing.Cancel(); });
    QVERIFY(!timing.Pause(60000));
    QCOMPARE(holds, (QList<bool>{true, false, true, false}));
    QVERIFY(!timing.Pause(100));  // cancelled: no hold at all
    QCOMPARE(holds.size(), 4);
  }

  // A cancel from inside a nested wait ends the outer one too.
  void cancelEndsNestedWaits()
  {
    CommandTiming timing;
    bool innerResult = true;
    QTimer::singleShot(10, [&] {
      QTimer::singleShot(10, [&] { timing.Cancel(); });
      innerResult = timing.Pause(60000);
    });
    QElapsedTimer real;
    real.start();
    QVERIFY(!timing.Wait(60000));
    QVERIFY(!innerResult);
    QVERIFY(real.elapsed() < 5000);
  }

  // An interrupt ends the running waits, nested ones included, and every
  // later one until Resume; then waits run their length again.
  void interruptHoldsUntilResumed()
  {
    CommandTiming timing;
    bool innerResult = true;
    QTimer::singleShot(10, [&] {
      QTimer::singleShot(10, [&] { timing.Interrupt(); });
      innerResult = timing.Wait(60000);
    });
    QElapsedTimer real;
    real.start();
    QVERIFY(!timing.Pause(60000));
    QVERIFY(!innerResult);
    QVERIFY(!timing.Wait(60000));
    QVERIFY(!timing.Pause(60000));
    QVERIFY(real.elapsed() < 5000);
    QVERIFY(!timing.IsCancelled());

    timing.Resume();
    const qint64 before = timing.NowMs();
    real.restart();
    QVERIFY(timing.Wait(50));
    QVERIFY(real.elapsed() >= 45);
    QCOMPARE(timing.NowMs() - before, qint64(50));
  }
};

RIDUDER_TEST_MAIN(CommandSenderTest)
#include "tst_commandsender.moc"
