// The band scan of the Scan Bands window.
#include "tools/band_scan.h"

#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"
#include "tools/tune_verify.h"

namespace tolvane {

namespace {
constexpr double kPausePoll = 0.3;
constexpr double kWrapPause = 2.0;
}  // namespace

BandScan::BandScan(RadioLink& link, ToolHost& host, BandScanView& view)
    : link_(link), host_(host), view_(view) {}

bool BandScan::limitValid(std::int32_t tenHz) {
    return frequencyInRange(tenHz);
}

bool BandScan::radioWentLocal() {
    if (!host_.radioLocal()) return false;
    // A radio under its own front panel takes no frequency commands: the
    // scan stops and its window closes rather than stepping out of sight.
    local_ = true;
    stop_ = true;
    close_ = true;
    view_.HideScanWindow();
    return true;
}

void BandScan::run() {
    if (running_) return;
    running_ = true;
    local_ = false;
    try {
        Pass pass;
        do {
            pass = scanPass();
        } while (pass == Pass::Wrapped);
    } catch (...) {
        // A port that failed ends the scan; the window reports it.
        view_.setScanButtonEnabled(true);
        running_ = false;
        throw;
    }
    view_.setScanButtonEnabled(true);
    if (close_) view_.HideScanWindow();
    running_ = false;
    if (local_) view_.closeWindow();
}

BandScan::Pass BandScan::scanPass() {
    using Limit = BandScanView::Limit;
    stop_ = false;
    close_ = false;
    view_.setScanButtonEnabled(false);
    view_.clearLimitMarks();
    if (radioWentLocal()) return Pass::Ended;
    if (view_.limitText(Limit::Lower).empty()) return Pass::Ended;

    std::int32_t current = ParseScanFreq(view_.limitText(Limit::Lower));
    std::int32_t upper = ParseScanFreq(view_.limitText(Limit::Upper));
    if (!limitValid(current)) {
        view_.markLimitError(Limit::Lower);
        return Pass::Ended;
    }
    if (!limitValid(upper)) {
        view_.markLimitError(Limit::Upper);
        return Pass::Ended;
    }

    RadioState& st = link_.state();
    // A radio that reports local control while it is being tuned ends the
    // scan at once.
    const auto stopped = [this] { return stop_ || close_ || radioWentLocal(); };
    while (!stopped()) {
        while (paused_) {
            link_.Delay(kPausePoll);
            host_.yield();
            link_.gSendSync("U");
            if (close_) return Pass::Ended;
            if (radioWentLocal()) return Pass::Ended;
        }
        // Continue and Stop may both have been clicked in the last yield.
        if (stop_ || close_) return Pass::Ended;

        // The upper limit is read at every step, so a change applies at once.
        upper = ParseScanFreq(view_.limitText(Limit::Upper));
        if (!limitValid(upper)) {
            view_.markLimitError(Limit::Upper);
            return Pass::Ended;
        }
        if (upper < current) {
            host_.beep();
            link_.Delay(kWrapPause);
            current = ParseScanFreq(view_.limitText(Limit::Lower));
            if (limitValid(current)) return Pass::Wrapped;
            view_.markLimitError(Limit::Lower);
            return Pass::Ended;
        }

        const std::string command = scanCommand(current);
        current += step_;
        ++steps_;
        view_.showCommand(command + "0");
        if (tuneAndVerify(link_, host_, command, stopped) == TuneResult::Stopped)
            return Pass::Ended;
        if (st.gFreqReport == command) host_.ShowFreqDigits();

        // Stop, Pause, the options and the limit boxes are served here.
        link_.Delay(dwell_);
        host_.yield();
    }
    return Pass::Ended;
}

}  // namespace tolvane
