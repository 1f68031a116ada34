// The band rule and the code mapping tables of the radio layer, without a
// window: each mapping read in both directions.
#include <QtTest>

#include "radio/band_rule.h"
#include "radio/mappings.h"

using namespace tolvane;

class TestRadioTables : public QObject {
    Q_OBJECT

  private slots:
    void bandRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("unrestricted");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("20 m inside") << "F1407400" << false << true;
        QTest::newRow("160 m lower edge") << "F0180000" << false << true;
        QTest::newRow("160 m below") << "F0179999" << false << false;
        QTest::newRow("10 m upper edge") << "F2970000" << false << true;
        QTest::newRow("10 m above") << "F2970001" << false << false;
        QTest::newRow("between 40 and 30 m") << "F0800000" << false << false;
        QTest::newRow("60 m channel") << "F0533050" << false << true;
        QTest::newRow("60 m off channel") << "F0533060" << false << false;
        QTest::newRow("digits only") << "1407400" << false << true;
        QTest::newRow("blanks around") << "  14074 " << false << false;
        QTest::newRow("short number in band") << " 702000" << false << true;
        QTest::newRow("not a number") << "F14O7400" << false << false;
        QTest::newRow("blank") << "        " << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("unrestricted out of band") << "F0800000" << true << true;
        QTest::newRow("unrestricted garbage") << "xyz" << true << true;
    }
    void bandRule() {
        QFETCH(QString, text);
        QFETCH(bool, unrestricted);
        QTEST(transmitAllowed(text.toStdString(), unrestricted), "allowed");
    }

    void modeTable_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("catDigit");
        QTest::newRow("USB") << "M1"
                             << "USB"
                             << "2";
        QTest::newRow("LSB") << "M2"
                             << "LSB"
                             << "1";
        QTest::newRow("AME") << "M3"
                             << "AME"
                             << "5";
        QTest::newRow("CW") << "M4"
                            << "CW"
                            << "3";
    }
    void modeTable() {
        QFETCH(QString, code);
        QFETCH(QString, caption);
        QFETCH(QString, catDigit);
        const std::string c = code.toStdString(), cap = caption.toStdString();
        const char digit = catDigit.toLatin1().at(0);
        QCOMPARE(mapping::captionOf(mapping::kModes, c), std::optional<std::string_view>(cap));
        QCOMPARE(mapping::codeOf(mapping::kModes, cap), std::optional<std::string_view>(c));
        QCOMPARE(mapping::catDigitOfMode(c), std::optional<char>(digit));
        QCOMPARE(mapping::modeOfCatDigit(digit), std::optional<std::string_view>(c));
    }

    void codeTables_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("caption");
        QTest::newRow("AGC off") << "agc"
                                 << "A1"
                                 << "OFF";
        QTest::newRow("AGC slow") << "agc"
                                  << "A2"
                                  << "SLOW";
        QTest::newRow("AGC med") << "agc"
                                 << "A3"
                                 << "MED";
        QTest::newRow("AGC fast") << "agc"
                                  << "A4"
                                  << "FAST";
        QTest::newRow("source mic") << "source"
                                    << "H1"
                                    << "MIC";
        QTest::newRow("source audio 2") << "source"
                                        << "H2"
                                        << "AUDIO2";
        QTest::newRow("source patch") << "source"
                                      << "H3"
                                      << "PATCH";
        QTest::newRow("source off/cw") << "source"
                                       << "H4"
                                       << "OFF/CW";
        QTest::newRow("routing remote") << "routing"
                                        << "\"0"
                                        << "REMOTE";
        QTest::newRow("routing local") << "routing"
                                       << "\"1"
                                       << "LOCAL";
        QTest::newRow("vox data") << "vox"
                                  << "V2"
                                  << "DATA";
        QTest::newRow("ptt enable on") << "ptt"
                                       << "'1"
                                       << "ON";
        QTest::newRow("control remote") << "control"
                                        << "R1"
                                        << "REMOTE";
        QTest::newRow("control local") << "control"
                                       << "R0"
                                       << "LOCAL";
    }
    void codeTables() {
        QFETCH(QString, table);
        QFETCH(QString, code);
        QFETCH(QString, caption);
        const std::string c = code.toStdString(), cap = caption.toStdString();
        auto both = [&](const auto& t) {
            QCOMPARE(mapping::captionOf(t, c), std::optional<std::string_view>(cap));
            QCOMPARE(mapping::codeOf(t, cap), std::optional<std::string_view>(c));
        };
        if (table == "agc") both(mapping::kAgc);
        if (table == "source") both(mapping::kSources);
        if (table == "routing") both(mapping::kRouting);
        if (table == "vox") both(mapping::kVox);
        if (table == "ptt") both(mapping::kPttEnable);
        if (table == "control") both(mapping::kControl);
    }

    // The status caption of every link state; the radio port number follows
    // "COM" only once the port is open.
    void linkStatusCaptions_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("caption");
        using L = mapping::LinkStatus;
        auto add = [](const char* name, L s, const char* port, const char* caption) {
            QTest::newRow(name) << static_cast<int>(s) << port << caption;
        };
        add("no port", L::NoPort, "3", "No Port");
        add("opened", L::PortOpened, "3", "COM3");
        add("opened two digits", L::PortOpened, "12", "COM12");
        add("answered", L::ComOk, "3", "Com OK");
        add("silent", L::NoCom, "3", "No Com");
        add("lost reads as silent", L::Lost, "3", "No Com");
        add("line error", L::ComError, "3", "Com Error");
        add("cat line error", L::CatError, "3", "Com2 Error");
    }
    void linkStatusCaptions() {
        QFETCH(int, status);
        QFETCH(QString, port);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(mapping::linkStatusCaption(
                     static_cast<mapping::LinkStatus>(status), port.toStdString())),
                 caption);
    }

    void unknownEntries() {
        QCOMPARE(mapping::captionOf(mapping::kModes, "M5"), std::nullopt);
        QCOMPARE(mapping::captionOf(mapping::kAgc, "  "), std::nullopt);
        QCOMPARE(mapping::codeOf(mapping::kModes, "usb"), std::nullopt);
        QCOMPARE(mapping::codeOf(mapping::kSources, ""), std::nullopt);
        QCOMPARE(mapping::catDigitOfMode("M0"), std::nullopt);
        QCOMPARE(mapping::modeOfCatDigit('4'), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestRadioTables)
#include "test_radio_tables.moc"
