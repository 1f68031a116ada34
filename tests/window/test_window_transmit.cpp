// PTT, XMT and TUNE on the real main window with the radio model in virtual
// time: the bytes on the wire and the pauses between them, split transmit
// with its return to VFO A, the external switch, the band checks before
// keying and the loop's guard over a keyed transmitter.
#include <QtTest>

#include "panel/transmit_control.h"
#include "transmit_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowTransmit : public QObject {
    Q_OBJECT
  private slots:
    void pttKeysWhileHeld();
    void pttSplitRetunesAndReturns();
    void pttRefused_data();
    void pttRefused();
    void pttSplitModesDiffer();
    void pttOtherButtonDoesNotEndTheHold();
    void externalSwitchKeysWhileHeld();
    void xmitTwice();
    void xmitSplitRetunesAndReturns();
    void xmitRefused_data();
    void xmitRefused();
    void xmitReturnsAfterSplitSwitchedOff();
    void tuneRestoresModeAndSideTone_data();
    void tuneRestoresModeAndSideTone();
    void tuneRestoreGivesUp();
    void tuneAndXmitExcludeEachOther();
    void tuneRefusedOutOfBand();
    void guardStopsKeyedOutOfBand_data();
    void guardStopsKeyedOutOfBand();
    void keyingRequestsDroppedAfterRestart();
    void restartEndsTransmissions_data();
    void restartEndsTransmissions();
    void closedWhileKeyedUnkeys_data();
    void closedWhileKeyedUnkeys();
    void controlsCarryTheirCaptions();
};

// Pressed, PTT sends "K" at once; released, "U"; the radio follows.
void TestWindowTransmit::pttKeysWhileHeld() {
    Keying k;
    QVERIFY(k.ok);
    bool keyedInside = false;
    std::string shown;
    const double end = k.h.clock.elapsed() + 1.0;
    holdUntil(k.h, k.h.ui()->cmdPTT, Qt::LeftButton, [&] {
        keyedInside = keyedInside || k.keyed();
        shown = k.h.cap(k.h.ui()->lblXMTRCV);
        return k.h.clock.elapsed() >= end;
    });
    QVERIFY(keyedInside);
    QCOMPARE(shown, std::string("Transmit"));
    k.h.runFor(0.5);
    const auto texts = k.texts();
    QVERIFY(texts.size() >= 2);
    QCOMPARE(texts[0], std::string("K"));
    QCOMPARE(texts[1], std::string("U"));
    QVERIFY(!k.keyed());
    QVERIFY(!k.h.c->areas().transmit.gPttHeld);
    QCOMPARE(k.h.c->state().st.gSyncChar, std::string("U"));
    QCOMPARE(k.h.cap(k.h.ui()->lblXMTRCV), std::string("Receive"));
}

// Split PTT: "F0715000" LF, 0.5 s, "K"; on release a bare "U", 0.4 s,
// "F0705000" LF; the radio ends on VFO A.
void TestWindowTransmit::pttSplitRetunesAndReturns() {
    Keying k;
    QVERIFY(k.ok);
    QVERIFY(k.splitOn("0715000"));
    bool onB = false;
    const double end = k.h.clock.elapsed() + 1.5;
    holdUntil(k.h, k.h.ui()->cmdPTT, Qt::LeftButton, [&] {
        onB = onB || (k.keyed() && k.h.model.state.freq == "0715000");
        return k.h.clock.elapsed() >= end;
    });
    QVERIFY(onB);
    k.h.runFor(1.0);
    const auto w = k.written();
    QVERIFY(w.size() >= 4);
    QCOMPARE(w[0].text, std::string("F0715000\n"));
    QCOMPARE(w[1].text, std::string("K"));
    QVERIFY2(w[1].at - w[0].at >= TransmitControl::kPttSplitPause,
             QByteArray::number(w[1].at - w[0].at));
    const long u = findWrite(w, "U");
    QVERIFY(u > 1);
    QCOMPARE(w[static_cast<size_t>(u) + 1].text, std::string("F0705000\n"));
    const double pause = w[static_cast<size_t>(u) + 1].at - w[static_cast<size_t>(u)].at;
    QVERIFY2(pause >= TransmitControl::kSplitPause && pause < TransmitControl::kSplitPause + 0.05,
             QByteArray::number(pause));
    // Only heartbeat characters between the key and the bare "U".
    for (long i = 2; i < u; ++i) QCOMPARE(w[static_cast<size_t>(i)].text, std::string("K"));
    QCOMPARE(k.h.model.state.freq, std::string("0705000"));
    QVERIFY(!k.keyed());
    QCOMPARE(rowOf(k.h.form->cmdF), std::string("0705000"));
}

void TestWindowTransmit::pttRefused_data() {
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("vfoB");
    QTest::newRow("VFO A outside the bands") << "0500000"
                                             << "";
    QTest::newRow("split, VFO B outside the bands") << "0705000"
                                                    << "0740000";
    QTest::newRow("split, VFO B below the 40 m band") << "0705000"
                                                      << "0699999";
}

// A transmit frequency outside the permitted bands: PTT never keys and
// waits silently for the release; the VFO A row shows VFO A again.
void TestWindowTransmit::pttRefused() {
    QFETCH(QString, freq);
    QFETCH(QString, vfoB);
    Keying k(Firmware::V601, freq.toStdString());
    QVERIFY(k.ok);
    if (!vfoB.isEmpty()) QVERIFY(k.splitOn(vfoB.toStdString()));
    // The disabled button takes no press: the routine is run as the
    // external switch runs it, with a click queued before the band check.
    TransmitControl& t = k.h.c->areas().transmit;
    int yields = 0;
    k.h.shell.onYield = [&] {
        if (++yields == 20) t.cmdPTT_MouseUp();
    };
    t.cmdPTT_MouseDown(1, 0, 0, 0);
    k.h.shell.onYield = nullptr;
    QVERIFY(yields >= 20);  // it waited for the release
    k.h.runFor(1.0);
    QCOMPARE(wire(commandsSince(k.h, k.mark)), QString());
    QCOMPARE(findWrite(k.written(), "K"), -1L);
    QVERIFY(!k.keyed());
    QCOMPARE(rowOf(k.h.form->cmdF), freq.toStdString());
    QCOMPARE(k.h.shell.messages, std::vector<std::string>{});
}

// Different modes: the message, split switched off, nothing sent.
void TestWindowTransmit::pttSplitModesDiffer() {
    Keying k;
    QVERIFY(k.ok);
    QVERIFY(k.splitOn("0715000"));
    vb::setCaption(k.h.ui()->cmbVFOBMode, "LSB");
    k.holdPtt(0.5);
    QCOMPARE(k.h.shell.messages, std::vector<std::string>{"Modes must be same for Split"});
    QCOMPARE(k.h.cap(k.h.ui()->lblSplit), std::string("Split Off"));
    QVERIFY(k.h.form->optTXVFO[0]->isChecked());
    k.h.runFor(0.5);
    QCOMPARE(k.texts(), std::vector<std::string>{});
    QVERIFY(!k.keyed());
}

// A right-button press while the left holds PTT starts no second
// transmission; its release ends the hold (never the other way round).
void TestWindowTransmit::pttOtherButtonDoesNotEndTheHold() {
    Keying k;
    QVERIFY(k.ok);
    int n = 0;
    bool heldOn = false;
    holdUntil(k.h, k.h.ui()->cmdPTT, Qt::LeftButton, [&] {
        ++n;
        if (n == 5) QTest::mousePress(k.h.ui()->cmdPTT, Qt::RightButton);
        if (n == 6) heldOn = k.h.c->areas().transmit.gPttHeld && k.keyed();
        return n == 10;
    });
    QVERIFY(heldOn);
    QTest::mouseRelease(k.h.ui()->cmdPTT, Qt::RightButton);
    k.h.runFor(0.5);
    QVERIFY(!k.keyed());
    QCOMPARE(findWrite(k.written(), "K"), 0L);
}

// The switch on DSR keys through the main loop and holds the key while it
// stays pressed; the lamp is red meanwhile.
void TestWindowTransmit::externalSwitchKeysWhileHeld() {
    PanelHarness h(Firmware::V601, true);
    writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", "1"});
    h.model.state.freq = "0705000";
    QVERIFY(h.runPasses(4));
    h.runFor(0.5);
    QCOMPARE(vb::backColour(h.ui()->lblExtPTT), long(colour::kGreen));
    const size_t mark = h.radio.writes().size();
    long lamp = -1;
    bool keyedInside = false;
    int yields = 0;
    h.shell.onYield = [&] {
        ++yields;
        if (yields == 1) h.radio.setDsr(false);
        if (yields == 300) {
            lamp = vb::backColour(h.ui()->lblExtPTT);
            keyedInside = h.model.state.keyed;
            h.radio.setDsr(true);
        }
    };
    h.runFor(1.0);
    h.shell.onYield = nullptr;
    QCOMPARE(lamp, long(colour::kRed));
    QVERIFY(keyedInside);
    QVERIFY(!h.model.state.keyed);
    QCOMPARE(vb::backColour(h.ui()->lblExtPTT), long(colour::kGreen));
    const auto& w = h.radio.writes();
    QVERIFY(w.size() >= mark + 2);
    QCOMPARE(w[mark].text, std::string("K"));
    QCOMPARE(findWrite(w, "U", static_cast<long>(mark)) > static_cast<long>(mark), true);
}

// XMT twice without split: "K", then "U"; TUNE disabled in between.
void TestWindowTransmit::xmitTwice() {
    Keying k;
    QVERIFY(k.ok);
    k.click(k.h.ui()->cmdXmit);
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOff));
    QVERIFY(k.h.c->state().ps.gXmtOn);
    QVERIFY(!k.h.ui()->cmdTune->isEnabled());
    QVERIFY(k.keyed());
    k.click(k.h.ui()->cmdXmit);
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
    QVERIFY(!k.h.c->state().ps.gXmtOn);
    QVERIFY(k.h.ui()->cmdTune->isEnabled());
    QVERIFY(!k.keyed());
    const auto t = k.texts();
    QCOMPARE(t.front(), std::string("K"));
    QCOMPARE(findWrite(k.written(), "U") > 0, true);
    QCOMPARE(wire(commandsSince(k.h, k.mark)), QString());
    QVERIFY(!k.h.c->state().req.reqXmit);
}

// Split XMT: "F0715000" LF, 0.4 s, "K"; off: "U", 0.4 s, "F0705000" LF.
void TestWindowTransmit::xmitSplitRetunesAndReturns() {
    Keying k;
    QVERIFY(k.ok);
    QVERIFY(k.splitOn("0715000"));
    k.click(k.h.ui()->cmdXmit);
    QVERIFY(k.keyed());
    QCOMPARE(k.h.model.state.freq, std::string("0715000"));
    QCOMPARE(rowOf(k.h.form->cmdF), std::string("0715000"));
    k.click(k.h.ui()->cmdXmit);
    const auto w = k.written();
    QCOMPARE(w[0].text, std::string("F0715000\n"));
    QCOMPARE(w[1].text, std::string("K"));
    QVERIFY(w[1].at - w[0].at >= TransmitControl::kSplitPause);
    const long u = findWrite(w, "U");
    QVERIFY(u > 1);
    QCOMPARE(w[static_cast<size_t>(u) + 1].text, std::string("F0705000\n"));
    QVERIFY(w[static_cast<size_t>(u) + 1].at - w[static_cast<size_t>(u)].at >=
            TransmitControl::kSplitPause);
    QCOMPARE(k.h.model.state.freq, std::string("0705000"));
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.shell.beeps, k.beeps);
}

void TestWindowTransmit::xmitRefused_data() {
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("vfoB");
    QTest::addColumn<QString>("modeB");
    QTest::addColumn<QString>("message");
    QTest::newRow("VFO A outside the bands") << "0500000"
                                             << ""
                                             << ""
                                             << "";
    QTest::newRow("split, VFO B outside") << "0705000"
                                          << "0740000"
                                          << ""
                                          << "";
    QTest::newRow("split, modes differ") << "0705000"
                                         << "0715000"
                                         << "LSB"
                                         << "Modes must be same for Split";
}

// A queued XMT click that may not key beeps and sends nothing; a split
// refused shows VFO A again; the mode message leaves split on.
void TestWindowTransmit::xmitRefused() {
    QFETCH(QString, freq);
    QFETCH(QString, vfoB);
    QFETCH(QString, modeB);
    QFETCH(QString, message);
    Keying k(Firmware::V601, freq.toStdString());
    QVERIFY(k.ok);
    if (!vfoB.isEmpty()) QVERIFY(k.splitOn(vfoB.toStdString()));
    if (!modeB.isEmpty()) vb::setCaption(k.h.ui()->cmbVFOBMode, modeB.toStdString());
    k.h.c->state().req.reqXmit = true;  // clicked before the band check disabled it
    k.h.runFor(1.0);
    QCOMPARE(k.h.shell.beeps, k.beeps + 1);
    QCOMPARE(k.texts(), std::vector<std::string>{});
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
    QCOMPARE(rowOf(k.h.form->cmdF), freq.toStdString());
    QCOMPARE(k.h.shell.messages.size(), message.isEmpty() ? size_t(0) : size_t(1));
    if (!message.isEmpty()) {
        QCOMPARE(QString::fromStdString(k.h.shell.messages[0]), message);
        QCOMPARE(k.h.cap(k.h.ui()->lblSplit), std::string("Split On"));
    }
}

// Split switched off while XMT is keyed on VFO B: XMT OFF still returns
// the radio to the VFO A it left.
void TestWindowTransmit::xmitReturnsAfterSplitSwitchedOff() {
    Keying k;
    QVERIFY(k.ok);
    QVERIFY(k.splitOn("0715000"));
    k.click(k.h.ui()->cmdXmit);
    QVERIFY(k.keyed());
    QTest::mouseClick(k.h.form->optTXVFO[0], Qt::LeftButton);
    QCOMPARE(k.h.cap(k.h.ui()->lblSplit), std::string("Split Off"));
    k.click(k.h.ui()->cmdXmit);
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.model.state.freq, std::string("0705000"));
    QCOMPARE(wire(commandsSince(k.h, k.mark)), QString("F0715000<LF>|F0705000<LF>|"));
    // A later XMT without split has nothing to return to.
    k.mark = k.h.radio.writes().size();
    k.click(k.h.ui()->cmdXmit);
    k.click(k.h.ui()->cmdXmit);
    QCOMPARE(wire(commandsSince(k.h, k.mark)), QString());
    QCOMPARE(k.h.model.state.freq, std::string("0705000"));
}

void TestWindowTransmit::tuneRestoresModeAndSideTone_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<int>("mode");
    QTest::newRow("v601, USB") << int(Firmware::V601) << 1;
    QTest::newRow("v601, LSB") << int(Firmware::V601) << 2;
    QTest::newRow("Adapt, USB") << int(Firmware::Adapt) << 1;
    QTest::newRow("NonAdapt, LSB") << int(Firmware::NonAdapt) << 2;
}

// TUNE in USB with sidetone on: AME and keyed; the radio switches sidetone
// while tuning; TUNE OFF unkeys, returns to the mode and sends one "S".
void TestWindowTransmit::tuneRestoresModeAndSideTone() {
    QFETCH(int, fw);
    QFETCH(int, mode);
    Keying k(Firmware(fw), "0705000", mode);
    QVERIFY(k.ok);
    k.h.model.state.sidetone = 1;
    k.h.model.say("S1", k.h.clock.elapsed());
    k.h.runFor(0.5);
    QCOMPARE(k.h.c->state().st.gSideToneReport, std::string("S1"));
    k.mark = k.h.radio.writes().size();
    k.click(k.h.ui()->cmdTune, 2.0);
    QCOMPARE(k.h.model.state.mode, 3);
    QVERIFY(k.keyed());
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOff));
    QVERIFY(!k.h.ui()->cmdXmit->isEnabled());
    k.h.model.state.sidetone = 0;
    k.h.model.say("S0", k.h.clock.elapsed());
    k.h.runFor(0.5);
    const size_t before = k.h.radio.writes().size();
    k.click(k.h.ui()->cmdTune, 3.0);
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.model.state.mode, mode);
    QCOMPARE(k.h.model.state.sidetone, 1);
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    QVERIFY(k.h.ui()->cmdXmit->isEnabled());
    const auto after = commandsSince(k.h, before);
    QCOMPARE(std::count(after.begin(), after.end(), std::string("S\n")), 1L);
    QCOMPARE(k.h.radio.writes()[before].text, std::string("U"));
    QCOMPARE(k.info(), std::string());
}

// A radio that stops answering while TUNE runs: the restore gives up after
// its bound, says so, and the radio is still unkeyed and XMT enabled.
void TestWindowTransmit::tuneRestoreGivesUp() {
    Keying k(Firmware::V601, "0705000", 1);
    QVERIFY(k.ok);
    k.click(k.h.ui()->cmdTune, 2.0);
    QVERIFY(k.keyed());
    k.h.model.setSilent(true);
    const size_t before = k.h.radio.writes().size();
    k.h.c->state().req.reqTune = true;
    k.h.c->runUntil([&] { return !k.h.c->state().req.reqTune; }, 100);
    QCOMPARE(k.h.radio.writes()[before].text, std::string("U"));
    QVERIFY(!k.keyed());
    QCOMPARE(k.info(), std::string("TUNE: the radio did not return to USB"));
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    QVERIFY(k.h.ui()->cmdXmit->isEnabled());
    QCOMPARE(k.h.c->state().st.gSyncChar, std::string("U"));
    // Bounded: the mode steps the table allows plus two.
    const auto sent = commandsSince(k.h, before);
    QVERIFY(std::count(sent.begin(), sent.end(), std::string("?\n")) <=
            TransmitControl::kModeSteps);
}

// TUNE queued while XMT is keyed is refused (and XMT while TUNE runs).
void TestWindowTransmit::tuneAndXmitExcludeEachOther() {
    Keying k;
    QVERIFY(k.ok);
    k.click(k.h.ui()->cmdXmit);
    QVERIFY(k.keyed());
    k.h.c->state().req.reqTune = true;
    k.h.runFor(1.0);
    QCOMPARE(k.h.shell.beeps, k.beeps + 1);
    QCOMPARE(k.h.model.state.mode, 1);
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    k.click(k.h.ui()->cmdXmit);
    QVERIFY(!k.keyed());
    k.click(k.h.ui()->cmdTune, 2.0);
    QVERIFY(k.keyed());
    k.h.c->state().req.reqXmit = true;
    k.h.runFor(1.0);
    QCOMPARE(k.h.shell.beeps, k.beeps + 2);
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
    QVERIFY(!k.h.c->state().ps.gXmtOn);
}

// A TUNE click queued before the band check of the next pass: the radio
// is neither switched to AME nor keyed outside the bands; the system beep.
// With split on, TUNE still tests the radio's own frequency, not VFO B.
void TestWindowTransmit::tuneRefusedOutOfBand() {
    Keying k(Firmware::V601, "0740000", 1);
    QVERIFY(k.ok);
    QVERIFY(k.splitOn("0715000"));
    k.h.c->state().req.reqTune = true;
    k.h.runFor(2.0);
    QCOMPARE(k.h.shell.beeps, k.beeps + 1);
    QCOMPARE(k.h.model.state.mode, 1);
    QVERIFY(!k.keyed());
    QCOMPARE(findWrite(k.written(), "K"), -1L);
    QCOMPARE(wire(commandsSince(k.h, k.mark)), QString());
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    QVERIFY(!k.h.c->state().req.reqTune);
}

void TestWindowTransmit::guardStopsKeyedOutOfBand_data() {
    QTest::addColumn<QString>("by");
    QTest::newRow("XMT") << "xmit";
    QTest::newRow("TUNE") << "tune";
    QTest::newRow("split XMT, retuned on the radio") << "split";
}

// The radio keyed by XMT or TUNE is moved outside the bands (here at its
// front panel): the loop stops the transmission on the pass that sees it.
void TestWindowTransmit::guardStopsKeyedOutOfBand() {
    QFETCH(QString, by);
    Keying k;
    QVERIFY(k.ok);
    if (by == "split") QVERIFY(k.splitOn("0715000"));
    k.click(by == "tune" ? k.h.ui()->cmdTune : k.h.ui()->cmdXmit, 2.0);
    QVERIFY(k.keyed());
    k.h.model.setFrequency("0740000", k.h.clock.elapsed());
    // The pass that reads the report stops the transmission.
    QVERIFY(
        k.h.run([&] { return k.h.c->state().st.gFreqReport == "F0740000" || !k.keyed(); }, 2000));
    if (k.keyed()) k.h.c->runUntil([] { return false; }, 1);
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.c->state().st.gSyncChar, std::string("U"));
    k.h.runFor(3.0);
    // A split transmission returns to VFO A all the same.
    QCOMPARE(k.h.model.state.freq, std::string(by == "split" ? "0705000" : "0740000"));
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    QVERIFY(!k.h.c->state().ps.gXmtOn);
}

// XMT and TUNE clicked while the radio stops answering: the restart after
// loss of sync drops them.
void TestWindowTransmit::keyingRequestsDroppedAfterRestart() {
    Keying k;
    QVERIFY(k.ok);
    k.h.model.setSilent(true);
    QVERIFY(k.h.run([&] { return k.h.c->state().ps.gRestarting; }, 200000));
    Requests& r = k.h.c->state().req;
    r.reqXmit = r.reqTune = r.reqAmpTune = true;
    k.h.model.setSilent(false);
    QVERIFY(k.h.run([&] { return !k.h.c->state().ps.gRestarting && k.h.inLoop(); }, 200000));
    QVERIFY(!r.reqXmit && !r.reqTune && !r.reqAmpTune);
    k.h.runFor(2.0);
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
}

void TestWindowTransmit::restartEndsTransmissions_data() {
    QTest::addColumn<QString>("by");
    QTest::newRow("split XMT") << "split";
    QTest::newRow("TUNE") << "tune";
}

// The radio stops answering while XMT or TUNE holds the key; when the
// restart completes the loop's entry drops the key, and the transmission is
// ended as its button ends it: split returns to VFO A, TUNE restores USB.
void TestWindowTransmit::restartEndsTransmissions() {
    QFETCH(QString, by);
    Keying k;
    QVERIFY(k.ok);
    if (by == "split") QVERIFY(k.splitOn("0715000"));
    k.click(by == "tune" ? k.h.ui()->cmdTune : k.h.ui()->cmdXmit, 2.0);
    QVERIFY(k.keyed());
    k.h.model.setSilent(true);
    QVERIFY(k.h.run([&] { return k.h.c->state().ps.gRestarting; }, 200000));
    k.h.model.setSilent(false);
    QVERIFY(k.h.run([&] { return !k.h.c->state().ps.gRestarting && k.h.inLoop(); }, 200000));
    k.h.runFor(3.0);
    QVERIFY(!k.keyed());
    QCOMPARE(k.h.model.state.freq, std::string("0705000"));
    QCOMPARE(k.h.model.state.mode, 1);
    QCOMPARE(k.h.cap(k.h.ui()->cmdXmit), std::string(TransmitControl::kXmitOn));
    QCOMPARE(k.h.cap(k.h.ui()->cmdTune), std::string(TransmitControl::kTuneOn));
    QVERIFY(!k.h.c->state().ps.gXmtOn);
    QCOMPARE(k.h.c->state().st.gSyncChar, std::string("U"));
}

void TestWindowTransmit::closedWhileKeyedUnkeys_data() {
    QTest::addColumn<QString>("by");
    QTest::newRow("XMT") << "xmit";
    QTest::newRow("TUNE") << "tune";
    QTest::newRow("TUNE after a TUNE cycle") << "tune twice";
}

// The window closed while XMT or TUNE holds the key: "U" before "G00".
void TestWindowTransmit::closedWhileKeyedUnkeys() {
    QFETCH(QString, by);
    Keying k(Firmware::V601, "1407400", 1);
    QVERIFY(k.ok);
    QPushButton* button = by.startsWith("tune") ? k.h.ui()->cmdTune : k.h.ui()->cmdXmit;
    if (by == "tune twice") {
        k.click(button, 2.0);
        k.click(button, 8.0);
        QVERIFY(!k.keyed());
    }
    k.click(button, 2.0);
    QVERIFY(k.keyed());
    k.mark = k.h.radio.writes().size();
    k.h.c->form_queryUnload(0, 0);
    QVERIFY(k.h.shell.ended);
    QCOMPARE(k.texts(), (std::vector<std::string>{"U", "G00\n"}));
    QVERIFY(!k.keyed());
}

void TestWindowTransmit::controlsCarryTheirCaptions() {
    PanelHarness h;
    QCOMPARE(h.cap(h.ui()->cmdPTT), std::string("PTT"));
    QCOMPARE(h.cap(h.ui()->cmdXmit), std::string("&XMT ON"));
    QCOMPARE(h.cap(h.ui()->cmdTune), std::string("T&UNE ON"));
    QCOMPARE(h.ui()->cmdPTT->toolTip(), QString("Press Mouse Button to Transmit"));
    QCOMPARE(h.ui()->cmdXmit->toolTip(), QString("Toggle between RCV and XMT"));
    QCOMPARE(h.ui()->cmdTune->toolTip(), QString("Transmit AM For Tuning"));
}

QTEST_MAIN(TestWindowTransmit)
#include "test_window_transmit.moc"
