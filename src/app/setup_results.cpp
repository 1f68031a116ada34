// The settings the setup dialogs return, taken over by the program.
#include "app/setup_results.h"

namespace tolvane {

RadioPortSettings radioPortSettings(const Settings& set, bool extPttEnabled) {
    return {set.gRadioPort, set.gRadioSettings, set.gRadioHandshake, extPttEnabled};
}

CatPortSettings catPortSettings(const Settings& set) {
    return {set.gCatPort, set.gCatSettings, set.gCatHandshake};
}

AudioCodes audioCodes(const Settings& set) {
    return {set.gAudSource, set.gAudPttEn, set.gAudRouting, set.gDigSource, set.gDigVox};
}

void takePortSetup(const std::optional<RadioPortSettings>& applied, Settings& set, Requests& req,
                   bool& extPttEnabled) {
    if (!applied) return;
    set.gRadioPort = applied->port;
    set.gRadioSettings = applied->settings;
    set.gRadioHandshake = applied->handshake;
    extPttEnabled = applied->extPtt;
    req.reqPortReopen = true;
}

void takeCatSetup(const std::optional<CatPortSettings>& applied, Settings& set) {
    set.gCatSetupApplied = applied.has_value();
    if (!applied) return;
    set.gCatPort = applied->port;
    set.gCatSettings = applied->settings;
    set.gCatHandshake = applied->handshake;
}

void takeAudioSetup(const std::optional<AudioCodes>& applied, Settings& set, Requests& req) {
    if (!applied) return;
    set.gAudSource = applied->source;
    set.gAudPttEn = applied->pttEn;
    set.gAudRouting = applied->routing;
    set.gDigSource = applied->digSource;
    set.gDigVox = applied->digVox;
    req.reqAudioReload = true;
}

}  // namespace tolvane
