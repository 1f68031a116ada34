// Start-up, the radio query and the LOCAL initialisation of the real main
// window, on the fake port with the radio model in virtual time.
#include <QtTest>

#include "panel_harness.h"
#include "radio/protocol.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

class TestWindowStartup : public QObject {
    Q_OBJECT
  private slots:
    void localRadioPerFirmware_data();
    void localRadioPerFirmware();
    void preparationResetsPanel();
    void missingPortSetupOpensDialogFirst();
    void portNotAvailableWaitsForSettings();
    void silentRadioKeepsQuerying();
    void newPortSettingsDuringQuery();
    void secondInstanceEndsAtOnce();
    void catPortAtStartup_data();
    void catPortAtStartup();
    void statusWithoutRemoteReportStillInitialises();
    void localModeKeepsTransmitDisabled();
    void breakRestartsQuery();
    void binarySettingsFiles();
    void babblingRadio();
};

void TestWindowStartup::localRadioPerFirmware_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("tuneLock");
    QTest::newRow("v601") << int(Firmware::V601) << 1 << "F/W: v601C" << true;
    QTest::newRow("adapt") << int(Firmware::Adapt) << 2 << "F/W: v604M Adapt" << false;
    QTest::newRow("nonadapt") << int(Firmware::NonAdapt) << 3 << "F/W: v604M NonAdapt" << true;
}

void TestWindowStartup::localRadioPerFirmware() {
    QFETCH(int, fw);
    QFETCH(int, type);
    QFETCH(QString, caption);
    QFETCH(bool, tuneLock);
    PanelHarness h(static_cast<Firmware>(fw));
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
    QCOMPARE(h.c->state().st.gFwType, type);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->lblFWType)), caption);
    QCOMPARE(h.cap(h.ui()->lblREMOTE), std::string("LOCAL"));
    QCOMPARE(h.c->state().ps.gTuneLock, tuneLock);
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("Com OK"));
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
    QVERIFY(!h.ui()->cmdTune->isEnabled());
    QVERIFY(!h.ui()->cmdMute->isEnabled());
    QVERIFY(!h.ui()->vscRFG->isEnabled());
    // Only the Adapt firmware lets the operator scan in local mode.
    QCOMPARE(h.ui()->mnuScanBands->isEnabled(), type == 2);
    QCOMPARE(h.ui()->mnuScanFreqs->isEnabled(), type == 2);
    QVERIFY(h.ui()->mnuChannelSetup->isEnabled());
    QVERIFY(h.ui()->lblU->isHidden());
    QCOMPARE(h.c->state().st.gSyncChar, std::string("U"));  // the loop entry sets it
    QCOMPARE(h.cap(h.form->cmdF[0]) + h.cap(h.form->cmdF[6]), std::string("10"));
    // In LOCAL mode no sync character is ever sent.
    h.radio.takeWritten();
    h.runFor(10.0);
    std::string w = h.radio.takeWritten();
    QVERIFY2(w.find('U') == std::string::npos, w.c_str());
    QVERIFY(h.inLoop());
}

void TestWindowStartup::preparationResetsPanel() {
    PanelHarness h;
    h.c->step(S::Prepare);
    auto* ui = h.ui();
    QCOMPARE(QString::fromStdString(h.c->state().ps.gAppTitle),
             QString("Tolvane 0.962b : 8-24-18 : 1140"));
    QCOMPARE(h.form->windowTitle(), QString("Tolvane 0.962b : 8-24-18 : 1140"));
    QCOMPARE(h.cap(ui->lblREMOTE), std::string("NoComm"));
    QCOMPARE(vb::foreColour(ui->lblREMOTE), colour::kRed);
    QCOMPARE(h.cap(ui->lblComStat), std::string("No Com"));
    QCOMPARE(h.cap(ui->lblXMTRCV), std::string("Receive"));
    QCOMPARE(vb::backColour(ui->lblXMTRCV), colour::kGreen);
    QVERIFY(!ui->lblXMTRCV->isEnabled());
    QVERIFY(ui->shaTrace->isHidden());
    QVERIFY(!ui->cmdAmpPwr->isEnabled());
    QCOMPARE(h.cap(ui->lblAmpPwr), std::string());
    QVERIFY(h.form->isVisible());
    // The 0.5 s pause of the reset takes its time.
    QVERIFY(h.clock.elapsed() >= 0.5);
    QCOMPARE(h.c->state().set.gRadioPort, std::string("1"));
    QCOMPARE(h.c->state().set.gRadioSettings, std::string("9600,O,7,1"));
    QCOMPARE(h.cap(ui->txtInfo), std::string());
    // Nothing reached the radio yet.
    QCOMPARE(h.radio.allWritten(), std::string());
}

void TestWindowStartup::missingPortSetupOpensDialogFirst() {
    PanelHarness h(Firmware::V601, false, false);
    int opened = 0;
    h.c->hooks.openPortSetup = [&] {
        ++opened;
        QVERIFY(h.form->isVisible());
        QCOMPARE(h.radio.openCount(), 0);
        h.c->state().set.gRadioPort = "1";
        h.c->state().set.gRadioSettings = "9600,O,7,1";
        h.c->state().req.reqPortReopen = true;
    };
    QVERIFY(h.runPasses(1));
    QCOMPARE(opened, 1);
    QVERIFY(!h.c->state().st.gExtPttEnabled);
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
}

void TestWindowStartup::portNotAvailableWaitsForSettings() {
    PanelHarness h;
    h.available = [](int) { return false; };
    QVERIFY(h.run([&] { return h.c->stage() == S::WaitPort; }));
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("Port is not available. Use Setup menu or Exit."));
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Port"));
    QCOMPARE(h.cap(h.ui()->lblREMOTE), std::string());
    int before = h.shell.yields;
    h.run([] { return false; }, 50);
    QVERIFY(h.shell.yields >= before + 50);         // the wait yields
    QCOMPARE(h.radio.allWritten(), std::string());  // nothing sent meanwhile
    // The operator applies port 1, which is now there.
    h.available = [](int n) { return n == 1; };
    h.c->state().req.reqPortReopen = true;
    QVERIFY(h.runPasses(1));
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("Com OK"));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
}

void TestWindowStartup::silentRadioKeepsQuerying() {
    PanelHarness h;
    h.model.setSilent(true);
    QVERIFY(h.run([&] { return h.c->stage() == S::QueryLoop; }));
    h.radio.takeWritten();
    for (int i = 0; i < 20; ++i) h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.c->stage(), S::QueryLoop);
    QCOMPARE(h.radio.takeWritten(), std::string(20 * 2, ' ').replace(0, 40, [] {
        std::string s;
        for (int i = 0; i < 20; ++i) s += "?\n";
        return s;
    }()));
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("COM1"));
    // The radio comes back: the panel initialises.
    h.model.setSilent(false);
    QVERIFY(h.runPasses(1));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
}

void TestWindowStartup::newPortSettingsDuringQuery() {
    PanelHarness h;
    h.model.setSilent(true);
    QVERIFY(h.run([&] { return h.c->stage() == S::QueryLoop; }));
    QCOMPARE(h.radio.openCount(), 1);
    h.c->state().set.gRadioSettings = "19200,O,7,1";
    h.c->state().req.reqPortReopen = true;
    QVERIFY(h.run([&] { return h.radio.openCount() == 2; }));
    QCOMPARE(h.radio.config().settings, std::string("19200,O,7,1"));
    QVERIFY(!h.c->state().req.reqPortReopen);
}

void TestWindowStartup::secondInstanceEndsAtOnce() {
    PanelHarness h;
    h.c->hooks.anotherInstance = [] { return true; };
    bool stopped = false;
    try {
        h.c->step(S::Prepare);
    } catch (const StopRunning&) {
        stopped = true;
    }
    QVERIFY(stopped);
    QVERIFY(h.shell.ended);
    QCOMPARE(h.shell.messages,
             std::vector<std::string>{
                 "Tolvane 0.962b : 8-24-18 : 1140 is already running. OK to Close this program."});
    QCOMPARE(h.radio.openCount(), 0);
    QVERIFY(!QFile::exists("Tolvaneini.txt"));
}

void TestWindowStartup::catPortAtStartup_data() {
    QTest::addColumn<bool>("file");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<bool>("open");
    QTest::newRow("no file: silent") << false << true << "" << false;
    QTest::newRow("port in use") << true << false << "No CAT Port" << false;
    QTest::newRow("port free") << true << true << "" << true;
}

void TestWindowStartup::catPortAtStartup() {
    QFETCH(bool, file);
    QFETCH(bool, available);
    QFETCH(QString, boxes);
    QFETCH(bool, open);
    PanelHarness h;
    if (file) writeLines("CATSetup.txt", {"4", "9600,N,8,1", "comNone", "Kenwood"});
    h.available = [available](int n) { return n == 1 || (available && n == 4); };
    h.c->step(S::Prepare);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->txtInCat)), boxes);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->txtOutCAT)), boxes);
    QCOMPARE(h.cat.isOpen(), open);
    if (open) {
        QCOMPARE(h.cat.config().receiveThreshold, 3);
        QCOMPARE(h.cat.config().portNumber, 4);
        QCOMPARE(h.c->state().set.gCatSettings, std::string("9600,N,8,1"));
    }
}

void TestWindowStartup::statusWithoutRemoteReportStillInitialises() {
    PanelHarness h;
    h.model.setSilent(true);
    QVERIFY(h.run([&] { return h.c->stage() == S::QueryLoop; }));
    // A complete status without an R report: into the loop uninitialised.
    // The query loop takes the first answer without waiting and reads the
    // answer to its second "?" in one piece.
    h.radio.inject("#\nF0700000\n.\n", 0.01, 0.001);
    h.radio.inject("#\nF0700000\n.\n", 0.9, 0.001);
    QVERIFY(h.run([&] { return h.inLoop(); }, 200));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::None);
    int yields = h.shell.yields;
    for (int i = 0; i < 5; ++i) h.c->runUntil([] { return false; }, 1);
    QVERIFY(h.shell.yields >= yields + 5);  // the window never freezes
    // The radio's remote/local report arrives later: the LOCAL initialisation runs.
    h.radio.inject("R0\n#\n.\n", 0.0, 0.001);
    h.model.setSilent(false);
    QVERIFY(h.run([&] { return h.c->state().ps.gControlMode == ControlMode::Local; }, 2000));
}

void TestWindowStartup::localModeKeepsTransmitDisabled() {
    PanelHarness h;
    h.model.state.freq = "1407400";  // in band: the band check would allow transmitting
    QVERIFY(h.runPasses(5));
    QVERIFY(!h.ui()->cmdPTTEn->isEnabled());
    QVERIFY(!h.ui()->cmdTune->isEnabled());
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
    QVERIFY(!h.ui()->cmdPTT->isEnabled());
    QCOMPARE(h.cap(h.ui()->lblInBand), std::string());
}

void TestWindowStartup::breakRestartsQuery() {
    PanelHarness h;
    QVERIFY(h.runPasses(2));
    h.radio.raiseEvent(comm::kErBreak);
    QVERIFY(h.run([&] { return h.c->stage() == S::Query || h.c->stage() == S::QueryLoop; }, 10));
    QVERIFY(h.runPasses(1));
    QVERIFY(!h.c->state().st.gRadioBreak);
}

// Huge binary files in place of the settings: no crash, no hang; the
// port number is no number, so the panel waits for new settings.
void TestWindowStartup::binarySettingsFiles() {
    PanelHarness h;
    QByteArray junk;
    for (unsigned i = 0; i < 3u * 1024u * 1024u; ++i)
        junk.append(static_cast<char>((i * 7919u + 13u) % 256u));
    for (const char* name : {"PortSetup.txt", "Tolvaneini.txt", "CATSetup.txt", "AudioSetup.txt"}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    QVERIFY(h.run([&] { return h.c->stage() == S::WaitPort; }, 100));
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("Port is not available. Use Setup menu or Exit."));
    QCOMPARE(h.radio.openCount(), 0);
}

// A radio that never stops sending garbage: the panel keeps its loop going.
void TestWindowStartup::babblingRadio() {
    PanelHarness h;
    QVERIFY(h.runPasses(2));
    std::string junk;
    for (int i = 0; i < 20000; ++i) junk.push_back(static_cast<char>((i * 131 + 17) % 256));
    h.radio.inject(junk, 0.0, 0.0002);
    int yields = h.shell.yields;
    h.runFor(6.0);
    QVERIFY(h.shell.yields > yields + 5);
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
    QCOMPARE(h.cap(h.ui()->lblFWType), std::string("F/W: v601C"));
}

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
