// Stages of the panel program and the main loop.
#include "app/controller.h"

#include <algorithm>
#include <limits>

#include "app/rig_endpoint.h"
#include "cat/cat_bridge.h"
#include "cat/rigctl_server.h"
#include "panel/panel_areas.h"
#include "panel/panel_tool_host.h"
#include "platform/port_map.h"
#include "radio/errors.h"
#include "radio/protocol.h"

namespace tolvane {

Controller::Controller(FrmTolvane& form, Shell& shell, Clock& clock, SerialPort& radioPort,
                       SerialPort& catPort)
    : form_(form),
      shell_(shell),
      clock_(clock),
      radioPort_(radioPort),
      catPort_(catPort),
      display(form, st, ps, set),
      link_(radioPort, clock, display, st) {
    display.setLink(&link_);
    hooks.comPortAvailable = [](int n) { return ComPortAvailable(n); };
    hooks.anotherInstance = [] { return false; };
    hooks.positionVisible = [](int, int) { return true; };
    radioPort_.setEventHandler([this](int e) { link_.MSComm1_OnComm(e); });
    const WindowSeams seams{
        [this](double seconds) {
            shell_.setNextWait(seconds);
            shell_.yield();
        },
        [this] { shell_.beep(); },
        [this](const std::string& text) { shell_.messageBox(text, ps.gAppTitle); }};
    areas_ =
        std::make_unique<PanelAreas>(form_, PanelContext{link_, st, req, ps, set, display}, seams);
    cat_ = std::make_unique<CatBridge>(catPort_, link_, areas_->catFrame);
    // CAT sets wait for the heartbeat rather than delay it.
    cat_->heartbeatDueIn = [this] {
        if (ps.gControlMode != ControlMode::Remote || st.gSyncTime == 0)
            return std::numeric_limits<double>::infinity();
        double now = clock_.now();
        return 2.0 - (now - midnightCorrected(st.gSyncTime, now));
    };
    // The transmit routines the loop runs: the external switch's
    // transmission, and switching off a TUNE or XMT that must stop.
    TransmitControl& transmit = areas_->transmit;
    transmit.syncTick = [this] { SyncTick(); };
    hooks.externalPtt = [&transmit] { transmit.cmdPTT_MouseDown(0, 0, 0, 0); };
    hooks.tuneOff = [&transmit] { transmit.TuneCmd(); };
    hooks.xmitOff = [&transmit] { transmit.XmitCmd(); };
    installSetupDialogs();
    installToolWindows();
    connectHandlers();
}

Controller::~Controller() = default;

void Controller::run() {
    for (;;) stage_ = step(stage_);
}

bool Controller::runUntil(const std::function<bool()>& until, int maxSteps) {
    for (int i = 0; i < maxSteps; ++i) {
        if (until()) return true;
        stage_ = step(stage_);
    }
    return until();
}

Controller::Stage Controller::step(Stage stage) {
    try {
        switch (stage) {
            case Stage::Prepare:
                return prepare();
            case Stage::OpenPort:
                return openPort();
            case Stage::WaitPort:
                return waitPort();
            case Stage::Query:
                return query();
            case Stage::QueryLoop:
                return queryLoop();
            case Stage::LocalInit:
                return localInit();
            case Stage::LocalWait:
                return localWait();
            case Stage::RemoteInit:
                return remoteInit();
            case Stage::AudioResync:
                return audioResync();
            case Stage::RemoteWait:
                return remoteWait();
            case Stage::RemoteFinish:
                return remoteFinish();
            case Stage::LoopEntry:
                return loopEntry();
            case Stage::Pass:
                return pass();
        }
    } catch (const StopRunning&) {
        throw;
    } catch (const std::exception& e) {
        // A radio port whose device went away (the adapter pulled, the
        // simulator ended) is closed; the radio query then waits for the
        // device to come back and opens it again.
        if (radioPortVanished()) return Stage::Query;
        // Before the loop's error rule is armed a failing stage is skipped:
        // start-up goes on with the radio query. Inside the loop a run-time
        // error abandons the pass and the loop starts again at its entry.
        if (!ps.gErrorRuleArmed) {
            if (stage == Stage::Prepare) return Stage::OpenPort;
            if (stage == Stage::OpenPort) return Stage::Query;
        }
        return Stage::LoopEntry;
    }
    return Stage::LoopEntry;
}

void Controller::tryStep(const std::function<void()>& fn) {
    if (ps.gErrorRuleArmed) {
        fn();
        return;
    }
    try {
        fn();
    } catch (const StopRunning&) {
        throw;
    } catch (const std::exception&) {
        // a failing start-up step is skipped
    }
}

int Controller::pendingRadioInput() {
    if (!radioPort_.isOpen()) return 0;
    return radioPort_.inBufferCount();
}

// -------------------------------------------------------------- radio query

Controller::Stage Controller::afterStatus() {
    display.ShowRemoteState();
    areas_->layout.whiteControlMode();
    if (st.gRemoteState == "R1") return Stage::RemoteInit;
    if (st.gRemoteState == "R0") return Stage::LocalInit;
    return Stage::Pass;  // no usable remote/local value: not used by callers
}

Controller::Stage Controller::query() {
    req.reqPortReopen = false;
    link_.Delay(0.5);
    st.gRemoteReport = false;
    link_.SendRadioCmd("?", true, 0.6);
    if (pendingRadioInput() > 0) {
        link_.ReadRadio();
        if (st.gRemoteReport) {
            Stage next = afterStatus();
            if (next != Stage::Pass) return next;
        }
    }
    return Stage::QueryLoop;
}

bool Controller::radioPortVanished() {
    if (!radioPort_.isOpen()) return false;
    try {
        radioPort_.inBufferCount();
        return false;
    } catch (const PortError&) {
    }
    try {
        radioPort_.close();
    } catch (const std::exception&) {
    }
    ps.gRadioPortLost = true;
    lostPortSaid_.clear();
    display.setComStat(mapping::LinkStatus::Lost);
    link_.ReportError("Radio port lost: waiting for it to come back...");
    return true;
}

// The number is not resolved afresh for a lost port: that takes Port Setup.
// A path that now leads to another device is said once per device.
bool Controller::lostPortBack() {
    if (!ps.gRadioPortLost || radioPort_.isOpen()) return false;
    LostDeviceState s = radioPort_.lostDevice();
    if (s.where == LostDevice::Replaced && s.now != lostPortSaid_) {
        lostPortSaid_ = s.now;
        link_.ReportError("Radio port: " + s.path + ": leads to " + s.now + " now, not to " +
                          s.had + "; not opened. Apply Port Setup to use it.");
    }
    return s.where == LostDevice::Back;
}

Controller::Stage Controller::reopenLostPort() {
    try {
        radioPort_.reopenLost();
    } catch (const PortError&) {
        return Stage::QueryLoop;  // still lost: looked at again on the next pass
    }
    ps.gRadioPortLost = false;
    ps.gRadioPortOk = true;
    display.setComStat(mapping::LinkStatus::PortOpened);
    display.setInfoText("Querying radio status");
    return Stage::Query;
}

Controller::Stage Controller::queryLoop() {
    shell_.yield();
    // A lost radio port is opened again when the device it had is back.
    if (lostPortBack()) return reopenLostPort();
    if (req.reqPortReopen) {
        req.reqPortReopen = false;
        return Stage::OpenPort;
    }
    link_.SendRadioCmd("?", true, 0.6);
    if (pendingRadioInput() > 0) {
        link_.ReadRadioNoWait();
        link_.SendRadioCmd("?", true, 0.6);
        link_.ReadRadio();
        if (st.gFullStatus) {
            Stage next = afterStatus();
            if (next != Stage::Pass) return next;
        }
    } else if (radioPort_.isOpen() && radioPort_.commEvent() == comm::kErBreak) {
        link_.Delay(5.0);
    }
    // A complete status without a usable remote/local value: into the main
    // loop without initialising the panel.
    if (st.gFullStatus) return Stage::LoopEntry;
    return Stage::QueryLoop;
}

void Controller::detectFirmware(bool local) {
    if (!(st.gDotSeen && (st.gExclSeen || st.gHashSeen))) return;
    st.gFwType = 0;
    int type = !st.gExclSeen ? protocol::kFwAdapt
                             : (st.gQSeen ? protocol::kFwNonAdapt : protocol::kFwV601);
    const protocol::FirmwareInfo* fw = protocol::firmware(type);
    st.gFwType = type;
    areas_->layout.showFirmware(local ? fw->localCaption : fw->remoteCaption);
}

// ------------------------------------------------------ LOCAL initialisation

Controller::Stage Controller::localInit() {
    if (ps.gRestarting) return Stage::LoopEntry;
    ps.gControlMode = ControlMode::Local;
    st.gRemoteReport = false;
    st.gFullStatus = false;
    return Stage::LocalWait;
}

Controller::Stage Controller::localWait() {
    link_.SendRadioCmd("?", true, 0.6);
    link_.ReadRadio();
    if (st.gFullStatus) {
        detectFirmware(true);
        return localFinish();
    }
    shell_.yield();
    // New port settings are honoured here as in the radio query.
    if (req.reqPortReopen) {
        req.reqPortReopen = false;
        return Stage::OpenPort;
    }
    return Stage::LocalWait;
}

Controller::Stage Controller::localFinish() {
    tryStep([&] {
        ps.gBfoOn = false;
        ps.gBfoOffset = "100";
        // The Adapt firmware's tuning is not locked under local control.
        ps.gTuneLock = st.gFwType != protocol::kFwAdapt;
        areas_->layout.localControls(st.gFwType == protocol::kFwAdapt);
        st.gSyncChar = " ";
    });
    return Stage::LoopEntry;
}

// ------------------------------------------------------------- main loop

Controller::Stage Controller::loopEntry() {
    // Keying asked for before a loss-of-sync restart was meant for a radio
    // state that no longer holds.
    if (ps.gRestarting) req.reqXmit = req.reqTune = req.reqAmpTune = false;
    st.gRadioBreak = false;
    ps.gScanActive = false;
    st.gSyncMissCount = 0;
    ps.gRestarting = false;
    st.gSyncChar = "U";
    PanelLayout& layout = areas_->layout;
    // The key is dropped here: an XMT or TUNE that held it is ended as its
    // button ends it (a split XMT returns to VFO A, TUNE restores the
    // radio), and an amplifier tune cycle is over.
    if (ps.gControlMode == ControlMode::Remote) {
        TransmitControl& transmit = areas_->transmit;
        tryStep([&] {
            if (transmit.xmitOn()) transmit.XmitCmd();
            if (transmit.tuneOn()) transmit.TuneCmd();
        });
    }
    ps.gAmpTuning = false;
    tryStep([&] {
        if (st.gExtPttEnabled) {
            st.gExtPttIdle = radioPort_.isOpen() ? radioPort_.dsrHolding() : true;
            if (st.gExtPttIdle) {
                layout.setExtPttLamp(colour::kGreen);
            } else {
                layout.setExtPttLamp(colour::kRed);
                shell_.messageBox("Check for stuck Push-to-Talk key, then click OK.", ps.gAppTitle);
                st.gExtPttIdle = radioPort_.isOpen() ? radioPort_.dsrHolding() : true;
                layout.setExtPttLamp(st.gExtPttIdle ? colour::kGreen : colour::kYellow);
            }
        } else {
            st.gExtPttIdle = true;
            layout.setExtPttLamp(colour::kYellow);
        }
    });
    tryStep([&] { layout.settleSplitAndStep(); });
    // Settings files that were no regular files were ignored; the progress
    // messages of the stages have overwritten that, so say it once more.
    if (!link_.notRegularFiles.empty()) {
        std::vector<std::string>& seen = link_.notRegularFiles;
        std::string names;
        for (size_t i = 0; i < seen.size(); ++i)
            if (std::find(seen.begin(), seen.begin() + static_cast<long>(i), seen[i]) ==
                seen.begin() + static_cast<long>(i))
                names += (names.empty() ? "" : ", ") + seen[i];
        seen.clear();
        link_.ReportError("Not a regular file, treated as missing: " + names);
    }
    ps.gErrorRuleArmed = true;
    return Stage::Pass;
}

void Controller::SyncTick() {
    link_.gSendSync(st.gSyncChar);
    if (pendingRadioInput() > 0) {
        link_.ReadRadio();
        showReports();
    }
    if (st.gSyncReply) {
        st.gSyncMissCount = 0;
        if (st.gSyncChar == "U")
            display.setSyncColour(st.gRadioKeyed ? colour::kRed : colour::kGreen);
        else if (st.gSyncChar == "K")
            display.setSyncColour(colour::kRed);
        st.gSyncReply = false;
    }
    PanelLayout& layout = areas_->layout;
    std::string xr = layout.transmitShown();
    if (xr == "Receive" && st.gRadioKeyed) {
        layout.showTransmit();
        display.ShowMeterSelection();
        ps.gTuneLock = true;
    } else if (xr == "Transmit" && !st.gRadioKeyed) {
        layout.showReceive();
        display.ShowMeterSelection();
        ps.gTuneLock = false;
    }
}

// How long the pass's yield may block: not at all while radio input waits
// to be read (it is read and shown in this pass); otherwise until the
// heartbeat or the blanking of the sync lamp falls due, shorter while an
// external push-to-talk switch is watched or the CAT bridge has work coming
// due, and never longer than a quarter of a second. Port input, window
// events and a termination signal end the wait earlier.
double Controller::idleWait() {
    if (st.gRadioBreak || pendingRadioInput() > 0) return 0.0;
    double wait = kLongestIdleWait;
    if (ps.gControlMode == ControlMode::Remote) {
        double now = clock_.now();
        double since = now - midnightCorrected(st.gSyncTime, now);
        for (double due : {1.0, 2.0}) {
            double left = due - since + 0.005;
            if (left > 0 && left < wait) wait = left;
        }
        if (st.gSyncChar != st.gLastSync) wait = 0.0;  // a key change goes out at once
    }
    if (st.gExtPttEnabled) wait = std::min(wait, 0.05);
    return std::min(wait, cat_->nextWorkIn());
}

namespace {
// Reports gUpdateDisplay has still to show.
bool reportsToShow(const RadioState& s) {
    return s.gRemoteReport || s.gAgcReportNew || s.gModeReportNew || s.gFreqReportNew ||
           s.gChanSelReportNew || s.gSourceReportNew || s.gLocRemReportNew || s.gClipReportNew ||
           s.gMeterReportNew || s.gPttEnReportNew || s.gSpeakerReportNew || s.gSideToneReportNew ||
           s.gVoxReportNew || s.gAmpReportNew || s.gAmpTuneReportNew || s.gFaultReportNew ||
           s.gChanReportNew;
}
}  // namespace

void Controller::showReports() {
    if (reportsToShow(st)) display.gUpdateDisplay();
}

Controller::Stage Controller::pass() {
    PanelLayout& layout = areas_->layout;
    // The radio changed between remote and local control.
    std::string shown = layout.controlModeShown();
    if (shown != controlModeCaption(ps.gControlMode)) {
        if (ps.gControlMode == ControlMode::Remote && shown == "LOCAL") return Stage::LocalInit;
        if (ps.gControlMode == ControlMode::Local && shown == "REMOTE") return Stage::RemoteInit;
        // Not initialised yet (a complete status came without a usable
        // remote/local report): a later report starts that initialisation.
        if (ps.gControlMode == ControlMode::None && shown == "LOCAL") return Stage::LocalInit;
        if (ps.gControlMode == ControlMode::None && shown == "REMOTE") return Stage::RemoteInit;
        // Any other difference goes on with the pass: the yield is never skipped.
    }
    // Yield once; an idle panel blocks here until something falls due.
    shell_.setNextWait(idleWait());
    shell_.yield();
    // A lost radio port is opened again when the device it had is back.
    if (lostPortBack()) return reopenLostPort();
    cat_->serviceLine();
    // A break on the radio line: query the radio again.
    if (st.gRadioBreak) return Stage::Query;
    // The reports that came meanwhile, and the activity lamp idle.
    display.gUpdateDisplay();
    display.setLamp(Lamp::Idle);
    // Remote only: tune time-out, external push-to-talk, sync.
    if (ps.gControlMode == ControlMode::Remote) {
        if (areas_->amplifier.tuneTimedOut()) areas_->utility.GetStatusCmd();
        if (layout.pttEnableShown() == "OFF") layout.setExtPttLamp(colour::kYellow);
        if (!st.gExtPttEnabled) {
            layout.setExtPttLamp(colour::kYellow);
        } else if (layout.pttEnableShown() == "ON" && layout.extPttLamp() == colour::kYellow &&
                   st.gExtPttIdle) {
            layout.setExtPttLamp(colour::kGreen);
        }
        if (st.gExtPttEnabled) {
            if (layout.extPttLamp() == colour::kGreen && !st.gExtPttIdle && !ps.gXmtOn) {
                layout.setExtPttLamp(colour::kRed);
                if (hooks.externalPtt) hooks.externalPtt();
            }
            if (layout.extPttLamp() == colour::kRed && st.gExtPttIdle)
                layout.setExtPttLamp(colour::kGreen);
        }
        SyncTick();
        if (st.gSyncMissCount > 5) {
            display.setInfoText("No Sync Response: Restarting...");
            ps.gRestarting = true;
            return Stage::Query;
        }
    }
    // Request dispatch.
    Stage next = Stage::Pass;
    bool leave = false;
    dispatchRequests(next, leave);
    if (leave) return next;
    // Answers the routines read are shown now, not after the next yield.
    showReports();
    // A running TUNE or XMT whose button was disabled is switched off.
    // So is one keyed on a frequency that is not permitted, and an
    // amplifier tune cycle there.
    TransmitControl& transmit = areas_->transmit;
    if ((layout.tuneRunningDisabled() || transmit.tuneMustStop()) && hooks.tuneOff) hooks.tuneOff();
    if ((layout.xmitRunningDisabled() || transmit.xmitMustStop()) && hooks.xmitOff) hooks.xmitOff();
    areas_->amplifier.stopTuneWhereNotPermitted();
    // Audio settings applied under remote control: the REMOTE initialisation again.
    if (layout.controlModeShown() == "REMOTE" && req.reqAudioReload) return Stage::RemoteInit;
    // Input that came meanwhile is read and shown at once: the band
    // check (the transmit interlock) must not wait for the next yield.
    if (pendingRadioInput() > 0) {
        link_.ReadRadio();
        showReports();
    }
    return Stage::Pass;
}

}  // namespace tolvane
