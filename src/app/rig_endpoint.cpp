// Snapshot and request queue of the network rig control endpoint.
#include "app/rig_endpoint.h"

#include "panel/panel_areas.h"
#include "panel/panel_state.h"
#include "radio/mappings.h"
#include "radio/radio_link.h"
#include "radio/radio_state.h"

namespace tolvane {

RigEndpoint::RigEndpoint(RadioLink& link, RadioState& st, PanelFlags& ps, PanelAreas& areas)
    : link_(link), st_(st), ps_(ps), areas_(areas) {}

bool RigEndpoint::radioPresent() const {
    return ps_.gRadioPortOk && !ps_.gRadioPortLost && !ps_.gRestarting;
}

cat::RigSnapshot RigEndpoint::snapshot() {
    cat::RigSnapshot s;
    s.freqReport = st_.gFreqReport;
    s.modeReport = st_.gModeReport;
    s.digitalPreset = areas_.catFrame.digitalMode();
    const std::string b = areas_.vfoB.vfoBText();
    s.vfoB = b.size() > 1 ? b.substr(1) : std::string();
    s.vfoBMode = areas_.vfoB.vfoBModeCode();
    s.split = areas_.vfoB.splitOn();
    s.keyed = st_.gRadioKeyed;
    s.radioPresent = radioPresent();
    s.meterReport = st_.gMeterReport;
    if (st_.gMeterDataNew || st_.gMeterValue != 0) s.meterValue = st_.gMeterValue;
    return s;
}

cat::RigStatus RigEndpoint::request(const cat::RigRequest& r) {
    using Kind = cat::RigRequest::Kind;
    if (!radioPresent()) return cat::RigStatus::NoRadio;
    // Station software keys through XMT, as the operator would with its
    // button: refused where the button could not be pressed. XmitCmd makes
    // its own band check when the request is served.
    if (r.kind == Kind::Ptt && r.on && !areas_.transmit.xmitOn() &&
        !areas_.transmit.xmitAvailable())
        return cat::RigStatus::Rejected;
    if (r.kind == Kind::Split && r.on) {
        // The radio transmits on VFO B in VFO A's mode: split needs both equal.
        if (areas_.vfoB.vfoBModeCode() != st_.gModeReport) return cat::RigStatus::Rejected;
    }
    if (pending_.size() >= kMaxPending) return cat::RigStatus::Rejected;
    pending_.push_back(r);
    return cat::RigStatus::Queued;
}

void RigEndpoint::RigCmd() {
    while (!pending_.empty()) {
        cat::RigRequest r = std::move(pending_.front());
        pending_.pop_front();
        // A radio lost since the set was queued takes nothing.
        if (!radioPresent()) continue;
        serve(r);
    }
}

void RigEndpoint::serve(const cat::RigRequest& r) {
    using Kind = cat::RigRequest::Kind;
    switch (r.kind) {
        case Kind::Frequency:
            if (r.vfo == cat::RigVfo::A)
                link_.SetFreqCmd(r.freq);
            else
                areas_.vfoB.setVfoB(r.freq);
            return;
        case Kind::Mode:
            if (r.vfo == cat::RigVfo::A) {
                link_.SetMode(r.modeCode);
                // A new preset runs as a pick in the digital mode box does.
                if (r.digitalPreset && *r.digitalPreset != areas_.catFrame.digitalMode() &&
                    areas_.catFrame.selectDigitalMode(*r.digitalPreset))
                    areas_.receiver.cmbDig_Click();
            } else {
                areas_.vfoB.setVfoBMode(r.modeCode);
            }
            return;
        case Kind::Split:
            areas_.vfoB.selectTxVfo(r.on ? 1 : 0);
            return;
        case Kind::Ptt:
            // Unkeying ends only XMT: a TUNE or a held PTT is the operator's.
            // The state may have changed since the request was taken.
            if (r.on ? !areas_.transmit.xmitOn() && areas_.transmit.xmitAvailable()
                     : areas_.transmit.xmitOn())
                areas_.transmit.XmitCmd();
            return;
    }
}

}  // namespace tolvane
