// The report parser: lines into the radio state record with their widths
// and changed flags, markers, and garbage that must never corrupt it.
#include <QtTest>
#include <random>

#include "radio/protocol.h"
#include "radio_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

class TestRadioParser : public QObject {
    Q_OBJECT
  private slots:
    void storesReports_data();
    void storesReports();
    void rewritesLineFeeds_data();
    void rewritesLineFeeds();
    void markersAndSync();
    void qReports();
    void colonLineDropped();
    void meterLinesGoToDisplay();
    void dataBoxOnlyWhenShown();
    void lastOfTwoWins();
    void randomInputKeepsWidths();
};

void TestRadioParser::storesReports_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("freq") << QByteArray("F1407400\n") << "F"
                          << "F1407400";
    QTest::newRow("freq six digits padded") << QByteArray("F123456\n") << "F"
                                            << "F123456 ";
    QTest::newRow("freq eight digits cut") << QByteArray("F12345678\n") << "F"
                                           << "F1234567";
    QTest::newRow("agc") << QByteArray("A3\n") << "A"
                         << "A3";
    QTest::newRow("mode") << QByteArray("M2\n") << "M"
                          << "M2";
    QTest::newRow("mode long cut") << QByteArray("M2xyz\n") << "M"
                                   << "M2";
    QTest::newRow("meter") << QByteArray("D6\n") << "D"
                           << "D6";
    QTest::newRow("source") << QByteArray("H4\n") << "H"
                            << "H4";
    QTest::newRow("routing") << QByteArray("\"0\n") << "\""
                             << "\"0";
    QTest::newRow("ptt enable") << QByteArray("'1\n") << "'"
                                << "'1";
    QTest::newRow("speaker") << QByteArray("(0\n") << "("
                             << "(0";
    QTest::newRow("comma") << QByteArray(",5\n") << ","
                           << ",5";
    QTest::newRow("remote") << QByteArray("R1\n") << "R"
                            << "R1";
    QTest::newRow("amp") << QByteArray("O4\n") << "O"
                         << "O4";
    QTest::newRow("tune") << QByteArray("T3\n") << "T"
                          << "T3";
    QTest::newRow("x") << QByteArray("X9\n") << "X"
                       << "X9";
    QTest::newRow("rf gain") << QByteArray("G32\n") << "G"
                             << "G32";
    QTest::newRow("clip") << QByteArray("I1\n") << "I"
                          << "I1";
    QTest::newRow("sidetone") << QByteArray("S1\n") << "S"
                              << "S1";
    QTest::newRow("vox") << QByteArray("V2\n") << "V"
                         << "V2";
    QTest::newRow("channel select") << QByteArray("C07\n") << "C"
                                    << "C07";
    QTest::newRow("channel select short") << QByteArray("C\n") << "C"
                                          << "C  ";
    QTest::newRow("bfo") << QByteArray("B095\n") << "B"
                         << "B095";
    QTest::newRow("channel") << QByteArray("P0707125002\n") << "P"
                             << "P0707125002";
    QTest::newRow("star") << QByteArray("*1\n") << "*"
                          << "*1";
    QTest::newRow("fault") << QByteArray("Z3\n") << "Z"
                           << "Z3";
    QTest::newRow("single letter padded") << QByteArray("A\nM1\n") << "A"
                                          << "A ";
}

void TestRadioParser::storesReports() {
    QFETCH(QByteArray, text);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    RadioFixture f;
    std::string s = text.toStdString();
    f.link.ParseRadioInput(s);
    const protocol::ReportField* rf = protocol::findReportField(field.toStdString()[0]);
    QVERIFY(rf != nullptr);
    QCOMPARE(QString::fromStdString(f.state.*(rf->value)), expected);
    QVERIFY(f.state.*(rf->changed));
    QCOMPARE(static_cast<int>((f.state.*(rf->value)).size()), rf->width);
}

void TestRadioParser::rewritesLineFeeds_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("freqOk");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("mode");
    QTest::newRow("freq and mode")
        << QByteArray("F1407400\nM2\n") << QByteArray("F1407400<M2<") << true << "F1407400"
        << "M2";
    QTest::newRow("partial last line lost")
        << QByteArray("M2\nF14074") << QByteArray("M2<F14074") << false << "        "
        << "M2";
    QTest::newRow("empty lines keep their LF")
        << QByteArray("\n\nM3\n") << QByteArray("\n\nM3<") << false << "        "
        << "M3";
    QTest::newRow("one LF parses nothing")
        << QByteArray("\n") << QByteArray("\n") << false << "        "
        << "  ";
    QTest::newRow("one letter parses nothing")
        << QByteArray("M") << QByteArray("M") << false << "        "
        << "  ";
    QTest::newRow("lower case ignored")
        << QByteArray("m2\n") << QByteArray("m2<") << false << "        "
        << "  ";
    QTest::newRow("unknown letter ignored")
        << QByteArray("W5\n)\n") << QByteArray("W5<)<") << false << "        "
        << "  ";
    QTest::newRow("CR kept in payload")
        << QByteArray("F1407400\r\n") << QByteArray("F1407400\r<") << false << "F1407400"
        << "  ";
    QTest::newRow("malformed freq")
        << QByteArray("F12a4567\n") << QByteArray("F12a4567<") << false << "F12a4567"
        << "  ";
}

void TestRadioParser::rewritesLineFeeds() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, after);
    QFETCH(bool, freqOk);
    QFETCH(QString, freq);
    QFETCH(QString, mode);
    RadioFixture f;
    std::string s = text.toStdString();
    f.link.ParseRadioInput(s);
    QCOMPARE(QByteArray::fromStdString(s), after);
    QCOMPARE(f.state.gFreqReportOk, freqOk);
    QCOMPARE(QString::fromStdString(f.state.gFreqReport), freq);
    QCOMPARE(QString::fromStdString(f.state.gModeReport), mode);
}

void TestRadioParser::markersAndSync() {
    RadioFixture f;
    std::string s = "\n\nU\n";
    f.state.gRadioKeyed = true;
    f.link.ParseRadioInput(s);
    QVERIFY(f.state.gSyncReply);
    QVERIFY(!f.state.gRadioKeyed);
    s = "K\n!\n#\n.\n";
    f.link.ParseRadioInput(s);
    QVERIFY(f.state.gRadioKeyed);
    QVERIFY(f.state.gExclSeen);
    QVERIFY(f.state.gHashSeen);
    QVERIFY(f.state.gDotSeen);
    QVERIFY(!f.state.gQSeen);
}

void TestRadioParser::qReports() {
    RadioFixture f;
    std::string s = "QT1\nQC0x\n";
    f.link.ParseRadioInput(s);
    QVERIFY(f.state.gQSeen);
    QCOMPARE(f.state.gQtReport, std::string("QT1"));
    QCOMPARE(f.state.gQcReport, std::string("QC0"));
    RadioFixture g;
    s = "QX\n";
    g.link.ParseRadioInput(s);
    QVERIFY(g.state.gQSeen);
    QCOMPARE(g.state.gQtReport, std::string("   "));
    QCOMPARE(g.state.gQcReport, std::string("   "));
}

void TestRadioParser::colonLineDropped() {
    RadioFixture f;
    std::string s = "F1407400\n";
    f.link.ParseRadioInput(s);
    f.state.gFreqReportNew = false;
    s = "F14:7400\nM4\n";
    f.link.ParseRadioInput(s);
    QCOMPARE(f.state.gFreqReport, std::string("F1407400"));
    QVERIFY(f.state.gFreqReportOk);
    QVERIFY(!f.state.gFreqReportNew);
    QCOMPARE(f.state.gModeReport, std::string("M4"));
}

void TestRadioParser::meterLinesGoToDisplay() {
    RadioFixture f;
    std::string s = "J07\nJ57\n";
    f.link.ParseRadioInput(s);
    QCOMPARE(f.panel.meterLines, (std::vector<std::string>{"J07", "J57"}));
    QVERIFY(f.state.gMeterDataNew);
}

void TestRadioParser::dataBoxOnlyWhenShown() {
    RadioFixture f;
    std::string s = "M1\n";
    f.link.ParseRadioInput(s);
    QCOMPARE(f.panel.dataBox, std::string());
    f.panel.dataShown = true;
    s = "M1\nA2\n";
    f.link.ParseRadioInput(s);
    QCOMPARE(f.panel.dataBox, std::string("M1<A2<"));
}

void TestRadioParser::lastOfTwoWins() {
    RadioFixture f;
    std::string s = "A2\nA4\n";
    f.link.ParseRadioInput(s);
    QCOMPARE(f.state.gAgcReport, std::string("A4"));
}

// Random bytes, 0xFF, NUL, huge lines, ":" and missing LFs: every field
// keeps its width and the parser never throws.
void TestRadioParser::randomInputKeepsWidths() {
    std::mt19937 rng(20261209);
    static const char kChars[] = "FAMDH\"'(,ROTXGISVCBPQ*ZJUK!#.):0123456789\n\n\n\xff\0 xm";
    const std::string alphabet(kChars, sizeof kChars - 1);
    RadioFixture f;
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        int len = static_cast<int>(rng() % (round % 100 == 0 ? 6000 : 60));
        for (int i = 0; i < len; ++i) {
            if (rng() % 4 == 0)
                s.push_back(static_cast<char>(rng() % 256));
            else
                s.push_back(alphabet[rng() % alphabet.size()]);
        }
        std::string before = s;
        f.link.ParseRadioInput(s);
        QCOMPARE(s.size(), before.size());
        for (const protocol::ReportField& rf : protocol::kReportFields)
            QCOMPARE(static_cast<int>((f.state.*(rf.value)).size()), rf.width);
        QCOMPARE(f.state.gQtReport.size(), size_t{3});
        QCOMPARE(f.state.gQcReport.size(), size_t{3});
        // Only LFs that ended a non-empty line changed, and only into "<".
        for (size_t i = 0; i < s.size(); ++i)
            if (s[i] != before[i]) QVERIFY(before[i] == '\n' && s[i] == '<');
    }
}

QTEST_GUILESS_MAIN(TestRadioParser)
#include "test_radio_parser.moc"
