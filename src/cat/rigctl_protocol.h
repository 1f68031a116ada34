// The rigctld network protocol as station software speaks it to a Hamlib
// "NET rigctl" rig: one command table drives both command spellings (the
// short letter and the long "\name"), the default and the extended answers,
// and the set requests. Pure functions of the received line, the snapshot
// of the radio state and the connection's own state: no socket, no clock.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cat/rig_control.h"

namespace tolvane::cat::rigctl {

// Hamlib's return codes as the endpoint uses them ("RPRT x").
enum Code : int {
    kOk = 0,
    kInvalid = -1,       // bad argument
    kIoError = -6,       // the radio is not there (or has not reported the value yet)
    kRejected = -9,      // refused: keying out of band or under LOCAL control
    kNotAvailable = -11  // no such function
};
int codeFor(RigStatus status);

// Hamlib's mode names and how they meet the radio's mode codes and the
// panel's digital presets. The plain rows read back when no digital preset
// is chosen; the digital rows read back while a preset is chosen whose row
// names the radio mode ("PSK" in USB reads PKTUSB).
struct HamlibMode {
    std::string_view name;    // "USB", "PKTUSB", ...
    std::string_view code;    // radio mode code set for it
    std::string_view preset;  // digital preset chosen with it ("" for the plain modes)
    std::uint64_t bit;        // Hamlib's mode bit (dump_state masks)
    int passband;             // Hz answered with the mode
};
extern const std::span<const HamlibMode> kHamlibModes;
const HamlibMode* findHamlibMode(std::string_view name);
// The name the radio mode code reads back as with the digital preset chosen;
// nothing for a code outside "M1".."M4".
const HamlibMode* readBackMode(std::string_view code, std::string_view preset);
// Mask of every mode the endpoint offers.
std::uint64_t modeMask();

// Hamlib's level bit of STRENGTH, the only level the endpoint reads.
constexpr std::uint64_t kLevelStrength = std::uint64_t{1} << 30;
// Signal strength in dB relative to S9, from the radio's meter when it shows
// the S-meter scale (FWD, REF or VSWR selected while receiving); nothing
// otherwise.
std::optional<int> strengthDb(const RigSnapshot& snapshot);

// A frequency argument ("14074055", "14074055.000000", "7.074e6") rounded to
// the radio's 10 Hz steps: the seven-digit text. Nothing for a text that is
// no number or a frequency outside 1.6 to 29.99999 MHz.
std::optional<std::string> frequencyDigits(std::string_view text);
// Hz of a seven-digit frequency text; nothing when it is not seven digits.
std::optional<long long> frequencyHz(std::string_view digits);

// What a command does.
enum class Op {
    GetFreq,
    SetFreq,
    GetMode,
    SetMode,
    GetVfo,
    SetVfo,
    GetSplitFreq,
    SetSplitFreq,
    GetSplitVfo,
    SetSplitVfo,
    GetSplitMode,
    SetSplitMode,
    GetPtt,
    SetPtt,
    GetLevel,
    GetInfo,
    GetPowerstat,
    ChkVfo,
    GetLockMode,
    DumpState,
    DumpCaps,
    GetVfoInfo,
    Quit,
};

// One row of the command table.
struct CommandRow {
    char letter;            // short name; 0 when the command has only a long one
    std::string_view name;  // long name without its backslash
    int arguments;
    Op op;
    std::string_view keys[5];  // extended answer: key of each value line
};
extern const std::span<const CommandRow> kCommands;
const CommandRow* findCommand(std::string_view token);

// A command taken from a line: its row (none for an unknown command), its
// arguments as received, and the separator of the extended answer (0 for the
// default answer).
struct Command {
    const CommandRow* row = nullptr;
    std::string token;
    std::vector<std::string> arguments;
    char separator = 0;
    bool missingArguments = false;
};
// Splits a received line (its LF removed) into commands. A command with no
// arguments may be followed by further commands on the same line ("f m");
// an unknown command ends the line. An empty line or a "#" comment gives none.
std::vector<Command> parseLine(std::string_view line);

// What the endpoint keeps per connection: the VFO its commands address.
struct Session {
    RigVfo vfo = RigVfo::A;
};

// The outcome of one command before it is written out: the values of a
// read, the request of a set (the code then comes from the app), or an
// error code.
struct Evaluation {
    int code = kOk;
    std::vector<std::string> values;
    std::optional<RigRequest> request;
    bool close = false;    // the client said goodbye
    bool rawText = false;  // values are preformatted lines (dump_state, dump_caps)
};
Evaluation evaluate(const Command& command, const RigSnapshot& snapshot, Session& session);

// The reply text of one command in the default or the extended form.
std::string formatReply(const Command& command, const Evaluation& evaluation);

// Serving one whole line: every command of it, sets handed to `rig` in
// order (none while the radio is not there: those answer RPRT -6), all
// replies in one text so that the line is answered with one write.
struct LineReply {
    std::string text;
    bool close = false;
};
LineReply serveLine(std::string_view line, Session& session, RigControl& rig);

// The capability texts (rigctl_caps.cpp).
std::string dumpState(const RigSnapshot& snapshot);
std::string dumpCaps(const RigSnapshot& snapshot);
// The information line of "_" / \get_info.
constexpr std::string_view kInfo = "Tolvane HF transceiver (Tolvane Panel)";

}  // namespace tolvane::cat::rigctl
