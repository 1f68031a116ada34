// The seam between the station-software endpoints in src/cat (the rigctld
// network endpoint and the TS-2000 answers of the CAT bridge) and the
// program that owns the radio: a snapshot of what the panel and the radio
// state record show, and the set requests the endpoints raise. Reads are
// answered from the snapshot at once; a set becomes a request that the main
// loop's dispatch serves, exactly as the CAT bridge's sets are.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tolvane::cat {

// The two VFOs of the panel: A is the radio's working frequency, B is held
// on the panel and used for split transmission.
enum class RigVfo { A, B };

// A frequency range in Hz, both ends included.
struct RigRange {
    long long lowHz = 0;
    long long highHz = 0;
    friend bool operator==(const RigRange&, const RigRange&) = default;
};

// What the endpoints answer from. The app fills it from the radio state
// record and the panel each time an endpoint asks.
struct RigSnapshot {
    std::string freqReport;             // gFreqReport: "F" + seven digits (10 Hz units)
    std::string modeReport;             // gModeReport: "M1".."M4"
    std::string digitalPreset = "OFF";  // text of cmbDig: "OFF", "PSK", "FSK", "RTTY"
    std::string vfoB;                   // the seven VFO B digits
    std::string vfoBMode;               // VFO B mode code "M1".."M4" (from cmbVFOBMode)
    bool split = false;                 // lblSplit shows "Split On"
    bool keyed = false;                 // the radio reports itself transmitting (gRadioKeyed)
    bool radioPresent = true;           // the link to the radio is up (not lost, not restarting)
    std::string meterReport;            // gMeterReport: "D1".."D6"
    std::optional<int> meterValue;      // last meter reading (J report), none before the first
    int replyTimeoutMs = 2000;          // longest a reply can take: the panel's longest
                                        // stretch without serving the endpoint
    std::vector<RigRange> txRanges;     // where the band check lets the radio transmit
};

// A set, described for the app, which turns it into the same requests the
// panel's own controls and the serial CAT bridge raise.
struct RigRequest {
    enum class Kind {
        Frequency,  // tune VFO `vfo` to `freq`
        Mode,       // VFO `vfo` to `modeCode`, and the digital preset when given
        Split,      // split on (transmit on VFO B) or off
        Ptt,        // key (on) or unkey the transmitter through the XMT path
    };
    Kind kind = Kind::Frequency;
    RigVfo vfo = RigVfo::A;
    std::string freq;                          // seven digits, 10 Hz units
    std::string modeCode;                      // "M1".."M4"
    std::optional<std::string> digitalPreset;  // cmbDig text to select, when it changes
    bool on = false;                           // Split, Ptt

    friend bool operator==(const RigRequest&, const RigRequest&) = default;
};

// What became of a request.
enum class RigStatus {
    Queued,        // taken; the main loop serves it
    Rejected,      // refused (keying out of band or under LOCAL control, split with unequal modes)
    NoRadio,       // the radio is not there (lost, restarting): nothing is queued
    NotAvailable,  // the panel cannot do this (yet)
};

// What the app provides to the endpoints.
class RigControl {
  public:
    virtual ~RigControl() = default;
    // The state to answer from, taken when a command is served.
    virtual RigSnapshot snapshot() = 0;
    // Queues a set for the main loop's dispatch; must not do radio traffic.
    virtual RigStatus request(const RigRequest& request) = 0;
};

}  // namespace tolvane::cat
