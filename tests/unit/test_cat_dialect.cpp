// The CAT dialect without a port: command shapes, answers from the radio
// state, framing across receives, the tail bound and random input.
#include <QtTest>

#include <QRegularExpression>

#include <random>
#include <string>
#include <vector>

#include "cat/cat_dialect.h"
#include "radio/mappings.h"

using namespace tolvane;
using namespace tolvane::cat;

namespace {

// A request as the radio would get it: "F" + seven digits, or the mode code.
QString describe(const CatAction& a) {
    switch (a.kind) {
        case CatAction::Kind::FreqSet:
            return "F" + QString::fromStdString(a.value);
        case CatAction::Kind::ModeSet:
            return QString::fromStdString(a.value);
        case CatAction::Kind::FreqQuery:
            return "query FA";
        case CatAction::Kind::ModeQuery:
            return "query MD";
        default:
            return "TS-2000 " + QString::number(static_cast<int>(a.kind)) + " " +
                   QString::fromStdString(a.value);
    }
}

QStringList toList(const std::vector<std::string>& v) {
    QStringList out;
    for (const std::string& s : v) out << QString::fromStdString(s);
    return out;
}

QStringList toList(const std::vector<CatAction>& v) {
    QStringList out;
    for (const CatAction& a : v) out << describe(a);
    return out;
}

RadioState stateWith(const QString& freq, const QString& mode) {
    RadioState st;
    st.gFreqReport = freq.toStdString();
    st.gModeReport = mode.toStdString();
    return st;
}

QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

bool isWellFormedAnswer(const std::string& a) {
    static const QRegularExpression re("^(FA000[0-9]{7}0;|MD[12356A9];)$");
    return re.match(QString::fromLatin1(a.data(), static_cast<qsizetype>(a.size()))).hasMatch();
}

bool isWellFormedRequest(const CatAction& a) {
    if (a.kind == CatAction::Kind::FreqSet)
        return a.value.size() == 7 && a.value >= "0160000" && a.value <= "2999999" &&
               a.value.find_first_not_of("0123456789") == std::string::npos;
    if (a.kind == CatAction::Kind::ModeSet)
        return a.value == "M1" || a.value == "M2" || a.value == "M3" || a.value == "M4";
    return false;
}

}  // namespace

class TestCatDialect : public QObject {
    Q_OBJECT
  private slots:
    void serve_data();
    void serve();
    void commandShapes_data();
    void commandShapes();
    void modeDigitTables();
    void tailBound_data();
    void tailBound();
    void overlongCompletedCommandIsDropped();
    void tailWithoutBufferIsNotServed();
    void splitAnywhereServesTheSame();
    void randomTokensServeOnlyTheValidOnes();
    void randomBytesNeverAnswerWrongly();
};

// Two receives served one after the other through one input buffer, against
// a state that does not change. Answers and requests in order.
void TestCatDialect::serve_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("requests");

    const QString f14 = "F1407400";
    const QStringList none;
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    // Frequency query.
    row("FA 14.074") << QByteArray("FA;") << QByteArray() << f14 << "M1"
                     << "OFF" << QStringList{"FA00014074000;"} << none;
    row("FA 7.000") << QByteArray("FA;") << QByteArray() << "F0700000"
                    << "M1"
                    << "OFF" << QStringList{"FA00007000000;"} << none;
    row("FA 29.99999") << QByteArray("FA;") << QByteArray() << "F2999999"
                       << "M1"
                       << "OFF" << QStringList{"FA00029999990;"} << none;
    row("FA blanks before first report") << QByteArray("FA;") << QByteArray() << "        "
                                         << "M1"
                                         << "OFF" << none << none;
    row("FA short report") << QByteArray("FA;") << QByteArray() << "F140740 "
                           << "M1"
                           << "OFF" << none << none;
    row("FA report with letter") << QByteArray("FA;") << QByteArray() << "F14O7400"
                                 << "M1"
                                 << "OFF" << none << none;
    row("FA report with parity mark") << QByteArray("FA;") << QByteArray() << "F14:7400"
                                      << "M1"
                                      << "OFF" << none << none;
    row("FA twice") << QByteArray("FA;FA;") << QByteArray() << f14 << "M1"
                    << "OFF" << QStringList{"FA00014074000;", "FA00014074000;"} << none;

    // Frequency set.
    row("set 14.074") << QByteArray("FA00014074000;") << QByteArray() << f14 << "M1"
                      << "OFF" << none << QStringList{"F1407400"};
    row("set 7.074") << QByteArray("FA00007074000;") << QByteArray() << f14 << "M1"
                     << "OFF" << none << QStringList{"F0707400"};
    row("set drops 1 Hz digit") << QByteArray("FA00014074009;") << QByteArray() << f14 << "M1"
                                << "OFF" << none << QStringList{"F1407400"};
    row("set seven digits") << QByteArray("FA0001407400;") << QByteArray() << f14 << "M1"
                            << "OFF" << none << QStringList{"F1407400"};
    row("set lowest") << QByteArray("FA00001600000;") << QByteArray() << f14 << "M1"
                      << "OFF" << none << QStringList{"F0160000"};
    row("set highest") << QByteArray("FA00029999999;") << QByteArray() << f14 << "M1"
                       << "OFF" << none << QStringList{"F2999999"};
    row("set just below range") << QByteArray("FA00001599999;") << QByteArray() << f14 << "M1"
                                << "OFF" << none << none;
    row("set just above range") << QByteArray("FA00030000000;") << QByteArray() << f14 << "M1"
                                << "OFF" << none << none;
    row("set 400 MHz") << QByteArray("FA00040000000;") << QByteArray() << f14 << "M1"
                       << "OFF" << none << none;
    row("set zero") << QByteArray("FA00000000000;") << QByteArray() << f14 << "M1"
                    << "OFF" << none << none;
    row("set five digits") << QByteArray("FA00014074;") << QByteArray() << f14 << "M1"
                           << "OFF" << none << none;
    row("set six digits") << QByteArray("FA000140740;") << QByteArray() << f14 << "M1"
                          << "OFF" << none << none;
    row("set nine digits") << QByteArray("FA000140740000;") << QByteArray() << f14 << "M1"
                           << "OFF" << none << none;
    row("set over-long") << QByteArray("FA00014074000000000000;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("set trailing letter") << QByteArray("FA0001407400X;") << QByteArray() << f14 << "M1"
                               << "OFF" << none << none;
    row("set blank inside") << QByteArray("FA000 1407400;") << QByteArray() << f14 << "M1"
                            << "OFF" << none << none;
    row("set decimal point") << QByteArray("FA00014.07400;") << QByteArray() << f14 << "M1"
                             << "OFF" << none << none;
    row("set without three zeros") << QByteArray("FA01014074000;") << QByteArray() << f14 << "M1"
                                   << "OFF" << none << none;
    row("set bare FA000") << QByteArray("FA000;") << QByteArray() << f14 << "M1"
                          << "OFF" << none << none;
    row("set then query sees given state")
        << QByteArray("FA00007074000;FA;") << QByteArray() << f14 << "M1"
        << "OFF" << QStringList{"FA00014074000;"} << QStringList{"F0707400"};

    // Mode query.
    row("MD USB") << QByteArray("MD;") << QByteArray() << f14 << "M1"
                  << "OFF" << QStringList{"MD2;"} << none;
    row("MD LSB") << QByteArray("MD;") << QByteArray() << f14 << "M2"
                  << "OFF" << QStringList{"MD1;"} << none;
    row("MD AME") << QByteArray("MD;") << QByteArray() << f14 << "M3"
                  << "OFF" << QStringList{"MD5;"} << none;
    row("MD CW") << QByteArray("MD;") << QByteArray() << f14 << "M4"
                 << "OFF" << QStringList{"MD3;"} << none;
    row("MD before first report") << QByteArray("MD;") << QByteArray() << f14 << "  "
                                  << "OFF" << none << none;
    row("MD unknown mode") << QByteArray("MD;") << QByteArray() << f14 << "M5"
                           << "OFF" << none << none;
    row("MD lower case report") << QByteArray("MD;") << QByteArray() << f14 << "m1"
                                << "OFF" << none << none;
    row("MD PSK") << QByteArray("MD;") << QByteArray() << f14 << "M1"
                  << "PSK" << QStringList{"MDA;"} << none;
    row("MD FSK") << QByteArray("MD;") << QByteArray() << f14 << "M2"
                  << "FSK" << QStringList{"MD9;"} << none;
    row("MD RTTY") << QByteArray("MD;") << QByteArray() << f14 << "M2"
                   << "RTTY" << QStringList{"MD6;"} << none;
    row("MD RTTY without mode report") << QByteArray("MD;") << QByteArray() << f14 << "  "
                                       << "RTTY" << QStringList{"MD6;"} << none;
    row("MD empty preset follows mode") << QByteArray("MD;") << QByteArray() << f14 << "M4"
                                        << "" << QStringList{"MD3;"} << none;
    row("MD odd preset follows mode") << QByteArray("MD;") << QByteArray() << f14 << "M3"
                                      << "psk" << QStringList{"MD5;"} << none;
    row("MD odd preset unknown mode") << QByteArray("MD;") << QByteArray() << f14 << "  "
                                      << "OLIVIA" << none << none;

    // Mode set.
    row("MD1 LSB") << QByteArray("MD1;") << QByteArray() << f14 << "M1"
                   << "OFF" << none << QStringList{"M2"};
    row("MD2 USB") << QByteArray("MD2;") << QByteArray() << f14 << "M2"
                   << "OFF" << none << QStringList{"M1"};
    row("MD3 CW") << QByteArray("MD3;") << QByteArray() << f14 << "M1"
                  << "OFF" << none << QStringList{"M4"};
    row("MD5 AME") << QByteArray("MD5;") << QByteArray() << f14 << "M1"
                   << "OFF" << none << QStringList{"M3"};
    row("MD2 while USB still requested") << QByteArray("MD2;") << QByteArray() << f14 << "M1"
                                         << "OFF" << none << QStringList{"M1"};
    row("MD0 Yaesu query") << QByteArray("MD0;") << QByteArray() << f14 << "M1"
                           << "OFF" << none << none;
    row("MD4") << QByteArray("MD4;") << QByteArray() << f14 << "M1"
               << "OFF" << none << none;
    row("MD6 FSK") << QByteArray("MD6;") << QByteArray() << f14 << "M1"
                   << "OFF" << none << none;
    row("MD9") << QByteArray("MD9;") << QByteArray() << f14 << "M1"
               << "OFF" << none << none;
    row("MDA") << QByteArray("MDA;") << QByteArray() << f14 << "M1"
               << "OFF" << none << none;
    row("MD two digits") << QByteArray("MD12;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("MD0 then MD") << QByteArray("MD1;MD0;MD;") << QByteArray() << f14 << "M4"
                       << "OFF" << QStringList{"MD3;"} << QStringList{"M2"};

    // Ignored shapes.
    row("IF") << QByteArray("IF;") << QByteArray() << f14 << "M1"
              << "OFF" << none << none;
    row("ID") << QByteArray("ID;") << QByteArray() << f14 << "M1"
              << "OFF" << none << none;
    row("PS") << QByteArray("PS;") << QByteArray() << f14 << "M1"
              << "OFF" << none << none;
    row("FB") << QByteArray("FB;") << QByteArray() << f14 << "M1"
              << "OFF" << none << none;
    row("fa lower case") << QByteArray("fa;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("Fa mixed case") << QByteArray("Fa;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("md lower case") << QByteArray("md;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("FA with blank") << QByteArray("FA ;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("blank before FA") << QByteArray(" FA;") << QByteArray() << f14 << "M1"
                           << "OFF" << none << none;
    row("FA with CR LF") << QByteArray("\r\nFA;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << none;
    row("only separators") << QByteArray(";;;;") << QByteArray() << f14 << "M1"
                           << "OFF" << none << none;
    row("NUL in command") << QByteArray("F\0A;", 4) << QByteArray() << f14 << "M1"
                          << "OFF" << none << none;
    row("0xFF command") << QByteArray("\xff\xff;") << QByteArray() << f14 << "M1"
                        << "OFF" << none << none;

    // Several commands in one receive.
    row(";;FA;") << QByteArray(";;FA;") << QByteArray() << f14 << "M1"
                 << "OFF" << QStringList{"FA00014074000;"} << none;
    row("FA;MD;") << QByteArray("FA;MD;") << QByteArray() << f14 << "M2"
                  << "OFF" << QStringList{"FA00014074000;", "MD1;"} << none;
    row("MD;FA;") << QByteArray("MD;FA;") << QByteArray() << f14 << "M2"
                  << "OFF" << QStringList{"MD1;", "FA00014074000;"} << none;
    row("FA;IF;MD;") << QByteArray("FA;IF;MD;") << QByteArray() << f14 << "M1"
                     << "OFF" << QStringList{"FA00014074000;", "MD2;"} << none;
    row("sets in order") << QByteArray("MD3;FA00007074000;MD1;") << QByteArray() << f14 << "M1"
                         << "OFF" << none << QStringList{"M4", "F0707400", "M2"};

    // Across two receives.
    row("set split 10+4") << QByteArray("FA00007074") << QByteArray("000;") << f14 << "M1"
                          << "OFF" << none << QStringList{"F0707400"};
    row("set split before ;") << QByteArray("FA00007074000") << QByteArray(";") << f14 << "M1"
                              << "OFF" << none << QStringList{"F0707400"};
    row("FA split F|A;") << QByteArray("F") << QByteArray("A;") << f14 << "M1"
                         << "OFF" << QStringList{"FA00014074000;"} << none;
    row("FA;M|D;") << QByteArray("FA;M") << QByteArray("D;") << f14 << "M1"
                   << "OFF" << QStringList{"FA00014074000;", "MD2;"} << none;
    row("complete then complete") << QByteArray("FA;") << QByteArray("MD;") << f14 << "M3"
                                  << "OFF" << QStringList{"FA00014074000;", "MD5;"} << none;
    row("unfinished tail then separator")
        << QByteArray("FA") << QByteArray(";;FA;") << f14 << "M1"
        << "OFF" << QStringList{"FA00014074000;", "FA00014074000;"} << none;
    row("tail completes garbage") << QByteArray("X") << QByteArray("FA;") << f14 << "M1"
                                  << "OFF" << none << none;
    row("never completed") << QByteArray("FA;MD") << QByteArray("") << f14 << "M1"
                           << "OFF" << QStringList{"FA00014074000;"} << none;
}

void TestCatDialect::serve() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, freq);
    QFETCH(QString, mode);
    QFETCH(QString, preset);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, requests);
    RadioState st = stateWith(freq, mode);
    const std::string p = preset.toStdString();
    CatInputBuffer input;
    CatResult a = serveCat(input, first.toStdString(), st, p);
    CatResult b = serveCat(input, second.toStdString(), st, p);
    QCOMPARE(toList(a.answers) + toList(b.answers), answers);
    QCOMPARE(toList(a.requests) + toList(b.requests), requests);
}

// Each command (without ";") against the shape table.
void TestCatDialect::commandShapes_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("action");  // empty: ignored
    QTest::newRow("FA") << QByteArray("FA") << "query FA";
    QTest::newRow("MD") << QByteArray("MD") << "query MD";
    QTest::newRow("FA set 13") << QByteArray("FA00014074000") << "F1407400";
    QTest::newRow("FA set 12") << QByteArray("FA0001407400") << "F1407400";
    QTest::newRow("FA set 11") << QByteArray("FA000140740") << "";
    QTest::newRow("FA set 14") << QByteArray("FA000140740000") << "";
    QTest::newRow("MD5") << QByteArray("MD5") << "M3";
    QTest::newRow("MD6") << QByteArray("MD6") << "";
    QTest::newRow("empty") << QByteArray("") << "";
    QTest::newRow("F") << QByteArray("F") << "";
    QTest::newRow("M") << QByteArray("M") << "";
    QTest::newRow("FAFA") << QByteArray("FAFA") << "";
    QTest::newRow("MDMD") << QByteArray("MDMD") << "";
    QTest::newRow("FA0") << QByteArray("FA0") << "";
}

void TestCatDialect::commandShapes() {
    QFETCH(QByteArray, command);
    QFETCH(QString, action);
    std::optional<CatAction> a = parseCatCommand(command.toStdString());
    QCOMPARE(a ? describe(*a) : QString(), action);
}

void TestCatDialect::modeDigitTables() {
    // Every defined digit goes to a code whose answer is the same digit.
    auto code = [](char d) { return modeCodeForDigit(d).value_or("none"); };
    auto digit = [](std::string_view mode, std::string_view preset) {
        return answerDigit(mode, preset).value_or('?');
    };
    // Every defined digit goes to a code whose answer is the same digit.
    for (const mapping::ModeRow& m : mapping::kModes) {
        QCOMPARE(code(m.catDigit), std::string(m.code));
        QCOMPARE(digit(m.code, "OFF"), m.catDigit);
    }
    for (char d : std::string("046789AB ;\xff")) QCOMPARE(code(d), std::string("none"));
    QCOMPARE(code('1'), std::string("M2"));
    QCOMPARE(code('2'), std::string("M1"));
    QCOMPARE(code('3'), std::string("M4"));
    QCOMPARE(code('5'), std::string("M3"));
    QCOMPARE(digit("M1", "PSK"), 'A');
    QCOMPARE(digit("M1", "FSK"), '9');
    QCOMPARE(digit("M1", "RTTY"), '6');
    QCOMPARE(digit("", "OFF"), '?');
    QCOMPARE(digit("M1 ", "OFF"), '?');
}

// The unfinished tail holds up to 4096 characters; one more and it is
// dropped, so the next command stands on its own.
void TestCatDialect::tailBound_data() {
    QTest::addColumn<int>("tailLength");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("4095 kept") << 4095 << 4095 << QStringList{};
    QTest::newRow("4096 kept") << 4096 << 4096 << QStringList{};
    QTest::newRow("4097 dropped") << 4097 << 0 << QStringList{"FA00014074000;"};
    QTest::newRow("10000 dropped") << 10000 << 0 << QStringList{"FA00014074000;"};
}

void TestCatDialect::tailBound() {
    QFETCH(int, tailLength);
    QFETCH(int, kept);
    QFETCH(QStringList, answers);
    RadioState st = stateWith("F1407400", "M1");
    CatInputBuffer input;
    std::string garbage;
    for (int i = 0; i < tailLength; ++i) garbage += (i % 2 == 0) ? 'F' : 'A';
    CatResult a = serveCat(input, garbage, st, "OFF");
    QVERIFY(a.answers.empty());
    QCOMPARE(static_cast<int>(input.tail().size()), kept);
    // A kept tail swallows the next command (it is part of the over-long
    // garbage command on the wire); a dropped one does not.
    CatResult b = serveCat(input, "FA;", st, "OFF");
    QCOMPARE(toList(b.answers), answers);
    QVERIFY(input.tail().empty());
    // In any case the command after the next ";" is served.
    CatResult c = serveCat(input, "FA;", st, "OFF");
    QCOMPARE(toList(c.answers), QStringList{"FA00014074000;"});
}

void TestCatDialect::overlongCompletedCommandIsDropped() {
    CatInputBuffer input;
    std::string text(3000, 'F');
    QVERIFY(input.feed(text).empty());
    std::vector<std::string> cmds = input.feed(text + ";MD;");  // 6000 before the ";"
    QCOMPARE(cmds, std::vector<std::string>{"MD"});
    cmds = input.feed(std::string(4096, 'x') + ";" + std::string(4097, 'y') + ";FA;");
    QCOMPARE(cmds.size(), size_t(2));
    QCOMPARE(cmds[0].size(), size_t(4096));
    QCOMPARE(cmds[1], std::string("FA"));
}

void TestCatDialect::tailWithoutBufferIsNotServed() {
    RadioState st = stateWith("F1407400", "M1");
    QVERIFY(serveCat("FA0000707", st, "OFF").requests.empty());
    QVERIFY(serveCat("4000;", st, "OFF").requests.empty());
    QCOMPARE(toList(serveCat("FA;FA0000707", st, "OFF").answers), QStringList{"FA00014074000;"});
}

// Cutting a text into receives anywhere gives the same commands as one receive.
void TestCatDialect::splitAnywhereServesTheSame() {
    const std::string text = ";;FA;MD1;xx;FA00007074000;MD;fa;FA00014074;MD5;IF;FA;";
    RadioState st = stateWith("F0700000", "M4");
    CatResult whole = serveCat(text, st, "OFF");
    QCOMPARE(toList(whole.answers), (QStringList{"FA00007000000;", "MD3;", "FA00007000000;"}));
    QCOMPARE(toList(whole.requests), (QStringList{"M2", "F0707400", "M3"}));
    for (size_t cut1 = 0; cut1 <= text.size(); ++cut1) {
        for (size_t cut2 = cut1; cut2 <= text.size(); cut2 += 3) {
            CatInputBuffer input;
            CatResult r1 = serveCat(input, text.substr(0, cut1), st, "OFF");
            CatResult r2 = serveCat(input, text.substr(cut1, cut2 - cut1), st, "OFF");
            CatResult r3 = serveCat(input, text.substr(cut2), st, "OFF");
            QCOMPARE(toList(r1.answers) + toList(r2.answers) + toList(r3.answers),
                     toList(whole.answers));
            QCOMPARE(toList(r1.requests) + toList(r2.requests) + toList(r3.requests),
                     toList(whole.requests));
            QVERIFY(input.tail().empty());
        }
    }
}

// Valid commands mixed with garbage commands (each holding a byte that no
// command of the dialect has), cut into random receives: exactly the valid
// commands are served, in order.
void TestCatDialect::randomTokensServeOnlyTheValidOnes() {
    struct Token {
        const char* text;
        const char* answer;   // nullptr: none
        const char* request;  // nullptr: none
    };
    const std::vector<Token> valid = {
        {"FA;", "FA00014074000;", nullptr},
        {"MD;", "MD3;", nullptr},
        {"FA00007074000;", nullptr, "F0707400"},
        {"FA0002999999;", nullptr, "F2999999"},
        {"MD1;", nullptr, "M2"},
        {"MD5;", nullptr, "M3"},
        {";", nullptr, nullptr},
        {"MD0;", nullptr, nullptr},
        {"FA00040000000;", nullptr, nullptr},
        {"IF;", nullptr, nullptr},
        {"fa;", nullptr, nullptr},
    };
    const std::string noise = std::string("FAMD0123456789;") + '\0' + "\xff\r\n x";
    const quint32 seed = 20240611;
    std::mt19937 rng(seed);
    RadioState st = stateWith("F1407400", "M4");
    for (int round = 0; round < 200; ++round) {
        std::string text;
        QStringList answers, requests;
        int tokens = static_cast<int>(rng() % 40);
        for (int t = 0; t < tokens; ++t) {
            if (rng() % 2 == 0) {
                const Token& tok = valid[rng() % valid.size()];
                text += tok.text;
                if (tok.answer) answers << tok.answer;
                if (tok.request) requests << tok.request;
            } else {
                // Garbage command: random noise with one character that no
                // shape contains, ended by ";".
                std::string g;
                int n = static_cast<int>(rng() % 20);
                for (int i = 0; i < n; ++i) {
                    char c = noise[rng() % noise.size()];
                    if (c != ';') g += c;
                }
                const char odd[] = {'\0', '\xff', 'x', ' ', '\r', 'f'};
                g.insert(g.begin() + static_cast<long>(rng() % (g.size() + 1)), odd[rng() % 6]);
                text += g + ";";
            }
        }
        CatInputBuffer input;
        QStringList gotAnswers, gotRequests;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t len = 1 + rng() % 16;
            CatResult r = serveCat(input, std::string_view(text).substr(pos, len), st, "OFF");
            gotAnswers += toList(r.answers);
            gotRequests += toList(r.requests);
            pos += len;
        }
        if (gotAnswers != answers || gotRequests != requests)
            qWarning("seed %u round %d text %s", seed, round, bytes(text).toHex().constData());
        QCOMPARE(gotAnswers, answers);
        QCOMPARE(gotRequests, requests);
        QVERIFY(input.tail().empty());
    }
}

// Pure noise (random bytes, NULs, 0xFF, floods of ";" and of "FA"): nothing
// but well-formed answers and requests ever comes out, the tail stays within
// its bound, and a clean command afterwards is served.
void TestCatDialect::randomBytesNeverAnswerWrongly() {
    const quint32 seed = 7741;
    std::mt19937 rng(seed);
    RadioState st = stateWith("F0700000", "M2");
    for (int round = 0; round < 300; ++round) {
        CatInputBuffer input;
        int receives = 1 + static_cast<int>(rng() % 8);
        for (int r = 0; r < receives; ++r) {
            std::string text;
            switch (rng() % 5) {
                case 0:
                    text.assign(rng() % 6000, ';');
                    break;
                case 1:
                    for (unsigned i = rng() % 3000; i > 0; --i) text += "FA";
                    break;
                case 2:
                    text.assign(rng() % 200, '\0');
                    text += std::string(rng() % 200, '\xff');
                    break;
                default:
                    for (unsigned i = rng() % 5000; i > 0; --i) {
                        unsigned pick = rng() % 4;
                        // Half from the dialect's own characters, half any byte.
                        text += pick < 2 ? "FAMD0123;"[rng() % 9] : static_cast<char>(rng() % 256);
                    }
                    break;
            }
            CatResult res = serveCat(input, text, st, rng() % 2 ? "OFF" : "RTTY");
            for (const std::string& a : res.answers) {
                if (!isWellFormedAnswer(a))
                    qWarning("seed %u round %d answer %s", seed, round,
                             bytes(a).toHex().constData());
                QVERIFY(isWellFormedAnswer(a));
            }
            for (const CatAction& a : res.requests) QVERIFY(isWellFormedRequest(a));
            QVERIFY(input.tail().size() <= CatInputBuffer::kCapacity);
        }
        // The station ends whatever it left unfinished; then it is served again.
        for (const std::string& a : serveCat(input, ";", st, "OFF").answers)
            QVERIFY(isWellFormedAnswer(a));
        QVERIFY(input.tail().empty());
        CatResult after = serveCat(input, "FA;MD;", st, "OFF");
        QCOMPARE(toList(after.answers), (QStringList{"FA00007000000;", "MD1;"}));
    }
}

QTEST_GUILESS_MAIN(TestCatDialect)
#include "test_cat_dialect.moc"
