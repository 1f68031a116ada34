// Line settings on a terminal device: raw mode with break and parity
// marking, then a read-back of what the device took.
//
// A driver may quietly keep a setting it cannot do (and the C library then
// reports EINVAL or nothing at all, depending on what else changed), so the
// result is judged by reading the settings back. A pseudo-terminal has no
// line: the kernel always keeps it at 8 data bits without parity. It carries
// whole characters between its two ends whatever framing either end asks
// for, so on a pseudo-terminal the character size and parity are taken as
// set (the far end plays the line, as tolvane-sim does); everything else
// must hold there too.
#pragma once

#include <string>

#include "platform/serial_port.h"

namespace tolvane {

struct LineApplyResult {
    int err = 0;          // errno of a failing call, 0 when the calls went through
    std::string refused;  // the settings the device did not take ("parity odd, 7 data bits")
    bool ok() const { return err == 0 && refused.empty(); }
};

LineApplyResult applyLineSettings(int fd, const LineSettings& line, FlowControl flow);

// True when the descriptor is a pseudo-terminal (devpts).
bool isPseudoTerminal(int fd);

// "none", "odd", "even", "mark", "space".
const char* parityName(Parity parity);

}  // namespace tolvane
