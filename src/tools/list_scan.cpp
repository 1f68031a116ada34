// The frequency-list scan of the Scan Freq window.
#include "tools/list_scan.h"

#include "platform/numeric_value.h"
#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"
#include "tools/tune_verify.h"

namespace tolvane {

ListScan::ListScan(RadioLink& link, ToolHost& host, ListScanView& view)
    : link_(link), host_(host), view_(view) {}

void ListScan::requestStop() {
    if (delay_) view_.setDelayText(std::to_string(*delay_));
    stop_ = true;
}

void ListScan::run() {
    if (running_) return;
    running_ = true;
    stop_ = false;
    view_.showScanning(true);
    view_.showFrequencyError(false);
    for (int row = 0; row < static_cast<int>(kScanListRows); ++row) view_.paintRow(row, false);
    try {
        while (pass()) {
        }
    } catch (...) {
        // A port that failed ends the scan; the window reports it.
        view_.showScanning(false);
        running_ = false;
        throw;
    }
    view_.showScanning(false);
    if (delay_) view_.setDelayText(std::to_string(*delay_));
    running_ = false;
}

bool ListScan::pass() {
    link_.gSendSync("U");
    if (stop_) return false;
    // The delay and the ticks are taken afresh on every pass.
    if (numericValue(view_.delayText()) < 1) view_.setDelayText("1");
    delay_ = scanDelayValue(view_.delayText());
    bool anyTicked = false;
    for (int row = 0; row < static_cast<int>(kScanListRows); ++row)
        anyTicked = anyTicked || view_.rowTicked(row);
    if (!anyTicked) return false;
    for (int row = 0; row < static_cast<int>(kScanListRows); ++row) {
        if (stop_) return false;
        if (!view_.rowTicked(row)) continue;
        if (!visit(row)) return false;
    }
    return true;
}

bool ListScan::visit(int row) {
    RadioState& st = link_.state();
    Clock& clock = link_.clock();
    view_.paintRow(row, true);
    const ListRow texts = view_.rowTexts(row);
    if (texts.freq.empty()) return false;  // the row stays red
    const std::optional<std::string> command = listRowCommand(texts.freq);
    const std::string mode = modeCodeFor(texts.mode, st.gModeReport, true);
    if (!command || !isFrequencyCommand(*command)) {
        view_.showFrequencyError(true);
        return false;
    }
    ++visits_;
    host_.setInfoLabel(texts.info);
    if (st.gModeReport != mode) link_.SetMode(mode);
    const auto stopped = [this] { return stop_; };
    if (tuneAndVerify(link_, host_, *command, stopped) == TuneResult::Stopped) return false;
    if (st.gFreqReport == *command) host_.ShowFreqDigits();

    // The dwell: the delay box counts the whole seconds passed, the window
    // is served and the heartbeat kept up.
    double t1 = clock.now();
    for (;;) {
        const double now = clock.now();
        t1 = midnightCorrected(t1, now);
        if (now - t1 >= *delay_) break;
        view_.setDelayText(std::to_string(static_cast<int>(now - t1)));
        host_.yield();
        if (stop_) return false;
        link_.gSendSync("U");
        // The read waits for the radio's answer (up to 0.8 s, on a closed
        // port as well), so the dwell does not spin.
        link_.ReadRadio();
    }
    view_.setDelayText(std::to_string(*delay_));
    view_.paintRow(row, false);
    return true;
}

}  // namespace tolvane
