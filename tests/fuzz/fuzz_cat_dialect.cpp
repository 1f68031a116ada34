// The CAT dialect against a radio state: the input buffer framing receives
// into commands, the parser, and the answers built from the state.
// Input: byte 0 picks the digital preset; then the frequency report and the
// mode report the state holds, each ended by LF; the rest is what the
// station software sends, "\xfe" splitting it into separate receives.
#include <algorithm>

#include "cat/cat_dialect.h"
#include "fuzz_support.h"
#include "radio/protocol.h"

using namespace tolvane;
using namespace tolvane::cat;

namespace {

bool validAnswer(const std::string& a) {
    if (a.size() == 14 && a.starts_with("FA") && a.back() == ';')
        return protocol::isDigits(std::string_view(a).substr(2, 11), 11);
    return a.size() == 4 && a.starts_with("MD") &&
           std::string_view("1235A96").find(a[2]) != std::string_view::npos && a[3] == ';';
}

bool validRequest(const CatAction& r) {
    if (r.kind == CatAction::Kind::FreqSet)
        return protocol::isDigits(r.value, 7) && r.value >= kLowestFreq && r.value <= kHighestFreq;
    return r.kind == CatAction::Kind::ModeSet && r.value.size() == 2 && r.value[0] == 'M' &&
           r.value[1] >= '1' && r.value[1] <= '4';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kPresets[] = {"OFF", "PSK", "FSK", "RTTY", "", "psk", "OFF "};
    const std::string_view preset = kPresets[data[0] % 7];
    std::string_view rest = fuzz::bytes(data + 1, size - 1);
    auto line = [&rest]() {
        const size_t lf = std::min(rest.find('\n'), rest.size());
        const std::string_view l = rest.substr(0, lf);
        rest.remove_prefix(std::min(lf + 1, rest.size()));
        return l;
    };
    RadioState state;
    state.gFreqReport = protocol::fitField(line(), 8);
    state.gModeReport = protocol::fitField(line(), 2);

    CatInputBuffer input;
    std::vector<std::string> commands;
    std::string joined;
    size_t from = 0;
    while (from <= rest.size()) {
        const size_t mark = std::min(rest.find('\xfe', from), rest.size());
        const std::string_view receive = rest.substr(from, mark - from);
        joined.append(receive);
        for (std::string& c : input.feed(receive)) commands.push_back(std::move(c));
        fuzz::require(input.tail().size() <= CatInputBuffer::kCapacity, "bounded tail");
        from = mark + 1;
    }
    for (const std::string& c : commands) {
        fuzz::require(!c.empty() && c.find(';') == std::string::npos, "one command, no framing");
        if (std::optional<CatAction> action = parseCatCommand(c)) {
            if (action->isQuery()) {
                if (std::optional<std::string> answer = catAnswer(*action, state, preset))
                    fuzz::require(validAnswer(*answer), "answer shape");
            } else {
                fuzz::require(validRequest(*action), "request value");
            }
        }
    }

    // Split receives frame the same commands as one receive of the same
    // text, as long as no command is longer than the buffer holds.
    size_t longest = 0, run = 0;
    for (char c : joined) longest = std::max(longest, run = (c == ';' ? 0 : run + 1));
    CatInputBuffer once;
    if (longest <= CatInputBuffer::kCapacity)
        fuzz::require(once.feed(joined) == commands, "framing independent of receives");

    const CatResult served = serveCat(joined, state, preset);
    for (const std::string& a : served.answers)
        fuzz::require(validAnswer(a), "served answer shape");
    for (const CatAction& r : served.requests) fuzz::require(validRequest(r), "served request");
    return 0;
}
