// The main loop of the real main window: dispatch order, the error rule,
// the control-mode switch, the external push-to-talk lamp, the panel state
// file and the close handler.
#include <sys/stat.h>
#include <QtTest>

#include "panel/receiver_controls.h"
#include "panel_harness.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

class TestWindowLoop : public QObject {
    Q_OBJECT
  private slots:
    void twoRequestsServedInTableOrder();
    void sameRequestTwiceServedOnce();
    void errorAbandonsPassAndReentersLoop();
    void controlModeSwitch();
    void externalPttLamp_data();
    void externalPttLamp();
    void stuckPttAtLoopEntry();
    void stateFileRestored_data();
    void stateFileRestored();
    void stateFileOffScreenKeepsCentre();
    void shutdownTraffic();
    void shutdownUnkeysFirst();
    void shutdownReadOnlyFolder();
    void shutdownWithClosedPort();
    void closeButtonAndExitEntry_data();
    void closeButtonAndExitEntry();
    void viewDataAndRefresh();
    void testKeyWritesZ();
    void helpFileMissing();
    void defaultGuidePlaces();
    void vanishedPortComesBack_data();
    void vanishedPortComesBack();
};

void TestWindowLoop::twoRequestsServedInTableOrder() {
    PanelHarness h(Firmware::NonAdapt, true);
    QVERIFY(h.runPasses(2));
    h.radio.takeWritten();
    h.model.state.agc = 2;
    h.model.state.mode = 1;
    h.c->state().st.gAgcReport = "A2";
    h.c->state().st.gModeReport = "M1";
    // The operator picks LSB, then FAST, before the loop runs again.
    h.ui()->cmbMode->setCurrentText("LSB");
    h.c->areas().receiver.cmbMode_Click();
    h.ui()->cmbAGC->setCurrentText("FAST");
    h.c->areas().receiver.cmbAGC_Click();
    h.c->runUntil([] { return false; }, 1);
    std::string w = h.radio.takeWritten();
    size_t agc = w.find("aa\n");
    size_t mode = w.find("m\n");
    QVERIFY2(agc != std::string::npos && mode != std::string::npos && agc < mode, w.c_str());
    QVERIFY(!h.c->state().req.reqMode);
    QVERIFY(!h.c->state().req.reqAgc);
}

void TestWindowLoop::sameRequestTwiceServedOnce() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(2));
    h.radio.takeWritten();
    h.ui()->cmdClipping->click();
    h.ui()->cmdClipping->click();
    h.c->runUntil([] { return false; }, 1);
    std::string w = h.radio.takeWritten();
    QCOMPARE(std::count(w.begin(), w.end(), 'I'), 1);
}

void TestWindowLoop::errorAbandonsPassAndReentersLoop() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(2));
    h.c->state().st.gSyncMissCount = 3;
    h.c->state().st.gSyncChar = "K";
    // The BFO offset is written directly: a closed port raises an error.
    h.radio.close();
    h.c->state().req.reqBfoOffset = true;
    h.ui()->cmdBFO->setText("OFF");
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.c->stage(), S::LoopEntry);
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.c->stage(), S::Pass);
    QCOMPARE(h.c->state().st.gSyncMissCount, 0);
    QCOMPARE(h.c->state().st.gSyncChar, std::string("U"));
}

void TestWindowLoop::controlModeSwitch() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Remote);
    QVERIFY(!h.c->state().set.gTxUnrestricted);
    h.model.setRemote(false, h.clock.elapsed());
    QVERIFY(h.run([&] { return h.c->state().ps.gControlMode == ControlMode::Local && h.inLoop(); },
                  5000));
    QCOMPARE(h.cap(h.ui()->lblFWType), std::string("F/W: v601C"));
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
    // Back to remote: the whole REMOTE initialisation, files read again.
    writeLines("Permissions.txt", {});
    h.model.setRemote(true, h.clock.elapsed());
    QVERIFY(h.run([&] { return h.c->state().ps.gControlMode == ControlMode::Remote && h.inLoop(); },
                  5000));
    QVERIFY(h.c->state().set.gTxUnrestricted);
    QCOMPARE(h.cap(h.ui()->lblFWType), std::string("F/W: v601"));
}

void TestWindowLoop::externalPttLamp_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("pttEn");
    QTest::addColumn<long>("lamp");
    QTest::newRow("not configured") << false << "'1" << long(colour::kYellow);
    QTest::newRow("armed") << true << "'1" << long(colour::kGreen);
    QTest::newRow("out of band: PTT enable held off") << true << "'0" << long(colour::kYellow);
}

void TestWindowLoop::externalPttLamp() {
    QFETCH(bool, enabled);
    QFETCH(QString, pttEn);
    QFETCH(long, lamp);
    PanelHarness h(Firmware::NonAdapt, true);
    writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", enabled ? "1" : "0"});
    writeLines("AudioSetup.txt",
               {pttEn.toStdString() == "'1" ? "H1" : "H1", pttEn.toStdString(), "\"1", "H3", "V2"});
    // Out of band the band check holds the radio's PTT enable off.
    if (pttEn == "'0") h.model.state.freq = "0500000";
    QVERIFY(h.runPasses(4));
    QCOMPARE(QString::fromStdString(h.c->state().st.gPttEnReport), pttEn);
    h.c->runUntil([] { return false; }, 2);
    QCOMPARE(vb::backColour(h.ui()->lblExtPTT), lamp);
    if (enabled && lamp == colour::kGreen) {
        // The switch is pressed: red while held, green again when released.
        int runs = 0;
        h.c->hooks.externalPtt = [&] { ++runs; };
        h.radio.setDsr(false);
        h.c->runUntil([] { return false; }, 1);
        QVERIFY(!h.c->state().st.gExtPttIdle);
        QCOMPARE(vb::backColour(h.ui()->lblExtPTT), long(colour::kRed));
        QCOMPARE(runs, 1);
        h.radio.setDsr(true);
        h.c->runUntil([] { return false; }, 1);
        QCOMPARE(vb::backColour(h.ui()->lblExtPTT), long(colour::kGreen));
    }
}

void TestWindowLoop::stuckPttAtLoopEntry() {
    PanelHarness h(Firmware::V601, false);
    writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", "1"});
    h.radio.setDsr(false);  // held pressed from the start
    QVERIFY(h.runPasses(1));
    QCOMPARE(h.shell.messages,
             std::vector<std::string>{"Check for stuck Push-to-Talk key, then click OK."});
    QCOMPARE(vb::backColour(h.ui()->lblExtPTT), long(colour::kYellow));
}

void TestWindowLoop::stateFileRestored_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("vfoB");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("split");
    QTest::addColumn<QString>("step");
    // Split is kept on only with the VFO A mode (the radio's USB) in VFO B.
    QTest::newRow("whole") << QStringList{" 1440 ", " 720 ", "0715000", "USB", "Split On", "1KHz"}
                           << "0715000"
                           << "USB"
                           << "Split On"
                           << "1KHz";
    QTest::newRow("six digits leave VFO B")
        << QStringList{"0", "0", "071500", "CW", "Split Off", "10Hz"} << "0000000"
        << "CW"
        << "Split Off"
        << "10Hz";
    QTest::newRow("two lines") << QStringList{"100", "200"} << "0000000"
                               << ""
                               << "Split Off"
                               << "OFF";
    QTest::newRow("garbage") << QStringList{"abc", "\x01\x02", "12345678", "XYZ", "", ""}
                             << "0000000"
                             << ""
                             << "Split Off"
                             << "OFF";
}

void TestWindowLoop::stateFileRestored() {
    QFETCH(QStringList, lines);
    QFETCH(QString, vfoB);
    QFETCH(QString, mode);
    QFETCH(QString, split);
    QFETCH(QString, step);
    PanelHarness h;
    std::vector<std::string> v;
    for (const QString& l : lines) v.push_back(l.toStdString());
    writeLines("Tolvaneini.txt", v);
    QVERIFY(h.runPasses(1));
    QString digits;
    for (QPushButton* b : h.form->cmdVFOB) digits += b->text();
    QCOMPARE(digits, vfoB);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->cmbVFOBMode)), mode);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->lblSplit)), split);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->cmbStepSize)), step);
    QCOMPARE(h.form->optTXVFO[split == "Split On" ? 1 : 0]->isChecked(), true);
    if (lines.size() >= 2 && lines[0] == " 1440 ") {
        QCOMPARE(h.form->pos(), QPoint(vb::twipsToPixels(1440, h.form.get()),
                                       vb::twipsToPixels(720, h.form.get())));
    }
}

void TestWindowLoop::stateFileOffScreenKeepsCentre() {
    PanelHarness h;
    writeLines("Tolvaneini.txt", {"-2000000", "5", "0000000", "USB", "Split Off", "OFF"});
    h.c->hooks.positionVisible = [](int left, int) { return left > -100000; };
    h.c->step(S::Prepare);
    QVERIFY(h.form->pos().x() > vb::twipsToPixels(-100000, h.form.get()));
    // A negative Left on a real second monitor is restored.
    PanelHarness g;
    writeLines("Tolvaneini.txt", {"-2880", "300", "0000000", "USB", "Split Off", "OFF"});
    g.c->hooks.positionVisible = [](int, int) { return true; };
    g.c->step(S::Prepare);
    QCOMPARE(g.form->pos().x(), vb::twipsToPixels(-2880, g.form.get()));
    g.c->form_queryUnload(0, 0);
    QCOMPARE(readLines("Tolvaneini.txt").at(0), std::string("-2880 "));
}

void TestWindowLoop::shutdownTraffic() {
    PanelHarness h;
    QVERIFY(h.runPasses(2));
    for (size_t i = 0; i < 7; ++i) h.form->cmdVFOB[i]->setText(QString::number(i));
    h.ui()->cmbVFOBMode->setCurrentText("CW");
    h.radio.takeWritten();
    h.c->form_queryUnload(0, 0);
    QCOMPARE(h.radio.takeWritten(), std::string("G00\n"));
    QVERIFY(!h.radio.isOpen());
    QVERIFY(h.shell.ended);
    std::vector<std::string> lines = readLines("Tolvaneini.txt");
    QCOMPARE(lines.size(), size_t{6});
    QCOMPARE(lines[2], std::string("0123456"));
    QCOMPARE(lines[3], std::string("CW"));
    QCOMPARE(lines[4], std::string("Split Off"));
    QCOMPARE(lines[5], std::string("OFF"));
    QVERIFY(lines[0].back() == ' ');
    // Nothing reaches the radio after "G00".
    h.c->form_queryUnload(0, 0);
    QCOMPARE(h.radio.allWritten().substr(h.radio.allWritten().size() - 4), std::string("G00\n"));
}

void TestWindowLoop::shutdownUnkeysFirst() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(2));
    h.c->state().st.gLastSync = "K";
    h.radio.takeWritten();
    h.c->form_queryUnload(0, 0);
    QCOMPARE(h.radio.takeWritten(), std::string("UG00\n"));
}

void TestWindowLoop::shutdownReadOnlyFolder() {
    PanelHarness h;
    QVERIFY(h.runPasses(1));
    // A folder the state file cannot be written into (a file in the way of
    // the temporary file is enough even for root): shutdown goes on.
    QDir().mkdir("Tolvaneini.txt");
    h.radio.takeWritten();
    h.c->form_queryUnload(0, 0);
    QCOMPARE(h.radio.takeWritten(), std::string("G00\n"));
    QVERIFY(!h.radio.isOpen());
    QVERIFY(h.shell.ended);
}

void TestWindowLoop::shutdownWithClosedPort() {
    PanelHarness h;
    h.available = [](int) { return false; };
    QVERIFY(h.run([&] { return h.c->stage() == S::WaitPort; }));
    h.c->form_queryUnload(0, 0);
    QCOMPARE(h.radio.allWritten(), std::string());
    QVERIFY(QFile::exists("Tolvaneini.txt"));
    QVERIFY(h.shell.ended);
}

void TestWindowLoop::closeButtonAndExitEntry_data() {
    QTest::addColumn<bool>("menu");
    QTest::newRow("window closed") << false;
    QTest::newRow("File > Exit") << true;
}

void TestWindowLoop::closeButtonAndExitEntry() {
    QFETCH(bool, menu);
    PanelHarness h;
    QVERIFY(h.runPasses(2));
    h.radio.takeWritten();
    if (menu)
        h.ui()->mnuFileExit->trigger();
    else
        h.form->close();
    QVERIFY(h.shell.ended);
    QCOMPARE(h.radio.takeWritten(), std::string("G00\n"));
    QCOMPARE(readLines("Tolvaneini.txt").size(), size_t{6});
}

void TestWindowLoop::viewDataAndRefresh() {
    PanelHarness h;
    QVERIFY(h.runPasses(1));
    auto* ui = h.ui();
    // The LOCAL initialisation hid the data box; "Hide Data" stays the caption.
    QCOMPARE(h.cap(ui->cmdViewInData), std::string("Hide Data"));
    ui->cmdViewInData->click();
    h.c->runUntil([] { return false; }, 1);
    QVERIFY(!ui->txtInData->isHidden());
    QCOMPARE(h.cap(ui->cmdViewInData), std::string("Hide Data"));
    ui->cmdViewInData->click();
    h.c->runUntil([] { return false; }, 1);
    QVERIFY(ui->txtInData->isHidden());
    QCOMPARE(h.cap(ui->cmdViewInData), std::string("Show Data"));
    h.radio.takeWritten();
    ui->cmdGetStatus->click();
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.radio.takeWritten().substr(0, 2), std::string("?\n"));
}

void TestWindowLoop::testKeyWritesZ() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(2));
    h.model.raiseFault(3, h.clock.elapsed());
    h.radio.takeWritten();
    h.ui()->cmdTest->click();
    QCOMPARE(h.radio.takeWritten(), std::string("Z\n"));
    h.runFor(1.0);
    QCOMPARE(h.cap(h.ui()->lblFault), std::string("FAULT"));
    QCOMPARE(vb::backColour(h.ui()->lblFault), long(colour::kRed));
    h.model.clearFault(h.clock.elapsed());
    h.runFor(1.0);
    QCOMPARE(h.cap(h.ui()->lblFault), std::string("OK"));
}

void TestWindowLoop::helpFileMissing() {
    PanelHarness h;
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const std::string installed = tmp.path().toStdString() + "/share/doc/tolvane/guide.html";
    const std::string source = tmp.path().toStdString() + "/doc/guide.html";
    h.c->hooks.guidePlaces = {installed, source};
    h.ui()->mnuHelpTolvane->trigger();
    QCOMPARE(h.cap(h.ui()->txtInfo),
             "Operator's guide not found; looked for " + installed + ", " + source);
    QCOMPARE(h.shell.helpOpened, std::string());
    // The second place serves when the first has no guide.
    QVERIFY(QDir().mkpath(tmp.path() + "/doc"));
    writeLines(QString::fromStdString(source), {"<html></html>"});
    h.ui()->mnuHelpTolvane->trigger();
    QCOMPARE(h.shell.helpOpened, source);
    // The installed guide comes first.
    QVERIFY(QDir().mkpath(tmp.path() + "/share/doc/tolvane"));
    writeLines(QString::fromStdString(installed), {"<html></html>"});
    h.ui()->mnuHelpTolvane->trigger();
    QCOMPARE(h.shell.helpOpened, installed);
    // A folder where the guide should be is not the guide.
    h.shell.helpOpened.clear();
    QVERIFY(QFile::remove(QString::fromStdString(installed)));
    QVERIFY(QFile::remove(QString::fromStdString(source)));
    QVERIFY(QDir().mkpath(QString::fromStdString(source)));
    h.ui()->mnuHelpTolvane->trigger();
    QCOMPARE(h.shell.helpOpened, std::string());
    QVERIFY(h.cap(h.ui()->txtInfo).find("looked for") != std::string::npos);
}

void TestWindowLoop::defaultGuidePlaces() {
    const std::vector<std::string> places = tolvane::defaultGuidePlaces();
    QCOMPARE(places.size(), std::size_t(2));
    const QDir programDir(QCoreApplication::applicationDirPath());
    QCOMPARE(QString::fromStdString(places[0]),
             QDir::cleanPath(programDir.filePath("../share/doc/tolvane/guide.html")));
    // The source tree's guide exists: the help works from a build folder.
    QVERIFY(QString::fromStdString(places[1]).endsWith("/doc/guide.html"));
    QVERIFY(QFileInfo(QString::fromStdString(places[1])).isFile());
}

void TestWindowLoop::vanishedPortComesBack_data() {
    QTest::addColumn<bool>("remote");
    QTest::newRow("local") << false;
    QTest::newRow("remote") << true;
}

void TestWindowLoop::vanishedPortComesBack() {
    QFETCH(bool, remote);
    PanelHarness h(Firmware::V601, remote);
    QVERIFY(h.runPasses(3));
    // The adapter is pulled: no crash, no hang, the panel says so.
    h.radio.setVanished(true);
    h.available = [](int) { return false; };
    QVERIFY(h.run([&] { return h.c->state().ps.gRadioPortLost; }, 200));
    QVERIFY(!h.radio.isOpen());
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Com"));
    int yields = h.shell.yields;
    h.run([] { return false; }, 200);
    QVERIFY(h.shell.yields > yields + 50);  // the panel stays usable meanwhile
    // Plugged in again: opened with the same settings and queried.
    h.radio.setVanished(false);
    h.available = [](int n) { return n == 1; };
    QVERIFY(h.run([&] { return h.radio.isOpen() && h.inLoop(); }, 20000));
    QVERIFY(!h.c->state().ps.gRadioPortLost);
    QCOMPARE(h.radio.openCount(), 2);
}

QTEST_MAIN(TestWindowLoop)
#include "test_window_loop.moc"
