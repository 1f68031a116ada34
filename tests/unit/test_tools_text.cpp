// Frequency and mode texts of the tool windows: scan limits, band list and
// scan list frequencies, scan commands, the MHz text of a report, mode names.
#include <QTest>

#include "tools/tool_text.h"

using namespace tolvane;

namespace {
QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& t) {
    return t.toStdString();
}
}  // namespace

class ToolsTextTest : public QObject {
    Q_OBJECT

  private slots:
    void parseScanFreq_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("160 lower") << "1.800" << 180000 << true;
        QTest::newRow("20 lower, two decimals") << "14.00" << 1400000 << true;
        QTest::newRow("30 upper") << "10.150" << 1015000 << true;
        QTest::newRow("40 lower") << "7.000" << 700000 << true;
        QTest::newRow("10 upper") << "29.700" << 2970000 << true;
        QTest::newRow("lowest") << "1.6" << 160000 << true;
        QTest::newRow("highest") << "29.99999" << 2999999 << true;
        QTest::newRow("below the range") << "1.5" << 150000 << false;
        QTest::newRow("above the range") << "30" << 3000000 << false;
        QTest::newRow("error text") << "Error" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("point first") << ".5" << 5000000 << false;
        QTest::newRow("leading blank") << " 7.0" << 700000 << true;
        QTest::newRow("letter inside") << "7.0x0" << 70 << false;
        QTest::newRow("seven positions exactly") << "14.07400" << 1407400 << true;
        QTest::newRow("single MHz, six more") << "7.07400" << 707400 << true;
        QTest::newRow("eight positions") << "14.074000" << 0 << false;
        QTest::newRow("single MHz, seven more") << "7.074000" << 0 << false;
        QTest::newRow("many digits") << "7.00000000000000000001" << 0 << false;
    }
    void parseScanFreq() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, valid);
        QCOMPARE(ParseScanFreq(s(text)), value);
        QCOMPARE(frequencyInRange(ParseScanFreq(s(text))), valid);
    }

    void scanCommand_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("command");
        QTest::newRow("7 MHz") << 700000 << "F0700000";
        QTest::newRow("7.001 MHz") << 700100 << "F0700100";
        QTest::newRow("14 MHz") << 1400000 << "F1400000";
        QTest::newRow("1.6 MHz") << 160000 << "F0160000";
        QTest::newRow("highest") << 2999999 << "F2999999";
    }
    void scanCommand() {
        QFETCH(int, value);
        QFETCH(QString, command);
        QCOMPARE(q(tolvane::scanCommand(value)), command);
    }

    void bandRowDigits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digits");  // "none": rejected as too long
        QTest::addColumn<bool>("valid");
        QTest::newRow("7.1") << "7.1"
                             << "0710000" << true;
        QTest::newRow("14.07400") << "14.07400"
                                  << "1407400" << true;
        QTest::newRow("1.6") << "1.6"
                             << "0160000" << true;
        QTest::newRow("30.0") << "30.0"
                              << "3000000" << false;
        QTest::newRow("1.59999") << "1.59999"
                                 << "0159999" << false;
        QTest::newRow("7.074 with a unit") << "7.074 MHz"
                                           << "0707400" << true;
        QTest::newRow("comma") << "14,074"
                               << "1407400" << true;
        QTest::newRow("7. without decimals") << "7."
                                             << "7000000" << false;
        QTest::newRow("letters") << "abc"
                                 << "0000000" << false;
        QTest::newRow("eight digits") << "14.074000"
                                      << "none" << false;
        QTest::newRow("single MHz, seven decimals") << "7.0740000"
                                                    << "none" << false;
        QTest::newRow("single MHz, six decimals") << "7.074000"
                                                  << "none" << false;
        QTest::newRow("single MHz, five decimals") << "7.07400"
                                                   << "0707400" << true;
    }
    void bandRowDigits() {
        QFETCH(QString, text);
        QFETCH(QString, digits);
        QFETCH(bool, valid);
        const auto got = tolvane::bandRowDigits(s(text));
        QCOMPARE(got ? q(*got) : QString("none"), digits);
        QCOMPARE(got.has_value() && isRadioFrequency(*got), valid);
    }

    void listRowCommand_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("command");  // "none": overfills the cells
        QTest::addColumn<bool>("valid");
        QTest::newRow("7.0") << "7.0"
                             << "F0700000" << true;
        QTest::newRow("14.2") << "14.2"
                              << "F1420000" << true;
        QTest::newRow("1.5") << "1.5"
                             << "F0150000" << false;
        QTest::newRow("29.99999") << "29.99999"
                                  << "F2999999" << true;
        QTest::newRow("30") << "30"
                            << "F3000000" << false;
        QTest::newRow("letter") << "7.0x"
                                << "F070x000" << false;
        QTest::newRow("blank") << " "
                               << "F 000000" << false;
        QTest::newRow("single MHz, five decimals") << "7.07400"
                                                   << "F0707400" << true;
        QTest::newRow("single MHz, six decimals") << "7.074000"
                                                  << "none" << false;
        QTest::newRow("eight characters") << "14.0740000"
                                          << "none" << false;
    }
    void listRowCommand() {
        QFETCH(QString, text);
        QFETCH(QString, command);
        QFETCH(bool, valid);
        const auto got = tolvane::listRowCommand(s(text));
        QCOMPARE(got ? q(*got) : QString("none"), command);
        QCOMPARE(got.has_value() && isFrequencyCommand(*got), valid);
    }

    void radioFrequency_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("lowest") << "0160000" << true;
        QTest::newRow("below") << "0159999" << false;
        QTest::newRow("highest") << "2999999" << true;
        QTest::newRow("above") << "3000000" << false;
        QTest::newRow("six digits") << "160000" << false;
        QTest::newRow("eight digits") << "01600000" << false;
        QTest::newRow("blank inside") << "01 0000" << false;
    }
    void radioFrequency() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isRadioFrequency(s(text)), valid);
        QCOMPARE(isFrequencyCommand("F" + s(text)), valid);
        QVERIFY(!isFrequencyCommand("f" + s(text)));
    }

    void reportMHz_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("mhz");
        QTest::newRow("7.074") << "F0707400"
                               << "7.07400";
        QTest::newRow("14.074") << "F1407400"
                                << "14.07400";
        QTest::newRow("3.5") << "F0350000"
                             << "3.50000";
        QTest::newRow("29.99999") << "F2999999"
                                  << "29.99999";
        QTest::newRow("short") << "F07"
                               << "7.     ";
    }
    void reportMHz() {
        QFETCH(QString, report);
        QFETCH(QString, mhz);
        QCOMPARE(q(tolvane::reportMHz(s(report))), mhz);
    }

    void modeCode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("acceptAm");
        QTest::addColumn<QString>("code");
        QTest::newRow("USB") << "USB" << false << "M1";
        QTest::newRow("usb lower case") << "usb" << false << "M1";
        QTest::newRow("LSB") << "LSB" << false << "M2";
        QTest::newRow("AME") << "AME" << false << "M3";
        QTest::newRow("Cw mixed case") << "Cw" << false << "M4";
        QTest::newRow("am in the band list") << "am" << false << "M2";
        QTest::newRow("am in the scan list") << "am" << true << "M3";
        QTest::newRow("FM keeps the mode") << "FM" << true << "M2";
        QTest::newRow("empty keeps the mode") << "" << false << "M2";
        QTest::newRow("USB with a blank") << "USB " << false << "M2";
    }
    void modeCode() {
        QFETCH(QString, text);
        QFETCH(bool, acceptAm);
        QFETCH(QString, code);
        QCOMPARE(q(modeCodeFor(s(text), "M2", acceptAm)), code);
    }

    void modeName_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");  // "none": leaves the box
        QTest::newRow("M1") << "M1"
                            << "USB";
        QTest::newRow("M2") << "M2"
                            << "LSB";
        QTest::newRow("M3") << "M3"
                            << "AME";
        QTest::newRow("M4") << "M4"
                            << "CW";
        QTest::newRow("M5") << "M5"
                            << "none";
        QTest::newRow("blank report") << "  "
                                      << "none";
    }
    void modeName() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        const auto got = modeNameOf(s(code));
        QCOMPARE(got ? q(*got) : QString("none"), name);
    }

    void fileError() {
        QCOMPARE(q(fileErrorText("M40List.txt", 13, "Permission denied")),
                 QString("M40List.txt: Err 13. Permission denied"));
    }
};

QTEST_APPLESS_MAIN(ToolsTextTest)
#include "test_tools_text.moc"
