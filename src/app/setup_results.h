// What the program does with the settings a setup dialog returns: it keeps
// them in memory and raises the request that puts them into effect.
#pragma once

#include <optional>

#include "panel/panel_state.h"
#include "setup/audio_setup_file.h"
#include "setup/setup_forms.h"

namespace tolvane {

// The settings in force, as the dialogs take them.
RadioPortSettings radioPortSettings(const Settings& set, bool extPttEnabled);
CatPortSettings catPortSettings(const Settings& set);
AudioCodes audioCodes(const Settings& set);

// Port Setup applied: the radio port settings, gExtPttEnabled, and the port
// opened again (reqPortReopen). Nothing changes when it was left otherwise.
void takePortSetup(const std::optional<RadioPortSettings>& applied, Settings& set, Requests& req,
                   bool& extPttEnabled);
// CAT Setup applied: the CAT port settings, and the menu entry opens the CAT
// port again (gCatSetupApplied); cancelled or closed: no re-open.
void takeCatSetup(const std::optional<CatPortSettings>& applied, Settings& set);
// Audio Setup applied: the audio codes, brought to the radio by the main
// loop (reqAudioReload).
void takeAudioSetup(const std::optional<AudioCodes>& applied, Settings& set, Requests& req);

}  // namespace tolvane
