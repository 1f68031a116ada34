// The REMOTE initialisation and the receiver controls of the real main
// window, on the fake port with the radio model in virtual time.
#include <QtTest>

#include "panel/receiver_controls.h"
#include "panel_harness.h"
#include "setup/frm_audio_setup.h"
#include "ui_frmAudioSetup.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

namespace {
// The bytes the panel wrote between the complete status and the loop entry.
std::string initTraffic(PanelHarness& h) {
    h.run([&] { return h.c->stage() == S::RemoteFinish; });
    h.radio.takeWritten();
    h.c->runUntil([] { return false; }, 1);  // steps 7 to 16
    return h.radio.takeWritten();
}
}  // namespace

class TestWindowRemote : public QObject {
    Q_OBJECT
private slots:
    void defaultCase();
    void corrections_data();
    void corrections();
    void invalidFrequency();
    void permissionsFile_data();
    void permissionsFile();
    void audioSetupFileValues();
    void audioReloadAfterDialog();
    void storedRoutingAndSource_data();
    void storedRoutingAndSource();
    void resyncKeepsRemoteRouting();
    void digitalPresetSavesAndRestores();
    void bfoAndRfGainTexts();
    void receiverCommands_data();
    void receiverCommands();
    void agcOffOnSteppingFirmware();
    void operatorPickKept();
    void setLocRemIsBounded();
};

void TestWindowRemote::defaultCase() {
    PanelHarness h(Firmware::V601, true);
    std::string w = initTraffic(h);
    QCOMPARE(w, std::string("B100\nB100\n?\n"));
    QCOMPARE(h.c->stage(), S::LoopEntry);
    auto* ui = h.ui();
    QCOMPARE(h.cap(ui->lblFWType), std::string("F/W: v601"));
    QCOMPARE(h.cap(ui->cmdBFO), std::string("ON"));
    QVERIFY(!h.c->ps.gBfoOn);
    QCOMPARE(h.cap(ui->txtRFG), std::string("100"));
    QVERIFY(ui->txtInfo->isHidden());
    QVERIFY(!h.c->ps.gTuneLock);
    QVERIFY(ui->cmdXmit->isEnabled());
    QVERIFY(h.radio.dtr());
    // The first pass sends the RF gain reset; the heartbeat follows every 2 s.
    h.c->runUntil([] { return false; }, 2);
    QCOMPARE(h.radio.takeWritten(), std::string("G00\n"));
    h.runFor(9.0);
    std::string beat = h.radio.takeWritten();
    QVERIFY2(beat == "UUUU" || beat == "UUUUU", beat.c_str());
    QCOMPARE(h.cap(ui->lblXMTRCV), std::string("Receive"));
    QCOMPARE(vb::backColour(ui->lblU), long(colour::kGreen));
}

void TestWindowRemote::corrections_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("v601") << int(Firmware::V601) << QByteArray("\"\nHH\nI\n'V\n");
    QTest::newRow("nonadapt") << int(Firmware::NonAdapt) << QByteArray("\"1\nHH\nI\n'1\nV\n");
    QTest::newRow("adapt") << int(Firmware::Adapt) << QByteArray("\"1\nHH\nI\n'1\nV\n");
}

void TestWindowRemote::corrections() {
    QFETCH(int, fw);
    QFETCH(QByteArray, expected);
    PanelHarness h(static_cast<Firmware>(fw), true);
    h.model.state.routing = 0;  // remote audio
    h.model.state.source = 2;   // AUDIO2
    h.model.state.clip = 1;
    h.model.state.pttEnable = 0;
    h.model.state.vox = 2;      // DATA
    std::string w = initTraffic(h);
    QCOMPARE(QByteArray::fromStdString(w), expected + "B100\nB100\n?\n");
    QCOMPARE(h.model.state.routing, 1);
    QCOMPARE(h.model.state.source, 1);
    QCOMPARE(h.model.state.clip, 0);
    QCOMPARE(h.model.state.pttEnable, 1);
    QCOMPARE(h.model.state.vox, 0);
    QCOMPARE(h.cap(h.ui()->cmbSource), std::string("MIC"));
    QCOMPARE(h.cap(h.ui()->lblClipping), std::string("OFF"));
    QCOMPARE(h.cap(h.ui()->lblVox), std::string("OFF"));
}

void TestWindowRemote::invalidFrequency() {
    PanelHarness h(Firmware::NonAdapt, true);
    h.run([&] { return h.c->stage() == S::RemoteFinish; });
    h.c->st.gFreqReport = "F12345  ";
    h.c->st.gFreqReportOk = false;
    h.radio.takeWritten();
    h.c->runUntil([] { return false; }, 1);
    std::string w = h.radio.takeWritten();
    // 12345.67 kHz is out of band: the radio's PTT enable goes off.
    QVERIFY2(w.rfind("F1234567\n'0\n", 0) == 0, w.c_str());
    QCOMPARE(h.cap(h.ui()->lblInBand), std::string("Out Of Band"));
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
    QCOMPARE(h.model.state.freq, std::string("1234567"));
}

void TestWindowRemote::permissionsFile_data() {
    QTest::addColumn<bool>("permissions");
    QTest::newRow("without") << false;
    QTest::newRow("with, empty") << true;
}

void TestWindowRemote::permissionsFile() {
    QFETCH(bool, permissions);
    PanelHarness h(Firmware::NonAdapt, true);
    if (permissions) writeLines("Permissions.txt", {});
    h.model.state.freq = "0500000";  // 5.000 MHz: no band, no 60 m channel
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->set.gTxUnrestricted, permissions);
    QCOMPARE(h.ui()->cmdXmit->isEnabled(), permissions);
    QCOMPARE(h.ui()->cmdPTTEn->isEnabled(), permissions);
    QCOMPARE(h.model.state.pttEnable, permissions ? 1 : 0);
}

void TestWindowRemote::audioSetupFileValues() {
    PanelHarness h(Firmware::NonAdapt, true);
    writeLines("AudioSetup.txt", {"H3 Phone Audio Source", "'0 PTT Enable", "\"0 LocalRemote Audio",
                                  "H2", "V1"});
    writeLines("Permissions.txt", {});
    QVERIFY(h.runPasses(2));
    QCOMPARE(h.c->set.gAudSource, std::string("H3"));
    QCOMPARE(h.c->set.gAudRouting, std::string("\"0"));
    QCOMPARE(h.c->set.gDigSource, std::string("H2"));
    QCOMPARE(h.c->set.gDigVox, std::string("V1"));
    // The radio ends on the stored source with the stored remote routing.
    QCOMPARE(h.model.state.source, 3);
    QCOMPARE(h.model.state.routing, 0);
    // Without the file the defaults apply.
    PanelHarness g(Firmware::NonAdapt, true);
    QVERIFY(g.runPasses(2));
    QCOMPARE(g.c->set.gAudSource, std::string("H1"));
    QCOMPARE(g.c->set.gAudPttEn, std::string("'1"));
    QCOMPARE(g.c->set.gAudRouting, std::string("\"1"));
    QCOMPARE(g.c->set.gDigSource, std::string("H3"));
    QCOMPARE(g.c->set.gDigVox, std::string("V2"));
}

void TestWindowRemote::audioReloadAfterDialog() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    int resyncs = 0;
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmAudioSetup*>(&d);
        QVERIFY(dlg != nullptr);
        dlg->ui->optPhoneAudio_1->click();  // Audio 2
        dlg->ui->cmdApply->click();
        dlg->ui->cmdApply->click();  // the last Apply counts; the re-sync runs once
        QVERIFY(h.c->req.reqAudioReload);
        QCOMPARE(h.radio.allWritten().find("HH"), std::string::npos);
    };
    h.ui()->mnuAudioSetup->trigger();
    QCOMPARE(h.c->set.gAudSource, std::string("H2"));
    for (int i = 0; i < 200 && resyncs < 2; ++i) {
        h.c->runUntil([] { return false; }, 1);
        if (h.c->stage() == S::AudioResync) ++resyncs;
    }
    QCOMPARE(resyncs, 1);
    QVERIFY(h.run([&] { return h.inLoop(); }));
    QCOMPARE(h.model.state.source, 2);
    QVERIFY(!h.c->req.reqAudioReload);
}

// The source is stepped on the routing just brought in: the radio ends with the
// routing and the source stored, each sent no more often than needed.
void TestWindowRemote::storedRoutingAndSource_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<int>("routing");  // the radio's, before
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("stored");  // routing and source lines of AudioSetup.txt
    QTest::addColumn<QByteArray>("expected");
    const int v601 = int(Firmware::V601), nonad = int(Firmware::NonAdapt),
              adapt = int(Firmware::Adapt);
    QTest::newRow("v601 local to remote, MIC to PATCH")
        << v601 << 1 << 1 << "\"0 H3" << QByteArray("\"\nHH\n");
    QTest::newRow("nonadapt local to remote, MIC to PATCH")
        << nonad << 1 << 1 << "\"0 H3" << QByteArray("\"0\nHH\n");
    QTest::newRow("adapt local to remote, PATCH to AUDIO2")
        << adapt << 1 << 3 << "\"0 H2" << QByteArray("\"0\nHH\n");
    QTest::newRow("v601 remote kept, AUDIO2 to MIC")
        << v601 << 0 << 2 << "\"0 H1" << QByteArray("HH\n");
    QTest::newRow("nonadapt remote kept, MIC to AUDIO2")
        << nonad << 0 << 1 << "\"0 H2" << QByteArray("H\n");
    QTest::newRow("nonadapt remote kept, source kept")
        << nonad << 0 << 3 << "\"0 H3" << QByteArray("");
    QTest::newRow("v601 remote to local, MIC to AUDIO2")
        << v601 << 0 << 1 << "\"1 H2" << QByteArray("\"\nH\n");
    QTest::newRow("adapt remote to local, source kept")
        << adapt << 0 << 2 << "\"1 H2" << QByteArray("\"1\n");
    QTest::newRow("nonadapt from OFF/CW, remote") << nonad << 0 << 4 << "\"0 H1" << QByteArray("");
}

void TestWindowRemote::storedRoutingAndSource() {
    QFETCH(int, fw);
    QFETCH(int, routing);
    QFETCH(int, source);
    QFETCH(QString, stored);
    QFETCH(QByteArray, expected);
    PanelHarness h(static_cast<Firmware>(fw), true);
    const std::string r = stored.section(' ', 0, 0).toStdString();
    const std::string src = stored.section(' ', 1, 1).toStdString();
    writeLines("AudioSetup.txt",
               {src + " Phone Audio Source", "'1 PTT Enable", r + " LocalRemote Audio",
                "H3 Digital Audio Source", "V2 Digital VOX: [V1|V2|V3]"});
    h.model.state.routing = routing;
    h.model.state.source = source;
    std::string w = initTraffic(h);
    QCOMPARE(QByteArray::fromStdString(w), expected + "B100\nB100\n?\n");
    QCOMPARE(h.model.state.routing, r[1] - '0');
    // H4 (OFF/CW) steps into the cycle at MIC with the first press: nothing
    // is sent from it, and the radio stays there.
    QCOMPARE(h.model.state.source, source == 4 ? 4 : src[1] - '0');
    QCOMPARE(h.cap(h.ui()->cmbSource), std::string(r == "\"0" ? "REMOTE" : "AUDIO2"));
}

// The audio re-sync after Audio Setup keeps a remote routing as well.
void TestWindowRemote::resyncKeepsRemoteRouting() {
    PanelHarness h(Firmware::NonAdapt, true);
    writeLines("AudioSetup.txt", {"H1", "'1", "\"0", "H3", "V2"});
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.model.state.routing, 0);
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmAudioSetup*>(&d);
        QVERIFY(dlg != nullptr);
        dlg->ui->optPhoneAudio_2->click();  // Patch
        dlg->ui->optLocRem_1->click();      // Remote Audio
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuAudioSetup->trigger();
    QVERIFY(h.run([&] { return h.c->stage() == S::RemoteFinish; }));
    h.radio.takeWritten();
    h.c->runUntil([] { return false; }, 1);
    std::string w = h.radio.takeWritten();
    QVERIFY2(w.rfind("HH\nB100\n", 0) == 0, w.c_str());
    QCOMPARE(std::count(w.begin(), w.end(), '"'), 0);
    QCOMPARE(h.model.state.routing, 0);
    QCOMPARE(h.model.state.source, 3);
}

void TestWindowRemote::digitalPresetSavesAndRestores() {
    PanelHarness h(Firmware::NonAdapt, true);
    writeLines("AudioSetup.txt", {"H1", "'1", "\"0", "H3", "V2"});
    writeLines("Permissions.txt", {});
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.model.state.routing, 0);
    QCOMPARE(h.model.state.source, 1);
    QCOMPARE(h.model.state.vox, 0);
    auto pick = [&](const char* text) {
        h.ui()->cmbDig->setCurrentText(text);
        h.c->receiver().cmbDig_Click();
        h.c->runUntil([] { return false; }, 1);
        h.runFor(0.5);
    };
    pick("PSK");
    QCOMPARE(h.model.state.routing, 1);  // local audio for the digital source
    QCOMPARE(h.model.state.source, 3);   // gDigSource
    QCOMPARE(h.model.state.vox, 2);      // gDigVox DATA
    pick("RTTY");                        // keeps the first saved values
    pick("OFF");
    QCOMPARE(h.model.state.source, 1);
    QCOMPARE(h.model.state.routing, 0);
    QCOMPARE(h.model.state.vox, 0);
    // A later PSK saves the state of that moment afresh.
    h.model.state.vox = 1;
    h.c->st.gVoxReport = "V1";
    pick("PSK");
    pick("OFF");
    QCOMPARE(h.model.state.vox, 1);
}

void TestWindowRemote::bfoAndRfGainTexts() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    auto* ui = h.ui();
    h.radio.takeWritten();
    ui->cmdBFO->click();
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.cap(ui->cmdBFO), std::string("OFF"));
    QCOMPARE(h.radio.takeWritten().substr(0, 5), std::string("B100\n"));
    ui->vscBFO->setValue(95);
    QCOMPARE(h.cap(ui->txtBFO), std::string("-050"));
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.cap(ui->lblPorM), std::string("-"));
    QCOMPARE(h.radio.takeWritten().substr(0, 5), std::string("B095\n"));
    ui->vscBFO->setValue(200);
    QCOMPARE(h.cap(ui->txtBFO), std::string("1000"));
    ui->vscBFO->setValue(105);
    QCOMPARE(h.cap(ui->txtBFO), std::string("050"));
    ui->cmdBFO->click();  // off: B100 whatever the bar shows
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.radio.takeWritten().substr(0, 5), std::string("B100\n"));
    ui->vscRFG->setValue(31);
    QCOMPARE(h.cap(ui->txtRFG), std::string("049"));
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.radio.takeWritten().substr(0, 4), std::string("G32\n"));
    ui->vscRFG->setValue(32);
    QCOMPARE(h.cap(ui->txtRFG), std::string("051"));
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.radio.takeWritten().substr(0, 4), std::string("G31\n"));
}

void TestWindowRemote::receiverCommands_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QString>("source");   // reported source and routing
    QTest::addColumn<QString>("routing");
    QTest::addColumn<QString>("pick");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("PATCH to MIC") << int(Firmware::V601) << "H3" << "\"1" << "MIC" << QByteArray("H\n");
    QTest::newRow("AUDIO2 to MIC") << int(Firmware::V601) << "H2" << "\"1" << "MIC" << QByteArray("HH\n");
    QTest::newRow("H4 to MIC") << int(Firmware::V601) << "H4" << "\"1" << "MIC" << QByteArray("");
    QTest::newRow("H4 to AUDIO2") << int(Firmware::V601) << "H4" << "\"1" << "AUDIO2" << QByteArray("H\n");
    QTest::newRow("H4 to PATCH") << int(Firmware::V601) << "H4" << "\"1" << "PATCH" << QByteArray("HH\n");
    QTest::newRow("MIC while remote v601") << int(Firmware::V601) << "H3" << "\"0" << "MIC"
                                           << QByteArray("\"\nH\n");
    QTest::newRow("MIC while remote nonadapt") << int(Firmware::NonAdapt) << "H3" << "\"0" << "MIC"
                                               << QByteArray("\"1\nH\n");
    QTest::newRow("OFF/CW does nothing") << int(Firmware::V601) << "H1" << "\"1" << "OFF/CW" << QByteArray("");
}

void TestWindowRemote::receiverCommands() {
    QFETCH(int, fw);
    QFETCH(QString, source);
    QFETCH(QString, routing);
    QFETCH(QString, pick);
    QFETCH(QByteArray, expected);
    PanelHarness h(static_cast<Firmware>(fw), true);
    QVERIFY(h.runPasses(3));
    h.model.setSilent(true);
    h.c->st.gSourceReport = source.toStdString();
    h.c->st.gLocRemReport = routing.toStdString();
    h.radio.takeWritten();
    h.c->ps.pickedSource = pick.toStdString();
    h.c->receiver().SourceCmd();
    QCOMPARE(QByteArray::fromStdString(h.radio.takeWritten()), expected);
}

void TestWindowRemote::agcOffOnSteppingFirmware() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    h.radio.takeWritten();
    h.ui()->cmbAGC->setCurrentText("OFF");
    h.c->receiver().cmbAGC_Click();
    h.c->receiver().AgcCmd();
    QCOMPARE(h.radio.takeWritten(), std::string());
    QCOMPARE(h.cap(h.ui()->cmbAGC), std::string("SLOW"));  // back to the reported AGC
    QVERIFY(!h.c->req.reqAgc);
}

void TestWindowRemote::operatorPickKept() {
    PanelHarness h(Firmware::NonAdapt, true);
    QVERIFY(h.runPasses(3));
    h.ui()->cmbMode->setCurrentText("CW");
    h.c->receiver().cmbMode_Click();
    // A report redraws the box before the loop serves the pick.
    h.c->display.ShowMode();
    QCOMPARE(h.cap(h.ui()->cmbMode), std::string("USB"));
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.model.state.mode, 4);
}

void TestWindowRemote::setLocRemIsBounded() {
    PanelHarness h(Firmware::NonAdapt, true);
    QVERIFY(h.runPasses(3));
    h.model.setSilent(true);
    h.c->st.gLocRemReport = "\"1";
    h.radio.takeWritten();
    h.c->receiver().SetLocRem("REMOTE");
    QCOMPARE(h.radio.takeWritten(), std::string("\"0\n\"0\n\"0\n"));
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("The radio did not switch its audio to remote"));
}

QTEST_MAIN(TestWindowRemote)
#include "test_window_remote.moc"
