// The rigctld protocol: command table, parsing, answers and set requests.
#include "cat/rigctl_protocol.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "cat/cat_dialect.h"
#include "radio/protocol.h"

namespace tolvane::cat::rigctl {

namespace {

// Passbands the endpoint reports: the radio has one filter per mode and no
// filter command, so a passband asked for is taken and left as it is.
constexpr int kSsbPassband = 2400;

const std::array<HamlibMode, 7> kModeRows = {{
    {"USB", "M1", "", 0x4, kSsbPassband},
    {"LSB", "M2", "", 0x8, kSsbPassband},
    {"AM", "M3", "", 0x1, 6000},
    {"CW", "M4", "", 0x2, 500},
    {"PKTUSB", "M1", "PSK", 0x800, kSsbPassband},
    {"PKTLSB", "M2", "PSK", 0x400, kSsbPassband},
    {"RTTY", "M2", "RTTY", 0x10, kSsbPassband},
}};

// Which Hamlib digital mode each of the panel's digital presets reads back
// as, per sideband ("" where the preset has no Hamlib name).
struct PresetNames {
    std::string_view preset;
    std::string_view usb;
    std::string_view lsb;
};
const std::array<PresetNames, 3> kPresetNames = {{
    {"PSK", "PKTUSB", "PKTLSB"},
    {"FSK", "RTTY", "RTTY"},
    {"RTTY", "RTTY", "RTTY"},
}};

const std::array<CommandRow, 23> kCommandRows = {{
    {'f', "get_freq", 0, Op::GetFreq, {"Frequency"}},
    {'F', "set_freq", 1, Op::SetFreq, {}},
    {'m', "get_mode", 0, Op::GetMode, {"Mode", "Passband"}},
    {'M', "set_mode", 2, Op::SetMode, {}},
    {'v', "get_vfo", 0, Op::GetVfo, {"VFO"}},
    {'V', "set_vfo", 1, Op::SetVfo, {}},
    {'i', "get_split_freq", 0, Op::GetSplitFreq, {"TX Frequency"}},
    {'I', "set_split_freq", 1, Op::SetSplitFreq, {}},
    {'s', "get_split_vfo", 0, Op::GetSplitVfo, {"Split", "TX VFO"}},
    {'S', "set_split_vfo", 2, Op::SetSplitVfo, {}},
    {'x', "get_split_mode", 0, Op::GetSplitMode, {"TX Mode", "TX Passband"}},
    {'X', "set_split_mode", 2, Op::SetSplitMode, {}},
    {'t', "get_ptt", 0, Op::GetPtt, {"PTT"}},
    {'T', "set_ptt", 1, Op::SetPtt, {}},
    {'l', "get_level", 1, Op::GetLevel, {""}},
    {'_', "get_info", 0, Op::GetInfo, {"Info"}},
    {0, "get_powerstat", 0, Op::GetPowerstat, {"Power Status"}},
    {0, "chk_vfo", 0, Op::ChkVfo, {"ChkVFO"}},
    {0, "get_lock_mode", 0, Op::GetLockMode, {"Locked"}},
    {0, "dump_state", 0, Op::DumpState, {}},
    {'1', "dump_caps", 0, Op::DumpCaps, {}},
    {0, "get_vfo_info", 1, Op::GetVfoInfo, {"Freq", "Mode", "Width", "Split", "SatMode"}},
    {'q', "quit", 0, Op::Quit, {}},
}};

// VFO names Hamlib clients use for the panel's two VFOs. "currVFO" and "VFO"
// name the VFO the connection addresses; "TX" the transmit VFO.
std::optional<RigVfo> vfoNamed(std::string_view name, const RigSnapshot& snapshot,
                               const Session& session) {
    if (name == "VFOA" || name == "Main" || name == "RX") return RigVfo::A;
    if (name == "VFOB" || name == "Sub") return RigVfo::B;
    if (name == "currVFO" || name == "VFO") return session.vfo;
    if (name == "TX") return snapshot.split ? RigVfo::B : RigVfo::A;
    return std::nullopt;
}

std::string_view vfoName(RigVfo vfo) {
    return vfo == RigVfo::A ? "VFOA" : "VFOB";
}

std::optional<long long> integerArgument(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

Evaluation failed(int code) {
    Evaluation e;
    e.code = code;
    return e;
}

Evaluation values(std::vector<std::string> v) {
    Evaluation e;
    e.values = std::move(v);
    return e;
}

Evaluation requested(RigRequest request) {
    Evaluation e;
    e.request = std::move(request);
    return e;
}

// Frequency of a VFO as Hamlib answers it (Hz, integer).
Evaluation frequencyOf(RigVfo vfo, const RigSnapshot& s) {
    std::optional<long long> hz;
    if (vfo == RigVfo::A) {
        if (protocol::isFreqReport(s.freqReport)) hz = frequencyHz(s.freqReport.substr(1));
    } else {
        hz = frequencyHz(s.vfoB);
    }
    if (!hz) return failed(kIoError);  // nothing reported yet
    return values({std::to_string(*hz)});
}

Evaluation modeOf(RigVfo vfo, const RigSnapshot& s) {
    const HamlibMode* mode =
        readBackMode(vfo == RigVfo::A ? s.modeReport : s.vfoBMode, s.digitalPreset);
    if (mode == nullptr) return failed(kIoError);
    return values({std::string(mode->name), std::to_string(mode->passband)});
}

Evaluation setFrequency(RigVfo vfo, std::string_view text) {
    std::optional<std::string> digits = frequencyDigits(text);
    if (!digits) return failed(kInvalid);
    RigRequest r;
    r.kind = RigRequest::Kind::Frequency;
    r.vfo = vfo;
    r.freq = *digits;
    return requested(std::move(r));
}

// A mode set. The passband is taken when it is a whole number and otherwise
// left alone (the radio has no filter command). On VFO A the digital preset
// follows the name: a Hamlib digital mode chooses its preset, unless the
// preset chosen already reads back as that mode; a plain mode turns the
// preset off. VFO B keeps only a mode code.
Evaluation setMode(RigVfo vfo, std::string_view name, std::string_view passband,
                   const RigSnapshot& s) {
    const HamlibMode* mode = findHamlibMode(name);
    if (mode == nullptr || !integerArgument(passband)) return failed(kInvalid);
    RigRequest r;
    r.kind = RigRequest::Kind::Mode;
    r.vfo = vfo;
    r.modeCode = std::string(mode->code);
    if (vfo == RigVfo::A) {
        if (readBackMode(s.modeReport, s.digitalPreset) == mode) {
            r.modeCode = s.modeReport;  // already there: "RTTY" stays on its sideband
        } else {
            std::string_view wanted = mode->preset.empty() ? kDigitalOff : mode->preset;
            const HamlibMode* withCurrent = readBackMode(mode->code, s.digitalPreset);
            if (withCurrent != mode && s.digitalPreset != wanted)
                r.digitalPreset = std::string(wanted);
        }
    }
    return requested(std::move(r));
}

Evaluation getLevel(std::string_view level, const RigSnapshot& s) {
    if (level == "?") {
        Evaluation e = values({"STRENGTH \n"});
        e.rawText = true;
        return e;
    }
    if (level != "STRENGTH") return failed(kNotAvailable);
    std::optional<int> db = strengthDb(s);
    if (!db) return failed(kNotAvailable);  // the meter does not show signal strength now
    return values({std::to_string(*db)});
}

Evaluation modeList() {
    std::string list;
    // Hamlib lists modes in the order of their bits.
    for (std::uint64_t bit = 1; bit != 0; bit <<= 1)
        for (const HamlibMode& m : kModeRows)
            if (m.bit == bit) list.append(m.name).append(" ");
    Evaluation e = values({list + "\n"});
    e.rawText = true;
    return e;
}

}  // namespace

const std::span<const HamlibMode> kHamlibModes{kModeRows};
const std::span<const CommandRow> kCommands{kCommandRows};

int codeFor(RigStatus status) {
    switch (status) {
        case RigStatus::Queued:
            return kOk;
        case RigStatus::Rejected:
            return kRejected;
        case RigStatus::NoRadio:
            return kIoError;
        case RigStatus::NotAvailable:
            return kNotAvailable;
    }
    return kNotAvailable;
}

const HamlibMode* findHamlibMode(std::string_view name) {
    for (const HamlibMode& m : kModeRows)
        if (m.name == name) return &m;
    return nullptr;
}

const HamlibMode* readBackMode(std::string_view code, std::string_view preset) {
    std::string_view name;
    for (const PresetNames& p : kPresetNames)
        if (p.preset == preset) name = code == "M1" ? p.usb : code == "M2" ? p.lsb : "";
    for (const HamlibMode& m : kModeRows)
        if (name.empty() ? (m.code == code && m.preset.empty()) : m.name == name) return &m;
    return nullptr;
}

std::uint64_t modeMask() {
    std::uint64_t mask = 0;
    for (const HamlibMode& m : kModeRows) mask |= m.bit;
    return mask;
}

std::optional<int> strengthDb(const RigSnapshot& s) {
    bool sMeterScale = s.meterReport == "D4" || s.meterReport == "D5" || s.meterReport == "D6";
    if (!sMeterScale || s.keyed || !s.meterValue) return std::nullopt;
    double v = *s.meterValue;
    if (v < 0 || v > 21) return std::nullopt;
    // The S-meter caption spreads its markings over the bar's 0..21: the
    // centres of "S3", "S6", "S9", "+30" and "+60" in the 38-character
    // caption, in bar units, with their dB over S9. Outside the markings
    // the nearest segment is carried on.
    struct Mark {
        double bar;
        double db;
    };
    constexpr std::array<Mark, 5> kMarks = {{{3.0 * 21 / 38, -36},
                                             {9.0 * 21 / 38, -18},
                                             {16.0 * 21 / 38, 0},
                                             {24.5 * 21 / 38, 30},
                                             {33.5 * 21 / 38, 60}}};
    std::size_t i = 1;
    while (i + 1 < kMarks.size() && v > kMarks[i].bar) ++i;
    const Mark& a = kMarks[i - 1];
    const Mark& b = kMarks[i];
    return static_cast<int>(std::lround(a.db + (v - a.bar) * (b.db - a.db) / (b.bar - a.bar)));
}

std::optional<std::string> frequencyDigits(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    // from_chars reads "." as the decimal point whatever locale the program
    // runs in (strtod would follow LC_NUMERIC, which Qt sets from the desktop).
    // Hamlib's own reading also takes "+" and hexadecimal ("0x6bf0d0").
    if (text.starts_with('+')) text.remove_prefix(1);
    auto format = std::chars_format::general;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        format = std::chars_format::hex;
    }
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    double hz = 0.0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, hz, format);
    if (ec != std::errc() || ptr != end || !std::isfinite(hz)) return std::nullopt;
    double units = std::round(hz / 10.0);
    if (units < 160000 || units > 2999999) return std::nullopt;
    std::string digits = std::to_string(static_cast<long>(units));
    return std::string(7 - digits.size(), '0') + digits;
}

std::optional<long long> frequencyHz(std::string_view digits) {
    if (!protocol::isDigits(digits, 7)) return std::nullopt;
    return *integerArgument(digits) * 10;
}

const CommandRow* findCommand(std::string_view token) {
    bool longName = token.size() > 1 && token[0] == '\\';
    for (const CommandRow& row : kCommandRows) {
        if (longName ? token.substr(1) == row.name : token.size() == 1 && token[0] == row.letter)
            return &row;
    }
    return nullptr;
}

std::vector<Command> parseLine(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t start = line.find_first_not_of(" \t\r", pos);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = line.size();
        tokens.push_back(line.substr(start, end - start));
        pos = end;
    }
    std::vector<Command> commands;
    if (tokens.empty() || tokens[0][0] == '#') return commands;
    for (std::size_t t = 0; t < tokens.size();) {
        Command c;
        std::string_view token = tokens[t++];
        // A leading punctuation character asks for the extended answer and is
        // its separator ('+' separates with line feeds).
        char first = token[0];
        if (token.size() > 1 && std::ispunct(static_cast<unsigned char>(first)) && first != '\\' &&
            first != '?' && first != '_' && first != '#') {
            c.separator = first == '+' ? '\n' : first;
            token.remove_prefix(1);
        }
        c.token = std::string(token);
        c.row = findCommand(token);
        if (c.row == nullptr) {
            commands.push_back(std::move(c));
            break;  // its arguments cannot be told from further commands
        }
        for (int a = 0; a < c.row->arguments; ++a) {
            // "M ?" and "X ?" ask for the mode list; "?" is an argument like
            // any other to the other commands ("S ? VFOB" is refused whole).
            if (a == 1 && c.arguments[0] == "?" &&
                (c.row->op == Op::SetMode || c.row->op == Op::SetSplitMode))
                break;
            if (t == tokens.size()) {
                c.missingArguments = true;
                break;
            }
            c.arguments.emplace_back(tokens[t++]);
        }
        commands.push_back(std::move(c));
    }
    return commands;
}

Evaluation evaluate(const Command& c, const RigSnapshot& s, Session& session) {
    if (c.row == nullptr) return failed(kNotAvailable);
    if (c.missingArguments) return failed(kInvalid);
    const std::vector<std::string>& a = c.arguments;
    // Only the mode list request comes with fewer arguments than its row has.
    const bool listAsked = !a.empty() && a[0] == "?";
    if (a.size() < static_cast<std::size_t>(c.row->arguments) && !listAsked)
        return failed(kInvalid);
    switch (c.row->op) {
        case Op::GetFreq:
            return frequencyOf(session.vfo, s);
        case Op::SetFreq:
            return setFrequency(session.vfo, a[0]);
        case Op::GetMode:
            return modeOf(session.vfo, s);
        case Op::SetMode:
            if (a[0] == "?") return modeList();
            return setMode(session.vfo, a[0], a[1], s);
        case Op::GetVfo:
            return values({std::string(vfoName(session.vfo))});
        case Op::SetVfo: {
            std::optional<RigVfo> vfo = vfoNamed(a[0], s, session);
            if (!vfo) return failed(kInvalid);
            session.vfo = *vfo;
            return {};
        }
        case Op::GetSplitFreq:
            return frequencyOf(RigVfo::B, s);
        case Op::SetSplitFreq:
            return setFrequency(RigVfo::B, a[0]);
        case Op::GetSplitVfo:
            return values({s.split ? "1" : "0", s.split ? "VFOB" : "VFOA"});
        case Op::SetSplitVfo: {
            std::optional<RigVfo> tx = vfoNamed(a[1], s, session);
            if ((a[0] != "0" && a[0] != "1") || !tx) return failed(kInvalid);
            // The panel transmits on VFO B whenever split is on.
            if (a[0] == "1" && *tx != RigVfo::B) return failed(kInvalid);
            RigRequest r;
            r.kind = RigRequest::Kind::Split;
            r.on = a[0] == "1";
            return requested(std::move(r));
        }
        case Op::GetSplitMode:
            return modeOf(RigVfo::B, s);
        case Op::SetSplitMode:
            if (a[0] == "?") return modeList();
            return setMode(RigVfo::B, a[0], a[1], s);
        case Op::GetPtt:
            return values({s.keyed ? "1" : "0"});
        case Op::SetPtt: {
            // 0 receive; 1, 2 (microphone) and 3 (data) all key through XMT.
            if (a[0].size() != 1 || a[0][0] < '0' || a[0][0] > '3') return failed(kInvalid);
            RigRequest r;
            r.kind = RigRequest::Kind::Ptt;
            r.on = a[0] != "0";
            return requested(std::move(r));
        }
        case Op::GetLevel:
            return getLevel(a[0], s);
        case Op::GetInfo:
            return values({std::string(kInfo)});
        case Op::GetPowerstat:
            return values({s.radioPresent ? "1" : "0"});
        case Op::ChkVfo:
        case Op::GetLockMode:
            return values({"0"});
        case Op::DumpState:
        case Op::DumpCaps: {
            Evaluation e = values({c.row->op == Op::DumpState ? dumpState(s) : dumpCaps(s)});
            e.rawText = true;
            return e;
        }
        case Op::GetVfoInfo: {
            std::optional<RigVfo> vfo = vfoNamed(a[0], s, session);
            if (!vfo) return failed(kInvalid);
            Evaluation freq = frequencyOf(*vfo, s);
            Evaluation mode = modeOf(*vfo, s);
            if (freq.code != kOk || mode.code != kOk) return failed(kIoError);
            return values(
                {freq.values[0], mode.values[0], mode.values[1], s.split ? "1" : "0", "0"});
        }
        case Op::Quit: {
            Evaluation e;
            e.close = true;
            return e;
        }
    }
    return failed(kNotAvailable);
}

std::string formatReply(const Command& c, const Evaluation& e) {
    std::string rprt = "RPRT " + std::to_string(e.code) + "\n";
    if (c.row == nullptr) return rprt;
    Op op = c.row->op;
    if (op == Op::Quit) return rprt;  // rigctld says goodbye the same way in both forms
    if (c.separator == 0) {
        if (e.code != kOk) return rprt;
        if (e.rawText)
            return e.values[0] + (op == Op::SetMode || op == Op::SetSplitMode ? rprt : "");
        std::string out;
        for (const std::string& v : e.values) out.append(v).append("\n");
        // rigctld follows the lock state with a stray "RPRT 0", which NET
        // rigctl throws away; the panel leaves it out so that a client
        // reading line by line stays in step.
        if (e.values.empty()) out += rprt;
        return out;
    }
    if (op == Op::ChkVfo) return "ChkVFO: " + e.values[0] + "\n";
    std::string out(c.row->name);
    out += ':';
    for (const std::string& arg : c.arguments) out.append(" ").append(arg);
    out += c.separator;
    if (e.code == kOk) {
        if (e.rawText) {
            out += e.values[0];
        } else {
            for (std::size_t i = 0; i < e.values.size(); ++i) {
                std::string_view key = i < 5 ? c.row->keys[i] : std::string_view();
                if (!key.empty()) out.append(key).append(": ");
                out.append(e.values[i]) += c.separator;
            }
        }
    }
    return out + rprt;
}

LineReply serveLine(std::string_view line, Session& session, RigControl& rig) {
    LineReply reply;
    std::vector<Command> commands = parseLine(line);
    if (commands.empty()) return reply;
    RigSnapshot snapshot = rig.snapshot();
    for (const Command& c : commands) {
        Evaluation e = evaluate(c, snapshot, session);
        if (e.request) {
            // A radio that is lost or restarting takes no requests; reads go
            // on answering from the last state.
            e.code = snapshot.radioPresent ? codeFor(rig.request(*e.request)) : kIoError;
        }
        reply.text += formatReply(c, e);
        if (e.close) {
            reply.close = true;
            break;
        }
    }
    return reply;
}

}  // namespace tolvane::cat::rigctl
