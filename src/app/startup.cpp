// Start-up preparation, the opening of both serial ports and the close
// handler of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/controller.h"
#include "cat/cat_bridge.h"
#include "panel/frm_tolvane.h"
#include "panel/panel_areas.h"
#include "panel/vb.h"
#include "platform/handshake.h"
#include "platform/port_map.h"
#include "radio/protocol.h"
#include "setup/cat_setup_file.h"
#include "setup/panel_state_file.h"
#include "setup/port_setup_file.h"
#include "setup/text_file.h"

namespace tolvane {

namespace {
const char* kTitle = "Tolvane 0.962b : 8-24-18 : 1140";

std::string folderPath() {
    return QDir::currentPath().toStdString() + "/";
}
}  // namespace

// ------------------------------------------------------------ preparation

Controller::Stage Controller::prepare() {
    PanelLayout& layout = areas_->layout;
    ps.gAppTitle = kTitle;
    // One copy per working folder.
    if (hooks.anotherInstance()) {
        // Nothing is saved or closed on the way out, not even when a
        // termination signal closes the message.
        ending_ = true;
        shell_.messageBox(ps.gAppTitle + " is already running. OK to Close this program.",
                          ps.gAppTitle);
        shell_.endProgram();
        throw StopRunning{};
    }
    // Key preview is built into the window (it reports keys before its controls).
    // Centre horizontally, a third of the way down (twips).
    tryStep([&] {
        QScreen* screen = QGuiApplication::primaryScreen();
        QRect avail = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
        QSize size = form_.frameGeometry().size();
        form_.move(avail.x() + (avail.width() - size.width()) / 2,
                   avail.y() + (avail.height() - size.height()) / 3);
    });
    // The panel state file.
    tryStep([&] { restorePanelState(); });
    tryStep([&] { form_.setWindowTitle(QString::fromStdString(ps.gAppTitle)); });
    // Reset the panel.
    tryStep([&] {
        layout.hideStartupBoxes();
        link_.Delay(0.5);
        ps.gBfoOn = false;
        ps.gBfoOffset = "100";
        layout.resetIndicators();
    });
    // The panel is visible from here on.
    tryStep([&] { form_.show(); });
    tryStep([&] { layout.resetAmpControls(); });
    // CAT settings.
    tryStep([&] {
        display.setInfoText("Opening " + folderPath() + kCatSetupFileName + " File.. ");
        if (link_.fileExists(kCatSetupFileName)) {
            std::optional<CatStartupSettings> cat = readCatSetupForStartup(kCatSetupFileName);
            if (cat) {
                set.gCatPort = cat->port;
                set.gCatSettings = cat->settings;
                set.gCatHandshake = cat->handshake;
            }
            display.setInfoText(std::string(kCatSetupFileName) + " Opened");
            if (hooks.comPortAvailable(portNumberValue(set.gCatPort))) {
                SetUpCatPort();
            } else {
                areas_->catFrame.showNoCatPort();
            }
        }
    });
    // The network rig control endpoint and the TS-2000 answers.
    tryStep([&] { setUpRigControl(); });
    // Radio port settings.
    tryStep([&] {
        display.reportError("Opening " + folderPath() + kPortSetupFileName + " File.. ");
        if (link_.fileExists(kPortSetupFileName)) {
            std::optional<PortStartupSettings> p = readPortSetupForStartup(kPortSetupFileName);
            if (p) {
                set.gRadioPort = p->port;
                set.gRadioSettings = p->settings;
                set.gRadioHandshake = p->handshake;
                st.gExtPttEnabled = p->extPtt;
            }
            display.setInfoText(std::string(kPortSetupFileName) + " File Opened");
            display.setInfoText("");
        } else {
            st.gExtPttEnabled = false;
            if (hooks.openPortSetup) hooks.openPortSetup();
        }
    });
    return Stage::OpenPort;
}

void Controller::restorePanelState() {
    if (!link_.fileExists(kPanelStateFileName)) return;
    std::optional<PanelStateFile> f = readPanelStateFile(kPanelStateFileName);
    if (!f) return;
    PanelLayout& layout = areas_->layout;
    tryStep([&] {
        long left = twipsValue(f->left);
        long top = twipsValue(f->top);
        // A window restored entirely off every screen keeps the centre position.
        if (hooks.positionVisible(static_cast<int>(left), static_cast<int>(top)))
            form_.move(vb::twipsToPixels(static_cast<double>(left), &form_),
                       vb::twipsToPixels(static_cast<double>(top), &form_));
    });
    tryStep([&] {
        if (vfoBDigitsApply(f->vfoB)) layout.restoreVfoB(f->vfoB);
    });
    tryStep([&] { layout.restoreVfoBMode(f->vfoBMode); });
    tryStep([&] { layout.restoreSplit(f->split); });
    tryStep([&] { layout.restoreStepSize(f->stepSize); });
}

// ----------------------------------------------------------- port opening

bool Controller::SetUpRadioPort() {
    FlowControl flow = handshakeFlow(set.gRadioHandshake);
    if (radioPort_.isOpen()) {
        try {
            if (radioPort_.inBufferCount() > 0) radioPort_.input();
        } catch (const PortError&) {
            // a device that went away is closed all the same
        }
        radioPort_.close();
        link_.Delay(0.5);
    }
    PortConfig cfg;
    cfg.portNumber = portNumberValue(set.gRadioPort);
    cfg.flow = flow;
    cfg.settings = set.gRadioSettings;
    cfg.inBufferSize = 4096;
    cfg.outBufferSize = 256;
    cfg.receiveThreshold = 0;
    cfg.discardNull = true;
    cfg.parityReplace = ':';
    cfg.rts = true;
    ps.gLastRadioPort = cfg.portNumber;
    radioPort_.open(cfg);
    if (radioPort_.isOpen()) return true;
    display.setInfoText("Selected port did not open...");
    return false;
}

void Controller::SetUpCatPort() {
    FlowControl flow = handshakeFlow(set.gCatHandshake);
    if (catPort_.isOpen()) catPort_.close();
    PortConfig cfg;
    cfg.portNumber = portNumberValue(set.gCatPort);
    cfg.flow = flow;
    // The port keeps one spelling of its settings, whatever blanks the
    // dialog's list items brought in.
    cfg.settings = normalLineSettings(set.gCatSettings);
    cfg.receiveThreshold = 3;
    cat_->reset();
    catPort_.open(cfg);
    set.gCatSetupApplied = false;
}

Controller::Stage Controller::openPort() {
    int n = portNumberValue(set.gRadioPort);
    if ((n != 0 && n == ps.gLastRadioPort) || hooks.comPortAvailable(n)) {
        try {
            ps.gRadioPortOk = SetUpRadioPort();
        } catch (const StopRunning&) {
            throw;
        } catch (const PortError& e) {
            return radioPortFailed(e);
        } catch (const std::exception&) {
            // The store is skipped; inside the loop the pass is abandoned.
            if (ps.gErrorRuleArmed) throw;
            return Stage::Query;
        }
        if (ps.gRadioPortOk) {
            ps.gRadioPortLost = false;
            display.setComStat(mapping::LinkStatus::PortOpened);
            display.setInfoText("Querying radio status");
            req.reqPortReopen = false;
        }
        return Stage::Query;
    }
    display.reportError("Port is not available. Use Setup menu or Exit.");
    display.setComStat(mapping::LinkStatus::NoPort);
    areas_->layout.setControlModeCaption("");
    req.reqPortReopen = false;
    return Stage::WaitPort;
}

// The port did not open (missing, held, a line setting refused): the
// request is served, the panel says why and shows the link lost, and waits
// for new settings; nothing is sent meanwhile. The port has no device of
// its own any more, so nothing is opened again until settings are applied.
Controller::Stage Controller::radioPortFailed(const PortError& e) {
    req.reqPortReopen = false;
    ps.gRadioPortOk = false;
    ps.gRadioPortLost = true;
    link_.ReportError("Radio port: " + std::string(e.what()));
    display.setComStat(mapping::LinkStatus::NoPort);
    areas_->layout.setControlModeCaption("");
    return Stage::WaitPort;
}

Controller::Stage Controller::waitPort() {
    shell_.setNextWait(0.25);  // nothing falls due while waiting for settings
    shell_.yield();
    return req.reqPortReopen ? Stage::OpenPort : Stage::WaitPort;
}

// --------------------------------------------------------------- shutdown

void Controller::writePanelState() {
    PanelState s;
    QPoint pos = form_.pos();
    s.left = vb::pixelsToTwips(pos.x(), &form_);
    s.top = vb::pixelsToTwips(pos.y(), &form_);
    PanelValues shown = areas_->layout.values();
    s.vfoB = shown.vfoB;
    s.vfoBMode = shown.vfoBMode;
    s.split = shown.split;
    s.stepSize = shown.stepSize;
    WriteResult r = writePanelStateFile(kPanelStateFileName, s);
    if (!r.ok)
        link_.ReportError(std::string(kPanelStateFileName) + ": Err " + std::to_string(r.err) +
                          ". " + r.message);
}

void Controller::form_queryUnload(int, int) {
    if (ending_) return;
    ending_ = true;
    // The panel state file; a file that cannot be written never stops the rest.
    try {
        writePanelState();
    } catch (const std::exception&) {
    }
    // Leave the radio unkeyed and at the reset RF gain, then close its port.
    try {
        if (radioPort_.isOpen()) {
            // The amplifier's tune keys with a "K" of its own.
            if (st.gLastSync == "K" || st.gSyncChar == "K") link_.writeDirect("U");
            link_.writeDirect("G00\n");
            link_.Delay(0.3);
            if (radioPort_.inBufferCount() > 0) radioPort_.input();
        }
    } catch (const std::exception&) {
    }
    try {
        radioPort_.close();
    } catch (const std::exception&) {
    }
    closeRigControl();
    // The CAT port.
    try {
        if (catPort_.isOpen()) catPort_.close();
    } catch (const std::exception&) {
    }
    shell_.endProgram();
}

}  // namespace tolvane
