// The rigctld protocol without a socket: the command table against the
// exchanges recorded between Hamlib's rigctl -m 2 and rigctld -m 1, every
// command in both answer forms, the set requests, the mode and preset rule,
// the 10 Hz rounding, the S-meter reading and the bad-input answers.
#include <QtTest>

#include <QFile>

#include <map>
#include <string>

#include "cat/rigctl_protocol.h"
#include "fake_rig.h"

using namespace tolvane;
using namespace tolvane::cat;
using namespace tolvane::test;

namespace {

QString unescape(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            ++i;
            out += s[i] == 'n' ? QChar('\n') : s[i];
        } else {
            out += s[i];
        }
    }
    return out;
}

// The recordings live in tests/data/rigctld. The compiler may name this
// file relative to the build folder, where the test program is built.
QString dataPath(const QString& name) {
    QString relative = QFileInfo(QString(__FILE__)).path() + "/../data/rigctld/" + name;
    if (QFileInfo(relative).isAbsolute()) return relative;
    return QDir(QCoreApplication::applicationDirPath()).filePath(relative);
}

// server.txt: "request<TAB>reply" per line, escaped; the first reply of
// each request.
std::map<QString, QString> recordedReplies() {
    std::map<QString, QString> replies;
    QFile f(dataPath("server.txt"));
    if (!f.open(QIODevice::ReadOnly)) return replies;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        QString line = QString::fromLatin1(raw);
        qsizetype tab = line.indexOf('\t');
        if (tab < 0) continue;
        replies.emplace(unescape(line.left(tab)), unescape(line.mid(tab + 1)));
    }
    return replies;
}

// The transcripts keep backslashes as they are and write each line feed as
// "\n".
QString lineFeeds(QString s) {
    return s.replace("\\n", "\n");
}

// One exchange of a client transcript: what rigctl wrote and what it read.
struct Exchange {
    QString request;
    QString reply;
};
std::vector<Exchange> transcript(const QString& file) {
    std::vector<Exchange> out;
    QFile f(dataPath("client/" + file + ".txt"));
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        QString line = QString::fromLatin1(raw);
        if (line.startsWith("> ")) {
            QString r = lineFeeds(line.mid(2));
            if (r.endsWith('\n')) r.chop(1);
            out.push_back({r, {}});
        } else if (line.startsWith("< ") && !out.empty()) {
            out.back().reply += lineFeeds(line.mid(2));
        }
    }
    return out;
}

QString serve(FakeRig& rig, rigctl::Session& session, const QString& line) {
    return QString::fromStdString(rigctl::serveLine(line.toStdString(), session, rig).text);
}

// The snapshots the table rows start from.
cat::RigSnapshot snapshotFor(const QString& name, cat::RigStatus& status) {
    cat::RigSnapshot s = usualSnapshot();
    status = cat::RigStatus::Queued;
    if (name == "psk") s.digitalPreset = "PSK";
    if (name == "psk-lsb") s.digitalPreset = "PSK", s.modeReport = "M2";
    if (name == "psk-cw") s.digitalPreset = "PSK", s.modeReport = "M4";
    if (name == "fsk-usb") s.digitalPreset = "FSK", s.modeReport = "M1";
    if (name == "rtty-lsb") s.digitalPreset = "RTTY", s.modeReport = "M2";
    if (name == "am") s.modeReport = "M3";
    if (name == "split") s.split = true, s.vfoB = "1407600";
    if (name == "keyed") s.keyed = true;
    if (name == "no-radio") s.radioPresent = false;
    if (name == "no-report") s.freqReport = "        ", s.modeReport = "  ";
    if (name == "meter-aud") s.meterReport = "D1";
    if (name == "meter-none") s.meterValue.reset();
    if (name == "rejected") status = cat::RigStatus::Rejected;
    if (name == "not-available") status = cat::RigStatus::NotAvailable;
    if (name == "no-radio-status") status = cat::RigStatus::NoRadio;
    return s;
}

// The layout of a version-1 \dump_state: three numbers; receive ranges and
// transmit ranges, each ended by seven zeros; tuning steps and filters,
// each ended by "0 0"; four numbers; two lists; six masks; key=value lines;
// "done". Returns what is wrong, or "" when it fits.
QString dumpStateLayout(const QString& text) {
    QStringList lines = text.split('\n');
    if (lines.size() < 2 || !lines.last().isEmpty()) return "no final line feed";
    lines.removeLast();
    qsizetype i = 0;
    auto take = [&]() { return i < lines.size() ? lines[i++] : QString("<end>"); };
    static const QRegularExpression number("^-?[0-9]+$");
    static const QRegularExpression range(
        "^[0-9]+\\.[0-9]{6} [0-9]+\\.[0-9]{6} 0x[0-9a-f]+ -?[0-9]+ -?[0-9]+ 0x[0-9a-f]+ "
        "0x[0-9a-f]+$");
    static const QRegularExpression pair("^0x[0-9a-f]+ [0-9]+$");
    static const QRegularExpression mask("^0x[0-9a-f]+$");
    static const QRegularExpression list("^([0-9]+ )*$");
    static const QRegularExpression keyValue("^[A-Za-z_0-9]+=.*$");
    if (take() != "1") return "not version 1";
    for (int n = 0; n < 2; ++n)
        if (!number.match(take()).hasMatch()) return "model or region";
    for (int section = 0; section < 2; ++section) {
        int count = 0;
        for (QString l = take(); l != "0 0 0 0 0 0 0"; l = take(), ++count)
            if (!range.match(l).hasMatch()) return "range line: " + l;
        if (section == 0 && count == 0) return "no receive range";
    }
    for (int section = 0; section < 2; ++section)
        for (QString l = take(); l != "0 0"; l = take())
            if (!pair.match(l).hasMatch()) return "step or filter line: " + l;
    for (int n = 0; n < 4; ++n)
        if (!number.match(take()).hasMatch()) return "RIT, XIT, IF shift or announce";
    for (int n = 0; n < 2; ++n)
        if (!list.match(take()).hasMatch()) return "preamp or attenuator list";
    for (int n = 0; n < 6; ++n)
        if (!mask.match(take()).hasMatch()) return "function, level or parameter mask";
    QStringList keys;
    for (QString l = take(); l != "done"; l = take()) {
        if (!keyValue.match(l).hasMatch()) return "key line: " + l;
        keys << l.section('=', 0, 0);
    }
    if (i != lines.size()) return "lines after done";
    for (const char* key : {"ptt_type", "has_set_vfo", "has_get_vfo", "timeout"})
        if (!keys.contains(key)) return QString("no ") + key;
    return {};
}

}  // namespace

class TestRigctlProtocol : public QObject {
    Q_OBJECT
  private slots:
    void recordedServer_data();
    void recordedServer();
    void recordedClient_data();
    void recordedClient();
    void dumpStateFitsTheRecordedLayout();
    void commands_data();
    void commands();
    void sessionVfo();
};

// Requests written straight to rigctld -m 1 in the recorded state (14.074 MHz
// USB, VFO B 14.080 MHz USB, split off): the panel answers them byte for byte.
void TestRigctlProtocol::recordedServer_data() {
    QTest::addColumn<QString>("request");
    for (const char* r : {"f",
                          "+f",
                          "\\get_freq",
                          "+\\get_freq",
                          ";f",
                          "|f",
                          "F 7074000",
                          "+F 7074000",
                          "\\set_freq 7074000",
                          "F 14074055.000000",
                          "+F 14074055.000000",
                          "m",
                          "+m",
                          "\\get_mode",
                          "+\\get_mode",
                          "|m",
                          "M LSB 0",
                          "+M LSB 0",
                          "\\set_mode USB -1",
                          "v",
                          "+v",
                          "\\get_vfo",
                          "I 14080000",
                          "+I 14080000",
                          "\\set_split_freq 14080000",
                          "s",
                          "+s",
                          "\\get_split_vfo",
                          "S 0 VFOA",
                          "+S 0 VFOA",
                          "\\set_split_vfo 0 VFOA",
                          "x",
                          "+x",
                          "\\get_split_mode",
                          "X USB 2400",
                          "+X USB 2400",
                          "\\set_split_mode USB 2400",
                          "\\get_powerstat",
                          "+\\get_powerstat",
                          "\\chk_vfo",
                          "+\\chk_vfo",
                          "\\get_vfo_info VFOA",
                          "+\\get_vfo_info VFOA",
                          "F abc",
                          "+F abc",
                          "T 5",
                          "q"})
        QTest::newRow(r) << QString(r);
}

void TestRigctlProtocol::recordedServer() {
    QFETCH(QString, request);
    static const std::map<QString, QString> recorded = recordedReplies();
    auto it = recorded.find(request);
    QVERIFY2(it != recorded.end(), "request not in the recording");
    FakeRig rig;
    rigctl::Session session;
    QCOMPARE(serve(rig, session, request), it->second);
}

// Whole runs of rigctl -m 2 against rigctld -m 1, replayed against the panel
// (a rig that follows its sets). Where the dummy rig and the radio differ by
// nature the panel's own answer is named.
void TestRigctlProtocol::recordedClient_data() {
    QTest::addColumn<QString>("file");
    // Request ("f", or "f#3" for its third time only), then the panel's reply.
    QTest::addColumn<QStringList>("differences");
    QTest::addColumn<QStringList>("requests");
    const QStringList none;
    QTest::newRow("open") << "open" << none << none;
    QTest::newRow("get_freq") << "get_freq" << none << none;
    QTest::newRow("set_freq") << "set_freq" << none << QStringList{"F A 0707400"};
    // The radio tunes in 10 Hz steps: the odd frequency reads back rounded.
    QTest::newRow("set_freq_odd") << "set_freq_odd" << QStringList{"f#3", "14074060\n"}
                                  << QStringList{"F A 1407406"};
    QTest::newRow("get_mode") << "get_mode" << none << none;
    QTest::newRow("set_mode") << "set_mode" << none << QStringList{"M A M2"};
    QTest::newRow("set_mode_pktusb") << "set_mode_pktusb" << none << QStringList{"M A M1 PSK"};
    QTest::newRow("get_vfo") << "get_vfo" << none << none;
    // rigctl names VFO B "Sub"; the panel's VFO B is 14.080 MHz, the dummy's
    // sub VFO somewhere else.
    QTest::newRow("set_vfo") << "set_vfo" << QStringList{"f#3", "14080000\n"} << none;
    QTest::newRow("get_split_freq") << "get_split_freq" << none << none;
    QTest::newRow("set_split_freq") << "set_split_freq" << none << QStringList{"F B 0708000"};
    QTest::newRow("get_split_vfo") << "get_split_vfo" << none << none;
    QTest::newRow("set_split_vfo") << "set_split_vfo" << none << QStringList{"SPLIT 1"};
    QTest::newRow("get_split_mode") << "get_split_mode" << none << none;
    QTest::newRow("set_split_mode") << "set_split_mode" << none << QStringList{"M B M1"};
    // The dummy rig has no PTT (RPRT -11, RPRT -1); the panel keys through XMT.
    QTest::newRow("get_ptt") << "get_ptt" << QStringList{"t", "0\n"} << none;
    QTest::newRow("set_ptt") << "set_ptt" << QStringList{"T 1", "RPRT 0\n"}
                             << QStringList{"PTT 1", "PTT 1"};
    // FWD selected while receiving reads 9 on the bar: just over S9.
    QTest::newRow("get_level_strength")
        << "get_level_strength" << QStringList{"l STRENGTH", "1\n"} << none;
    QTest::newRow("get_info") << "get_info"
                              << QStringList{"_", "Tolvane HF transceiver (Tolvane Panel)\n"}
                              << none;
    QTest::newRow("get_powerstat") << "get_powerstat" << none << none;
    QTest::newRow("get_vfo_info") << "get_vfo_info" << none << none;
}

void TestRigctlProtocol::recordedClient() {
    QFETCH(QString, file);
    QFETCH(QStringList, differences);
    QFETCH(QStringList, requests);
    std::vector<Exchange> exchanges = transcript(file);
    QVERIFY2(exchanges.size() >= 3, "transcript missing");
    FakeRig rig;
    rig.follows = true;
    rigctl::Session session;
    std::map<QString, int> seen;
    for (const Exchange& e : exchanges) {
        QString ours = serve(rig, session, e.request);
        QString nth = e.request + "#" + QString::number(++seen[e.request]);
        if (e.request == "\\dump_state") {
            QCOMPARE(dumpStateLayout(e.reply), QString());
            QCOMPARE(dumpStateLayout(ours), QString());
            continue;
        }
        qsizetype d = differences.indexOf(e.request);
        if (d < 0) d = differences.indexOf(nth);
        QString expected = d >= 0 && d % 2 == 0 ? differences[d + 1] : e.reply;
        QVERIFY2(ours == expected, qPrintable(file + ": " + e.request + " answered " + ours +
                                              " instead of " + expected));
    }
    QCOMPARE(rig.requests, requests);
}

void TestRigctlProtocol::dumpStateFitsTheRecordedLayout() {
    FakeRig rig;
    rig.state.replyTimeoutMs = 2500;
    rig.state.txRanges = {{1800000, 2000000}, {5330500, 5330500}, {28000000, 29700000}};
    const QString ours = QString::fromStdString(rigctl::dumpState(rig.state));
    QCOMPARE(dumpStateLayout(ours), QString());
    QCOMPARE(dumpStateLayout(recordedReplies().at("\\dump_state")), QString());
    QStringList lines = ours.split('\n');
    QCOMPARE(lines.mid(0, 9),
             (QStringList{"1", "2", "0", "1600000.000000 29999990.000000 0xc1f -1 -1 0x3 0x1",
                          "0 0 0 0 0 0 0", "1800000.000000 2000000.000000 0xc1f -1 -1 0x3 0x1",
                          "5330500.000000 5330500.000000 0xc1f -1 -1 0x3 0x1",
                          "28000000.000000 29700000.000000 0xc1f -1 -1 0x3 0x1", "0 0 0 0 0 0 0"}));
    QVERIFY(lines.contains("0xc1f 10"));
    QVERIFY(lines.contains("0xc1c 2400"));
    QVERIFY(lines.contains("0x2 500"));
    QVERIFY(lines.contains("0x1 6000"));
    QVERIFY(lines.contains("0x40000000"));
    QVERIFY(lines.contains("timeout=2500"));
    QVERIFY(lines.contains("ptt_type=0x1"));
    QVERIFY(lines.contains("has_get_vfo=1"));
    QVERIFY(lines.contains("has_set_vfo=1"));
    // Extended form: the header, the same lines, RPRT 0.
    rigctl::Session session;
    QCOMPARE(serve(rig, session, "+\\dump_state"), "dump_state:\n" + ours + "RPRT 0\n");
    QString caps = serve(rig, session, "\\dump_caps");
    QVERIFY(caps.startsWith("Caps dump for model: 2\n"));
    QVERIFY(caps.contains("Mode list: USB LSB AM CW PKTUSB PKTLSB RTTY \n"));
    QVERIFY(caps.contains("\t28000000 Hz - 29700000 Hz\n"));
    QCOMPARE(serve(rig, session, "1"), caps);
}

void TestRigctlProtocol::commands_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("requests");
    const QStringList none;
    auto row = [](const char* name, const char* setup, const char* line, const char* reply,
                  QStringList requests = {}) {
        QTest::newRow(name) << QString(setup) << QString(line) << QString(reply) << requests;
    };
    row("f", "usual", "f", "14074000\n");
    row("f before any report", "no-report", "f", "RPRT -6\n");
    row("f with the radio lost answers the last state", "no-radio", "f", "14074000\n");
    row("F rounds down", "usual", "F 7074004", "RPRT 0\n", {"F A 0707400"});
    row("F rounds up", "usual", "F 14074055.000000", "RPRT 0\n", {"F A 1407406"});
    row("F lowest", "usual", "F 1600000", "RPRT 0\n", {"F A 0160000"});
    row("F highest", "usual", "F 29999990", "RPRT 0\n", {"F A 2999999"});
    row("F exponent", "usual", "F 7.074e6", "RPRT 0\n", {"F A 0707400"});
    row("F below range", "usual", "F 1599940", "RPRT -1\n");
    row("F above range", "usual", "F 30000000", "RPRT -1\n");
    row("F negative", "usual", "F -7074000", "RPRT -1\n");
    row("F not a number", "usual", "F 7074k", "RPRT -1\n");
    row("F nan", "usual", "F nan", "RPRT -1\n");
    row("F without argument", "usual", "F", "RPRT -1\n");
    row("F radio lost", "no-radio", "F 7074000", "RPRT -6\n");
    row("F app says no radio", "no-radio-status", "F 7074000", "RPRT -6\n", {"F A 0707400"});
    row("m psk usb", "psk", "m", "PKTUSB\n2400\n");
    row("m psk lsb", "psk-lsb", "m", "PKTLSB\n2400\n");
    row("m psk cw stays cw", "psk-cw", "m", "CW\n500\n");
    row("m fsk usb", "fsk-usb", "m", "RTTY\n2400\n");
    row("m rtty lsb", "rtty-lsb", "m", "RTTY\n2400\n");
    row("m am", "am", "m", "AM\n6000\n");
    row("m before any report", "no-report", "m", "RPRT -6\n");
    row("M LSB", "usual", "M LSB 0", "RPRT 0\n", {"M A M2"});
    row("M CW keeps passband", "usual", "M CW -1", "RPRT 0\n", {"M A M4"});
    row("M AM passband taken", "usual", "M AM 6000", "RPRT 0\n", {"M A M3"});
    row("M PKTUSB chooses PSK", "usual", "M PKTUSB -1", "RPRT 0\n", {"M A M1 PSK"});
    row("M PKTLSB chooses PSK", "usual", "M PKTLSB 0", "RPRT 0\n", {"M A M2 PSK"});
    row("M PKTUSB already there", "psk", "M PKTUSB -1", "RPRT 0\n", {"M A M1"});
    row("M PKTLSB from PSK USB keeps preset", "psk", "M PKTLSB -1", "RPRT 0\n", {"M A M2"});
    row("M USB turns PSK off", "psk", "M USB 0", "RPRT 0\n", {"M A M1 OFF"});
    row("M RTTY chooses RTTY on LSB", "usual", "M RTTY 0", "RPRT 0\n", {"M A M2 RTTY"});
    row("M RTTY under FSK stays", "fsk-usb", "M RTTY 0", "RPRT 0\n", {"M A M1"});
    row("M FM refused", "usual", "M FM 0", "RPRT -1\n");
    row("M lower case refused", "usual", "M usb 0", "RPRT -1\n");
    row("M bad passband", "usual", "M USB abc", "RPRT -1\n");
    row("M missing passband", "usual", "M USB", "RPRT -1\n");
    row("M list", "usual", "M ?", "AM CW USB LSB RTTY PKTLSB PKTUSB \nRPRT 0\n");
    row("v", "usual", "v", "VFOA\n");
    row("V VFOC refused", "usual", "V VFOC", "RPRT -1\n");
    row("V MEM refused", "usual", "V MEM", "RPRT -1\n");
    row("i", "split", "i", "14076000\n");
    row("I", "usual", "I 7080000", "RPRT 0\n", {"F B 0708000"});
    row("I out of range", "usual", "I 31000000", "RPRT -1\n");
    row("s split", "split", "s", "1\nVFOB\n");
    row("S 1 VFOB", "usual", "S 1 VFOB", "RPRT 0\n", {"SPLIT 1"});
    row("S 1 Sub", "usual", "S 1 Sub", "RPRT 0\n", {"SPLIT 1"});
    row("S 0 VFOB", "split", "S 0 VFOB", "RPRT 0\n", {"SPLIT 0"});
    row("S 1 VFOA refused", "usual", "S 1 VFOA", "RPRT -1\n");
    row("S 2 refused", "usual", "S 2 VFOB", "RPRT -1\n");
    row("S ? refused", "usual", "S ? VFOB", "RPRT -1\n");
    row("S ? alone refused", "usual", "S ?", "RPRT -1\n");
    row("S unequal modes refused", "rejected", "S 1 VFOB", "RPRT -9\n", {"SPLIT 1"});
    row("x", "usual", "x", "USB\n2400\n");
    row("x psk", "psk", "x", "PKTUSB\n2400\n");
    row("X LSB", "usual", "X LSB 0", "RPRT 0\n", {"M B M2"});
    row("X PKTUSB has no preset", "usual", "X PKTUSB 0", "RPRT 0\n", {"M B M1"});
    row("t receiving", "usual", "t", "0\n");
    row("t keyed", "keyed", "t", "1\n");
    row("+t keyed", "keyed", "+t", "get_ptt:\nPTT: 1\nRPRT 0\n");
    row("T 1", "usual", "T 1", "RPRT 0\n", {"PTT 1"});
    row("T 2 mic", "usual", "T 2", "RPRT 0\n", {"PTT 1"});
    row("T 3 data", "usual", "T 3", "RPRT 0\n", {"PTT 1"});
    row("T 0", "keyed", "T 0", "RPRT 0\n", {"PTT 0"});
    row("T out of band", "rejected", "T 1", "RPRT -9\n", {"PTT 1"});
    row("T before transmit lands", "not-available", "T 1", "RPRT -11\n", {"PTT 1"});
    row("T 4 refused", "usual", "T 4", "RPRT -1\n");
    row("T 11 refused", "usual", "T 11", "RPRT -1\n");
    row("T radio lost", "no-radio", "T 0", "RPRT -6\n");
    row("l STRENGTH", "usual", "l STRENGTH", "1\n");
    row("+l STRENGTH", "usual", "+l STRENGTH", "get_level: STRENGTH\n1\nRPRT 0\n");
    row("l STRENGTH audio meter", "meter-aud", "l STRENGTH", "RPRT -11\n");
    row("l STRENGTH keyed", "keyed", "l STRENGTH", "RPRT -11\n");
    row("l STRENGTH no reading", "meter-none", "l STRENGTH", "RPRT -11\n");
    row("l RFPOWER", "usual", "l RFPOWER", "RPRT -11\n");
    row("l list", "usual", "l ?", "STRENGTH \n");
    row("l without level", "usual", "l", "RPRT -1\n");
    row("_", "usual", "_", "Tolvane HF transceiver (Tolvane Panel)\n");
    row("+_", "usual", "+_", "get_info:\nInfo: Tolvane HF transceiver (Tolvane Panel)\nRPRT 0\n");
    row("powerstat radio lost", "no-radio", "\\get_powerstat", "0\n");
    row("get_lock_mode", "usual", "\\get_lock_mode", "0\n");
    row("+get_lock_mode", "usual", "+\\get_lock_mode", "get_lock_mode:\nLocked: 0\nRPRT 0\n");
    row("get_vfo_info VFOB", "split", "\\get_vfo_info VFOB", "14076000\nUSB\n2400\n1\n0\n");
    row("get_vfo_info bad VFO", "usual", "\\get_vfo_info VFOX", "RPRT -1\n");
    row("stream_caps", "usual", "\\stream_caps", "RPRT -11\n");
    row("+stream_caps", "usual", "+\\stream_caps", "RPRT -11\n");
    row("unknown letter with arguments", "usual", "J 100", "RPRT -11\n");
    row("unknown long name", "usual", "\\set_powerstat 1", "RPRT -11\n");
    row("upper-case long name", "usual", "\\GET_FREQ", "RPRT -11\n");
    row("two commands one line", "usual", "f m", "14074000\nUSB\n2400\n");
    row("set then read on one line", "usual", "F 7074000 f", "RPRT 0\n14074000\n", {"F A 0707400"});
    row("unknown ends the line", "usual", "f ZZ f", "14074000\nRPRT -11\n");
    row("separator comma", "usual", ",s", "get_split_vfo:,Split: 0,TX VFO: VFOA,RPRT 0\n");
    row("extended error", "no-report", "+m", "get_mode:\nRPRT -6\n");
    row("extended set refused", "usual", "+T 9", "set_ptt: 9\nRPRT -1\n");
    row("empty line", "usual", "", "");
    row("blank line", "usual", "   \t ", "");
    row("comment line", "usual", "# f", "");
    row("carriage return", "usual", "f\r", "14074000\n");
    row("tabs between", "usual", "F\t7074000", "RPRT 0\n", {"F A 0707400"});
    row("quit", "usual", "q", "RPRT 0\n");
    row("quit long", "usual", "\\quit", "RPRT 0\n");
}

void TestRigctlProtocol::commands() {
    QFETCH(QString, setup);
    QFETCH(QString, line);
    QFETCH(QString, reply);
    QFETCH(QStringList, requests);
    FakeRig rig;
    rig.state = snapshotFor(setup, rig.status);
    rigctl::Session session;
    QCOMPARE(serve(rig, session, line), reply);
    QCOMPARE(rig.requests, requests);
}

void TestRigctlProtocol::sessionVfo() {
    FakeRig rig;
    rigctl::Session a;
    rigctl::Session b;
    QCOMPARE(serve(rig, a, "V VFOB"), QString("RPRT 0\n"));
    QCOMPARE(serve(rig, a, "v"), QString("VFOB\n"));
    QCOMPARE(serve(rig, a, "f"), QString("14080000\n"));
    QCOMPARE(serve(rig, a, "F 7080000"), QString("RPRT 0\n"));
    QCOMPARE(serve(rig, a, "M LSB 0"), QString("RPRT 0\n"));
    // Another connection still addresses VFO A.
    QCOMPARE(serve(rig, b, "f"), QString("14074000\n"));
    QCOMPARE(serve(rig, a, "V currVFO"), QString("RPRT 0\n"));
    QCOMPARE(serve(rig, a, "v"), QString("VFOB\n"));
    QCOMPARE(serve(rig, a, "V Main"), QString("RPRT 0\n"));
    QCOMPARE(serve(rig, a, "+v"), QString("get_vfo:\nVFO: VFOA\nRPRT 0\n"));
    rig.state.split = true;
    QCOMPARE(serve(rig, a, "V TX"), QString("RPRT 0\n"));
    QCOMPARE(serve(rig, a, "v"), QString("VFOB\n"));
    QCOMPARE(rig.requests, (QStringList{"F B 0708000", "M B M2"}));
    QCOMPARE(rig.snapshots, 12);  // one snapshot per line
}

QTEST_GUILESS_MAIN(TestRigctlProtocol)
#include "test_cat_rigctl_protocol.moc"
