// The amplifier frame on the real main window with the radio model in
// virtual time: PWR and OPR with their pending marks, the tune cycle with
// its three endings, and the guards that keep it from keying where it may
// not or unkeying a transmission that is not its own.
#include <QtTest>

#include "panel/amplifier_control.h"
#include "panel/transmit_control.h"
#include "transmit_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowAmplifier : public QObject {
    Q_OBJECT
  private slots:
    void powerAndOperate_data();
    void powerAndOperate();
    void tuneEndsWithTuned();
    void tuneTimesOut_data();
    void tuneTimesOut();
    void tunePressedTwice();
    void tuneButtonWithoutStartTune();
    void tuneRefusedOutOfBand();
    void tuneCancelledWhenMovedOutOfBand();
    void tunedReportKeepsOtherTransmissions();
    void tuneCancelledWhenLeavingOperate();
    void closedWhileTuningLeavesTheRadioUnkeyed();
    void controlsCarryTheirCaptions();
};

namespace {

// The panel with the amplifier in state O<amp> and its tuner in T<tune>.
std::unique_ptr<Keying> ampPanel(int amp, int tune, const std::string& freq = "0705000") {
    auto k = std::make_unique<Keying>(Firmware::V601, freq);
    k->h.model.state.amp = amp;
    k->h.model.state.ampTune = tune;
    k->h.c->state().req.reqGetStatus = true;
    k->h.runFor(2.0);
    k->mark = k->h.radio.writes().size();
    k->beeps = k->h.shell.beeps;
    return k;
}

}  // namespace

void TestWindowAmplifier::powerAndOperate_data() {
    QTest::addColumn<int>("amp");
    QTest::addColumn<bool>("pwr");  // true: PWR, false: OPR
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("after");
    QTest::newRow("PWR from OFF") << 1 << true << "OFF"
                                  << "O2<LF>|"
                                  << " >> "
                                  << "ON";
    QTest::newRow("PWR from ON") << 3 << true << "ON"
                                 << "O1<LF>|"
                                 << " << "
                                 << "OFF";
    QTest::newRow("OPR from Standby") << 3 << false << "Standby"
                                      << "O4<LF>|"
                                      << " >> "
                                      << "Operate";
    QTest::newRow("OPR from Operate") << 4 << false << "Operate"
                                      << "O3<LF>|"
                                      << " << "
                                      << "Standby";
    QTest::newRow("OPR in Warmup") << 2 << false << "Warmup"
                                   << ""
                                   << "Warmup"
                                   << "";
    QTest::newRow("OPR with the amplifier off") << 1 << false << ""
                                                << ""
                                                << ""
                                                << "";
}

// A click sends its command and shows the pending mark; a second click
// while the mark is shown sends nothing; the amplifier's report replaces
// the mark.
void TestWindowAmplifier::powerAndOperate() {
    QFETCH(int, amp);
    QFETCH(bool, pwr);
    QFETCH(QString, shown);
    QFETCH(QString, sent);
    QFETCH(QString, mark);
    QFETCH(QString, after);
    auto k = ampPanel(amp, 1);
    k->h.model.warmupSeconds = 1000.0;  // no report of its own meanwhile
    QLabel* label = pwr ? k->h.ui()->lblAmpPwr : k->h.ui()->lblAmpOpStby;
    QPushButton* button = pwr ? k->h.ui()->cmdAmpPwr : k->h.ui()->cmdAmpOpr;
    QCOMPARE(QString::fromStdString(k->h.cap(label)), shown);
    // The amplifier slow to report: the mark stays meanwhile.
    k->h.model.setSilent(true);
    QTest::mouseClick(button, Qt::LeftButton);
    k->h.runFor(0.5);
    QCOMPARE(QString::fromStdString(k->h.cap(label)), mark);
    QTest::mouseClick(button, Qt::LeftButton);
    k->h.runFor(0.5);
    QCOMPARE(wire(commandsSince(k->h, k->mark)), sent);
    QCOMPARE(QString::fromStdString(k->h.cap(label)), mark);
    k->h.model.setSilent(false);
    k->h.c->state().req.reqGetStatus = true;
    k->h.runFor(2.0);
    if (!after.isEmpty()) QCOMPARE(QString::fromStdString(k->h.cap(label)), after);
    QVERIFY(!k->h.c->state().req.reqAmpPwr && !k->h.c->state().req.reqAmpOpr);
}

// TUN with "Start Tune": " >> ", "K" on the wire; the amplifier tunes and
// reports "T4": "Tuned", the cycle over and the radio unkeyed.
void TestWindowAmplifier::tuneEndsWithTuned() {
    auto k = ampPanel(4, 2);
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string("Start Tune"));
    QVERIFY(k->h.ui()->cmdTuneAmp->isEnabled());
    QTest::mouseClick(k->h.ui()->cmdTuneAmp, Qt::LeftButton);
    k->h.c->runUntil([] { return false; }, 1);
    QVERIFY(k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string(" >> "));
    QCOMPARE(k->written().at(0).text, std::string("K"));
    QVERIFY(k->keyed());
    QVERIFY(k->h.run([&] { return k->h.cap(k->h.ui()->lblAmpTuned) == "Tuning"; }, 20000));
    QVERIFY(k->h.run([&] { return k->h.cap(k->h.ui()->lblAmpTuned) == "Tuned"; }, 20000));
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->h.c->state().st.gSyncChar, std::string("U"));
    k->h.runFor(0.5);
    QVERIFY(!k->keyed());
    QCOMPARE(wire(commandsSince(k->h, k->mark)), QString());
}

void TestWindowAmplifier::tuneTimesOut_data() {
    QTest::addColumn<double>("startAt");
    QTest::newRow("in the day") << 36000.0;
    QTest::newRow("across midnight") << 86390.0;
}

// No "T4": after more than 20 s the loop unkeys, says so and asks for the
// status; not before.
void TestWindowAmplifier::tuneTimesOut() {
    QFETCH(double, startAt);
    auto k = ampPanel(4, 2);
    k->h.model.tuneStepSeconds = 1000.0;
    k->h.clock.setTimeOfDay(startAt);
    k->h.runFor(0.1);
    const size_t mark = k->h.radio.writes().size();
    QTest::mouseClick(k->h.ui()->cmdTuneAmp, Qt::LeftButton);
    k->h.runFor(19.5);
    QVERIFY(k->h.c->state().ps.gAmpTuning);
    QVERIFY(k->keyed());
    QVERIFY(k->h.run([&] { return !k->h.c->state().ps.gAmpTuning; }, 100000));
    QCOMPARE(k->info(), std::string(AmplifierControl::kTimedOut));
    QCOMPARE(k->h.c->state().st.gSyncChar, std::string("U"));
    k->h.runFor(1.0);
    QVERIFY(!k->keyed());
    QCOMPARE(wire(commandsSince(k->h, mark)), QString("?<LF>|"));
    const auto& w = k->h.radio.writes();
    const long u = findWrite(w, "U", static_cast<long>(mark));
    QVERIFY(u > 0);
    QVERIFY(w[static_cast<size_t>(u)].at - w[mark].at > AmplifierControl::kTuneTimeout);
}

// The second press cancels at once: "U" on the wire.
void TestWindowAmplifier::tunePressedTwice() {
    auto k = ampPanel(4, 2);
    k->h.model.tuneStepSeconds = 1000.0;
    k->click(k->h.ui()->cmdTuneAmp, 0.5);
    QVERIFY(k->keyed());
    const size_t mark = k->h.radio.writes().size();
    QTest::mouseClick(k->h.ui()->cmdTuneAmp, Qt::LeftButton);
    k->h.c->runUntil([] { return false; }, 1);
    QCOMPARE(k->h.radio.writes().at(mark).text, std::string("U"));
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    k->h.runFor(0.5);
    QVERIFY(!k->keyed());
}

// "Tuning" shown but no cycle of the operator runs: TUN does nothing.
void TestWindowAmplifier::tuneButtonWithoutStartTune() {
    auto k = ampPanel(4, 3);
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string("Tuning"));
    k->click(k->h.ui()->cmdTuneAmp);
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->texts(), std::vector<std::string>{});
    QVERIFY(!k->keyed());
}

// A TUN click queued before the band check of the next pass does not key
// outside the bands: the system beep instead.
void TestWindowAmplifier::tuneRefusedOutOfBand() {
    auto k = ampPanel(4, 2, "0500000");
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string("Start Tune"));
    k->h.c->state().req.reqAmpTune = true;
    k->h.runFor(1.0);
    QCOMPARE(k->h.shell.beeps, k->beeps + 1);
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->texts(), std::vector<std::string>{});
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string("Start Tune"));
}

// The radio moved outside the bands while the amplifier tunes: the cycle is
// cancelled on the pass that sees it.
void TestWindowAmplifier::tuneCancelledWhenMovedOutOfBand() {
    auto k = ampPanel(4, 2);
    k->h.model.tuneStepSeconds = 1000.0;
    k->click(k->h.ui()->cmdTuneAmp, 0.5);
    QVERIFY(k->keyed());
    k->h.model.setFrequency("0740000", k->h.clock.elapsed());
    QVERIFY(k->h.run([&] { return k->h.c->state().st.gFreqReport == "F0740000"; }, 2000));
    k->h.c->runUntil([] { return false; }, 1);
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->info(), std::string(AmplifierControl::kCancelled));
    k->h.runFor(0.5);
    QVERIFY(!k->keyed());
}

// "T4" while XMT holds the key (the amplifier in operate tunes on any
// keying): the panel shows "Tuned" and keeps transmitting.
void TestWindowAmplifier::tunedReportKeepsOtherTransmissions() {
    auto k = ampPanel(4, 1);
    k->click(k->h.ui()->cmdXmit, 0.5);
    QVERIFY(k->keyed());
    QVERIFY(k->h.run([&] { return k->h.c->state().st.gAmpTuneReport == "T4"; }, 20000));
    k->h.runFor(1.0);
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpTuned), std::string("Tuned"));
    QCOMPARE(k->h.c->state().st.gSyncChar, std::string("K"));
    QVERIFY(k->keyed());
    // A queued TUN meanwhile does not start a cycle over XMT's key.
    k->h.c->state().req.reqAmpTune = true;
    k->h.runFor(0.5);
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    k->click(k->h.ui()->cmdXmit, 0.5);
    QVERIFY(!k->keyed());
}

// The amplifier put in standby while it tunes: its TUN button is disabled,
// so the cycle is cancelled at once instead of keying until the time-out.
void TestWindowAmplifier::tuneCancelledWhenLeavingOperate() {
    auto k = ampPanel(4, 2);
    k->h.model.tuneStepSeconds = 1000.0;
    k->click(k->h.ui()->cmdTuneAmp, 0.5);
    QVERIFY(k->keyed());
    k->click(k->h.ui()->cmdAmpOpr, 1.0);
    QCOMPARE(k->h.cap(k->h.ui()->lblAmpOpStby), std::string("Standby"));
    QVERIFY(!k->h.ui()->cmdTuneAmp->isEnabled());
    QVERIFY(!k->h.c->state().ps.gAmpTuning);
    QCOMPARE(k->info(), std::string(AmplifierControl::kCancelled));
    k->h.runFor(0.5);
    QVERIFY(!k->keyed());
}

// The window closed on the pass that started a tune cycle (its "K" went
// out by itself, before the heartbeat took it over): the radio is unkeyed.
void TestWindowAmplifier::closedWhileTuningLeavesTheRadioUnkeyed() {
    auto k = ampPanel(4, 2);
    k->h.model.tuneStepSeconds = 1000.0;
    QTest::mouseClick(k->h.ui()->cmdTuneAmp, Qt::LeftButton);
    k->h.c->runUntil([] { return false; }, 1);
    QVERIFY(k->keyed());
    k->h.c->form_queryUnload(0, 0);
    QVERIFY(k->h.shell.ended);
    QVERIFY(!k->keyed());
    const auto t = k->texts();
    QCOMPARE(std::vector<std::string>(t.end() - 2, t.end()),
             (std::vector<std::string>{"U", "G00\n"}));
}

void TestWindowAmplifier::controlsCarryTheirCaptions() {
    PanelHarness h;
    QCOMPARE(h.cap(h.ui()->cmdAmpPwr), std::string("PWR ->"));
    QCOMPARE(h.cap(h.ui()->cmdAmpOpr), std::string("OPR ->"));
    QCOMPARE(h.cap(h.ui()->cmdTuneAmp), std::string("TUN ->"));
    QCOMPARE(h.ui()->cmdAmpPwr->toolTip(), QString("Turn Amp ON / OFF"));
    QCOMPARE(h.ui()->cmdAmpOpr->toolTip(), QString("Place AMP in Operate / Standby"));
    QCOMPARE(h.ui()->cmdTuneAmp->toolTip(), QString("Start Amp Tune Cycle"));
}

QTEST_MAIN(TestWindowAmplifier)
#include "test_window_amplifier.moc"
