#include "TestMain.h"

#include "core/GpsMode.h"
#include "receiver/dialogs/ManualCommandMessage.h"
#include "receiver/dialogs/ManualCommandTable.h"

#include <QSet>

class TestManualCommandTable : public QObject
{
  Q_OBJECT

private slots:
  void rowsAreConsistentWithTheirGroup();
  void groupChoice_data();
  void groupChoice();
  void olderMotorolaReceiversSeeOnlyTheConstellationSynergyCommand();
  void lookupStaysInsideTheGroupAndTheTable();
};

// Each group's rows must describe messages that the window can build: the
// figures in a row agree with its prefix and defaults.
void TestManualCommandTable::rowsAreConsistentWithTheirGroup()
{
  const ManualCommandTable table;
  QCOMPARE(table.size(), 139);
  const ManualCommandGroup groups[] = {ManualCommandGroups::Oncore, ManualCommandGroups::MotorolaNmea,
                                       ManualCommandGroups::Ubx, ManualCommandGroups::UbxNmeaRate,
                                       ManualCommandGroups::NmeaText};
  int next = 0;
  for (const ManualCommandGroup &group : groups) {
    QCOMPARE(group.first, next);
    next += group.count;
    QSet<QString> names;
    for (int row = group.first; row < group.first + group.count; ++row)
      names.insert(table.at(row).name);
    QCOMPARE(names.size(), group.count);
  }
  QCOMPARE(next, table.size());

  // Oncore: prefix is the name; length is the whole message unless the
  // command takes parameters the user types in full.
  const QSet<QString> typedInFull = {"@@Bf", "@@Ca", "@@Cb", "@@Cd", "@@Ce", "@@Fd", "@@Tk"};
  for (int row = 0; row < 103; ++row) {
    const ManualCommandRecord &r = table.at(row);
    QVERIFY2(r.name.size() == 4 && r.name.startsWith("@@") && r.prefix == r.name, qPrintable(r.name));
    QByteArray bytes;
    QVERIFY2(ParseHexParams(r.defaults, bytes) && r.defaults.size() % 2 == 0, qPrintable(r.name));
    if (typedInFull.contains(r.name))
      QVERIFY2(r.defaults.isEmpty() && r.length > 7, qPrintable(r.name));
    else
      QVERIFY2(r.length == 7 + bytes.size(), qPrintable(r.name));
  }
  // Motorola NMEA: "$PMOTG," sentences, and the one Oncore "@@Wb".
  for (int row = 103; row < 112; ++row) {
    const ManualCommandRecord &r = table.at(row);
    QVERIFY2(r.prefix == "@@Wb" || (r.prefix.startsWith("$PMOTG,") && r.prefix.size() == 11), qPrintable(r.name));
  }
  // UBX: the length inside the prefix is the row's length and its defaults.
  for (int row = 112; row < 134; ++row) {
    const ManualCommandRecord &r = table.at(row);
    QByteArray head;
    QByteArray params;
    QVERIFY2(ParseHexParams(r.prefix, head) && ParseHexParams(r.defaults, params), qPrintable(r.name));
    QVERIFY2(head.size() >= 6 && head.startsWith("\xB5\x62"), qPrintable(r.name));
    const int payload = quint8(head[4]) | quint8(head[5]) << 8;
    QVERIFY2(payload == head.size() - 6 + params.size(), qPrintable(r.name));
    QVERIFY2(r.length == params.size(), qPrintable(r.name));
  }
  for (int row = 134; row < 139; ++row) {
    const ManualCommandRecord &r = table.at(row);
    QVERIFY2(r.prefix.startsWith("$") && r.prefix.endsWith(",") && r.length == -1, qPrintable(r.name));
  }
}

void TestManualCommandTable::groupChoice_data()
{
  QTest::addColumn<int>("model");
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("chosen");
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("firstName");
  QTest::addColumn<QString>("lastName");

  QTest::newRow("SSR-M8T binary") << 25 << 2 << true << 103 << "@@Aa" << "@@Ws";
  QTest::newRow("SSR-6Tf NMEA") << 22 << 1 << true << 9 << "$GPGGA" << "@@Wb";
  QTest::newRow("SSR-6Tr rx only") << 23 << 3 << false << 0 << "" << "";
  QTest::newRow("M12 binary") << 3 << 2 << true << 96 << "@@Aa" << "@@Ws";
  QTest::newRow("UT NMEA") << 8 << 1 << true << 9 << "$GPGGA" << "@@Wb";
  QTest::newRow("GT binary") << 1 << 2 << true << 96 << "@@Aa" << "@@Ws";
  QTest::newRow("TX Oncore binary") << 21 << 2 << true << 96 << "@@Aa" << "@@Ws";
  QTest::newRow("M12 rx only") << 3 << 3 << false << 0 << "" << "";
  QTest::newRow("VP6 u-blox mode") << 12 << 9 << false << 0 << "" << "";
  QTest::newRow("u-blox UBX") << 20 << 9 << true << 9 << "AID-HUI" << "MON-VER";
  QTest::newRow("u-blox NMEA") << 20 << 10 << true << 13 << "$GPDTM" << "$GPZDA";
  QTest::newRow("u-blox binary") << 20 << 2 << false << 0 << "" << "";
  QTest::newRow("generic NMEA") << 15 << 6 << true << 5 << "$GPALM" << "$PZQK";
  QTest::newRow("unknown model, binary") << 0 << 2 << true << 5 << "$GPALM" << "$PZQK";
  QTest::newRow("models 13, 26") << 13 << 1 << true << 5 << "$GPALM" << "$PZQK";
  QTest::newRow("model 26") << 26 << 9 << true << 5 << "$GPALM" << "$PZQK";
}

void TestManualCommandTable::groupChoice()
{
  QFETCH(int, model);
  QFETCH(int, mode);
  QFETCH(bool, chosen);
  QFETCH(int, count);
  QFETCH(QString, firstName);
  QFETCH(QString, lastName);

  const ManualCommandTable table;
  const ManualCommandListChoice choice = ChooseManualCommandGroup(quint32(model), quint32(mode));
  QCOMPARE(choice.chosen, chosen);
  const QStringList names = ManualCommandNames(table, choice);
  QCOMPARE(names.size(), count);
  if (count > 0) {
    QCOMPARE(names.first(), firstName);
    QCOMPARE(names.last(), lastName);
  }
}

void TestManualCommandTable::olderMotorolaReceiversSeeOnlyTheConstellationSynergyCommand()
{
  const ManualCommandTable table;
  const QStringList m12 = ManualCommandNames(table, ChooseManualCommandGroup(3, GpsModeMotorolaBinary));
  const int sc = m12.indexOf("@@Sc");
  QVERIFY(sc > 0);
  QCOMPARE(m12.at(sc - 1), QString("@@Ia"));
  QCOMPARE(m12.at(sc + 1), QString("@@Ti"));
  for (const char *hidden : {"@@Sa", "@@Sm", "@@So", "@@Sp", "@@SP", "@@St", "@@Sx"})
    QVERIFY2(!m12.contains(QLatin1String(hidden)), hidden);

  const QStringList synergy = ManualCommandNames(table, ChooseManualCommandGroup(24, GpsModeMotorolaBinary));
  for (const char *shown : {"@@Sa", "@@Sc", "@@Sm", "@@So", "@@Sp", "@@SP", "@@St", "@@Sx"})
    QVERIFY2(synergy.contains(QLatin1String(shown)), shown);

  QCOMPARE(ManualCommandNames(table, ChooseManualCommandGroup(8, GpsModeMotorolaNmea)),
           QStringList({"$GPGGA", "$GPRMC", "$GPGLL", "$GPGSA", "$GPGSV", "$GPVTG", "$GPZDA", "FOR", "@@Wb"}));
}

void TestManualCommandTable::lookupStaysInsideTheGroupAndTheTable()
{
  const ManualCommandTable table;
  // One name, two groups, two commands.
  const ManualCommandRecord *nmea = table.Find(ManualCommandGroups::MotorolaNmea, "$GPGGA");
  const ManualCommandRecord *rate = table.Find(ManualCommandGroups::UbxNmeaRate, "$GPGGA");
  QVERIFY(nmea && rate);
  QCOMPARE(nmea->prefix, QString("$PMOTG,GGA,"));
  QCOMPARE(rate->prefix, QString("B56206010300F000"));
  QCOMPARE(table.Find(ManualCommandGroups::MotorolaNmea, "@@Wb")->description,
           QString("Change baud rate without leaving NMEA [SSR V4.21+]"));
  QCOMPARE(table.Find(ManualCommandGroups::Oncore, "@@Wb")->description,
           QString("Switch to uBlox binary mode (Synergy proprietary)"));
  // Exact, case-sensitive, whole text.
  QVERIFY(!table.Find(ManualCommandGroups::Oncore, "@@sa"));
  QVERIFY(!table.Find(ManualCommandGroups::Oncore, "@@Sa "));
  QVERIFY(!table.Find(ManualCommandGroups::Oncore, "$GPGGA"));
  // No group yet, or a group reaching past the end: nothing outside is read.
  QVERIFY(!table.Find(ManualCommandGroup{}, "@@Aa"));
  QVERIFY(table.Find(ManualCommandGroup{134, 1000}, "$PZQK"));
  QVERIFY(!table.Find(ManualCommandGroup{-5, 3}, "@@Ad"));
}

RIDUDER_TEST_MAIN(TestManualCommandTable)
#include "tst_manualcommandtable.moc"
