// The module-level values of the panel program, in a few named structs:
// the settings read from the settings files, the request flags served by
// the main loop, and the panel's own state flags.
#pragma once

#include <string>

#include "radio/radio_state.h"

namespace tolvane {

// Who controls the radio: nobody known yet (before the first
// initialisation), its front panel, or this program.
enum class ControlMode { None, Local, Remote };

// The caption lblREMOTE shows for a control mode: "LOCAL", "REMOTE", or
// empty before the first initialisation.
constexpr const char* controlModeCaption(ControlMode mode) {
    switch (mode) {
        case ControlMode::Local:
            return "LOCAL";
        case ControlMode::Remote:
            return "REMOTE";
        case ControlMode::None:
            break;
    }
    return "";
}

// Settings kept in memory, as read from their files or applied by a dialog.
struct Settings {
    // Radio port (PortSetup.txt).
    std::string gRadioPort;
    std::string gRadioSettings;
    std::string gRadioHandshake;
    // CAT port (CATSetup.txt).
    std::string gCatPort;
    std::string gCatSettings;
    std::string gCatHandshake;
    bool gCatSetupApplied = false;
    // Audio (AudioSetup.txt), two-character radio codes.
    std::string gAudSource = "H1";
    std::string gAudPttEn = "'1";
    std::string gAudRouting = "\"1";
    std::string gDigSource = "H3";
    std::string gDigVox = "V2";
    // Presence of "Permissions.txt".
    bool gTxUnrestricted = false;
};

// Request flags: raised by a control's handler, cleared by its routine.
struct Requests {
    bool reqSource = false;
    bool reqAgc = false;
    bool reqBfo = false;
    bool reqClip = false;
    bool reqBand160 = false;
    bool reqBand75 = false;
    bool reqBand60 = false;
    bool reqBand40 = false;
    bool reqBand30 = false;
    bool reqBand20 = false;
    bool reqBand17 = false;
    bool reqBand15 = false;
    bool reqBand12 = false;
    bool reqBand10 = false;
    bool reqBandWWV = false;
    bool reqBandMARS = false;
    bool reqMeter = false;
    bool reqMode = false;
    bool reqMute = false;
    bool reqPttEn = false;
    bool reqSideTone = false;
    bool reqTune = false;
    bool reqViewData = false;
    bool reqVox = false;
    bool reqXmit = false;
    bool reqAmpPwr = false;
    bool reqAmpOpr = false;
    bool reqAmpTune = false;
    bool reqM2V = false;
    bool reqV2M = false;
    bool reqGetStatus = false;
    bool reqPortReopen = false;
    bool reqBfoOffset = false;
    bool reqRfGain = false;
    bool reqDigMode = false;
    bool reqSwap = false;
    bool reqA2B = false;
    bool reqAudioReload = false;
};

// The panel's own state flags.
struct PanelFlags {
    std::string gAppTitle;
    ControlMode gControlMode = ControlMode::None;
    bool gRestarting = false;
    bool gScanActive = false;
    bool gTuneLock = false;
    bool gBfoOn = false;
    std::string gBfoOffset = "100";
    bool gAmpTuning = false;
    double gAmpTuneStart = 0.0;
    bool gXmtOn = false;
    bool gRadioPortOk = false;
    bool gRadioPortLost = false;  // the radio port's device went away while open
    int gLastRadioPort = 0;       // number the radio port was last configured with; 0 none
    bool gErrorRuleArmed = false;
    int gMeterOption = 0;  // index stored by optMeter_Click
    std::string gBandName;
    // Operator's picks kept with their requests, so a redraw of the combo
    // box from a report before the loop serves them cannot lose them.
    std::string pickedMode;
    std::string pickedAgc;
    std::string pickedSource;
};

}  // namespace tolvane
