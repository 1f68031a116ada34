// The termios port's PARMRK decoder: a marked byte stream decoded in two
// pieces (the cut chosen by the input) gives the same characters and events
// as decoded at once, the carry never grows beyond an unfinished mark, and
// a break is reported only for a break the driver counted.
// Input: byte 0 picks the replacement character, NUL discarding and the
// counted breaks, byte 1 the cut; the rest is the stream as read from the
// device.
#include <algorithm>

#include "fuzz_support.h"
#include "platform/posix_serial_port.h"

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const char replace = (data[0] & 1) != 0 ? ':' : '\0';
    const bool discardNull = (data[0] & 2) != 0;
    const int counted = data[0] >> 2;
    const std::string_view raw = fuzz::bytes(data + 2, size - 2);
    const size_t cut = raw.empty() ? 0 : data[1] % (raw.size() + 1);

    std::string carry;
    int breaks = counted;
    MarkedDecode whole;
    decodeMarked(raw, carry, replace, discardNull, breaks, whole);
    fuzz::require(carry.size() <= 2, "carry holds at most an unfinished mark");
    fuzz::require(whole.chars.size() <= raw.size(), "no more characters than bytes");
    const auto reported = std::count(whole.events.begin(), whole.events.end(), comm::kErBreak);
    fuzz::require(breaks >= 0 && reported == counted - breaks,
                  "each break reported takes one counted break");

    std::string carry2;
    int breaks2 = counted;
    MarkedDecode parts;
    decodeMarked(raw.substr(0, cut), carry2, replace, discardNull, breaks2, parts);
    decodeMarked(raw.substr(cut), carry2, replace, discardNull, breaks2, parts);
    fuzz::require(parts.chars == whole.chars, "same characters in pieces");
    fuzz::require(parts.events == whole.events, "same events in pieces");
    fuzz::require(carry2 == carry, "same carry in pieces");
    fuzz::require(breaks2 == breaks, "same breaks left in pieces");
    return 0;
}
