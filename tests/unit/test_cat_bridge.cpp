// The CAT bridge on a fake CAT port at 4800 baud, with the radio model on the
// radio port: exact bytes to the radio and to the station software for each
// firmware, receives split by the receive threshold, port events and bad input.
#include <QtTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "cat/cat_bridge.h"
#include "radio_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

// The "CAT" frame of the main window, recorded.
class RecordingCatPanel : public CatPanel {
  public:
    std::string dig = "OFF";
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::string comStat;
    std::string digitalMode() override { return dig; }
    void showCatInput(const std::string& t) override { inputs.push_back(t); }
    void showCatOutput(const std::string& t) override { outputs.push_back(t); }
    void setComStat(mapping::LinkStatus s) override { comStat = mapping::linkStatusCaption(s); }
};

constexpr double kCharTime4800 = 10.0 / 4800.0;

int fwType(Firmware fw) {
    switch (fw) {
        case Firmware::V601:
            return 1;
        case Firmware::Adapt:
            return 2;
        case Firmware::NonAdapt:
            return 3;
    }
    return 0;
}

// A panel with its radio (the model) and a CAT port with station software on
// the far end. The main loop is played by run(): every pass yields once (the
// CAT port delivers its events) and serves reqCat.
struct CatRig {
    explicit CatRig(Firmware fw, bool queried = true) : radio(true, fw), cat(radio.clock) {
        radio.state.gFwType = fwType(fw);
        PortConfig cfg;
        cfg.portNumber = 2;
        cfg.settings = "4800,N,8,1";
        cfg.receiveThreshold = 3;
        cat.open(cfg);
        if (queried) {  // the panel's status request at start-up
            radio.link.SendRadioCmd("?", true, 0.6);
            radio.link.ReadRadio();
        }
        radio.port.takeWritten();
    }

    // The loop goes on for `seconds`, and for 0.1 s after each CatCmd (which
    // may wait for the radio for over a second while the station goes on).
    void run(double seconds) {
        double end = radio.clock.elapsed() + seconds;
        while (radio.clock.elapsed() < end) {
            cat.dispatchEvents();
            if (bridge.reqCat) {
                bridge.CatCmd();
                end = std::max(end, radio.clock.elapsed() + 0.1);
            }
            radio.clock.advance(0.001);
        }
    }
    // The station sends text at 4800 baud; the loop runs until it is served.
    void station(std::string_view text, double charTime = kCharTime4800) {
        cat.inject(text, 0.0, charTime);
        run(static_cast<double>(text.size()) * charTime + 0.1);
    }
    // What the radio got since the last call.
    std::string toRadio() { return radio.port.takeWritten(); }
    // Each write to the CAT port since the start.
    QStringList toStation() const {
        QStringList out;
        for (const FakePort::Write& w : cat.writes()) out << QString::fromStdString(w.text);
        return out;
    }
    QString shownInput() const {
        std::string all;
        for (const std::string& s : panel.inputs) all += s;
        return QString::fromStdString(all);
    }

    RadioFixture radio;
    FakePort cat;
    RecordingCatPanel panel;
    CatBridge bridge{cat, radio.link, panel};
};

}  // namespace

class TestCatBridge : public QObject {
    Q_OBJECT
  private slots:
    void wire_data();
    void wire();
    void digitalPresetAnswer();
    void silentBeforeFirstReport();
    void frequencySetInTwoReceives();
    void shortRemainderWaitsForNextReceive();
    void twoReceivesBeforeCatCmd();
    void portEvents_data();
    void portEvents();
    void lineEventFlagsMeanChangedNotLevel();
    void closedOrVanishedCatPort_data();
    void closedOrVanishedCatPort();
    void receiveOnVanishedPort();
    void resetForgetsUnfinishedCommand();
    void badInput_data();
    void badInput();
    void handlerRemovedWithBridge();
    void latestSetOfEachKindKept();
    void waitingCommandsBounded();
    void setsWaitForTheHeartbeat_data();
    void setsWaitForTheHeartbeat();
    void quietLineEndsUnfinishedCommand_data();
    void quietLineEndsUnfinishedCommand();
};

// firmware, station text, bytes to the radio, writes to the CAT port, and the
// radio's frequency and mode afterwards (the model starts on 14.074 MHz USB).
void TestCatBridge::wire_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("radio");
    QTest::addColumn<QStringList>("station");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<int>("mode");

    struct Fw {
        Firmware fw;
        const char* name;
    };
    const Fw fws[] = {
        {Firmware::V601, "v601"}, {Firmware::Adapt, "adapt"}, {Firmware::NonAdapt, "nonadapt"}};
    const QStringList none;
    for (const Fw& f : fws) {
        int fw = static_cast<int>(f.fw);
        auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s %s", f.name, what) << fw;
        };
        row("FA query") << QByteArray("FA;") << QByteArray() << QStringList{"FA00014074000;"}
                        << "1407400" << 1;
        row("FA set") << QByteArray("FA00007074000;") << QByteArray("F0707400\n") << none
                      << "0707400" << 1;
        row("FA set then query") << QByteArray("FA00007074000;FA;") << QByteArray("F0707400\n")
                                 << QStringList{"FA00007074000;"} << "0707400" << 1;
        row("FA set out of range")
            << QByteArray("FA00040000000;") << QByteArray() << none << "1407400" << 1;
        row("FA set five digits") << QByteArray("FA00014074;MD;") << QByteArray()
                                  << QStringList{"MD2;"} << "1407400" << 1;
        row("MD query") << QByteArray("MD;") << QByteArray() << QStringList{"MD2;"} << "1407400"
                        << 1;
        row("MD2 already USB") << QByteArray("MD2;") << QByteArray() << none << "1407400" << 1;
        row("MD0 Yaesu query") << QByteArray("MD0;") << QByteArray() << none << "1407400" << 1;
        row("MD6") << QByteArray("MD6;") << QByteArray() << none << "1407400" << 1;
        row("IF ID fa") << QByteArray("IF;ID;fa;") << QByteArray() << none << "1407400" << 1;
        row(";;FA;") << QByteArray(";;FA;") << QByteArray() << QStringList{"FA00014074000;"}
                     << "1407400" << 1;
        row("FA;MD; written separately") << QByteArray("FA;MD;") << QByteArray()
                                         << QStringList{"FA00014074000;", "MD2;"} << "1407400" << 1;
    }
    auto add = [](const char* name, Firmware fw) -> QTestData& {
        return QTest::newRow(name) << static_cast<int>(fw);
    };
    add("v601 MD1", Firmware::V601)
        << QByteArray("MD1;") << QByteArray("M\n") << QStringList{} << "1407400" << 2;
    add("adapt MD1", Firmware::Adapt)
        << QByteArray("MD1;") << QByteArray("M2\nF1407400\n") << QStringList{} << "1407400" << 2;
    add("nonadapt MD1", Firmware::NonAdapt)
        << QByteArray("MD1;") << QByteArray("m\n") << QStringList{} << "1407400" << 2;
    add("v601 MD3 then MD", Firmware::V601)
        << QByteArray("MD3;MD;") << QByteArray("MMM\n'") << QStringList{"MD3;"} << "1407400" << 4;
    add("adapt MD3 then MD", Firmware::Adapt)
        << QByteArray("MD3;MD;") << QByteArray("M4\nF1407400\n") << QStringList{"MD3;"} << "1407400"
        << 4;
    add("nonadapt MD3 then MD", Firmware::NonAdapt)
        << QByteArray("MD3;MD;") << QByteArray("mmm\n") << QStringList{"MD3;"} << "1407400" << 4;
    add("v601 MD5", Firmware::V601)
        << QByteArray("MD5;") << QByteArray("MM\n") << QStringList{} << "1407400" << 3;
    add("adapt FA set then MD1", Firmware::Adapt)
        << QByteArray("FA00007074000;MD1;") << QByteArray("F0707400\nM2\nF0707400\n")
        << QStringList{} << "0707400" << 2;
    // A set waiting is replaced by a later one of its kind: the radio is in USB already.
    add("v601 MD1 replaced by MD2", Firmware::V601)
        << QByteArray("MD1;MD2;IF;MD;") << QByteArray() << QStringList{"MD2;"} << "1407400" << 1;
}

void TestCatBridge::wire() {
    QFETCH(int, fw);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, radio);
    QFETCH(QStringList, station);
    QFETCH(QString, freq);
    QFETCH(int, mode);
    CatRig rig(static_cast<Firmware>(fw));
    rig.station(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(rig.toRadio()), radio);
    QCOMPARE(rig.toStation(), station);
    QCOMPARE(QString::fromStdString(rig.radio.model.state.freq), freq);
    QCOMPARE(rig.radio.model.state.mode, mode);
    // What was received is shown in the "in" box, each answer in the "out" box.
    QCOMPARE(rig.shownInput(), QString::fromLatin1(text));
    QStringList shownOut;
    for (const std::string& s : rig.panel.outputs) shownOut << QString::fromStdString(s);
    QCOMPARE(shownOut, station);
    QVERIFY(!rig.bridge.reqCat);
    QVERIFY(rig.bridge.pending().empty());
}

void TestCatBridge::digitalPresetAnswer() {
    CatRig rig(Firmware::V601);
    rig.panel.dig = "RTTY";
    rig.station("MD;");
    rig.panel.dig = "PSK";
    rig.station("MD;");
    rig.panel.dig = "OFF";
    rig.station("MD;");
    QCOMPARE(rig.toStation(), (QStringList{"MD6;", "MDA;", "MD2;"}));
    QCOMPARE(rig.toRadio(), std::string());
}

// Before the first status answer the record holds blanks: no answer at all.
void TestCatBridge::silentBeforeFirstReport() {
    CatRig rig(Firmware::V601, false);
    rig.station("FA;MD;");
    QCOMPARE(rig.toStation(), QStringList{});
    QVERIFY(rig.panel.outputs.empty());
    QCOMPARE(rig.shownInput(), QString("FA;MD;"));
    QCOMPARE(rig.toRadio(), std::string());
}

// At 4800 baud the receive event comes after three characters and the
// handler waits 15 ms: a 14-character set arrives in two receives.
void TestCatBridge::frequencySetInTwoReceives() {
    CatRig rig(Firmware::V601);
    rig.station("FA00007074000;");
    QCOMPARE(rig.panel.inputs.size(), size_t(2));
    QCOMPARE(rig.panel.inputs[0], std::string("FA00007074"));
    QCOMPARE(rig.panel.inputs[1], std::string("000;"));
    QCOMPARE(rig.bridge.gCatInput, std::string("000;"));
    QCOMPARE(rig.toRadio(), std::string("F0707400\n"));
    QCOMPARE(rig.radio.model.state.freq, std::string("0707400"));
    QCOMPARE(rig.radio.state.gFreqReport, std::string("F0707400"));
    QVERIFY(rig.bridge.input().tail().empty());
    // Served once: nothing more goes to the radio.
    rig.run(2.0);
    QCOMPARE(rig.toRadio(), std::string());
}

// The port raises a receive only once three characters wait: one or two
// characters left after a receive wait for the station's next command, and
// are then served in order with it.
void TestCatBridge::shortRemainderWaitsForNextReceive() {
    CatRig rig(Firmware::V601);
    rig.station("MD1;MD3;FA;");  // ten characters, then one; MD3 replaces MD1
    QCOMPARE(rig.panel.inputs, (std::vector<std::string>{"MD1;MD3;FA"}));
    // A v601 radio switches PTT enable off with a mode change; the band
    // check switches it on again.
    QCOMPARE(QByteArray::fromStdString(rig.toRadio()), QByteArray("MMM\n'"));
    QCOMPARE(rig.toStation(), QStringList{});
    QCOMPARE(rig.bridge.input().tail(), std::string("FA"));
    rig.station("MD;");
    QCOMPARE(rig.panel.inputs, (std::vector<std::string>{"MD1;MD3;FA", ";MD;"}));
    QCOMPARE(rig.toStation(), (QStringList{"FA00014074000;", "MD3;"}));
    QCOMPARE(rig.toRadio(), std::string());
}

// Two receives before the main loop reaches CatCmd: both are served.
void TestCatBridge::twoReceivesBeforeCatCmd() {
    CatRig rig(Firmware::NonAdapt);
    rig.cat.inject("FA;FA0000707");
    rig.cat.dispatchEvents();
    QVERIFY(rig.bridge.reqCat);
    rig.cat.inject("4000;MD;");
    rig.cat.dispatchEvents();
    QCOMPARE(rig.panel.inputs, (std::vector<std::string>{"FA;FA0000707", "4000;MD;"}));
    QCOMPARE(rig.bridge.pending().size(), size_t(3));
    rig.bridge.CatCmd();
    QVERIFY(!rig.bridge.reqCat);
    QCOMPARE(rig.toStation(), (QStringList{"FA00014074000;", "MD2;"}));
    QCOMPARE(rig.toRadio(), std::string("F0707400\n"));
}

void TestCatBridge::portEvents_data() {
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("flag");  // empty: none
    QTest::addColumn<QString>("comStat");
    QTest::newRow("break") << 1001 << "gCatBreak"
                           << "";
    QTest::newRow("frame") << 1004 << "gComm2RXFrame"
                           << "Com2 Error";
    QTest::newRow("overrun") << 1006 << "gComm2RXOverrun"
                             << "Com2 Error";
    QTest::newRow("rx overflow") << 1008 << "gComm2RXOverflow"
                                 << "Com2 Error";
    QTest::newRow("parity") << 1009 << "gComm2RXParity"
                            << "Com2 Error";
    QTest::newRow("tx full") << 1010 << "gComm2TXFull"
                             << "Com2 Error";
    QTest::newRow("dcb") << 1011 << "gComm2DCBError"
                         << "Com2 Error";
    QTest::newRow("cts") << 3 << "gComm2EvCTS"
                         << "";
    QTest::newRow("dsr") << 4 << "gComm2EvDSR"
                         << "";
    QTest::newRow("cd") << 5 << "gComm2EvCD"
                        << "";
    QTest::newRow("ring") << 6 << ""
                          << "";
    QTest::newRow("eof") << 7 << ""
                         << "";
    QTest::newRow("send") << 1 << ""
                          << "";
    QTest::newRow("cts timeout") << 1002 << ""
                                 << "";
    QTest::newRow("dsr timeout") << 1003 << ""
                                 << "";
    QTest::newRow("cd timeout") << 1007 << ""
                                << "";
    QTest::newRow("unknown") << 4242 << ""
                             << "";
}

void TestCatBridge::portEvents() {
    QFETCH(int, event);
    QFETCH(QString, flag);
    QFETCH(QString, comStat);
    CatRig rig(Firmware::V601);
    rig.cat.raiseEvent(event);
    rig.cat.dispatchEvents();
    const PortFlags& f = rig.bridge.comm2;
    const std::pair<const char*, bool> flags[] = {
        {"gCatBreak", rig.bridge.gCatBreak},
        {"gComm2RXFrame", f.RXFrame},
        {"gComm2RXOverrun", f.RXOverrun},
        {"gComm2RXOverflow", f.RXOverflow},
        {"gComm2RXParity", f.RXParity},
        {"gComm2TXFull", f.TXFull},
        {"gComm2DCBError", f.DCBError},
        {"gComm2EvCD", f.EvCD},
        {"gComm2EvCTS", f.EvCTS},
        {"gComm2EvDSR", f.EvDSR},
    };
    for (const auto& [name, value] : flags) {
        QVERIFY2(value == (flag == name), name);
    }
    QCOMPARE(QString::fromStdString(rig.panel.comStat), comStat);
    QVERIFY(!rig.bridge.reqCat);
    // The bridge goes on working after any of them.
    rig.station("FA;");
    QCOMPARE(rig.toStation(), QStringList{"FA00014074000;"});
}

// The line event flags record that the line changed at least once, not its level.
void TestCatBridge::lineEventFlagsMeanChangedNotLevel() {
    CatRig rig(Firmware::V601);
    rig.cat.setDsr(false);
    rig.cat.setCd(true);
    rig.cat.setCd(false);
    rig.cat.dispatchEvents();
    QVERIFY(rig.bridge.comm2.EvDSR);
    QVERIFY(rig.bridge.comm2.EvCD);
    QVERIFY(!rig.bridge.comm2.EvCTS);
}

// The CAT port closes or vanishes between the receive and CatCmd: answers
// are lost without an error, sets still reach the radio.
void TestCatBridge::closedOrVanishedCatPort_data() {
    QTest::addColumn<bool>("vanish");
    QTest::newRow("closed") << false;
    QTest::newRow("vanished") << true;
}

void TestCatBridge::closedOrVanishedCatPort() {
    QFETCH(bool, vanish);
    CatRig rig(Firmware::Adapt);
    rig.cat.inject("FA;FA00007074000;MD1;MD;");
    rig.cat.dispatchEvents();
    QVERIFY(rig.bridge.reqCat);
    if (vanish)
        rig.cat.setVanished(true);
    else
        rig.cat.close();
    try {
        rig.bridge.CatCmd();
    } catch (...) {
        QFAIL("CatCmd let a CAT port error out");
    }
    QCOMPARE(rig.toStation(), QStringList{});
    QCOMPARE(rig.panel.outputs, (std::vector<std::string>{"FA00014074000;", "MD1;"}));
    QCOMPARE(rig.toRadio(), std::string("F0707400\nM2\nF0707400\n"));
}

void TestCatBridge::receiveOnVanishedPort() {
    CatRig rig(Firmware::V601);
    rig.cat.inject("FA;");
    rig.cat.setVanished(true);
    try {
        rig.bridge.MSComm2_OnComm(comm::kEvReceive);
    } catch (...) {
        QFAIL("the receive handler let a port error out");
    }
    QVERIFY(!rig.bridge.reqCat);
    QVERIFY(rig.panel.inputs.empty());
}

void TestCatBridge::resetForgetsUnfinishedCommand() {
    CatRig rig(Firmware::V601);
    rig.cat.inject("FA;FA00007");
    rig.cat.dispatchEvents();
    QCOMPARE(rig.bridge.input().tail(), std::string("FA00007"));
    rig.bridge.reset();
    QVERIFY(!rig.bridge.reqCat);
    QVERIFY(rig.bridge.pending().empty());
    rig.station("074000;FA;");
    QCOMPARE(rig.toRadio(), std::string());
    QCOMPARE(rig.toStation(), QStringList{"FA00014074000;"});
}

// Bad input: nothing is answered and nothing goes to the radio; after the
// station ends it with ";", the next command is answered.
void TestCatBridge::badInput_data() {
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<bool>("burst");  // all at once: overflows the 4096-character buffer
    QTest::addColumn<QString>("comStat");

    std::mt19937 rng(4800);
    QByteArray random;
    while (random.size() < 3000) {
        char c = static_cast<char>(rng() % 256);
        if (c < 'A' || c > 'Z') random.append(c);  // no upper case: no command can form
    }
    QByteArray nuls(200, '\0');
    nuls += "FA;";
    nuls += QByteArray(50, '\0');
    QByteArray ffs(300, '\xff');
    QByteArray semis(5000, ';');
    QByteArray fas;
    for (int i = 0; i < 3000; ++i) fas += "FA";
    QByteArray lower("fa;md;md1;fa00007074000;Fa;mD;");
    QByteArray overlong = "FA000" + QByteArray(200, '7') + ";MD1" + QByteArray(100, '1') + ";";

    QTest::newRow("random bytes") << random << false << "";
    QTest::newRow("NULs") << nuls << false << "";
    QTest::newRow("0xFF") << ffs << false << "";
    QTest::newRow("5000 semicolons") << semis << false << "";
    QTest::newRow("3000 FA without ;") << fas << false << "";
    QTest::newRow("lower case") << lower << false << "";
    QTest::newRow("over-long commands") << overlong << false << "";
    QTest::newRow("burst of 6000 FA") << fas << true << "Com2 Error";
}

void TestCatBridge::badInput() {
    QFETCH(QByteArray, bad);
    QFETCH(bool, burst);
    QFETCH(QString, comStat);
    CatRig rig(Firmware::V601);
    rig.station(bad.toStdString(), burst ? 0.0 : kCharTime4800);
    if (bad.startsWith('\0')) {
        // NULs are discarded by the port; the command between them is served.
        QCOMPARE(rig.toStation(), QStringList{"FA00014074000;"});
    } else {
        QCOMPARE(rig.toStation(), QStringList{});
    }
    QCOMPARE(rig.toRadio(), std::string());
    QVERIFY(rig.bridge.input().tail().size() <= cat::CatInputBuffer::kCapacity);
    QCOMPARE(QString::fromStdString(rig.panel.comStat), comStat);
    rig.station(";FA;MD;");
    QStringList all = rig.toStation();
    QVERIFY(all.size() >= 2);
    QCOMPARE(all.mid(all.size() - 2), (QStringList{"FA00014074000;", "MD2;"}));
    QCOMPARE(rig.toRadio(), std::string());
}

void TestCatBridge::handlerRemovedWithBridge() {
    RadioFixture radio(true, Firmware::V601);
    FakePort cat(radio.clock);
    PortConfig cfg;
    cfg.portNumber = 2;
    cfg.receiveThreshold = 3;
    cat.open(cfg);
    RecordingCatPanel panel;
    {
        CatBridge bridge(cat, radio.link, panel);
        cat.inject("FA;");
        cat.dispatchEvents();
        QCOMPARE(panel.inputs.size(), size_t(1));
    }
    cat.inject("MD;");
    cat.dispatchEvents();  // no handler left: nothing happens
    QCOMPARE(panel.inputs.size(), size_t(1));
}

// Sets received before CatCmd runs: the latest of each kind replaces the one
// waiting and takes its own place in the order; queries keep theirs.
void TestCatBridge::latestSetOfEachKindKept() {
    CatRig rig(Firmware::V601);
    rig.cat.inject("FA;FA00007000000;MD1;FA;FA00010100000;MD;MD3;");
    rig.cat.dispatchEvents();
    using K = cat::CatAction::Kind;
    const std::vector<cat::CatAction> waiting{{K::FreqQuery, ""},
                                              {K::FreqQuery, ""},
                                              {K::FreqSet, "1010000"},
                                              {K::ModeQuery, ""},
                                              {K::ModeSet, "M4"}};
    QVERIFY(rig.bridge.pending() == waiting);
    rig.bridge.CatCmd();
    // The mode change switched PTT enable off on this firmware: back on.
    QCOMPARE(QByteArray::fromStdString(rig.toRadio()), QByteArray("F1010000\nMMM\n'"));
    QCOMPARE(rig.toStation(), (QStringList{"FA00014074000;", "FA00014074000;", "MD2;"}));
    QCOMPARE(rig.radio.model.state.freq, std::string("1010000"));
    QCOMPARE(rig.radio.model.state.mode, 4);
    // Forty frequency sets at once: one goes to the radio, the last.
    std::string burst;
    for (int i = 0; i < 40; ++i) burst += "FA000" + std::to_string(1400000 + i) + "0;";
    rig.cat.inject(burst);
    rig.cat.dispatchEvents();
    QCOMPARE(rig.bridge.pending().size(), size_t(1));
    rig.bridge.CatCmd();
    QCOMPARE(rig.toRadio(), std::string("F1400039\n"));
    QVERIFY(rig.bridge.pending().empty());
}

// Queries pile up only to the bound; the oldest go first, a set is kept.
void TestCatBridge::waitingCommandsBounded() {
    CatRig rig(Firmware::V601);
    std::string text;
    for (int i = 0; i < 100; ++i) text += "FA;";
    text += "MD1;";
    for (int i = 0; i < 10; ++i) text += "MD;";
    rig.cat.inject(text);
    rig.cat.dispatchEvents();
    const auto& waiting = rig.bridge.pending();
    QCOMPARE(waiting.size(), CatBridge::kMaxPending);
    const auto set = std::find_if(waiting.begin(), waiting.end(),
                                  [](const cat::CatAction& a) { return !a.isQuery(); });
    QVERIFY(set != waiting.end());
    QCOMPARE(set->value, std::string("M2"));
    QCOMPARE(waiting.back().kind, cat::CatAction::Kind::ModeQuery);
    rig.bridge.CatCmd();
    QStringList expected;
    for (size_t i = 0; i < CatBridge::kMaxPending - 11; ++i) expected << "FA00014074000;";
    for (int i = 0; i < 10; ++i) expected << "MD1;";
    QCOMPARE(rig.toStation(), expected);
    QCOMPARE(rig.toRadio(), std::string("M\n"));
}

// A set that would still run when the heartbeat falls due waits for it,
// with the commands behind it; the queries before it are answered.
void TestCatBridge::setsWaitForTheHeartbeat_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("dueIn");
    QTest::addColumn<bool>("waits");
    QTest::addColumn<QStringList>("answeredFirst");
    QTest::newRow("frequency set, heartbeat due in 0.5 s")
        << QByteArray("FA;FA00007000000;FA;") << 0.5 << true << QStringList{"FA00014074000;"};
    QTest::newRow("frequency set, heartbeat due in 0.7 s")
        << QByteArray("FA;FA00007000000;FA;") << 0.7 << false
        << QStringList{"FA00014074000;", "FA00007000000;"};
    QTest::newRow("mode set, heartbeat due in 0.7 s")
        << QByteArray("MD;MD1;MD;") << 0.7 << true << QStringList{"MD2;"};
    QTest::newRow("mode set, heartbeat due in 1.5 s")
        << QByteArray("MD;MD1;MD;") << 1.5 << false << QStringList{"MD2;", "MD1;"};
    QTest::newRow("queries never wait")
        << QByteArray("FA;MD;") << 0.0 << false << QStringList{"FA00014074000;", "MD2;"};
}

void TestCatBridge::setsWaitForTheHeartbeat() {
    QFETCH(QByteArray, text);
    QFETCH(double, dueIn);
    QFETCH(bool, waits);
    QFETCH(QStringList, answeredFirst);
    CatRig rig(Firmware::V601);
    double due = dueIn;
    rig.bridge.heartbeatDueIn = [&] { return due; };
    rig.cat.inject(text.toStdString());
    rig.cat.dispatchEvents();
    rig.bridge.CatCmd();
    QCOMPARE(rig.toStation(), answeredFirst);
    QCOMPARE(rig.bridge.reqCat, waits);
    QCOMPARE(rig.bridge.pending().size(), size_t(waits ? 2 : 0));
    if (!waits) {
        QVERIFY(qIsInf(rig.bridge.nextWorkIn()));
        return;
    }
    QCOMPARE(rig.toRadio(), std::string());
    QCOMPARE(rig.bridge.nextWorkIn(), dueIn);  // the loop may sleep until then
    // The heartbeat went: the set and the query behind it are served.
    due = 2.0;
    QCOMPARE(rig.bridge.nextWorkIn(), 0.0);
    rig.bridge.CatCmd();
    QVERIFY(!rig.bridge.reqCat);
    QVERIFY(!rig.toRadio().empty());
    QCOMPARE(rig.toStation().size(), answeredFirst.size() + 1);
}

// An unfinished command is kept while the line is busy and dropped once it
// has been quiet for 50 ms; the next command then stands on its own.
void TestCatBridge::quietLineEndsUnfinishedCommand_data() {
    QTest::addColumn<QByteArray>("unfinished");
    QTest::addColumn<double>("gap");
    QTest::addColumn<QStringList>("answers");
    QByteArray junk(2000, 'x');
    QTest::newRow("2000 characters without ;, 60 ms quiet")
        << junk << 0.06 << QStringList{"FA00014074000;"};
    QTest::newRow("4000 F and A, 100 ms quiet")
        << QByteArray(4000, 'F').replace("FF", "FA") << 0.1 << QStringList{"FA00014074000;"};
    QTest::newRow("split set, 30 ms quiet: completed")
        << QByteArray("FA00007") << 0.03 << QStringList{};
}

void TestCatBridge::quietLineEndsUnfinishedCommand() {
    QFETCH(QByteArray, unfinished);
    QFETCH(double, gap);
    QFETCH(QStringList, answers);
    CatRig rig(Firmware::V601);
    rig.cat.inject(unfinished.toStdString());
    rig.cat.dispatchEvents();
    QVERIFY(!rig.bridge.input().tail().empty());
    rig.bridge.serviceLine();
    QVERIFY(rig.bridge.nextWorkIn() <= CatBridge::kQuiet);
    // The loop looks at the line every few milliseconds of the gap.
    for (double t = 0.0; t < gap; t += 0.005) {
        rig.radio.clock.advance(0.005);
        rig.bridge.serviceLine();
    }
    const bool dropped = gap >= CatBridge::kQuiet;
    QCOMPARE(rig.bridge.input().tail().empty(), dropped);
    if (dropped) QVERIFY(qIsInf(rig.bridge.nextWorkIn()));
    if (dropped) {
        rig.station("FA;");
    } else {
        rig.station("074000;");
        QCOMPARE(rig.toRadio(), std::string("F0707400\n"));
    }
    QCOMPARE(rig.toStation(), answers);
}

QTEST_GUILESS_MAIN(TestCatBridge)
#include "test_cat_bridge.moc"
