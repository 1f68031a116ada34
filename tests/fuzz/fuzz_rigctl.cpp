// The rigctld protocol of the network endpoint: lines a client sends, served
// against a radio snapshot, with the sets handed to a stand-in for the
// panel that records them.
// Input: byte 0 picks the snapshot (bit 0 radio there, bit 1 split, bit 2
// keyed, bits 3-4 the digital preset, bits 5-6 what the panel says to a
// set); then the frequency report, the mode report and the VFO B digits,
// each ended by LF; the rest is what the client sends, one command line per
// LF.
#include <algorithm>

#include "cat/rig_control.h"
#include "cat/rigctl_protocol.h"
#include "fuzz_support.h"
#include "radio/protocol.h"

using namespace tolvane;
using namespace tolvane::cat;

namespace {

class RecordingRig : public RigControl {
  public:
    RigSnapshot state;
    RigStatus status = RigStatus::Queued;
    int requests = 0;

    RigSnapshot snapshot() override { return state; }
    RigStatus request(const RigRequest& r) override {
        ++requests;
        if (r.kind == RigRequest::Kind::Frequency)
            fuzz::require(
                protocol::isDigits(r.freq, 7) && r.freq >= "0160000" && r.freq <= "2999999",
                "frequency on the radio's range in 10 Hz steps");
        if (r.kind == RigRequest::Kind::Mode) {
            fuzz::require(r.modeCode.size() == 2 && r.modeCode[0] == 'M' && r.modeCode[1] >= '1' &&
                              r.modeCode[1] <= '4',
                          "radio mode code");
            if (r.digitalPreset)
                fuzz::require(*r.digitalPreset == "OFF" || *r.digitalPreset == "PSK" ||
                                  *r.digitalPreset == "FSK" || *r.digitalPreset == "RTTY",
                              "a preset the panel offers");
        }
        return status;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kPresets[] = {"OFF", "PSK", "FSK", "RTTY"};
    static const RigStatus kStatus[] = {RigStatus::Queued, RigStatus::Rejected, RigStatus::NoRadio,
                                        RigStatus::NotAvailable};
    const uint8_t flags = data[0];
    std::string_view rest = fuzz::bytes(data + 1, size - 1);
    auto line = [&rest]() {
        const size_t lf = std::min(rest.find('\n'), rest.size());
        const std::string_view l = rest.substr(0, lf);
        rest.remove_prefix(std::min(lf + 1, rest.size()));
        return l;
    };
    RecordingRig rig;
    rig.state.radioPresent = (flags & 1) != 0;
    rig.state.split = (flags & 2) != 0;
    rig.state.keyed = (flags & 4) != 0;
    rig.state.digitalPreset = kPresets[(flags >> 3) & 3];
    rig.status = kStatus[(flags >> 5) & 3];
    rig.state.freqReport = protocol::fitField(line(), 8);
    rig.state.modeReport = protocol::fitField(line(), 2);
    rig.state.vfoB = protocol::fitField(line(), 7);
    rig.state.vfoBMode = rig.state.modeReport;
    if (flags & 0x80) rig.state.meterValue = static_cast<int>(rest.size() % 40);

    rigctl::Session session;
    while (!rest.empty()) {
        const std::string_view l = line();
        // The endpoint never hands on a line longer than it takes.
        if (l.size() > 1024) continue;
        rigctl::LineReply reply = rigctl::serveLine(l, session, rig);
        fuzz::require(reply.text.empty() || reply.text.back() == '\n', "whole reply lines");
        if (reply.close) break;
    }
    if (!rig.state.radioPresent) fuzz::require(rig.requests == 0, "no sets without the radio");
    fuzz::require(!rigctl::dumpState(rig.state).empty(), "dump_state");
    fuzz::require(!rigctl::dumpCaps(rig.state).empty(), "dump_caps");
    return 0;
}
