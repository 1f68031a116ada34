// TS-2000 compatible answers built from the panel's snapshot.
#include "cat/cat_ts2000.h"

#include "radio/protocol.h"

namespace tolvane::cat {

namespace {

// Eleven digits in Hz from seven digits in 10 Hz units.
std::optional<std::string> hz11(std::string_view digits) {
    if (!protocol::isDigits(digits, 7)) return std::nullopt;
    return "000" + std::string(digits) + "0";
}

}  // namespace

std::optional<std::string> ts2000Status(const RigSnapshot& s) {
    if (!protocol::isFreqReport(s.freqReport)) return std::nullopt;
    std::optional<char> mode = answerDigit(s.modeReport, s.digitalPreset);
    if (!mode) return std::nullopt;
    std::string out = "IF" + *hz11(std::string_view(s.freqReport).substr(1));
    out += "     ";  // step
    out += "+0000";  // RIT/XIT offset
    out += "00";     // RIT, XIT off
    out += "000";    // memory bank and channel
    out += s.keyed ? '1' : '0';
    out += *mode;
    out += '0';  // receiving on VFO A
    out += '0';  // no scan
    out += s.split ? '1' : '0';
    out += "000";  // no tone, tone number 00
    out += '0';    // no shift
    out += ';';
    return out;
}

std::optional<std::string> ts2000Answer(const CatAction& action, const RigSnapshot& s) {
    using Kind = CatAction::Kind;
    switch (action.kind) {
        case Kind::IdQuery:
            return std::string(kTs2000Id);
        case Kind::StatusQuery:
            return ts2000Status(s);
        case Kind::VfoBQuery:
            if (std::optional<std::string> hz = hz11(s.vfoB)) return "FB" + *hz + ";";
            return std::nullopt;
        case Kind::RxVfoQuery:
            return std::string("FR0;");
        case Kind::TxVfoQuery:
            return std::string(s.split ? "FT1;" : "FT0;");
        case Kind::AutoInfoQuery:
            return std::string("AI0;");
        case Kind::PowerQuery:
            return std::string("PS1;");
        default:
            return std::nullopt;
    }
}

}  // namespace tolvane::cat
