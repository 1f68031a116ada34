// The CAT dialect: command shapes, mode digits, framing and answers.
#include "cat/cat_dialect.h"

#include "radio/mappings.h"
#include "radio/protocol.h"

namespace tolvane::cat {

namespace {

std::optional<std::string> noArgument(std::string_view) {
    return std::string();
}

// "FA000" is followed by the frequency in Hz below 100 MHz without its three
// leading zeros: seven digits in 10 Hz units and, usually, the 1 Hz digit,
// which the radio cannot take and which is dropped. Only the radio's tuning
// range is accepted.
std::optional<std::string> frequencyArgument(std::string_view rest) {
    if (!protocol::isDigits(rest, rest.size())) return std::nullopt;
    std::string_view freq = rest.substr(0, 7);
    if (freq < kLowestFreq || freq > kHighestFreq) return std::nullopt;
    return std::string(freq);
}

std::optional<std::string> modeArgument(std::string_view rest) {
    return modeCodeForDigit(rest[0]);
}

std::optional<std::string> unkeyArgument(std::string_view) {
    return std::string("0");
}
// "TX0" (microphone), "TX1" (data) and "TX2" key like "TX".
std::optional<std::string> transmitArgument(std::string_view rest) {
    if (rest.empty() || (rest.size() == 1 && rest[0] >= '0' && rest[0] <= '2'))
        return std::string("1");
    return std::nullopt;
}

}  // namespace

const std::array<CatShape, 4> kCatShapes = {{
    {"frequency query", "FA", 0, 0, CatAction::Kind::FreqQuery, noArgument},
    {"frequency set", "FA000", 7, 8, CatAction::Kind::FreqSet, frequencyArgument},
    {"mode query", "MD", 0, 0, CatAction::Kind::ModeQuery, noArgument},
    {"mode set", "MD", 1, 1, CatAction::Kind::ModeSet, modeArgument},
}};

const std::array<CatShape, 9> kTs2000Shapes = {{
    {"identity query", "ID", 0, 0, CatAction::Kind::IdQuery, noArgument},
    {"status query", "IF", 0, 0, CatAction::Kind::StatusQuery, noArgument},
    {"VFO B query", "FB", 0, 0, CatAction::Kind::VfoBQuery, noArgument},
    {"receive VFO query", "FR", 0, 0, CatAction::Kind::RxVfoQuery, noArgument},
    {"transmit VFO query", "FT", 0, 0, CatAction::Kind::TxVfoQuery, noArgument},
    {"auto information query", "AI", 0, 0, CatAction::Kind::AutoInfoQuery, noArgument},
    {"power query", "PS", 0, 0, CatAction::Kind::PowerQuery, noArgument},
    {"transmit", "TX", 0, 1, CatAction::Kind::PttSet, transmitArgument},
    {"receive", "RX", 0, 0, CatAction::Kind::PttSet, unkeyArgument},
}};

const std::array<CatDigitalDigit, 3> kCatDigitalDigits = {{
    {"PSK", 'A'},
    {"FSK", '9'},
    {"RTTY", '6'},
}};

std::optional<std::string> modeCodeForDigit(char digit) {
    if (auto code = mapping::modeOfCatDigit(digit)) return std::string(*code);
    return std::nullopt;
}

std::optional<char> answerDigit(std::string_view modeReport, std::string_view digitalPreset) {
    if (digitalPreset != kDigitalOff) {
        for (const CatDigitalDigit& d : kCatDigitalDigits)
            if (d.preset == digitalPreset) return d.digit;
        // A preset text the panel does not offer: answer the radio mode.
    }
    return mapping::catDigitOfMode(modeReport);
}

namespace {

template <std::size_t N>
std::optional<CatAction> matchShape(const std::array<CatShape, N>& shapes,
                                    std::string_view command) {
    for (const CatShape& shape : shapes) {
        if (!command.starts_with(shape.prefix)) continue;
        std::string_view rest = command.substr(shape.prefix.size());
        if (rest.size() < shape.minRest || rest.size() > shape.maxRest) continue;
        if (std::optional<std::string> value = shape.argument(rest))
            return CatAction{shape.kind, std::move(*value)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<CatAction> parseCatCommand(std::string_view command, bool ts2000) {
    if (std::optional<CatAction> action = matchShape(kCatShapes, command)) return action;
    if (ts2000) return matchShape(kTs2000Shapes, command);
    return std::nullopt;
}

std::optional<std::string> catAnswer(const CatAction& action, const RadioState& state,
                                     std::string_view digitalPreset) {
    switch (action.kind) {
        case CatAction::Kind::FreqQuery:
            // Before the first frequency report the record holds blanks: no answer.
            if (!protocol::isFreqReport(state.gFreqReport)) return std::nullopt;
            return "FA000" + state.gFreqReport.substr(1, 7) + "0;";
        case CatAction::Kind::ModeQuery:
            if (std::optional<char> digit = answerDigit(state.gModeReport, digitalPreset))
                return std::string("MD") + *digit + ";";
            return std::nullopt;
        default:
            // Sets have no answer; the TS-2000 queries answer from the panel
            // snapshot (ts2000Answer).
            break;
    }
    return std::nullopt;
}

std::vector<std::string> CatInputBuffer::feed(std::string_view received) {
    std::vector<std::string> commands;
    size_t pos = 0;
    for (;;) {
        size_t p = received.find(';', pos);
        if (p == std::string_view::npos) break;
        std::string_view piece = received.substr(pos, p - pos);
        size_t length = tail_.size() + piece.size();
        // Empty commands are skipped; over-long ones fit no shape and are not kept.
        if (length > 0 && length <= kCapacity) {
            tail_.append(piece);
            commands.push_back(std::move(tail_));
        }
        tail_.clear();
        pos = p + 1;
    }
    std::string_view rest = received.substr(pos);
    if (tail_.size() + rest.size() > kCapacity) {
        // No command is that long: the unfinished text is dropped.
        tail_.clear();
    } else {
        tail_.append(rest);
    }
    return commands;
}

std::vector<CatAction> parseCatInput(CatInputBuffer& input, std::string_view received,
                                     bool ts2000) {
    std::vector<CatAction> actions;
    for (const std::string& command : input.feed(received))
        if (std::optional<CatAction> action = parseCatCommand(command, ts2000))
            actions.push_back(std::move(*action));
    return actions;
}

CatResult serveCat(CatInputBuffer& input, std::string_view received, const RadioState& state,
                   std::string_view digitalPreset) {
    CatResult result;
    for (CatAction& action : parseCatInput(input, received)) {
        if (action.isQuery()) {
            if (std::optional<std::string> answer = catAnswer(action, state, digitalPreset))
                result.answers.push_back(std::move(*answer));
        } else {
            result.requests.push_back(std::move(action));
        }
    }
    return result;
}

CatResult serveCat(std::string_view received, const RadioState& state,
                   std::string_view digitalPreset) {
    CatInputBuffer input;
    return serveCat(input, received, state, digitalPreset);
}

}  // namespace tolvane::cat
