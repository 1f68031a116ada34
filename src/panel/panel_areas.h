// The areas of the main window, each built from the panel context and
// working on its own controls. The program owns them and calls them; the
// status display comes first, since the radio link reports to it.
#pragma once

#include "panel/amplifier_control.h"
#include "panel/band_buttons.h"
#include "panel/cat_frame.h"
#include "panel/channel_memory.h"
#include "panel/frequency_entry.h"
#include "panel/panel_context.h"
#include "panel/panel_layout.h"
#include "panel/receiver_controls.h"
#include "panel/status_display.h"
#include "panel/transmit_control.h"
#include "panel/utility_controls.h"
#include "panel/vfo_b_split.h"
#include "panel/window_seams.h"

namespace tolvane {

class FrmTolvane;

struct PanelAreas {
    // `seams` serve the areas that act inside their own mouse and key
    // events (the digit rows and the keyboard knob).
    PanelAreas(FrmTolvane& form, const PanelContext& context, const WindowSeams& seams);

    StatusDisplay& display;
    ReceiverControls receiver;
    UtilityControls utility;
    PanelLayout layout;
    CatFrame catFrame;
    FrequencyEntry frequency;
    VfoBSplit vfoB;
    ChannelMemory channels;
    BandButtons bands;
    TransmitControl transmit;
    AmplifierControl amplifier;

  private:
    // The digit rows' presses and releases and the key preview of the
    // window, to the areas that own the rows.
    void connectDigitRows(FrmTolvane& form);
};

}  // namespace tolvane
