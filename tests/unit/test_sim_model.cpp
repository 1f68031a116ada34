// The radio model driven directly: exact answers of every command for the
// three firmware types, the amplifier timers, local control, silence, the
// sync answers and the timing of the characters.
#include <QtTest>

#include <cmath>
#include <limits>

#include "radio_model.h"

using namespace tolvane;

Q_DECLARE_METATYPE(tolvane::Firmware)

namespace {

using Timed = std::vector<std::pair<double, char>>;

std::string text(const Timed& chars) {
    std::string s;
    for (const auto& [at, c] : chars) {
        (void)at;
        s.push_back(c);
    }
    return s;
}

// Everything the radio sends up to `until`.
std::string drain(RadioModel& radio, double until) {
    Timed out;
    radio.produce(until, out);
    return text(out);
}

// Sends `bytes` at `t` and returns the answer (half a second is room for
// the longest one); `t` moves past it.
std::string ask(RadioModel& radio, std::string_view bytes, double& t) {
    radio.received(bytes, t);
    const std::string answer = drain(radio, t + 0.5);
    t += 0.5;
    return answer;
}

std::string status(RadioModel& radio, double& t) {
    return ask(radio, "?\n", t);
}

// Sets up a state from "field=value" words, e.g. "mode=4 agc=1".
void preset(RadioModel::State& s, const QString& words) {
    const QStringList list = words.split(' ', Qt::SkipEmptyParts);
    for (const QString& word : list) {
        const QString key = word.section('=', 0, 0);
        const QString value = word.section('=', 1);
        const int v = value.toInt();
        if (key == "mode")
            s.mode = v;
        else if (key == "agc")
            s.agc = v;
        else if (key == "meter")
            s.meter = v;
        else if (key == "source")
            s.source = v;
        else if (key == "routing")
            s.routing = v;
        else if (key == "ptt")
            s.pttEnable = v;
        else if (key == "vox")
            s.vox = v;
        else if (key == "channel")
            s.channel = v;
        else if (key == "amp")
            s.amp = v;
        else if (key == "remote")
            s.remote = v != 0;
        else if (key == "freq")
            s.freq = value.toStdString();
        else
            QFAIL(qPrintable("unknown preset " + key));
    }
}

const char* const kStatusBody =
    "F1407400\nM1\nA2\nD1\nH1\n\"1\n'1\n(1\n,0\nR1\nO1\nT1\nX0\nG00\nI0\nS0\nV0\nC--\nB100\n*"
    "0\nZ0\n";

}  // namespace

class TestSimModel : public QObject {
    Q_OBJECT
  private slots:
    void completeStatus_data();
    void completeStatus();
    void commands_data();
    void commands();
    void channels();
    void amplifierWarmup();
    void amplifierCommands_data();
    void amplifierCommands();
    void tuneCycle();
    void tuneCancelledByUnkey();
    void localControlIgnoresSettings_data();
    void localControlIgnoresSettings();
    void localControlStillAnswers();
    void remoteSwitchReports();
    void silent();
    void syncAnswers_data();
    void syncAnswers();
    void answerTiming();
    void answersQueueBehindEachOther();
    void unsolicitedReports();
    void commandsSeen();
    void framingRejectsJunk();
};

void TestSimModel::completeStatus_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray body(kStatusBody);
    QTest::newRow("v601") << Firmware::V601 << ""
                          << "#\n" + body + "!\n.\n";
    QTest::newRow("nonadapt") << Firmware::NonAdapt << ""
                              << "#\n" + body + "!\nQT1\nQC0\n.\n";
    QTest::newRow("adapt") << Firmware::Adapt << ""
                           << "#\n" + body + ".\n";
    QByteArray local = body;
    local.replace("R1", "R0");
    QTest::newRow("v601 local") << Firmware::V601 << "remote=0"
                                << "#\n" + local + "!\n.\n";
    QByteArray chan = body;
    chan.replace("C--", "C07");
    QTest::newRow("adapt on channel") << Firmware::Adapt << "channel=7"
                                      << "#\n" + chan + ".\n";
    QByteArray set = body;
    set.replace("M1", "M4").replace("A2", "A1").replace("H1", "H4").replace("O1", "O4");
    QTest::newRow("nonadapt settings") << Firmware::NonAdapt << "mode=4 agc=1 source=4 amp=4"
                                       << "#\n" + set + "!\nQT1\nQC0\n.\n";
}

void TestSimModel::completeStatus() {
    QFETCH(Firmware, fw);
    QFETCH(QString, setup);
    QFETCH(QByteArray, expected);
    RadioModel radio(fw);
    preset(radio.state, setup);
    double t = 1.0;
    QCOMPARE(QByteArray::fromStdString(status(radio, t)), expected);
}

void TestSimModel::commands_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");    // empty: ignored, state unchanged
    QTest::addColumn<QByteArray>("inStatus");  // report line the next status holds
    auto row = [](const char* name, Firmware fw, const char* setup, const char* command,
                  const char* answer, const char* inStatus) {
        QTest::newRow(name) << fw << QString(setup) << QByteArray(command) << QByteArray(answer)
                            << QByteArray(inStatus);
    };
    const auto v601 = Firmware::V601;
    const auto adapt = Firmware::Adapt;
    const auto nonad = Firmware::NonAdapt;
    // mode
    row("v601 M steps", v601, "", "M\n", "M2\n", "M2");
    row("v601 MMM", v601, "", "MMM\n", "M4\nH4\nS1\n'0\n", "M4");
    row("v601 MM wraps", v601, "mode=4", "MM\n", "M2\n'0\n", "M2");
    row("v601 m ignored", v601, "", "m\n", "", "");
    row("v601 M2 ignored", v601, "", "M2\n", "", "");
    row("nonadapt m steps", nonad, "", "mm\n", "M3\n", "M3");
    row("nonadapt mmmm full turn", nonad, "mode=3", "mmmm\n", "M3\n", "M3");
    row("nonadapt M ignored", nonad, "", "M\n", "", "");
    row("nonadapt M2 ignored", nonad, "", "M2\n", "", "");
    row("adapt M3", adapt, "", "M3\n", "M3\n", "M3");
    row("adapt M ignored", adapt, "", "M\n", "", "");
    row("adapt m ignored", adapt, "", "m\n", "", "");
    row("adapt M5 ignored", adapt, "", "M5\n", "", "");
    row("adapt combined mode", adapt, "", "M2\nF1407400\n", "M2\nF1407400\n", "M2");
    row("adapt combined agc", adapt, "", "A4\nF0712500\n", "A4\nF0712500\n", "F0712500");
    // AGC
    row("v601 A steps", v601, "", "A\n", "A3\n", "A3");
    row("v601 A wraps past FAST", v601, "agc=4", "A\n", "A2\n", "A2");
    row("v601 AAA full turn", v601, "agc=3", "AAA\n", "A3\n", "A3");
    row("v601 A from OFF", v601, "agc=1", "A\n", "A2\n", "A2");
    row("v601 a ignored", v601, "", "a\n", "", "");
    row("v601 A1 ignored", v601, "", "A1\n", "", "");
    row("nonadapt a steps", nonad, "agc=4", "a\n", "A2\n", "A2");
    row("nonadapt A ignored", nonad, "", "A\n", "", "");
    row("adapt A1 off", adapt, "", "A1\n", "A1\n", "A1");
    row("adapt A ignored", adapt, "", "A\n", "", "");
    // meter
    row("v601 d steps", v601, "", "ddd\n", "D4\n", "D4");
    row("v601 d wraps", v601, "meter=6", "d\n", "D1\n", "D1");
    row("v601 D ignored", v601, "", "D\n", "", "");
    row("nonadapt D steps", nonad, "meter=5", "DD\n", "D1\n", "D1");
    row("nonadapt d ignored", nonad, "", "d\n", "", "");
    row("adapt d ignored", adapt, "", "d\n", "", "");
    row("adapt D ignored", adapt, "", "D\n", "", "");
    // audio source
    row("v601 H steps", v601, "", "HH\n", "H3\n", "H3");
    row("adapt H wraps", adapt, "source=3", "H\n", "H1\n", "H1");
    row("nonadapt H from H4", nonad, "source=4", "H\n", "H1\n", "H1");
    row("H2 ignored", v601, "", "H2\n", "", "");
    // audio routing
    row("v601 routing toggles", v601, "", "\"\n", "\"0\n", "\"0");
    row("v601 routing toggles back", v601, "routing=0", "\"\n", "\"1\n", "\"1");
    row("v601 routing direct ignored", v601, "", "\"0\n", "", "");
    row("adapt routing direct", adapt, "", "\"0\n", "\"0\n", "\"0");
    row("nonadapt routing same", nonad, "", "\"1\n", "\"1\n", "\"1");
    row("adapt routing toggle ignored", adapt, "", "\"\n", "", "");
    row("nonadapt routing 2 ignored", nonad, "", "\"2\n", "", "");
    // PTT enable
    row("v601 ptt bare toggle", v601, "", "'", "'0\n", "'0");
    row("v601 ptt toggled twice", v601, "", "''", "'0\n'1\n", "'1");
    row("v601 ptt direct is toggle then junk", v601, "ptt=0", "'0\n", "'1\n", "'1");
    row("adapt ptt off", adapt, "", "'0\n", "'0\n", "'0");
    row("nonadapt ptt on", nonad, "ptt=0", "'1\n", "'1\n", "'1");
    row("adapt ptt bare ignored", adapt, "", "'\n", "", "");
    // toggles and values, same for every firmware
    row("clip", v601, "", "I\n", "I1\n", "I1");
    row("clip twice", adapt, "", "I\nI\n", "I1\nI0\n", "I0");
    row("II ignored", nonad, "", "II\n", "", "");
    row("sidetone", nonad, "", "S\n", "S1\n", "S1");
    row("vox steps", adapt, "", "V\nV\nV\n", "V1\nV2\nV0\n", "V0");
    row("vox from data", v601, "vox=2", "V\n", "V0\n", "V0");
    row("speaker off", v601, "", "(0\n", "(0\n", "(0");
    row("speaker 2 ignored", v601, "", "(2\n", "", "");
    row("bfo", adapt, "", "B095\n", "B095\n", "B095");
    row("bfo top", nonad, "", "B200\n", "B200\n", "B200");
    row("bfo out of range", v601, "", "B201\n", "B100\n", "B100");
    row("bfo short ignored", v601, "", "B10\n", "", "");
    row("rf gain", v601, "", "G63\n", "G63\n", "G63");
    row("rf gain out of range", adapt, "", "G64\n", "G00\n", "G00");
    row("rf gain letters ignored", adapt, "", "Gxx\n", "", "");
    // frequency
    row("freq low edge", v601, "", "F0160000\n", "F0160000\n", "F0160000");
    row("freq high edge", nonad, "", "F2999999\n", "F2999999\n", "F2999999");
    row("freq below refused", adapt, "", "F0159999\n", "F1407400\n", "F1407400");
    row("freq above refused", v601, "", "F3000000\n", "F1407400\n", "F1407400");
    row("freq six digits ignored", v601, "", "F140740\n", "", "");
    row("freq eight digits ignored", v601, "", "F14074000\n", "", "");
    row("freq letter ignored", v601, "", "F14O7400\n", "", "");
    // junk
    row("unknown letter", nonad, "", "W5\n", "", "");
    row("empty lines", nonad, "", "\n\n\n", "", "");
    row("carriage return", v601, "", "M\r\n", "", "");
    row("blank sync", adapt, "", " ", "", "");
}

void TestSimModel::commands() {
    QFETCH(Firmware, fw);
    QFETCH(QString, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, inStatus);
    RadioModel radio(fw);
    preset(radio.state, setup);
    double t = 0.0;
    const std::string before = status(radio, t);
    QCOMPARE(QByteArray::fromStdString(ask(radio, command.toStdString(), t)), answer);
    const std::string after = status(radio, t);
    if (answer.isEmpty()) {
        QCOMPARE(after, before);
    } else {
        QVERIFY2(after.find("\n" + inStatus.toStdString() + "\n") != std::string::npos,
                 after.c_str());
    }
}

void TestSimModel::channels() {
    RadioModel radio(Firmware::V601);
    double t = 0.0;
    QCOMPARE(ask(radio, "L99\n", t), std::string("P9907000001\n"));  // never stored
    QCOMPARE(ask(radio, "P0707125002\n", t), std::string());         // no answer
    QCOMPARE(ask(radio, "L07\n", t), std::string("P0707125002\n"));
    // Malformed stores change nothing.
    for (const char* bad : {"P070712500\n", "P0707125005\n", "P0731000001\n", "P0701500001\n",
                            "P07071250x2\n", "P0x07125002\n"}) {
        QCOMPARE(ask(radio, bad, t), std::string());
        QCOMPARE(ask(radio, "L07\n", t), std::string("P0707125002\n"));
    }
    QCOMPARE(ask(radio, "C07\n", t), std::string("C07\nF0712500\nM2\n"));
    QVERIFY(status(radio, t).find("\nC07\n") != std::string::npos);
    QCOMPARE(radio.state.channel, 7);
    QCOMPARE(ask(radio, "C7\n", t), std::string());  // not two digits: ignored
    // A refused frequency keeps the channel; a valid one returns to the VFO.
    QCOMPARE(ask(radio, "F3100000\n", t), std::string("F0712500\n"));
    QCOMPARE(radio.state.channel, 7);
    QCOMPARE(ask(radio, "F1407400\n", t), std::string("C--\nF1407400\n"));
    QCOMPARE(radio.state.channel, -1);
    QVERIFY(status(radio, t).find("\nC--\nB100\n") != std::string::npos);
    QCOMPARE(ask(radio, "F1407500\n", t), std::string("F1407500\n"));  // already on the VFO
    // Front-panel tuning leaves a channel the same way.
    QCOMPARE(ask(radio, "C99\n", t), std::string("C99\nF0700000\nM1\n"));
    radio.setFrequency("0350000", t);
    QCOMPARE(drain(radio, t + 0.5), std::string("C--\nF0350000\n"));
    t += 0.5;
    radio.setFrequency("0150000", t);  // out of range: nothing happens
    QCOMPARE(drain(radio, t + 0.5), std::string());
    QCOMPARE(radio.state.freq, std::string("0350000"));
}

void TestSimModel::amplifierWarmup() {
    RadioModel radio(Firmware::Adapt);
    radio.warmupSeconds = 3.0;
    radio.received("O2\n", 10.0);
    QCOMPARE(drain(radio, 10.5), std::string("O2\n"));
    QCOMPARE(radio.state.amp, 2);
    QCOMPARE(radio.nextOutput(), 13.0);  // without any further input
    QCOMPARE(drain(radio, 12.999), std::string());
    Timed out;
    radio.produce(13.5, out);
    QCOMPARE(text(out), std::string("O3\n"));
    QCOMPARE(out.front().first, 13.0);
    QCOMPARE(radio.state.amp, 3);
    QCOMPARE(radio.nextOutput(), std::numeric_limits<double>::infinity());
    // Powering off during a warm-up ends it.
    radio.received("O1\n", 20.0);
    radio.received("O2\n", 20.1);
    radio.received("O1\n", 21.0);
    QCOMPARE(drain(radio, 30.0), std::string("O1\nO2\nO1\n"));
    QCOMPARE(radio.state.amp, 1);
}

void TestSimModel::amplifierCommands_data() {
    QTest::addColumn<int>("amp");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("after");
    QTest::newRow("off: standby refused") << 1 << QByteArray("O3\n") << QByteArray("O1\n") << 1;
    QTest::newRow("off: operate refused") << 1 << QByteArray("O4\n") << QByteArray("O1\n") << 1;
    QTest::newRow("off: off") << 1 << QByteArray("O1\n") << QByteArray("O1\n") << 1;
    QTest::newRow("warming: operate refused") << 2 << QByteArray("O4\n") << QByteArray("O2\n") << 2;
    QTest::newRow("standby: operate") << 3 << QByteArray("O4\n") << QByteArray("O4\nT1\n") << 4;
    QTest::newRow("standby: power on again") << 3 << QByteArray("O2\n") << QByteArray("O3\n") << 3;
    QTest::newRow("standby: off") << 3 << QByteArray("O1\n") << QByteArray("O1\n") << 1;
    QTest::newRow("operate: standby") << 4 << QByteArray("O3\n") << QByteArray("O3\n") << 3;
    QTest::newRow("operate: operate") << 4 << QByteArray("O4\n") << QByteArray("O4\n") << 4;
    QTest::newRow("operate: off") << 4 << QByteArray("O1\n") << QByteArray("O1\n") << 1;
    QTest::newRow("O5 ignored") << 3 << QByteArray("O5\n") << QByteArray() << 3;
    QTest::newRow("O ignored") << 3 << QByteArray("O\n") << QByteArray() << 3;
}

void TestSimModel::amplifierCommands() {
    QFETCH(int, amp);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    QFETCH(int, after);
    RadioModel radio(Firmware::NonAdapt);
    radio.state.amp = amp;
    double t = 0.0;
    QCOMPARE(QByteArray::fromStdString(ask(radio, command.toStdString(), t)), answer);
    QCOMPARE(radio.state.amp, after);
    QCOMPARE(drain(radio, 100.0), std::string());  // no timer left behind
}

void TestSimModel::tuneCycle() {
    RadioModel radio(Firmware::V601);
    radio.state.amp = 4;
    radio.tuneStepSeconds = 1.0;
    double t = 5.0;
    radio.received("K", t);
    Timed out;
    radio.produce(5.5, out);
    QCOMPARE(text(out), std::string("K\nJ07\nT2\n"));
    QCOMPARE(radio.state.ampTune, 2);
    QCOMPARE(radio.nextOutput(), 6.0);
    // The heartbeat keeps the radio keyed without restarting the cycle.
    radio.received("K", 5.9);
    QCOMPARE(drain(radio, 5.99), std::string("K\nJ07\n"));
    out.clear();
    radio.produce(6.5, out);
    QCOMPARE(text(out), std::string("T3\n"));
    QCOMPARE(out.front().first, 6.0);
    out.clear();
    radio.produce(8.0, out);
    QCOMPARE(text(out), std::string("T4\n"));
    QCOMPARE(out.front().first, 7.0);
    QCOMPARE(radio.state.ampTune, 4);
    // Unkeyed after the tune: no further tune report.
    radio.received("U", 8.0);
    QCOMPARE(drain(radio, 20.0), std::string("U\nJ07\n"));
    QVERIFY(status(radio, t = 20.0).find("\nT4\n") != std::string::npos);
    // Keying in standby tunes nothing.
    radio.state.amp = 3;
    radio.received("K", 30.0);
    QCOMPARE(drain(radio, 40.0), std::string("K\nJ07\n"));
}

void TestSimModel::tuneCancelledByUnkey() {
    RadioModel radio(Firmware::Adapt);
    radio.state.amp = 4;
    radio.tuneStepSeconds = 1.0;
    radio.received("K", 0.0);
    QCOMPARE(drain(radio, 1.2), std::string("K\nJ07\nT2\nT3\n"));
    radio.received("U", 1.5);
    QCOMPARE(drain(radio, 10.0), std::string("U\nJ07\nT1\n"));
    QCOMPARE(radio.state.ampTune, 1);
    QCOMPARE(radio.nextOutput(), std::numeric_limits<double>::infinity());
    // Leaving operate in the middle of a tune also ends it.
    radio.received("K", 11.0);
    radio.received("O3\n", 11.5);
    QCOMPARE(drain(radio, 20.0), std::string("K\nJ07\nT2\nO3\nT1\n"));
    QCOMPARE(radio.state.amp, 3);
}

void TestSimModel::localControlIgnoresSettings_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QByteArray>("command");
    const struct {
        Firmware fw;
        const char* name;
    } fws[] = {
        {Firmware::V601, "v601"}, {Firmware::Adapt, "adapt"}, {Firmware::NonAdapt, "nonadapt"}};
    const char* const commands[] = {
        "F0712500\n", "M\n", "m\n",    "M2\n",  "A\n",   "a\n",           "A3\n", "d\n",
        "D\n",        "H\n", "\"\n",   "\"0\n", "'",     "'0\n",          "(0\n", "I\n",
        "S\n",        "V\n", "B050\n", "G10\n", "C05\n", "P0507125002\n", "O2\n", "K"};
    for (const auto& f : fws)
        for (const char* c : commands) {
            if (c == std::string_view("'") && f.fw != Firmware::V601) continue;  // v601 only
            QTest::addRow("%s %s", f.name, QByteArray(c).replace('\n', "").constData())
                << f.fw << QByteArray(c);
        }
}

void TestSimModel::localControlIgnoresSettings() {
    QFETCH(Firmware, fw);
    QFETCH(QByteArray, command);
    RadioModel radio(fw);
    radio.state.remote = false;
    double t = 0.0;
    const std::string before = status(radio, t);
    const std::string answer = ask(radio, command.toStdString(), t);
    // Only the sync character is answered, with the unchanged state.
    QCOMPARE(answer, std::string(command == "K" ? "U\nJ07\n" : ""));
    QCOMPARE(status(radio, t), before);
    QCOMPARE(ask(radio, "L05\n", t), std::string("P0507000001\n"));
    QCOMPARE(radio.nextOutput(), std::numeric_limits<double>::infinity());
}

void TestSimModel::localControlStillAnswers() {
    RadioModel radio(Firmware::NonAdapt);
    radio.state.remote = false;
    radio.state.fault = 4;
    double t = 0.0;
    QVERIFY(status(radio, t).find("\nR0\n") != std::string::npos);
    QCOMPARE(ask(radio, "Z\n", t), std::string("Z4\n"));
    QCOMPARE(ask(radio, "U", t), std::string("U\nJ07\n"));
    QCOMPARE(ask(radio, "L00\n", t), std::string("P0007000001\n"));
}

void TestSimModel::remoteSwitchReports() {
    RadioModel radio(Firmware::V601);
    radio.received("K", 0.0);
    QCOMPARE(drain(radio, 1.0), std::string("K\nJ07\n"));
    radio.setRemote(false, 2.0);
    QCOMPARE(drain(radio, 3.0), std::string("R0\n"));
    QVERIFY(!radio.state.keyed);  // the front panel drops the remote key
    double t = 3.0;
    QCOMPARE(ask(radio, "M\n", t), std::string());
    radio.setRemote(true, t);
    QCOMPARE(drain(radio, t + 1.0), std::string("R1\n"));
    t += 1.0;
    QCOMPARE(ask(radio, "M\n", t), std::string("M2\n"));
}

void TestSimModel::silent() {
    RadioModel radio(Firmware::Adapt);
    radio.received("?\n", 0.0);
    radio.setSilent(true);  // what is still queued is lost too
    QCOMPARE(drain(radio, 1.0), std::string());
    double t = 1.0;
    QCOMPARE(ask(radio, "?\n", t), std::string());
    QCOMPARE(ask(radio, "K", t), std::string());
    radio.raiseFault(2, t);
    radio.setFrequency("0712500", t);
    radio.say("A3", t);
    QCOMPARE(radio.nextOutput(), std::numeric_limits<double>::infinity());
    QCOMPARE(drain(radio, t + 1.0), std::string());
    t += 1.0;
    radio.setSilent(false);
    QCOMPARE(ask(radio, "Z\n", t), std::string("Z2\n"));
    QVERIFY(radio.state.keyed);  // a silent radio still takes the commands
    QCOMPARE(radio.state.freq, std::string("0712500"));
    QCOMPARE(ask(radio, "U", t), std::string("U\nJ07\n"));
}

void TestSimModel::syncAnswers_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<int>("reading");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("keyed");
    QTest::newRow("unkey") << Firmware::V601 << 7 << QByteArray("U") << QByteArray("U\nJ07\n")
                           << false;
    QTest::newRow("key") << Firmware::Adapt << 42 << QByteArray("K") << QByteArray("K\nJ42\n")
                         << true;
    QTest::newRow("key then unkey")
        << Firmware::NonAdapt << 0 << QByteArray("KU") << QByteArray("K\nJ00\nU\nJ00\n") << false;
    QTest::newRow("reading capped")
        << Firmware::V601 << 123 << QByteArray("U") << QByteArray("U\nJ99\n") << false;
    QTest::newRow("sync before a command") << Firmware::V601 << 7 << QByteArray("KF0712500\n")
                                           << QByteArray("K\nJ07\nF0712500\n") << true;
    QTest::newRow("sync after a command")
        << Firmware::Adapt << 7 << QByteArray("Z\nU") << QByteArray("Z0\nU\nJ07\n") << false;
    QTest::newRow("K inside a line")
        << Firmware::V601 << 7 << QByteArray("FK\n") << QByteArray() << false;
    QTest::newRow("U inside a line")
        << Firmware::Adapt << 7 << QByteArray("MU\n") << QByteArray() << false;
    QTest::newRow("blank heartbeat")
        << Firmware::NonAdapt << 7 << QByteArray("   ") << QByteArray() << false;
}

void TestSimModel::syncAnswers() {
    QFETCH(Firmware, fw);
    QFETCH(int, reading);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);
    RadioModel radio(fw);
    radio.state.meterReading = reading;
    double t = 0.0;
    QCOMPARE(QByteArray::fromStdString(ask(radio, input.toStdString(), t)), answer);
    QFETCH(bool, keyed);
    QCOMPARE(radio.state.keyed, keyed);
}

void TestSimModel::answerTiming() {
    RadioModel radio(Firmware::V601);
    radio.answerDelay = 0.015;
    radio.charTime = 0.001;
    radio.received("Z\n", 2.0);
    QCOMPARE(radio.nextOutput(), 2.015);
    Timed out;
    radio.produce(2.0149, out);
    QVERIFY(out.empty());
    radio.produce(2.0155, out);
    QCOMPARE(text(out), std::string("Z"));
    radio.produce(3.0, out);
    QCOMPARE(text(out), std::string("Z0\n"));
    QCOMPARE(out[0].first, 2.015);
    QCOMPARE(out[1].first, 2.016);
    QCOMPARE(out[2].first, 2.017);
}

void TestSimModel::answersQueueBehindEachOther() {
    RadioModel radio(Firmware::NonAdapt);
    radio.answerDelay = 0.02;
    radio.charTime = 0.001;
    radio.received("?\n", 0.0);
    radio.received("Z\n", 0.001);  // arrives while the status is still going out
    Timed out;
    radio.produce(1.0, out);
    const std::string all = text(out);
    QVERIFY(all.size() > 3);
    QCOMPARE(all.substr(all.size() - 3), std::string("Z0\n"));
    for (std::size_t i = 0; i < out.size(); ++i)  // one character every charTime, no gap
        QVERIFY2(std::abs(out[i].first - (0.02 + 0.001 * static_cast<double>(i))) < 1e-9,
                 qPrintable(QString::number(i)));
    // A command after a quiet spell waits only the answer delay.
    radio.received("Z\n", 5.0);
    out.clear();
    radio.produce(6.0, out);
    QCOMPARE(out.front().first, 5.02);
}

void TestSimModel::unsolicitedReports() {
    RadioModel radio(Firmware::V601);
    radio.charTime = 0.001;
    radio.raiseFault(3, 1.0);
    QCOMPARE(radio.nextOutput(), 1.0);  // reports of the radio itself need no answer delay
    QCOMPARE(drain(radio, 2.0), std::string("Z3\n"));
    double t = 2.0;
    QCOMPARE(ask(radio, "Z\n", t), std::string("Z3\n"));
    radio.clearFault(t);
    QCOMPARE(drain(radio, t + 1.0), std::string("Z0\n"));
    radio.say("A3\nM2", 10.0);
    radio.say("W5\n", 10.0);
    QCOMPARE(drain(radio, 11.0), std::string("A3\nM2\nW5\n"));
    QCOMPARE(radio.state.agc, 2);  // raw lines change nothing
}

void TestSimModel::commandsSeen() {
    RadioModel radio(Firmware::V601);
    double t = 0.0;
    ask(radio, "U?\nM2\n 'F1407400\n\nK", t);
    const std::vector<std::string> expected{"U", "?", "M2", " ", "'", "F1407400", "K"};
    QCOMPARE(radio.commandsSeen(), expected);
}

void TestSimModel::framingRejectsJunk() {
    RadioModel radio(Firmware::NonAdapt);
    double t = 0.0;
    const std::string before = status(radio, t);
    // An endless line is dropped whole, even when its tail looks like a command.
    std::string flood(5000, 'm');
    QCOMPARE(ask(radio, flood + "\n", t), std::string());
    QCOMPARE(ask(radio, std::string(5000, 'x') + "F0712500\n", t), std::string());
    QCOMPARE(status(radio, t), before);
    // Binary junk gets no answer and the next command works.
    std::string junk;
    for (int i = 1; i < 256; ++i)
        if (i != '\n') junk.push_back(static_cast<char>(i));
    QCOMPARE(ask(radio, junk + "\n", t), std::string());
    QCOMPARE(ask(radio, "m\n", t), std::string("M2\n"));
}

QTEST_GUILESS_MAIN(TestSimModel)
#include "test_sim_model.moc"
