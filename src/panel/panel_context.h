// What an area of the main window may touch besides its own widgets: the
// radio link with its setting routines, the radio state record, the request
// flags and the panel's own flags, the settings (read only) and the status
// display, which also keeps the information line.
#pragma once

#include "panel/panel_state.h"
#include "radio/radio_link.h"
#include "radio/radio_state.h"

namespace tolvane {

class StatusDisplay;

struct PanelContext {
    RadioLink& link;
    RadioState& st;
    Requests& req;
    PanelFlags& ps;
    const Settings& set;
    StatusDisplay& display;
};

}  // namespace tolvane
