// The panel's side of the network rig control endpoint and of the CAT
// bridge's TS-2000 answers: a snapshot of what the radio state record and
// the panel show, and a queue of the sets the endpoints raise. A set is only
// queued here; the main loop's dispatch serves the queue with the same
// routines the panel's controls and the serial CAT bridge use, so the radio
// never sees traffic from inside a socket handler.
#pragma once

#include <cstddef>
#include <deque>

#include "cat/rig_control.h"

namespace tolvane {

struct PanelAreas;
struct PanelFlags;
class RadioLink;
struct RadioState;

class RigEndpoint : public cat::RigControl {
  public:
    RigEndpoint(RadioLink& link, RadioState& st, PanelFlags& ps, PanelAreas& areas);

    cat::RigSnapshot snapshot() override;
    cat::RigStatus request(const cat::RigRequest& request) override;

    // Raised while sets wait for the dispatch.
    bool reqRig() const { return !pending_.empty(); }
    // Serves the waiting sets in the order they came (main loop dispatch).
    void RigCmd();

    // Most sets waiting; a client that floods is told the radio is busy.
    static constexpr std::size_t kMaxPending = 32;

  private:
    bool radioPresent() const;
    void serve(const cat::RigRequest& r);

    RadioLink& link_;
    RadioState& st_;
    PanelFlags& ps_;
    PanelAreas& areas_;
    std::deque<cat::RigRequest> pending_;
};

}  // namespace tolvane
