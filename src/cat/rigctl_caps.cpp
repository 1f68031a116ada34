// What the rigctld endpoint tells a client about the radio when it opens
// the rig (\dump_state, in the version-1 layout NET rigctl reads line by
// line) and on request (\dump_caps, for a person reading it).
#include <cstdio>
#include <string>

#include "cat/rigctl_protocol.h"

namespace tolvane::cat::rigctl {

namespace {

// The radio tunes 1.6 to 29.99999 MHz in 10 Hz steps, on VFO A and VFO B,
// with one antenna port.
constexpr long long kLowestHz = 1600000;
constexpr long long kHighestHz = 29999990;
constexpr unsigned kVfoMask = 0x3;      // VFOA | VFOB
constexpr unsigned kAntennaMask = 0x1;  // ANT1
constexpr unsigned kPttRig = 0x1;       // keyed by command
constexpr int kStepHz = 10;

std::string hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}

// "low high modes low_power high_power vfos antennas"; the power is not
// known to the panel (-1).
std::string rangeLine(long long low, long long high) {
    return std::to_string(low) + ".000000 " + std::to_string(high) + ".000000 " + hex(modeMask()) +
           " -1 -1 " + hex(kVfoMask) + " " + hex(kAntennaMask) + "\n";
}

// Modes of each passband, for the filter list.
std::string filterLines() {
    std::string out;
    for (int passband : {2400, 500, 6000}) {
        unsigned long long mask = 0;
        for (const HamlibMode& m : kHamlibModes)
            if (m.passband == passband) mask |= m.bit;
        if (mask != 0) out += hex(mask) + " " + std::to_string(passband) + "\n";
    }
    return out;
}

}  // namespace

std::string dumpState(const RigSnapshot& s) {
    std::string out;
    out += "1\n";  // layout version
    out += "2\n";  // rig model: a radio reached over the network
    out += "0\n";  // ITU region
    out += rangeLine(kLowestHz, kHighestHz);
    out += "0 0 0 0 0 0 0\n";
    for (const RigRange& r : s.txRanges) out += rangeLine(r.lowHz, r.highHz);
    out += "0 0 0 0 0 0 0\n";
    out += hex(modeMask()) + " " + std::to_string(kStepHz) + "\n";
    out += "0 0\n";
    out += filterLines();
    out += "0 0\n";
    out += "0\n0\n0\n0\n";                   // no RIT, XIT or IF shift; no announcements
    out += "\n\n";                           // no preamplifier, no attenuator
    out += "0x0\n0x0\n";                     // functions read, set
    out += hex(kLevelStrength) + "\n0x0\n";  // levels read, set
    out += "0x0\n0x0\n";                     // parameters read, set
    out += "vfo_ops=0x0\n";
    out += "ptt_type=" + hex(kPttRig) + "\n";
    out += "targetable_vfo=0x0\n";
    out += "has_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n";
    out += "has_set_conf=0\nhas_get_conf=0\nhas_power2mW=0\nhas_mW2power=0\n";
    out += "timeout=" + std::to_string(s.replyTimeoutMs) + "\n";
    out += "rig_model=2\n";
    out += "rigctld_version=Tolvane Panel\n";
    out += "done\n";
    return out;
}

std::string dumpCaps(const RigSnapshot& s) {
    std::string modes;
    for (const HamlibMode& m : kHamlibModes) modes.append(m.name).append(" ");
    std::string tx;
    for (const RigRange& r : s.txRanges)
        tx += "\t" + std::to_string(r.lowHz) + " Hz - " + std::to_string(r.highHz) + " Hz\n";
    std::string out;
    out += "Caps dump for model: 2\n";
    out += "Model name:\tTolvane HF transceiver\n";
    out += "Mfg name:\tTolvane\n";
    out += "Backend version:\tTolvane Panel\n";
    out += "Rig type:\tTransceiver\n";
    out += "PTT type:\tRig capable\n";
    out += "DCD type:\tNone\n";
    out += "Port type:\tNetwork link\n";
    out += "Write delay: 0mS, timeout " + std::to_string(s.replyTimeoutMs) + "mS, 0 retry\n";
    out += "Has targetable VFO: N\n";
    out += "Has async data support: N\n";
    out += "Mode list: " + modes + "\n";
    out += "VFO list: VFOA VFOB \n";
    out += "RX ranges:\n\t" + std::to_string(kLowestHz) + " Hz - " + std::to_string(kHighestHz) +
           " Hz\n";
    out += "TX ranges:\n" + tx;
    out += "Tuning steps: " + std::to_string(kStepHz) + " Hz\n";
    out += "Get level: STRENGTH \n";
    out += "Can set Frequency:\tY\nCan get Frequency:\tY\n";
    out += "Can set Mode:\tY\nCan get Mode:\tY\n";
    out += "Can set VFO:\tY\nCan get VFO:\tY\n";
    out += "Can set PTT:\tY\nCan get PTT:\tY\n";
    out += "Can set Split Freq:\tY\nCan get Split Freq:\tY\n";
    out += "Can set Split Mode:\tY\nCan get Split Mode:\tY\n";
    out += "Can set Split VFO:\tY\nCan get Split VFO:\tY\n";
    out += "Can get Level:\tY\n";
    out += "Can get Info:\tY\n";
    out += "Can get power stat:\tY\n";
    return out;
}

}  // namespace tolvane::cat::rigctl
