// The CAT dialect: the Kenwood-style commands that station software sends on
// the CAT port, as one table of command shapes, the framing of the received
// text into ";"-terminated commands, and the answers built from the radio
// state record. Pure functions: no port, no clock, no window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/radio_state.h"

namespace tolvane::cat {

// What one understood command asks for.
struct CatAction {
    enum class Kind {
        FreqQuery,  // "FA": answer the frequency
        FreqSet,    // "FA000" + digits: tune the radio; value = seven digits, 10 Hz units
        ModeQuery,  // "MD": answer the mode digit
        ModeSet,    // "MD" + digit: change the mode; value = radio mode code "M1".."M4"
        // The TS-2000 compatible answers (only when they are turned on):
        IdQuery,        // "ID": the radio's identity
        StatusQuery,    // "IF": the 38-character status
        VfoBQuery,      // "FB": the VFO B frequency
        RxVfoQuery,     // "FR": the receive VFO
        TxVfoQuery,     // "FT": the transmit VFO
        AutoInfoQuery,  // "AI": automatic information (always off)
        PowerQuery,     // "PS": power status
        PttSet,         // "TX" / "RX": key or unkey through XMT; value "1" or "0"
    };
    Kind kind;
    std::string value;

    bool isQuery() const {
        return kind != Kind::FreqSet && kind != Kind::ModeSet && kind != Kind::PttSet;
    }
    friend bool operator==(const CatAction&, const CatAction&) = default;
};

// One command shape of the dialect: the command (without its ";") starts
// with `prefix`, compared exactly and case-sensitively, and is followed by
// `minRest`..`maxRest` characters that `argument` turns into the action's
// value (no value: the command is ignored).
struct CatShape {
    std::string_view name;
    std::string_view prefix;
    size_t minRest;
    size_t maxRest;
    CatAction::Kind kind;
    std::optional<std::string> (*argument)(std::string_view rest);
};
// The whole dialect. Anything that fits no row is ignored without an answer.
extern const std::array<CatShape, 4> kCatShapes;

// CAT mode digit <-> radio mode code: the mode table of the radio layer
// (mapping::kModes) answers the mode query (code -> digit) and serves the
// mode set (digit -> code).

// Answer digit of the mode query for each digital preset of the panel.
struct CatDigitalDigit {
    std::string_view preset;
    char digit;
};
extern const std::array<CatDigitalDigit, 3> kCatDigitalDigits;
// The preset text meaning "no digital mode": the answer follows the radio mode.
constexpr std::string_view kDigitalOff = "OFF";

// The radio's tuning range as the seven-digit frequency text (10 Hz units).
constexpr std::string_view kLowestFreq = "0160000";
constexpr std::string_view kHighestFreq = "2999999";

// Radio mode code for a CAT digit ("1" -> "M2"); nothing for undefined digits.
std::optional<std::string> modeCodeForDigit(char digit);
// CAT answer digit for the radio mode report and the digital preset text.
// A preset of "OFF", or a text that is none of the known presets, follows the
// mode report; a mode report outside the table gives nothing.
std::optional<char> answerDigit(std::string_view modeReport, std::string_view digitalPreset);

// The TS-2000 commands answered beside the dialect when the operator turns
// the compatible answers on; the dialect's own rows are tried first.
extern const std::array<CatShape, 9> kTs2000Shapes;

// The action of one command (text between two ";", without them), or nothing
// when the command fits no shape. `ts2000` adds the TS-2000 rows.
std::optional<CatAction> parseCatCommand(std::string_view command, bool ts2000 = false);

// The answer to a query from the current radio state, or nothing when the
// state holds no valid value to report (no answer is then written). Set
// actions have no answer.
std::optional<std::string> catAnswer(const CatAction& action, const RadioState& state,
                                     std::string_view digitalPreset);

// Frames the received text into commands. A receive may end in the middle of
// a command (a 14-character frequency set at 4800 baud comes in two receive
// events): the unfinished tail is kept and completed by the next receive, so
// every complete command is delivered exactly once.
//
// The tail is bounded: when an unfinished command is still longer than
// kCapacity characters at the end of a receive, the whole tail is thrown
// away (no command of the dialect is anywhere near that long); whatever
// follows is framed afresh and ends at the next ";" as usual. A command
// that is completed but longer than kCapacity is dropped the same way.
class CatInputBuffer {
  public:
    static constexpr size_t kCapacity = 4096;

    // Adds one receive; returns the commands it completed, in order. Empty
    // commands (";;") are skipped.
    std::vector<std::string> feed(std::string_view received);
    const std::string& tail() const { return tail_; }
    void clear() { tail_.clear(); }

  private:
    std::string tail_;
};

// The commands of a receive as actions in order; commands that fit no shape
// are left out.
std::vector<CatAction> parseCatInput(CatInputBuffer& input, std::string_view received,
                                     bool ts2000 = false);

// What serving a receive produces: the answers for the CAT port, each written
// on its own, and the set requests for the radio, both in command order.
struct CatResult {
    std::vector<std::string> answers;
    std::vector<CatAction> requests;
};
// Serves a receive against a radio state that does not change meanwhile
// (queries after a set in the same receive answer the state as given). The
// bridge applies the actions one by one instead, so that a query after a set
// sees the radio's answer to the set.
CatResult serveCat(CatInputBuffer& input, std::string_view received, const RadioState& state,
                   std::string_view digitalPreset);
// The same without a carried tail: text after the last ";" is not served.
CatResult serveCat(std::string_view received, const RadioState& state,
                   std::string_view digitalPreset);

}  // namespace tolvane::cat
