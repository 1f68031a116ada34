// Helpers of the transmit and amplifier window tests: a panel under remote
// control in the main loop, and the writes the panel made with their times.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <vector>

#include "tuning_helpers.h"

namespace tolvane::test {

// A panel under remote control in the main loop, the radio on `freq`.
struct Keying {
    explicit Keying(Firmware fw = Firmware::V601, const std::string& freq = "0705000", int mode = 1)
        : h(fw, true) {
        h.model.state.freq = freq;
        h.model.state.mode = mode;
        ok = h.runPasses(3) && rowOf(h.form->cmdF) == freq;
        h.runFor(0.5);
        mark = h.radio.writes().size();
        beeps = h.shell.beeps;
    }
    // Split on, transmitting on VFO B at `vfoB` in VFO A's mode.
    bool splitOn(const std::string& vfoB) {
        setRow(h.form->cmdVFOB, vfoB);
        vb::setCaption(h.ui()->cmbVFOBMode, h.cap(h.ui()->cmbMode));
        QTest::mouseClick(h.form->optTXVFO[1], Qt::LeftButton);
        h.runFor(0.3);
        mark = h.radio.writes().size();
        return h.cap(h.ui()->lblSplit) == "Split On";
    }
    // Every write since the mark (heartbeat characters included).
    std::vector<FakePort::Write> written() const {
        const auto& w = h.radio.writes();
        return {w.begin() + static_cast<long>(mark), w.end()};
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const FakePort::Write& w : written()) out.push_back(w.text);
        return out;
    }
    // Clicks a button and lets the loop serve the request.
    void click(QPushButton* b, double seconds = 1.0) {
        QTest::mouseClick(b, Qt::LeftButton);
        h.runFor(seconds);
    }
    // Holds cmdPTT until `seconds` of virtual time have passed inside the
    // transmission, then lets it go; returns once the handler returned.
    void holdPtt(double seconds) {
        const double end = h.clock.elapsed() + seconds;
        holdUntil(h, h.ui()->cmdPTT, Qt::LeftButton, [&] { return h.clock.elapsed() >= end; });
    }
    bool keyed() const { return h.model.state.keyed; }
    std::string info() { return h.cap(h.ui()->txtInfo); }

    PanelHarness h;
    bool ok = false;
    size_t mark = 0;
    int beeps = 0;
};

// Index of the first write `text` at or after `from`; -1 when none.
inline long findWrite(const std::vector<FakePort::Write>& w, const std::string& text,
                      long from = 0) {
    for (long i = from; i < static_cast<long>(w.size()); ++i)
        if (w[static_cast<size_t>(i)].text == text) return i;
    return -1;
}

}  // namespace tolvane::test
