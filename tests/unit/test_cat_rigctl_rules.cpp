// Rules of the rigctld protocol beside its command table: the S-meter
// reading in dB, frequency texts on the radio's 10 Hz steps, the mode table
// read both ways, how a line splits into commands, and random lines.
#include <QtTest>

#include <clocale>
#include <random>
#include <string>

#include "cat/rigctl_protocol.h"
#include "fake_rig.h"

using namespace tolvane;
using namespace tolvane::cat;
using namespace tolvane::test;

namespace {

QString serve(FakeRig& rig, rigctl::Session& session, const QString& line) {
    return QString::fromStdString(rigctl::serveLine(line.toStdString(), session, rig).text);
}

}  // namespace

class TestRigctlRules : public QObject {
    Q_OBJECT
  private slots:
    void strength_data();
    void strength();
    void frequencyText_data();
    void frequencyText();
    void modeTableBothWays();
    void parseLineShapes_data();
    void parseLineShapes();
    void randomLinesAnswerEveryCommand();
    void frequencyTextWhateverTheLocale();
};

void TestRigctlRules::strength_data() {
    QTest::addColumn<QString>("meter");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("keyed");
    QTest::addColumn<int>("db");  // 999: no reading
    QTest::newRow("bottom") << "D4" << 0 << false << -45;
    QTest::newRow("S3 mark") << "D5" << 2 << false << -34;
    QTest::newRow("S6 mark") << "D6" << 5 << false << -18;
    QTest::newRow("S9 mark") << "D4" << 9 << false << 1;
    QTest::newRow("+30 mark") << "D4" << 14 << false << 33;
    QTest::newRow("+60 mark") << "D4" << 18 << false << 57;
    QTest::newRow("top") << "D4" << 21 << false << 75;
    QTest::newRow("above the bar") << "D4" << 22 << false << 999;
    QTest::newRow("negative") << "D4" << -1 << false << 999;
    QTest::newRow("audio meter") << "D1" << 9 << false << 999;
    QTest::newRow("line meter") << "D2" << 9 << false << 999;
    QTest::newRow("patch meter") << "D3" << 9 << false << 999;
    QTest::newRow("transmitting") << "D4" << 9 << true << 999;
    QTest::newRow("no meter report") << "  " << 9 << false << 999;
}

void TestRigctlRules::strength() {
    QFETCH(QString, meter);
    QFETCH(int, value);
    QFETCH(bool, keyed);
    QFETCH(int, db);
    cat::RigSnapshot s = usualSnapshot();
    s.meterReport = meter.toStdString();
    s.meterValue = value;
    s.keyed = keyed;
    std::optional<int> got = rigctl::strengthDb(s);
    QCOMPARE(got.value_or(999), db);
}

void TestRigctlRules::frequencyText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digits");  // "" when refused
    QTest::newRow("integer") << "7074000"
                             << "0707400";
    QTest::newRow("decimal") << "14074055.000000"
                             << "1407406";
    QTest::newRow("half rounds up") << "14074005"
                                    << "1407401";
    QTest::newRow("below half") << "14074004.9"
                                << "1407400";
    QTest::newRow("leading zeros") << "0007074000"
                                   << "0707400";
    QTest::newRow("exponent") << "1.4074e7"
                              << "1407400";
    QTest::newRow("lowest") << "1599995"
                            << "0160000";
    QTest::newRow("below") << "1599994"
                           << "";
    QTest::newRow("highest") << "29999994"
                             << "2999999";
    QTest::newRow("above") << "29999995"
                           << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank inside") << "7074 000"
                                  << "";
    QTest::newRow("trailing letter") << "7074000x"
                                     << "";
    QTest::newRow("hex") << "0x6bf0d0"
                         << "0707400";
    QTest::newRow("plus sign") << "+7074000"
                               << "0707400";
    QTest::newRow("two signs") << "+-7074000"
                               << "";
    QTest::newRow("bare hex prefix") << "0x"
                                     << "";
    QTest::newRow("infinity") << "inf"
                              << "";
    QTest::newRow("huge") << "1e300"
                          << "";
    QTest::newRow("over-long") << QString(80, '1') << "";
}

void TestRigctlRules::frequencyText() {
    QFETCH(QString, text);
    QFETCH(QString, digits);
    std::optional<std::string> got = rigctl::frequencyDigits(text.toStdString());
    QCOMPARE(QString::fromStdString(got.value_or("")), digits);
}

void TestRigctlRules::modeTableBothWays() {
    // Every Hamlib name set on VFO A reads back as itself once the radio
    // and the panel have followed.
    for (const rigctl::HamlibMode& m : rigctl::kHamlibModes) {
        for (const char* preset : {"OFF", "PSK", "FSK", "RTTY"}) {
            FakeRig rig;
            rig.follows = true;
            rig.state.digitalPreset = preset;
            rigctl::Session session;
            QString name = QString::fromLatin1(m.name.data(), m.name.size());
            QCOMPARE(serve(rig, session, "M " + name + " -1"), QString("RPRT 0\n"));
            QCOMPARE(serve(rig, session, "m"), name + "\n" + QString::number(m.passband) + "\n");
        }
        QVERIFY(rigctl::findHamlibMode(m.name) == &m);
        QVERIFY((rigctl::modeMask() & m.bit) != 0);
    }
    QCOMPARE(rigctl::modeMask(), std::uint64_t{0xc1f});
    QVERIFY(rigctl::readBackMode("M5", "OFF") == nullptr);
    QVERIFY(rigctl::readBackMode("  ", "PSK") == nullptr);
    // A preset text the panel does not offer reads as no preset.
    QCOMPARE(rigctl::readBackMode("M1", "SSTV")->name, std::string_view("USB"));
}

void TestRigctlRules::parseLineShapes_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("commands");  // token, arguments, separator
    QTest::newRow("short") << "f" << QStringList{"f||"};
    QTest::newRow("long") << "\\set_mode USB 2400" << QStringList{"\\set_mode|USB,2400|"};
    QTest::newRow("extended +") << "+\\get_freq" << QStringList{"\\get_freq||\n"};
    QTest::newRow("extended ;") << ";F 7074000" << QStringList{"F|7074000|;"};
    QTest::newRow("lone plus") << "+" << QStringList{"+||"};
    QTest::newRow("two") << "f m" << QStringList{"f||", "m||"};
    QTest::newRow("unknown stops") << "X1 f" << QStringList{"X1||"};
    QTest::newRow("missing args") << "S 1" << QStringList{"S|1|"};
    QTest::newRow("list query") << "M ? f" << QStringList{"M|?|", "f||"};
}

void TestRigctlRules::parseLineShapes() {
    QFETCH(QString, line);
    QFETCH(QStringList, commands);
    QStringList got;
    for (const rigctl::Command& c : rigctl::parseLine(line.toStdString())) {
        QStringList args;
        for (const std::string& a : c.arguments) args << QString::fromStdString(a);
        got << QString::fromStdString(c.token) + "|" + args.join(',') + "|" +
                   (c.separator ? QString(QChar(c.separator)) : QString());
    }
    QCOMPARE(got, commands);
}

void TestRigctlRules::randomLinesAnswerEveryCommand() {
    // Whatever arrives, each command gets an answer ending in a line feed,
    // and nothing but well-formed requests reach the app.
    std::mt19937 rng(14);
    const std::string alphabet = "fFmMvVsSiIxXtTlq_\\+;| 0123456789.-?ABCDEFGHPUSBLKTRY\t";
    static const QRegularExpression wellFormed(
        "^(F [AB] [0-9]{7}|M [AB] M[1-4]( (OFF|PSK|RTTY))?|SPLIT [01]|PTT [01])$");
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        int length = std::uniform_int_distribution<int>(0, 24)(rng);
        for (int i = 0; i < length; ++i)
            line +=
                alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        FakeRig rig;
        rigctl::Session session;
        rigctl::LineReply reply = rigctl::serveLine(line, session, rig);
        std::vector<rigctl::Command> commands = rigctl::parseLine(line);
        QVERIFY2(commands.empty() == reply.text.empty(), line.c_str());
        if (!reply.text.empty()) QVERIFY2(reply.text.back() == '\n', line.c_str());
        for (const QString& r : rig.requests) {
            QVERIFY2(wellFormed.match(r).hasMatch(), qPrintable(r));
            QVERIFY(r.startsWith("PTT") || r.startsWith("SPLIT") || r.contains(' '));
        }
        for (const QString& r : rig.requests) {
            if (!r.startsWith("F ")) continue;
            QString digits = r.mid(4);
            QVERIFY(digits >= "0160000" && digits <= "2999999");
        }
    }
}

// The panel runs in the desktop's locale (Qt takes it at start-up); a
// locale with a decimal comma must not change how "14074055.000000" reads.
void TestRigctlRules::frequencyTextWhateverTheLocale() {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nb_NO.UTF-8", "sv_SE.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            comma = name;
            break;
        }
    }
    if (comma == nullptr) QSKIP("no locale with a decimal comma is installed");
    std::optional<std::string> dot = rigctl::frequencyDigits("14074055.000000");
    std::optional<std::string> exponent = rigctl::frequencyDigits("7.074e6");
    std::optional<std::string> commaText = rigctl::frequencyDigits("14074055,000000");
    std::setlocale(LC_NUMERIC, before.c_str());
    QCOMPARE(dot.value_or("none"), std::string("1407406"));
    QCOMPARE(exponent.value_or("none"), std::string("0707400"));
    QVERIFY(!commaText);
}

QTEST_GUILESS_MAIN(TestRigctlRules)
#include "test_cat_rigctl_rules.moc"
