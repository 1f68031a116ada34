// What the radio model does on its own, beyond answering the command it
// got: keying only with PTT enable, the audio that moves with a change
// between the voice modes and CW, the Adapt combined form on a channel, and
// the bounded command log.
#include <QtTest>

#include "radio_model.h"

using namespace tolvane;

Q_DECLARE_METATYPE(tolvane::Firmware)

namespace {

// Everything the radio sends up to `until`.
std::string drain(RadioModel& radio, double until) {
    std::vector<std::pair<double, char>> out;
    radio.produce(until, out);
    std::string s;
    for (const auto& [at, c] : out) {
        (void)at;
        s.push_back(c);
    }
    return s;
}

// Sends `bytes` at `t` and returns the answer; `t` moves past it.
std::string ask(RadioModel& radio, std::string_view bytes, double& t) {
    radio.received(bytes, t);
    const std::string answer = drain(radio, t + 0.5);
    t += 0.5;
    return answer;
}

std::string status(RadioModel& radio, double& t) {
    return ask(radio, "?\n", t);
}

// Sets up a state from "field=value" words, e.g. "mode=4 ptt=0".
void preset(RadioModel::State& s, const QString& words) {
    for (const QString& word : words.split(' ', Qt::SkipEmptyParts)) {
        const QString key = word.section('=', 0, 0);
        const int v = word.section('=', 1).toInt();
        if (key == "mode")
            s.mode = v;
        else if (key == "source")
            s.source = v;
        else if (key == "sidetone")
            s.sidetone = v;
        else if (key == "ptt")
            s.pttEnable = v;
        else if (key == "amp")
            s.amp = v;
        else if (key == "remote")
            s.remote = v != 0;
        else
            QFAIL(qPrintable("unknown preset " + key));
    }
}

}  // namespace

class TestSimBehaviour : public QObject {
    Q_OBJECT
  private slots:
    void keyingNeedsPttEnable_data();
    void keyingNeedsPttEnable();
    void modeChangeMovesAudio_data();
    void modeChangeMovesAudio();
    void modeGroupsKeepTheirAudio();
    void channelSelectIntoCw();
    void adaptCombinedKeepsChannel_data();
    void adaptCombinedKeepsChannel();
    void commandLogIsBounded();
};

void TestSimBehaviour::keyingNeedsPttEnable_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("keyed");
    QTest::newRow("v601 K with PTT enable off")
        << Firmware::V601 << "ptt=0" << QByteArray("K") << QByteArray("U\nJ07\n") << false;
    QTest::newRow("adapt K with PTT enable off")
        << Firmware::Adapt << "ptt=0" << QByteArray("K") << QByteArray("U\nJ07\n") << false;
    QTest::newRow("nonadapt K with PTT enable off")
        << Firmware::NonAdapt << "ptt=0" << QByteArray("KK") << QByteArray("U\nJ07\nU\nJ07\n")
        << false;
    QTest::newRow("enabled, then K") << Firmware::NonAdapt << "ptt=0" << QByteArray("'1\nK")
                                     << QByteArray("'1\nK\nJ07\n") << true;
    QTest::newRow("v601 toggled on, then K")
        << Firmware::V601 << "ptt=0" << QByteArray("'K") << QByteArray("'1\nK\nJ07\n") << true;
    QTest::newRow("disabled while keyed") << Firmware::Adapt << "" << QByteArray("K'0\nK")
                                          << QByteArray("K\nJ07\n'0\nU\nJ07\n") << false;
    QTest::newRow("v601 toggled off while keyed")
        << Firmware::V601 << "" << QByteArray("K'") << QByteArray("K\nJ07\n'0\n") << false;
    QTest::newRow("disabled while tuning") << Firmware::NonAdapt << "amp=4" << QByteArray("K'0\n")
                                           << QByteArray("K\nJ07\nT2\n'0\nT1\n") << false;
    QTest::newRow("disabled again, no change")
        << Firmware::Adapt << "ptt=0" << QByteArray("'0\n") << QByteArray("'0\n") << false;
}

void TestSimBehaviour::keyingNeedsPttEnable() {
    QFETCH(Firmware, fw);
    QFETCH(QString, setup);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);
    QFETCH(bool, keyed);
    RadioModel radio(fw);
    preset(radio.state, setup);
    double t = 0.0;
    QCOMPARE(QByteArray::fromStdString(ask(radio, input.toStdString(), t)), answer);
    QCOMPARE(radio.state.keyed, keyed);
    QCOMPARE(drain(radio, t + 10.0), std::string());  // no tune cycle left running
}

// A change between the voice modes and CW moves source and sidetone, and on
// the v601 firmware switches PTT enable off; changes within a group do not.
void TestSimBehaviour::modeChangeMovesAudio_data() {
    QTest::addColumn<Firmware>("fw");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("inStatus");  // H, S and PTT-enable lines of the next status
    const auto v601 = Firmware::V601;
    const auto adapt = Firmware::Adapt;
    const auto nonad = Firmware::NonAdapt;
    auto row = [](const char* name, Firmware fw, const char* setup, const char* command,
                  const char* answer, const char* inStatus) {
        QTest::newRow(name) << fw << QString(setup) << QByteArray(command) << QByteArray(answer)
                            << QByteArray(inStatus);
    };
    row("v601 USB to CW", v601, "", "MMM\n", "M4\nH4\nS1\n'0\n", "H4 S1 '0");
    row("nonadapt USB to CW", nonad, "", "mmm\n", "M4\nH4\nS1\n", "H4 S1 '1");
    row("adapt USB to CW", adapt, "source=2", "M4\n", "M4\nH4\nS1\n", "H4 S1 '1");
    row("adapt combined to CW", adapt, "", "M4\nF1407400\n", "M4\nH4\nS1\nF1407400\n", "H4 S1 '1");
    row("v601 CW to USB", v601, "mode=4 source=4", "M\n", "M1\nH1\n'0\n", "H1 S0 '0");
    row("nonadapt CW to LSB", nonad, "mode=4 source=4 sidetone=1", "mm\n", "M2\nH1\nS0\n",
        "H1 S0 '1");
    row("adapt CW to AME", adapt, "mode=4 source=4", "M3\n", "M3\nH1\n", "H1 S0 '1");
    row("v601 CW with PTT off", v601, "mode=4 source=4 ptt=0", "M\n", "M1\nH1\n", "H1 S0 '0");
    row("v601 USB to LSB", v601, "", "M\n", "M2\n", "H1 S0 '1");
    row("v601 full turn", v601, "", "MMMM\n", "M1\n", "H1 S0 '1");
    row("nonadapt USB to AME", nonad, "sidetone=1 source=3", "mm\n", "M3\n", "H3 S1 '1");
    row("adapt same mode", adapt, "mode=4 source=4", "M4\n", "M4\n", "H4 S0 '1");
    row("local control: nothing", nonad, "remote=0", "mmm\n", "", "H1 S0 '1");
}

void TestSimBehaviour::modeChangeMovesAudio() {
    QFETCH(Firmware, fw);
    QFETCH(QString, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, inStatus);
    RadioModel radio(fw);
    preset(radio.state, setup);
    double t = 0.0;
    QCOMPARE(QByteArray::fromStdString(ask(radio, command.toStdString(), t)), answer);
    const std::string after = status(radio, t);
    for (const QByteArray& l : inStatus.split(' '))
        QVERIFY2(after.find("\n" + l.toStdString() + "\n") != std::string::npos,
                 (l + " in " + QByteArray::fromStdString(after)).constData());
}

// Each group remembers its own: the phone source, the CW sidetone.
void TestSimBehaviour::modeGroupsKeepTheirAudio() {
    RadioModel radio(Firmware::NonAdapt);
    preset(radio.state, "source=2 sidetone=1");
    double t = 0.0;
    QCOMPARE(ask(radio, "mmm\n", t), std::string("M4\nH4\n"));  // CW sidetone starts on
    QCOMPARE(ask(radio, "S\n", t), std::string("S0\n"));
    QCOMPARE(ask(radio, "m\n", t), std::string("M1\nH2\nS1\n"));
    QCOMPARE(ask(radio, "mmm\n", t), std::string("M4\nH4\nS0\n"));
    // A source picked in CW is the one the voice modes take.
    QCOMPARE(ask(radio, "HHH\n", t), std::string("H3\n"));
    QCOMPARE(ask(radio, "m\n", t), std::string("M1\nS1\n"));
    QCOMPARE(radio.state.source, 3);
    QCOMPARE(radio.state.pttEnable, 1);
}

void TestSimBehaviour::channelSelectIntoCw() {
    RadioModel radio(Firmware::V601);
    radio.state.channels[7] = {"0712500", 4};
    radio.state.channels[8] = {"0350000", 2};
    double t = 0.0;
    QCOMPARE(ask(radio, "C07\n", t), std::string("C07\nF0712500\nM4\nH4\nS1\n'0\n"));
    QCOMPARE(ask(radio, "'", t), std::string("'1\n"));
    QCOMPARE(ask(radio, "C08\n", t), std::string("C08\nF0350000\nM2\nH1\nS0\n'0\n"));
}

// The Adapt combined form sets mode or AGC and keeps the selected channel;
// naming another frequency retunes as an "F" command does.
void TestSimBehaviour::adaptCombinedKeepsChannel_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<double>("gap");  // seconds between the two lines
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("channel");
    QTest::newRow("mode") << QByteArray("M1\nF0712500\n") << 0.0 << QByteArray("M1\nF0712500\n")
                          << 7;
    QTest::newRow("agc") << QByteArray("A4\nF0712500\n") << 0.0 << QByteArray("A4\nF0712500\n")
                         << 7;
    QTest::newRow("agc, lines 50 ms apart")
        << QByteArray("A1\nF0712500\n") << 0.05 << QByteArray("A1\nF0712500\n") << 7;
    QTest::newRow("another frequency")
        << QByteArray("M1\nF1407400\n") << 0.0 << QByteArray("M1\nC--\nF1407400\n") << -1;
    QTest::newRow("frequency a second later")
        << QByteArray("M1\nF0712500\n") << 1.0 << QByteArray("M1\nC--\nF0712500\n") << -1;
    QTest::newRow("frequency alone")
        << QByteArray("F0712500\n") << 0.0 << QByteArray("C--\nF0712500\n") << -1;
    QTest::newRow("after a refused code")
        << QByteArray("M5\nF0712500\n") << 0.0 << QByteArray("C--\nF0712500\n") << -1;
}

void TestSimBehaviour::adaptCombinedKeepsChannel() {
    QFETCH(QByteArray, command);
    QFETCH(double, gap);
    QFETCH(QByteArray, answer);
    QFETCH(int, channel);
    RadioModel radio(Firmware::Adapt);
    radio.state.channels[7] = {"0712500", 2};
    double t = 0.0;
    QCOMPARE(ask(radio, "C07\n", t), std::string("C07\nF0712500\nM2\n"));
    const std::string c = command.toStdString();
    const std::size_t cut = c.find('\n') + 1;
    radio.received(c.substr(0, cut), t);
    radio.received(c.substr(cut), t + gap);
    QCOMPARE(QByteArray::fromStdString(drain(radio, t + gap + 0.5)), answer);
    t += gap + 0.5;
    QCOMPARE(radio.state.channel, channel);
    const std::string report = channel >= 0 ? "\nC07\n" : "\nC--\n";
    QVERIFY(status(radio, t).find(report) != std::string::npos);
}

void TestSimBehaviour::commandLogIsBounded() {
    RadioModel radio(Firmware::V601, 3);
    QCOMPARE(radio.commandLogLines(), std::size_t(3));
    double t = 0.0;
    ask(radio, "U?\nM2\n 'F1407400\n\nK", t);
    QCOMPARE(radio.commandsSeen(), (std::vector<std::string>{"'", "F1407400", "K"}));
    QCOMPARE(radio.commandsTaken(), std::size_t(7));
    radio.setCommandLogLines(2);
    QCOMPARE(radio.commandsSeen(), (std::vector<std::string>{"F1407400", "K"}));
    radio.setCommandLogLines(0);  // at least the last line is kept
    QCOMPARE(radio.commandLogLines(), std::size_t(1));
    QCOMPARE(radio.commandsSeen(), std::vector<std::string>{"K"});
    // A radio left running keeps its default number of lines.
    RadioModel busy(Firmware::Adapt);
    QCOMPARE(busy.commandLogLines(), RadioModel::kDefaultLogLines);
    for (int i = 0; i < 5000; ++i) busy.received(i % 2 ? "U" : "Z\n", 0.001 * i);
    QCOMPARE(busy.commandsTaken(), std::size_t(5000));
    const std::vector<std::string> seen = busy.commandsSeen();
    QCOMPARE(seen.size(), RadioModel::kDefaultLogLines);
    QCOMPARE(seen.back(), std::string("U"));
    QCOMPARE(seen.front(), std::string("Z"));
}

QTEST_GUILESS_MAIN(TestSimBehaviour)
#include "test_sim_behaviour.moc"
