// Stages of the panel program and the main loop.
#include "app/controller.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <array>

#include "cat/cat_bridge.h"
#include "panel/frm_tolvane.h"
#include "panel/receiver_controls.h"
#include "panel/vb.h"
#include "platform/port_map.h"
#include "radio/errors.h"
#include "radio/protocol.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setBackColour;
using vb::setCaption;

namespace {
// The CAT frame of the main window as the CAT bridge sees it.
class FormCatPanel final : public CatPanel {
public:
    explicit FormCatPanel(FrmTolvane& f) : f_(f) {}
    std::string digitalMode() override { return caption(f_.ui->cmbDig); }
    void showCatInput(const std::string& t) override { setCaption(f_.ui->txtInCat, printable(t)); }
    void showCatOutput(const std::string& t) override { setCaption(f_.ui->txtOutCAT, printable(t)); }
    void setComStat(const std::string& c) override { setCaption(f_.ui->lblComStat, c); }

private:
    // Station software may send any byte: show control characters as "?".
    static std::string printable(std::string t) {
        for (char& ch : t)
            if (static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) > 126) ch = '?';
        return t;
    }
    FrmTolvane& f_;
};
}  // namespace

Controller::Controller(FrmTolvane& form, Shell& shell, Clock& clock, SerialPort& radioPort,
                       SerialPort& catPort)
    : display(form, st, ps, set),
      link(radioPort, clock, display, st),
      form_(form),
      shell_(shell),
      clock_(clock),
      radioPort_(radioPort),
      catPort_(catPort) {
    display.setLink(&link);
    comPortAvailable = [](int n) { return ComPortAvailable(n); };
    anotherInstance = [] { return false; };
    positionVisible = [](int, int) { return true; };
    radioPort_.setEventHandler([this](int e) { link.MSComm1_OnComm(e); });
    catPanel_ = std::make_unique<FormCatPanel>(form_);
    cat_ = std::make_unique<CatBridge>(catPort_, link, *catPanel_);
    receiver_ = std::make_unique<ReceiverControls>(*this);
    receiver_->connectHandlers();
    installSetupDialogs();
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
    vb::setForeColour(form_.ui->lblREMOTE, colour::kWhite);
    if (st.gRemoteState == "R1") return Stage::RemoteInit;
    if (st.gRemoteState == "R0") return Stage::LocalInit;
    return Stage::Pass;  // no usable remote/local value: not used by callers
}

Controller::Stage Controller::query() {
    req.reqPortReopen = false;
    link.Delay(0.5);
    st.gRemoteReport = false;
    link.SendRadioCmd("?", true, 0.6);
    if (pendingRadioInput() > 0) {
        link.ReadRadio();
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
    setCaption(form_.ui->lblComStat, "No Com");
    link.ReportError("Radio port lost: waiting for it to come back...");
    return true;
}

// The number is not resolved afresh for a lost port: that takes Port Setup.
// A path that now leads to another device is said once per device.
bool Controller::lostPortBack() {
    if (!ps.gRadioPortLost || radioPort_.isOpen()) return false;
    LostDeviceState s = radioPort_.lostDevice();
    if (s.where == LostDevice::Replaced && s.now != lostPortSaid_) {
        lostPortSaid_ = s.now;
        link.ReportError("Radio port: " + s.path + ": leads to " + s.now + " now, not to " + s.had +
                         "; not opened. Apply Port Setup to use it.");
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
    setCaption(form_.ui->lblComStat, "COM" + set.gRadioPort);
    setCaption(form_.ui->txtInfo, "Querying radio status");
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
    link.SendRadioCmd("?", true, 0.6);
    if (pendingRadioInput() > 0) {
        link.ReadRadioNoWait();
        link.SendRadioCmd("?", true, 0.6);
        link.ReadRadio();
        if (st.gFullStatus) {
            Stage next = afterStatus();
            if (next != Stage::Pass) return next;
        }
    } else if (radioPort_.isOpen() && radioPort_.commEvent() == comm::kErBreak) {
        link.Delay(5.0);
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
    setCaption(form_.ui->lblFWType, local ? fw->localCaption : fw->remoteCaption);
}

// ------------------------------------------------------ LOCAL initialisation

Controller::Stage Controller::localInit() {
    if (ps.gRestarting) return Stage::LoopEntry;
    ps.gControlMode = "LOCAL";
    st.gRemoteReport = false;
    st.gFullStatus = false;
    return Stage::LocalWait;
}

Controller::Stage Controller::localWait() {
    link.SendRadioCmd("?", true, 0.6);
    link.ReadRadio();
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
    auto* ui = form_.ui;
    tryStep([&] {
        ui->fraRightButtons->setVisible(true);
        ui->fraLeftButtons->setVisible(true);
        ui->fraRF->setVisible(true);
        ui->fraBand->setVisible(true);
        ps.gBfoOn = false;
        ps.gBfoOffset = "100";
        if (st.gFwType == protocol::kFwAdapt) ui->pbMeter->setEnabled(false);
    });
    tryStep([&] {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 ui->cmdMute, ui->cmdBFO, ui->cmdSideTone, ui->cmdVOX, ui->cmdClipping,
                 ui->cmdPTTEn, ui->cmdTune, ui->cmdXmit, ui->vscRFG})
            w->setEnabled(false);
        ui->cmdPTT->setEnabled(false);
        ui->cmdViewInData->setEnabled(true);
    });
    tryStep([&] {
        bool adapt = st.gFwType == protocol::kFwAdapt;
        ps.gTuneLock = !adapt;
        // The scan windows are not part of this panel yet: their entries stay disabled.
        ui->mnuScanFreqs->setEnabled(false);
        ui->mnuScanBands->setEnabled(false);
    });
    tryStep([&] {
        ui->lblU->setVisible(false);
        ui->txtInData->clear();
        ui->txtInData->setVisible(false);
        st.gSyncChar = " ";
    });
    return Stage::LoopEntry;
}

// ------------------------------------------------------------- main loop

void Controller::setExtPttLamp(long colour) { setBackColour(form_.ui->lblExtPTT, colour); }

Controller::Stage Controller::loopEntry() {
    st.gRadioBreak = false;
    ps.gScanActive = false;
    st.gSyncMissCount = 0;
    ps.gRestarting = false;
    st.gSyncChar = "U";
    tryStep([&] {
        if (st.gExtPttEnabled) {
            st.gExtPttIdle = radioPort_.isOpen() ? radioPort_.dsrHolding() : true;
            if (st.gExtPttIdle) {
                setExtPttLamp(colour::kGreen);
            } else {
                setExtPttLamp(colour::kRed);
                shell_.messageBox("Check for stuck Push-to-Talk key, then click OK.",
                                  ps.gAppTitle);
                st.gExtPttIdle = radioPort_.isOpen() ? radioPort_.dsrHolding() : true;
                setExtPttLamp(st.gExtPttIdle ? colour::kGreen : colour::kYellow);
            }
        } else {
            st.gExtPttIdle = true;
            setExtPttLamp(colour::kYellow);
        }
    });
    tryStep([&] {
        auto* ui = form_.ui;
        if (caption(ui->lblSplit).empty()) setCaption(ui->lblSplit, "Split Off");
        if (caption(ui->lblSplit) == "Split Off") form_.optTXVFO[0]->setChecked(true);
        if (caption(ui->lblSplit) == "Split On") form_.optTXVFO[1]->setChecked(true);
        if (caption(ui->cmbStepSize).empty()) setCaption(ui->cmbStepSize, "OFF");
    });
    ps.gErrorRuleArmed = true;
    return Stage::Pass;
}

void Controller::SyncTick() {
    link.gSendSync(st.gSyncChar);
    if (pendingRadioInput() > 0) link.ReadRadio();
    auto* ui = form_.ui;
    if (st.gSyncReply) {
        st.gSyncMissCount = 0;
        if (st.gSyncChar == "U")
            setBackColour(ui->lblU, st.gRadioKeyed ? colour::kRed : colour::kGreen);
        else if (st.gSyncChar == "K")
            setBackColour(ui->lblU, colour::kRed);
        st.gSyncReply = false;
    }
    std::string xr = caption(ui->lblXMTRCV);
    if (xr == "Receive" && st.gRadioKeyed) {
        setBackColour(ui->lblU, colour::kRed);
        setBackColour(ui->lblXMTRCV, colour::kRed);
        setCaption(ui->lblXMTRCV, "Transmit");
        display.ShowMeterSelection();
        ps.gTuneLock = true;
    } else if (xr == "Transmit" && !st.gRadioKeyed) {
        setBackColour(ui->lblXMTRCV, colour::kGreen);
        setCaption(ui->lblXMTRCV, "Receive");
        display.ShowMeterSelection();
        ps.gTuneLock = false;
    }
}

// How long the pass's yield may block: until the heartbeat or the blanking
// of the sync lamp falls due, shorter while an external push-to-talk switch
// is watched or CAT input waits, and never longer than half a second.
double Controller::idleWait() {
    double wait = 0.5;
    if (ps.gControlMode == "REMOTE") {
        double now = clock_.now();
        double since = now - midnightCorrected(st.gSyncTime, now);
        for (double due : {1.0, 2.0}) {
            double left = due - since + 0.005;
            if (left > 0 && left < wait) wait = left;
        }
        if (st.gSyncChar != st.gLastSync) wait = 0.0;  // a key change goes out at once
    }
    if (st.gExtPttEnabled) wait = std::min(wait, 0.05);
    if (catQuietSince_ >= 0) wait = std::min(wait, kCatQuiet);
    return wait;
}

// The CAT port raises its receive event once three characters wait. One or
// two characters that arrive after the last event (the end of a command
// split across receives) are taken when the line has been quiet a moment,
// so that every complete command is served.
void Controller::catLeftovers() {
    int n = 0;
    try {
        n = catPort_.isOpen() ? catPort_.inBufferCount() : 0;
    } catch (const PortError&) {
        n = 0;
    }
    double now = clock_.now();
    if (n <= 0) {
        catQuietSince_ = -1.0;
        return;
    }
    if (catQuietSince_ < 0 || n != catQuietCount_) {
        catQuietSince_ = now;
        catQuietCount_ = n;
        return;
    }
    catQuietSince_ = midnightCorrected(catQuietSince_, now);
    if (now - catQuietSince_ >= kCatQuiet) {
        catQuietSince_ = -1.0;
        cat_->MSComm2_OnComm(comm::kEvReceive);
    }
}

Controller::Stage Controller::pass() {
    auto* ui = form_.ui;
    // 1. The radio changed between remote and local control.
    std::string shown = caption(ui->lblREMOTE);
    if (shown != ps.gControlMode) {
        if (ps.gControlMode == "REMOTE" && shown == "LOCAL") return Stage::LocalInit;
        if (ps.gControlMode == "LOCAL" && shown == "REMOTE") return Stage::RemoteInit;
        // Not initialised yet (a complete status came without a usable
        // remote/local report): a later report starts that initialisation.
        if (ps.gControlMode.empty() && shown == "LOCAL") return Stage::LocalInit;
        if (ps.gControlMode.empty() && shown == "REMOTE") return Stage::RemoteInit;
        // Any other difference goes on with the pass: the yield is never skipped.
    }
    // 2. Yield once; an idle panel blocks here until something falls due.
    shell_.setNextWait(idleWait());
    shell_.yield();
    // A lost radio port is opened again when the device it had is back.
    if (lostPortBack()) return reopenLostPort();
    catLeftovers();
    // 3. A break on the radio line: query the radio again.
    if (st.gRadioBreak) return Stage::Query;
    // 4., 5.
    display.gUpdateDisplay();
    display.setLamp(Lamp::Idle);
    // 6. Remote only: tune time-out, external push-to-talk, sync.
    if (ps.gControlMode == "REMOTE") {
        if (ps.gAmpTuning) {
            double now = clock_.now();
            if (ps.gAmpTuneStart > now) ps.gAmpTuneStart -= 86400.0;
            if (now - ps.gAmpTuneStart > 20.0) {
                st.gSyncChar = "U";
                ps.gAmpTuning = false;
                setCaption(ui->txtInfo, "Timeout: Tune Cancelled");
                GetStatusCmd();
            }
        }
        if (caption(ui->lblPTTEn) == "OFF") setExtPttLamp(colour::kYellow);
        if (!st.gExtPttEnabled) {
            setExtPttLamp(colour::kYellow);
        } else if (caption(ui->lblPTTEn) == "ON" && vb::backColour(ui->lblExtPTT) == colour::kYellow &&
                   st.gExtPttIdle) {
            setExtPttLamp(colour::kGreen);
        }
        if (st.gExtPttEnabled) {
            if (vb::backColour(ui->lblExtPTT) == colour::kGreen && !st.gExtPttIdle && !ps.gXmtOn) {
                setExtPttLamp(colour::kRed);
                if (externalPtt) externalPtt();
            }
            if (vb::backColour(ui->lblExtPTT) == colour::kRed && st.gExtPttIdle)
                setExtPttLamp(colour::kGreen);
        }
        SyncTick();
        if (st.gSyncMissCount > 5) {
            setCaption(ui->txtInfo, "No Sync Response: Restarting...");
            ps.gRestarting = true;
            return Stage::Query;
        }
    }
    // 7. Request dispatch.
    Stage next = Stage::Pass;
    bool leave = false;
    dispatchRequests(next, leave);
    if (leave) return next;
    // 8. A running TUNE or XMT whose button was disabled is switched off.
    if (caption(ui->cmdTune) == "T&UNE OFF" && !ui->cmdTune->isEnabled() && tuneOff) tuneOff();
    if (caption(ui->cmdXmit) == "&XMT OFF" && !ui->cmdXmit->isEnabled() && xmitOff) xmitOff();
    // 9.
    if (caption(ui->lblREMOTE) == "REMOTE" && req.reqAudioReload) return Stage::RemoteInit;
    // 10.
    if (pendingRadioInput() > 0) link.ReadRadio();
    return Stage::Pass;
}

}  // namespace tolvane
