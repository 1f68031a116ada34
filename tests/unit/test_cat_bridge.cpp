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
    void setComStat(const std::string& c) override { comStat = c; }
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
    const Fw fws[] = {{Firmware::V601, "v601"},
                      {Firmware::Adapt, "adapt"},
                      {Firmware::NonAdapt, "nonadapt"}};
    const QStringList none;
    for (const Fw& f : fws) {
        int fw = static_cast<int>(f.fw);
        auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s %s", f.name, what) << fw;
        };
        row("FA query") << QByteArray("FA;") << QByteArray() << QStringList{"FA00014074000;"} << "1407400" << 1;
        row("FA set") << QByteArray("FA00007074000;") << QByteArray("F0707400\n") << none << "0707400" << 1;
        row("FA set then query") << QByteArray("FA00007074000;FA;") << QByteArray("F0707400\n") << QStringList{"FA00007074000;"} << "0707400" << 1;
        row("FA set out of range") << QByteArray("FA00040000000;") << QByteArray() << none << "1407400" << 1;
        row("FA set five digits") << QByteArray("FA00014074;MD;") << QByteArray() << QStringList{"MD2;"} << "1407400" << 1;
        row("MD query") << QByteArray("MD;") << QByteArray() << QStringList{"MD2;"} << "1407400" << 1;
        row("MD2 already USB") << QByteArray("MD2;") << QByteArray() << none << "1407400" << 1;
        row("MD0 Yaesu query") << QByteArray("MD0;") << QByteArray() << none << "1407400" << 1;
        row("MD6") << QByteArray("MD6;") << QByteArray() << none << "1407400" << 1;
        row("IF ID fa") << QByteArray("IF;ID;fa;") << QByteArray() << none << "1407400" << 1;
        row(";;FA;") << QByteArray(";;FA;") << QByteArray() << QStringList{"FA00014074000;"} << "1407400" << 1;
        row("FA;MD; written separately") << QByteArray("FA;MD;") << QByteArray() << QStringList{"FA00014074000;", "MD2;"} << "1407400" << 1;
    }
    auto add = [](const char* name, Firmware fw) -> QTestData& {
        return QTest::newRow(name) << static_cast<int>(fw);
    };
    add("v601 MD1", Firmware::V601) << QByteArray("MD1;") << QByteArray("M\n") << QStringList{} << "1407400" << 2;
    add("adapt MD1", Firmware::Adapt) << QByteArray("MD1;") << QByteArray("M2\nF1407400\n") << QStringList{} << "1407400" << 2;
    add("nonadapt MD1", Firmware::NonAdapt) << QByteArray("MD1;") << QByteArray("m\n") << QStringList{} << "1407400" << 2;
    add("v601 MD3 then MD", Firmware::V601) << QByteArray("MD3;MD;") << QByteArray("MMM\n'") << QStringList{"MD3;"} << "1407400" << 4;
    add("adapt MD3 then MD", Firmware::Adapt) << QByteArray("MD3;MD;") << QByteArray("M4\nF1407400\n") << QStringList{"MD3;"} << "1407400" << 4;
    add("nonadapt MD3 then MD", Firmware::NonAdapt) << QByteArray("MD3;MD;") << QByteArray("mmm\n") << QStringList{"MD3;"} << "1407400" << 4;
    add("v601 MD5", Firmware::V601) << QByteArray("MD5;") << QByteArray("MM\n") << QStringList{} << "1407400" << 3;
    add("adapt FA set then MD1", Firmware::Adapt) << QByteArray("FA00007074000;MD1;") << QByteArray("F0707400\nM2\nF0707400\n") << QStringList{} << "0707400" << 2;
    add("v601 MD1 MD2 MD", Firmware::V601) << QByteArray("MD1;MD2;IF;MD;") << QByteArray("M\nMMM\n") << QStringList{"MD2;"} << "1407400" << 1;
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
    rig.station("MD1;MD2;FA;");  // ten characters, then one
    QCOMPARE(rig.panel.inputs, (std::vector<std::string>{"MD1;MD2;FA"}));
    QCOMPARE(rig.toRadio(), std::string("M\nMMM\n"));
    QCOMPARE(rig.toStation(), QStringList{});
    QCOMPARE(rig.bridge.input().tail(), std::string("FA"));
    rig.station("MD;");
    QCOMPARE(rig.panel.inputs, (std::vector<std::string>{"MD1;MD2;FA", ";MD;"}));
    QCOMPARE(rig.toStation(), (QStringList{"FA00014074000;", "MD2;"}));
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
    QTest::newRow("break") << 1001 << "gCatBreak" << "";
    QTest::newRow("frame") << 1004 << "gComm2RXFrame" << "Com2 Error";
    QTest::newRow("overrun") << 1006 << "gComm2RXOverrun" << "Com2 Error";
    QTest::newRow("rx overflow") << 1008 << "gComm2RXOverflow" << "Com2 Error";
    QTest::newRow("parity") << 1009 << "gComm2RXParity" << "Com2 Error";
    QTest::newRow("tx full") << 1010 << "gComm2TXFull" << "Com2 Error";
    QTest::newRow("dcb") << 1011 << "gComm2DCBError" << "Com2 Error";
    QTest::newRow("cts") << 3 << "gComm2EvCTS" << "";
    QTest::newRow("dsr") << 4 << "gComm2EvDSR" << "";
    QTest::newRow("cd") << 5 << "gComm2EvCD" << "";
    QTest::newRow("ring") << 6 << "" << "";
    QTest::newRow("eof") << 7 << "" << "";
    QTest::newRow("send") << 1 << "" << "";
    QTest::newRow("cts timeout") << 1002 << "" << "";
    QTest::newRow("dsr timeout") << 1003 << "" << "";
    QTest::newRow("cd timeout") << 1007 << "" << "";
    QTest::newRow("unknown") << 4242 << "" << "";
}

void TestCatBridge::portEvents() {
    QFETCH(int, event);
    QFETCH(QString, flag);
    QFETCH(QString, comStat);
    CatRig rig(Firmware::V601);
    rig.cat.raiseEvent(event);
    rig.cat.dispatchEvents();
    const std::pair<const char*, bool CatBridge::*> flags[] = {
        {"gCatBreak", &CatBridge::gCatBreak},
        {"gComm2RXFrame", &CatBridge::gComm2RXFrame},
        {"gComm2RXOverrun", &CatBridge::gComm2RXOverrun},
        {"gComm2RXOverflow", &CatBridge::gComm2RXOverflow},
        {"gComm2RXParity", &CatBridge::gComm2RXParity},
        {"gComm2TXFull", &CatBridge::gComm2TXFull},
        {"gComm2DCBError", &CatBridge::gComm2DCBError},
        {"gComm2EvCD", &CatBridge::gComm2EvCD},
        {"gComm2EvCTS", &CatBridge::gComm2EvCTS},
        {"gComm2EvDSR", &CatBridge::gComm2EvDSR},
    };
    for (const auto& [name, member] : flags) {
        QVERIFY2(rig.bridge.*member == (flag == name), name);
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
    QVERIFY(rig.bridge.gComm2EvDSR);
    QVERIFY(rig.bridge.gComm2EvCD);
    QVERIFY(!rig.bridge.gComm2EvCTS);
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

QTEST_GUILESS_MAIN(TestCatBridge)
#include "test_cat_bridge.moc"
