// The band check as a table of ranges.
#include "radio/band_rule.h"

#include <array>
#include <string>

namespace tolvane {

namespace {

// Amateur transmit ranges in Hz, both ends included, and the 60 m channels.
struct Range {
    long from, to;
};
constexpr std::array<Range, 9> kBands = {{{1800000, 2000000},
                                          {3500000, 4000000},
                                          {7000000, 7300000},
                                          {10100000, 10150000},
                                          {14000000, 14350000},
                                          {18068000, 18168000},
                                          {21000000, 21450000},
                                          {24890000, 24990000},
                                          {28000000, 29700000}}};
constexpr std::array<long, 5> kChannels60m = {5330500, 5346500, 5357000, 5371500, 5403500};

}  // namespace

bool transmitAllowed(std::string_view text, bool unrestricted) {
    if (unrestricted) return true;
    std::string_view last = text.size() > 7 ? text.substr(text.size() - 7) : text;
    size_t b = last.find_first_not_of(' ');
    size_t e = last.find_last_not_of(' ');
    if (b == std::string_view::npos) return false;
    last = last.substr(b, e - b + 1);
    if (last.empty() || last.size() > 7) return false;
    for (char c : last)
        if (c < '0' || c > '9') return false;  // not a number: not allowed
    long hz = std::stol(std::string(last)) * 10;
    for (long ch : kChannels60m)
        if (hz == ch) return true;
    for (const Range& r : kBands)
        if (hz >= r.from && hz <= r.to) return true;
    return false;
}

}  // namespace tolvane
