// The areas of the main window, each built from the panel context and
// working on its own controls. The program owns them and calls them; the
// status display comes first, since the radio link reports to it.
#pragma once

#include "panel/cat_frame.h"
#include "panel/panel_context.h"
#include "panel/panel_layout.h"
#include "panel/receiver_controls.h"
#include "panel/status_display.h"
#include "panel/utility_controls.h"

namespace tolvane {

class FrmTolvane;

struct PanelAreas {
    PanelAreas(FrmTolvane& form, const PanelContext& context);

    StatusDisplay& display;
    ReceiverControls receiver;
    UtilityControls utility;
    PanelLayout layout;
    CatFrame catFrame;
};

}  // namespace tolvane
