// The band check: whether the panel may transmit on a frequency. A pure rule
// of the frequency text and the operator's permission; the status display
// calls it and enables the transmit controls accordingly.
#pragma once

#include <string_view>

namespace tolvane {

// True when transmitting on `freqText` is allowed: always with an
// unrestricted permission ("Permissions.txt" present); otherwise when the
// last seven characters (blanks around them ignored) are a frequency in
// 10 Hz inside an amateur transmit range or on a 60 m channel. "F" + seven
// digits qualifies that way. Text that is not a number is not allowed.
bool transmitAllowed(std::string_view freqText, bool unrestricted);

}  // namespace tolvane
