// Randomized keying over the radio model in virtual time: thousands of
// sequences of operator actions (PTT, the external switch, XMT, TUNE, the
// amplifier, split, VFO A and B steps, CAT frequency sets, the radio tuned
// at its front panel, band checks with and without Permissions.txt, loss of
// sync, shutdown). After every pass of the main loop and every pass of the
// PTT transmission loop the invariants must hold:
// - the radio is never keyed on a frequency the band check refuses for
//   longer than one pass after the panel has read that frequency;
// - after all releases and stops the radio is unkeyed, also after shutdown;
// - a split transmission returns the radio to the VFO A it left;
// - the last sync character on the wire agrees with gSyncChar.
// A failure names its batch seed and sequence; TOLVANE_SAFETY_SEED=<seed>
// replays that batch, TOLVANE_SAFETY_SEQUENCES=<n> runs more sequences,
// TOLVANE_SAFETY_TRACE=1 names every action as it starts.
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

#include "panel/transmit_control.h"
#include "transmit_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowTransmitSafety : public QObject {
    Q_OBJECT
  private slots:
    void randomKeyingKeepsTheRadioSafe();
};

namespace {

using S = Controller::Stage;

// Frequencies in and out of the 40 m band (7.0 .. 7.3 MHz) and the 60 m
// channel, seven digits each.
const char* const kFreqs[] = {"0705000", "0715000", "0729999", "0700000", "0740000",
                              "0699990", "0535700", "0500000", "1420000", "0730001"};

class Batch {
  public:
    Batch(std::uint32_t seed, int sequences) : seed_(seed), sequences_(sequences), rng_(seed) {}

    // Runs the batch; empty when every invariant held, else what failed.
    std::string run() {
        PanelHarness h(Firmware::V601, true);
        h_ = &h;
        writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", "1"});
        writeLines("CATSetup.txt", {"2", "9600,N,8,1", "comNone", "Kenwood"});
        h.available = [](int n) { return n == 1 || n == 2; };
        h.model.state.freq = "0705000";
        h.model.state.amp = 4;
        h.model.state.ampTune = 2;
        h.model.warmupSeconds = 0.5;
        h.shell.honourWaits = true;
        h.shell.onYield = [this] { onYield(); };
        if (!h.runPasses(3)) return "the panel did not start";
        // Nothing is painted: thousands of sequences in a few seconds.
        h.form->hide();
        for (seq_ = 0; seq_ < sequences_ && failure_.empty(); ++seq_) {
            const int actions = 2 + pick(8);
            for (int i = 0; i < actions && failure_.empty(); ++i) action();
            if (failure_.empty()) stopAll();
        }
        if (failure_.empty()) shutdown();
        h.shell.onYield = nullptr;
        h_ = nullptr;
        return failure_;
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }
    double seconds(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }

    void fail(const std::string& what) {
        if (!failure_.empty()) return;
        std::ostringstream s;
        s << what << " (seed " << seed_ << ", sequence " << seq_ << ", model F"
          << h_->model.state.freq << (h_->model.state.keyed ? " keyed" : " unkeyed") << ")";
        failure_ = s.str();
    }

    RadioState& st() { return h_->c->state().st; }
    bool permitted(const std::string& f7) {
        return h_->c->state().set.gTxUnrestricted ? true
                                                  : h_->c->areas().display.IsInBand("F" + f7);
    }

    // --- invariants ---
    void checkPass(bool fullPass) {
        if (!failure_.empty() || h_->shell.ended) return;
        const RadioModel& m = h_->model;
        const bool known = st().gFreqReport == "F" + m.state.freq;
        if (m.state.keyed && known && !h_->c->areas().display.IsInBand(st().gFreqReport)) {
            if (++outOfBandPasses_ > 2) fail("keyed on a refused frequency for more than a pass");
        } else {
            outOfBandPasses_ = 0;
        }
        checkXmitReturn();
        if (fullPass && h_->c->state().ps.gControlMode == ControlMode::Remote) {
            const auto& w = h_->radio.writes();
            for (auto it = w.rbegin(); it != w.rend(); ++it) {
                if (it->text != "K" && it->text != "U") continue;
                if (it->text != st().gSyncChar) fail("sync on the wire differs from gSyncChar");
                break;
            }
        }
    }

    void onYield() {
        if (inPtt_) {
            checkPass(true);
            const double now = h_->clock.elapsed();
            if (mouseDown_ && now >= releaseAt_) {
                mouseDown_ = false;
                QTest::mouseRelease(h_->ui()->cmdPTT, Qt::LeftButton);
            }
            if (frontPanelAt_ > 0 && now >= frontPanelAt_) {
                frontPanelAt_ = 0;
                h_->model.setFrequency(kFreqs[pick(10)], now);
            }
        }
        if (dsrDown_ && h_->clock.elapsed() >= dsrReleaseAt_) {
            dsrDown_ = false;
            h_->radio.setDsr(true);
        }
    }

    // One step of the program, checked.
    void step() {
        const S before = h_->c->stage();
        h_->c->runUntil([] { return false; }, 1);
        checkPass(before == S::Pass && h_->c->stage() == S::Pass);
    }
    void runFor(double secs) {
        const double end = h_->clock.elapsed() + secs;
        int guard = 0;
        while (h_->clock.elapsed() < end && failure_.empty() && ++guard < 20000) step();
    }
    // Until the panel shows what the radio is on (a report may be on its way).
    void settle() { runFor(0.3); }

    // --- actions ---
    void action() {
        const int a = pick(16);
        if (std::getenv("TOLVANE_SAFETY_TRACE"))
            qWarning("seq %d t=%.2f action %d stage %d", seq_, h_->clock.elapsed(), a,
                     int(h_->c->stage()));
        switch (a) {
            case 0:
            case 1:
                pttHold();
                break;
            case 2:
                externalSwitch();
                break;
            case 3:
            case 4:
                xmit(chance(30));
                break;
            case 5:
                tune(chance(30));
                break;
            case 6:
                amplifier();
                break;
            case 7:
                split();
                break;
            case 8:
                clickDigit(*h_, h_->form->cmdF[static_cast<size_t>(1 + pick(6))],
                           chance(50) ? Qt::LeftButton : Qt::RightButton);
                h_->shell.onYield = [this] { onYield(); };  // the click took it over
                runFor(0.3);
                break;
            case 9:
                clickOnce(*h_, h_->form->cmdVFOB[static_cast<size_t>(1 + pick(6))],
                          chance(50) ? Qt::LeftButton : Qt::RightButton);
                h_->shell.onYield = [this] { onYield(); };
                runFor(0.1);
                break;
            case 10:
                h_->cat.inject("FA0000" + std::string(kFreqs[pick(10)]) + "0;", 0.0, 0.002);
                runFor(1.0);
                break;
            case 11:
                h_->model.setFrequency(kFreqs[pick(10)], h_->clock.elapsed());
                runFor(seconds(0.05, 1.0));
                break;
            case 12:
                if (chance(25)) permissions();
                break;
            case 13:
                if (chance(15)) lossOfSync();
                break;
            default:
                runFor(seconds(0.05, 2.5));
                break;
        }
    }

    void pttHold() {
        settle();
        const bool split = h_->c->areas().vfoB.splitOn();
        const std::string vfoA = rowOf(h_->form->cmdF);
        const std::string before = h_->model.state.freq;
        const double now = h_->clock.elapsed();
        releaseAt_ = now + seconds(0.0, 2.5);
        frontPanelAt_ = chance(20) ? now + seconds(0.0, 2.0) : 0;
        const bool frontPanel = frontPanelAt_ > 0;
        mouseDown_ = true;
        inPtt_ = true;
        QTest::mousePress(h_->ui()->cmdPTT, Qt::LeftButton);
        inPtt_ = false;
        if (mouseDown_) {
            mouseDown_ = false;
            QTest::mouseRelease(h_->ui()->cmdPTT, Qt::LeftButton);
        }
        runFor(1.0);
        if (split && !frontPanel && h_->model.state.freq != vfoA && before == vfoA) {
            fail("split PTT did not return to VFO A " + vfoA);
        }
        frontPanelAt_ = 0;
    }

    void externalSwitch() {
        dsrDown_ = true;
        dsrReleaseAt_ = h_->clock.elapsed() + seconds(0.0, 2.5);
        h_->radio.setDsr(false);
        inPtt_ = true;
        runFor(seconds(0.1, 3.0));
        inPtt_ = false;
        if (dsrDown_) {
            dsrDown_ = false;
            h_->radio.setDsr(true);
        }
        runFor(0.5);
    }

    // A click, or a request queued before the band check disabled the button.
    void request(QPushButton* button, bool Requests::*flag, bool queued) {
        if (queued)
            h_->c->state().req.*flag = true;
        else
            QTest::mouseClick(button, Qt::LeftButton);
        runFor(seconds(0.3, 1.5));
    }

    void xmit(bool queued) {
        settle();
        TransmitControl& t = h_->c->areas().transmit;
        const bool wasOn = t.xmitOn();
        const std::string vfoA = rowOf(h_->form->cmdF);
        const bool splitNow = h_->c->areas().vfoB.splitOn();
        request(h_->ui()->cmdXmit, &Requests::reqXmit, queued);
        if (!wasOn && t.xmitOn()) xmitReturn_ = splitNow ? vfoA : "";
    }
    // When a split XMT has stopped, the radio must have taken the return
    // to its VFO A (a CAT set served later in the same pass may follow).
    void checkXmitReturn() {
        TransmitControl& t = h_->c->areas().transmit;
        const RadioModel& m = h_->model;
        if (t.xmitOn()) {
            takenWhileOn_ = m.commandsTaken();
            return;
        }
        if (xmitReturn_.empty()) return;
        const std::vector<std::string> seen = m.commandsSeen();
        const size_t newer = m.commandsTaken() - takenWhileOn_;
        bool returned = false;
        for (size_t i = seen.size() > newer ? seen.size() - newer : 0; i < seen.size(); ++i)
            returned = returned || seen[i] == "F" + xmitReturn_;
        if (!returned) fail("split XMT did not return to VFO A " + xmitReturn_);
        xmitReturn_.clear();
    }

    void tune(bool queued) { request(h_->ui()->cmdTune, &Requests::reqTune, queued); }

    void amplifier() {
        switch (pick(4)) {
            case 0:
                request(h_->ui()->cmdAmpPwr, &Requests::reqAmpPwr, false);
                break;
            case 1:
                request(h_->ui()->cmdAmpOpr, &Requests::reqAmpOpr, false);
                break;
            default:
                request(h_->ui()->cmdTuneAmp, &Requests::reqAmpTune, chance(30));
                break;
        }
    }

    void split() {
        if (chance(20)) vb::setCaption(h_->ui()->cmbVFOBMode, chance(50) ? "LSB" : "USB");
        if (chance(50)) vb::setCaption(h_->ui()->cmbVFOBMode, vb::caption(h_->ui()->cmbMode));
        QTest::mouseClick(h_->form->optTXVFO[static_cast<size_t>(pick(2))], Qt::LeftButton);
        runFor(0.2);
    }

    // Permissions.txt written or removed; it is read by the REMOTE
    // initialisation that follows the radio's trip to local control.
    void permissions() {
        if (h_->model.state.keyed) return;
        stopAll();
        if (!failure_.empty()) return;
        if (QFile::exists("Permissions.txt"))
            QFile::remove("Permissions.txt");
        else
            writeLines("Permissions.txt", {});
        h_->model.setRemote(false, h_->clock.elapsed());
        runFor(3.0);
        h_->model.setRemote(true, h_->clock.elapsed());
        runFor(6.0);
    }

    void lossOfSync() {
        h_->model.setSilent(true);
        int guard = 0;
        while (!h_->c->state().ps.gRestarting && failure_.empty() && ++guard < 20000) step();
        h_->model.setSilent(false);
        runFor(8.0);
        checkXmitReturn();
    }

    // Everything let go and stopped: the radio must end unkeyed.
    void stopAll() {
        TransmitControl& t = h_->c->areas().transmit;
        for (int i = 0; i < 3 && failure_.empty(); ++i) {
            if (t.xmitOn()) request(h_->ui()->cmdXmit, &Requests::reqXmit, true);
            if (t.tuneOn()) request(h_->ui()->cmdTune, &Requests::reqTune, true);
            if (h_->c->state().ps.gAmpTuning)
                request(h_->ui()->cmdTuneAmp, &Requests::reqAmpTune, true);
        }
        checkXmitReturn();
        runFor(2.5);
        if (!failure_.empty()) return;
        if (t.xmitOn() || t.tuneOn() || h_->c->state().ps.gAmpTuning)
            fail("a transmission did not stop");
        else if (h_->model.state.keyed)
            fail("keyed after every release and stop");
        else if (h_->c->state().ps.gControlMode == ControlMode::Remote && st().gSyncChar != "U")
            fail("gSyncChar keyed after every release and stop");
    }

    // The program closed, possibly while keyed by XMT or an amplifier tune.
    void shutdown() {
        if (chance(50)) request(h_->ui()->cmdXmit, &Requests::reqXmit, false);
        h_->c->form_queryUnload(0, 0);
        if (h_->model.state.keyed) fail("keyed after shutdown");
    }

    std::uint32_t seed_;
    int sequences_;
    std::mt19937 rng_;
    PanelHarness* h_ = nullptr;
    int seq_ = 0;
    std::string failure_;
    int outOfBandPasses_ = 0;
    bool inPtt_ = false;
    bool mouseDown_ = false;
    double releaseAt_ = 0;
    double frontPanelAt_ = 0;
    bool dsrDown_ = false;
    double dsrReleaseAt_ = 0;
    std::string xmitReturn_;
    size_t takenWhileOn_ = 0;
};

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

}  // namespace

void TestWindowTransmitSafety::randomKeyingKeepsTheRadioSafe() {
    const int sequences = envInt("TOLVANE_SAFETY_SEQUENCES", 2000);
    const int perBatch = std::min(100, std::max(1, sequences));
    const int replay = envInt("TOLVANE_SAFETY_SEED", -1);
    std::vector<std::uint32_t> seeds;
    if (replay >= 0) {
        seeds.push_back(static_cast<std::uint32_t>(replay));
    } else {
        for (int i = 0; i < (sequences + perBatch - 1) / perBatch; ++i)
            seeds.push_back(static_cast<std::uint32_t>(1000 + i));
    }
    for (std::uint32_t seed : seeds) {
        const std::string failure = Batch(seed, perBatch).run();
        if (!failure.empty()) qWarning("replay with TOLVANE_SAFETY_SEED=%u", seed);
        QVERIFY2(failure.empty(), failure.c_str());
    }
}

QTEST_MAIN(TestWindowTransmitSafety)
#include "test_window_transmit_safety.moc"
