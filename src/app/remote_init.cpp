// The REMOTE initialisation: takes charge of a radio under remote control,
// brings its audio settings to the configured values, checks the frequency,
// resets RF gain and BFO and enables the operator controls.
#include <functional>

#include "app/controller.h"
#include "panel/panel_areas.h"
#include "radio/protocol.h"
#include "setup/audio_setup_file.h"

namespace tolvane {

Controller::Stage Controller::remoteInit() {
    if (ps.gRestarting) return Stage::LoopEntry;
    ps.gControlMode = ControlMode::Remote;
    // Audio settings applied from Audio Setup while the radio was under its
    // front panel's control waited for this initialisation: they are what
    // the operator chose last, so the file does not override them.
    const bool applied = req.reqAudioReload;
    req.reqAudioReload = false;
    tryStep([&] { set.gTxUnrestricted = link_.fileExists("Permissions.txt"); });
    tryStep([&] {
        if (applied) return;
        AudioCodes codes = kAudioDefaults;
        if (link_.fileExists(kAudioSetupFileName)) codes = audioCodesAtStartup(kAudioSetupFileName);
        set.gAudSource = codes.source;
        set.gAudPttEn = codes.pttEn;
        set.gAudRouting = codes.routing;
        set.gDigSource = codes.digSource;
        set.gDigVox = codes.digVox;
    });
    return Stage::AudioResync;
}

Controller::Stage Controller::audioResync() {
    tryStep([&] {
        ps.gTuneLock = true;
        areas_->layout.remoteStandby();
    });
    return Stage::RemoteWait;
}

Controller::Stage Controller::remoteWait() {
    if (st.gFullStatus) return Stage::RemoteFinish;
    link_.SendRadioCmd("?", true, 0.6);
    link_.ReadRadio();
    shell_.yield();
    // New port settings are honoured here as in the radio query.
    if (req.reqPortReopen) {
        req.reqPortReopen = false;
        return Stage::OpenPort;
    }
    return Stage::RemoteWait;
}

Controller::Stage Controller::remoteFinish() {
    ReceiverControls& rc = areas_->receiver;
    PanelLayout& layout = areas_->layout;
    tryStep([&] { detectFirmware(false); });
    // Bring the radio's audio to the wanted values, row by row.
    auto bring = [&](std::string RadioState::*report, const std::string& wanted, int runs,
                     double pause, const std::function<void()>& routine) {
        for (int i = 0; i < runs && st.*report != wanted; ++i) {
            routine();
            if (pause > 0) link_.Delay(pause);
        }
    };
    tryStep([&] {
        bring(&RadioState::gLocRemReport, set.gAudRouting, 1, 0, [&] { rc.AudioToggleCmd(); });
    });
    tryStep([&] { display.ShowLocRem(); });
    tryStep([&] {
        // The source is stepped on the routing just brought in: picking a
        // source in the source box would also switch the audio to local and
        // undo a remote routing the operator stored.
        bring(&RadioState::gSourceReport, set.gAudSource, 4, 0.2, [&] {
            rc.StepAudioSource(set.gAudSource);
            link_.ReadRadio();
        });
    });
    tryStep([&] { display.ShowSource(); });
    tryStep([&] { bring(&RadioState::gClipReport, "I0", 3, 0, [&] { rc.ClipCmd(); }); });
    tryStep([&] { display.ShowClipping(); });
    tryStep([&] { bring(&RadioState::gPttEnReport, set.gAudPttEn, 3, 0, [&] { rc.PttEnCmd(); }); });
    tryStep([&] {
        display.ShowPttEnable();
        display.ShowSideTone();
    });
    tryStep([&] { bring(&RadioState::gVoxReport, "V0", 4, 0, [&] { rc.VoxCmd(); }); });
    tryStep([&] {
        display.ShowVox();
        display.ShowAgc();
        display.ShowMode();
    });
    // Frequency.
    tryStep([&] {
        if (!st.gFreqReportOk) {
            display.setInfoText("Invalid Frequency: Setting frequency to 12345.67");
            link_.SetFreqCmd("1234567");
        }
        display.ShowFreqDigits();
        bool allowed = display.IsInBand(st.gFreqReport);
        display.SetTxControlsEnabled(allowed);
    });
    // RF gain reset; meters.
    tryStep([&] {
        rc.resetRfGain();
        layout.enableMeters(st.gFwType == protocol::kFwAdapt);
    });
    tryStep([&] { layout.showOperatorControls(); });
    tryStep([&] { rc.resetBfo(); });
    tryStep([&] {
        layout.enableRemoteControls(hooks.scanWindowsAvailable);
        // The band check again, so that a click queued before the first pass
        // cannot find the transmit buttons enabled outside the permitted bands.
        bool allowed = display.IsInBand(st.gFreqReport);
        display.SetTxControlsEnabled(allowed);
    });
    // A fresh status, then the amplifier controls.
    tryStep([&] {
        link_.ReadRadio();
        link_.SendRadioCmd("?", true, 0.6);
        link_.ReadRadio();
        ps.gTuneLock = false;
        layout.enableAmpControls();
    });
    tryStep([&] { radioPort_.setDtr(true); });
    link_.Delay(0.5);
    return Stage::LoopEntry;
}

}  // namespace tolvane
