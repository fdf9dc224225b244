#include "TestMain.h"

#include "core/GpsMode.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/IdentificationTexts.h"

Q_DECLARE_METATYPE(ReceiverIdentity)

namespace {

ReceiverIdentity Identity(int model, int channels, const QString &idText, bool dgps = false, bool traim = false)
{
  ReceiverIdentity identity;
  identity.model = model;
  identity.nativeChannels = channels;
  identity.channels = channels;
  identity.firmwareVersionText = idText;
  identity.hasDgps = dgps;
  identity.hasTraim = traim;
  return identity;
}

}  // namespace

class IdentificationTextsTest : public QObject {
  Q_OBJECT

private slots:
  void binaryText_data()
  {
    QTest::addColumn<ReceiverIdentity>("identity");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("emulatePvt6");
    QTest::addColumn<bool>("localTime");
    QTest::addColumn<QString>("expected");
    const uint bin = GpsModeMotorolaBinary;
    const uint rxOnly = GpsModeMotorolaBinaryRxOnly;

    QTest::newRow("M12M with DGPS") << Identity(GpsRxModel::M12M, 12, "2.0", true) << bin << false << false
                                    << "i-Lotus M12M, Bin, 12 ch, V2.0, has DGPS";
    QTest::newRow("UT+ with T-RAIM, local time") << Identity(GpsRxModel::UTPlus, 8, "1.1", false, true) << bin
                                                 << false << true
                                                 << "Motorola UT+, Bin, 8 ch, V1.1, TRAIM, Local Time Mode";
    QTest::newRow("every option in order") << Identity(GpsRxModel::VP, 8, "3.1", true, true) << bin << true << true
                                           << "Motorola VP, Bin, 8 ch, V3.1, has DGPS, TRAIM, PVT6 Mode, Local Time Mode";
    QTest::newRow("TX Oncore") << Identity(GpsRxModel::TxOncore, 8, "1.0") << bin << false << false
                               << "i-Lotus TX Oncore, Bin, 8 ch, V1.0";
    QTest::newRow("CNXT/NVMN stands alone") << Identity(GpsRxModel::CnxtNvmn, 8, "1.0") << bin << false << false
                                            << "CNXT/NVMN, Bin, 8 ch, V1.0";
    QTest::newRow("SIGNAV stands alone") << Identity(GpsRxModel::Signav, 12, "1.0") << bin << false << false
                                         << "SIGNAV, Bin, 12 ch, V1.0";
    ReceiverIdentity m8t = Identity(GpsRxModel::SsrM8T, 12, "4.21", false, true);
    m8t.plusPlusFirmware = true;
    m8t.plusFirmware = true;  // "++" wins
    QTest::newRow("SSR-M8T++") << m8t << bin << false << false << "SSR-M8T++, Bin, 12 ch, V4.21, TRAIM";
    QTest::newRow("SSR-M8T++ receive only") << m8t << rxOnly << false << false
                                            << "SSR-M8T++, Rx Only, Bin, 12 ch, V4.21, TRAIM";
    ReceiverIdentity tf = Identity(GpsRxModel::Ssr6Tf, 12, "4.20");
    tf.plusFirmware = true;
    QTest::newRow("SSR-6Tf+") << tf << bin << false << false << "SSR-6Tf+, Bin, 12 ch, V4.20";
    ReceiverIdentity m12plus = Identity(GpsRxModel::M12Plus, 12, "2.0");
    m12plus.plusPlusFirmware = true;  // no variant suffix outside the Synergy models
    QTest::newRow("M12+ ignores the variant flags") << m12plus << bin << false << false
                                                    << "Motorola M12+, Bin, 12 ch, V2.0";
    QTest::newRow("M12M receive only takes the Motorola prefix")
        << Identity(GpsRxModel::M12M, 12, "2.0") << rxOnly << false << false
        << "Motorola M12M, Rx Only, Bin, 12 ch, V2.0";
    QTest::newRow("index 12 is VP6") << Identity(GpsRxModel::VP6, 6, "1.0") << bin << false << false
                                     << "Motorola VP6, Bin, 6 ch, V1.0";
    QTest::newRow("index 20 is UNKNOWN") << Identity(20, 16, "") << bin << false << false
                                         << "Motorola UNKNOWN, Bin, 16 ch, V";
    QTest::newRow("index above 25 is UNKNOWN") << Identity(40, 8, "1.0") << bin << false << false
                                               << "Motorola UNKNOWN, Bin, 8 ch, V1.0";
    QTest::newRow("-1 channels show as 0") << Identity(GpsRxModel::GT, -1, "1.0") << bin << false << false
                                           << "Motorola GT, Bin, 0 ch, V1.0";
    QTest::newRow("empty id text, options follow V") << Identity(GpsRxModel::SL, 8, "", true) << bin << false
                                                     << false << "Motorola SL, Bin, 8 ch, V, has DGPS";
    QTest::newRow("a % in the id text stays") << Identity(GpsRxModel::XT, 6, "%1 9") << bin << false << false
                                              << "Motorola XT, Bin, 6 ch, V%1 9";
  }
  void binaryText()
  {
    QFETCH(ReceiverIdentity, identity);
    QFETCH(uint, mode);
    QFETCH(bool, emulatePvt6);
    QFETCH(bool, localTime);
    QTEST(BinaryIdentificationText(identity, mode, emulatePvt6, localTime), "expected");
  }

  void nmeaText_data()
  {
    QTest::addColumn<ReceiverIdentity>("identity");
    QTest::addColumn<QString>("expected");
    QTest::newRow("M12+ with T-RAIM") << Identity(GpsRxModel::M12Plus, 12, "2.0", false, true)
                                      << "Motorola M12+, NMEA Mode, 12 ch, V2.0, TRAIM";
    QTest::newRow("M12M") << Identity(GpsRxModel::M12M, 12, "2.0", true) << "i-Lotus M12M, NMEA Mode, 12 ch, V2.0, has DGPS";
    QTest::newRow("TX Oncore") << Identity(GpsRxModel::TxOncore, 8, "1.0") << "i-Lotus TX Oncore, NMEA Mode, 8 ch, V1.0";
    ReceiverIdentity m8f = Identity(GpsRxModel::SsrM8F, 12, "4.21", true, true);
    m8f.plusPlusFirmware = true;  // no suffixes in this form
    QTest::newRow("SSR-M8F stands alone, no variant") << m8f << "SSR-M8F, NMEA Mode, 12 ch, V4.21, has DGPS, TRAIM";
    QTest::newRow("SSR-6Tf") << Identity(GpsRxModel::Ssr6Tf, 12, "4.21") << "SSR-6Tf, NMEA Mode, 12 ch, V4.21";
    QTest::newRow("SSR-6Tr") << Identity(GpsRxModel::Ssr6Tr, 12, "4.21") << "SSR-6Tr, NMEA Mode, 12 ch, V4.21";
    QTest::newRow("SSR-M8T") << Identity(GpsRxModel::SsrM8T, 12, "4.21") << "SSR-M8T, NMEA Mode, 12 ch, V4.21";
    QTest::newRow("SIGNAV") << Identity(GpsRxModel::Signav, 12, "1.0") << "SIGNAV, NMEA Mode, 12 ch, V1.0";
    QTest::newRow("CNXT/NVMN") << Identity(GpsRxModel::CnxtNvmn, 8, "1.0") << "CNXT/NVMN, NMEA Mode, 8 ch, V1.0";
    QTest::newRow("VP6") << Identity(GpsRxModel::VP6, 6, "1.0") << "Motorola VP6, NMEA Mode, 6 ch, V1.0";
    QTest::newRow("UNKNOWN, -1 channels, empty text") << Identity(20, -1, "") << "Motorola UNKNOWN, NMEA Mode, 0 ch, V";
  }
  void nmeaText()
  {
    QFETCH(ReceiverIdentity, identity);
    QTEST(NmeaIdentificationText(identity), "expected");
  }
};

RIDUDER_TEST_MAIN(IdentificationTextsTest)
#include "tst_identificationtexts.moc"
