// The PTT-enable interlock decision.
#include "radio/ptt_interlock.h"

namespace tolvane {

PttInterlockDecision decidePttInterlock(bool allowed, const std::string& pttEnReport,
                                        const PttInterlockMemory& memory) {
    const char* wanted = allowed ? "'1" : "'0";
    const char* against = allowed ? "'0" : "'1";
    PttInterlockDecision d;
    // In line with the permission, or a report the interlock cannot act on:
    // nothing to send, and whatever was outstanding is settled.
    if (pttEnReport == wanted || pttEnReport != against) return d;
    // The radio disagrees. A new permission or a new report gets one toggle.
    if (!memory.outstanding || memory.allowed != allowed || memory.report != pttEnReport) {
        d.toggle = true;
        d.memory.outstanding = true;
        d.memory.allowed = allowed;
        d.memory.report = pttEnReport;
        return d;
    }
    // Same permission, same report: the radio has not followed the toggle.
    d.memory = memory;
    if (d.memory.warned) return d;
    ++d.memory.passes;
    if (d.memory.passes >= kPttInterlockPasses) {
        d.memory.warned = true;
        d.warning =
            allowed ? "Radio did not switch PTT enable on" : "Radio did not switch PTT enable off";
    }
    return d;
}

}  // namespace tolvane
