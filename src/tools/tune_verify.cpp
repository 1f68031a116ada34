// Tuning the radio from a scan and waiting until it reports the frequency.
#include "tools/tune_verify.h"

#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"

namespace tolvane {

TuneResult tuneAndVerify(RadioLink& link, ToolHost& host, const std::string& command,
                         const std::function<bool()>& stopped) {
    RadioState& st = link.state();
    Clock& clock = link.clock();
    for (int attempt = 1;; ++attempt) {
        st.gFreqReportNew = false;
        double t0 = clock.now();
        link.SendRadioCmd(command, true, 0.1);
        for (;;) {
            const double now = clock.now();
            t0 = midnightCorrected(t0, now);
            if (st.gFreqReportNew || now - t0 >= kTuneAnswerSeconds) break;
            link.ReadRadio();
            if (stopped()) return TuneResult::Stopped;
        }
        if (!st.gFreqReportNew) {
            link.SendRadioCmd("?", true, 0.4);
            link.ReadRadio();
        }
        if (st.gFreqReport == command && st.gFreqReportOk) return TuneResult::Agreed;
        if (attempt >= kTuneTries) {
            link.ReportError("Radio did not tune to " + reportMHz(command));
            return TuneResult::NotConfirmed;
        }
        // Stop and the window's other controls are served between the tries.
        host.yield();
        if (stopped()) return TuneResult::Stopped;
    }
}

}  // namespace tolvane
