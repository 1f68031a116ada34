// The PTT-enable interlock of the band check: the radio's own PTT enable is
// held on while transmitting is allowed and off while it is not. The choice
// is a pure function of the permission, the radio's PTT-enable report and
// what the interlock remembers of its last toggle; the status display sends
// the toggle and shows the warning.
//
// A toggle goes out once per change of the permission or of the report. A
// radio that does not follow (one under its front panel's control, say) is
// not toggled again on every pass: after kPttInterlockPasses further band
// checks the operator is told once, and the interlock waits for the report
// or the permission to change. That matters doubly on the v601 firmware,
// whose toggle flips whatever the radio has.
#pragma once

#include <string>

namespace tolvane {

struct PttInterlockMemory {
    bool outstanding = false;  // a toggle went out and the radio has not followed yet
    bool allowed = false;      // the permission the toggle was sent for
    std::string report;        // the PTT-enable report it was sent against
    int passes = 0;            // band checks since, with the radio not following
    bool warned = false;       // the operator has been told

    bool operator==(const PttInterlockMemory&) const = default;
};

struct PttInterlockDecision {
    bool toggle = false;        // send the PTT-enable toggle now
    std::string warning;        // text for the information line; empty for none
    PttInterlockMemory memory;  // what to remember for the next band check
};

// Band checks after a toggle that the radio gets to follow before the
// operator is told.
constexpr int kPttInterlockPasses = 2;

// `allowed`: transmitting is allowed on the transmit frequency; `pttEnReport`:
// the radio's last PTT-enable report ("'0", "'1", or anything else while it
// is not known).
PttInterlockDecision decidePttInterlock(bool allowed, const std::string& pttEnReport,
                                        const PttInterlockMemory& memory);

}  // namespace tolvane
