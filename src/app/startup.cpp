// Start-up preparation, the opening of both serial ports and the close
// handler of the main window.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "app/controller.h"
#include "cat/cat_bridge.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "platform/handshake.h"
#include "platform/port_map.h"
#include "radio/protocol.h"
#include "setup/cat_setup_file.h"
#include "setup/panel_state_file.h"
#include "setup/port_setup_file.h"
#include "setup/text_file.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setBackColour;
using vb::setCaption;

namespace {
const char* kTitle = "Tolvane 0.962b : 8-24-18 : 1140";

std::string folderPath() { return QDir::currentPath().toStdString() + "/"; }
}  // namespace

// ------------------------------------------------------------ preparation

Controller::Stage Controller::prepare() {
    auto* ui = form_.ui;
    // 1. Title.
    ps.gAppTitle = kTitle;
    // 2. One copy per working folder.
    if (anotherInstance()) {
        shell_.messageBox(ps.gAppTitle + " is already running. OK to Close this program.",
                          ps.gAppTitle);
        ending_ = true;
        shell_.endProgram();
        throw StopRunning{};
    }
    // 3. Key preview is built into the window (it reports keys before its controls).
    // 4. Centre horizontally, a third of the way down (twips).
    tryStep([&] {
        QScreen* screen = QGuiApplication::primaryScreen();
        QRect avail = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
        QSize size = form_.frameGeometry().size();
        form_.move(avail.x() + (avail.width() - size.width()) / 2,
                   avail.y() + (avail.height() - size.height()) / 3);
    });
    // 5. The panel state file.
    tryStep([&] { restorePanelState(); });
    // 6.
    tryStep([&] { form_.setWindowTitle(QString::fromStdString(ps.gAppTitle)); });
    // 7. Reset the panel.
    tryStep([&] {
        setCaption(ui->lblInfo, "");
        ui->txtInData->setVisible(false);
        ui->lblU->setVisible(false);
        link.Delay(0.5);
        setCaption(ui->lblU, "");
        ui->lblXMTRCV->setEnabled(false);
        vb::setBold(ui->lblXMTRCV, true);
        setCaption(ui->lblXMTRCV, "Receive");
        setBackColour(ui->lblXMTRCV, colour::kGreen);
        for (QPushButton* b : form_.cmdF) b->setEnabled(true);
        for (QPushButton* b : form_.cmdM) b->setEnabled(true);
        ps.gBfoOn = false;
        ps.gBfoOffset = "100";
        setCaption(ui->lblPorM, "");
        setCaption(ui->lblBFOOn, "");
        vb::setForeColour(ui->lblREMOTE, colour::kRed);
        setCaption(ui->lblREMOTE, "NoComm");
        setCaption(ui->lblComStat, "No Com");
        ui->shaTrace->setVisible(false);
    });
    // 8. The panel is visible from here on.
    tryStep([&] { form_.show(); });
    // 9. Amplifier controls.
    tryStep([&] {
        setCaption(ui->lblAmpPwr, "");
        setCaption(ui->lblAmpOpStby, "");
        setCaption(ui->lblAmpTuned, "");
        ui->cmdAmpPwr->setEnabled(false);
        ui->cmdAmpOpr->setEnabled(false);
        ui->cmdTuneAmp->setEnabled(false);
        ui->txtInData->setVisible(true);
        ui->txtInfo->setVisible(true);
    });
    // 10. CAT settings.
    tryStep([&] {
        setCaption(ui->txtInfo, "Opening " + folderPath() + kCatSetupFileName + " File.. ");
        if (link.fileExists(kCatSetupFileName)) {
            std::optional<CatStartupSettings> cat = readCatSetupForStartup(kCatSetupFileName);
            if (cat) {
                set.gCatPort = cat->port;
                set.gCatSettings = cat->settings;
                set.gCatHandshake = cat->handshake;
            }
            setCaption(ui->txtInfo, std::string(kCatSetupFileName) + " Opened");
            if (comPortAvailable(portNumberValue(set.gCatPort))) {
                SetUpCatPort();
            } else {
                setCaption(ui->txtInCat, "No CAT Port");
                setCaption(ui->txtOutCAT, "No CAT Port");
            }
        }
    });
    // 11. Radio port settings.
    tryStep([&] {
        ui->txtInfo->setVisible(true);
        setCaption(ui->txtInfo, "Opening " + folderPath() + kPortSetupFileName + " File.. ");
        if (link.fileExists(kPortSetupFileName)) {
            std::optional<PortStartupSettings> p = readPortSetupForStartup(kPortSetupFileName);
            if (p) {
                set.gRadioPort = p->port;
                set.gRadioSettings = p->settings;
                set.gRadioHandshake = p->handshake;
                st.gExtPttEnabled = p->extPtt;
            }
            setCaption(ui->txtInfo, std::string(kPortSetupFileName) + " File Opened");
            setCaption(ui->txtInfo, "");
        } else {
            st.gExtPttEnabled = false;
            if (openPortSetup) openPortSetup();
        }
    });
    // 12.
    return Stage::OpenPort;
}

void Controller::restorePanelState() {
    if (!link.fileExists(kPanelStateFileName)) return;
    std::optional<PanelStateFile> f = readPanelStateFile(kPanelStateFileName);
    if (!f) return;
    auto* ui = form_.ui;
    tryStep([&] {
        long left = twipsValue(f->left);
        long top = twipsValue(f->top);
        // A window restored entirely off every screen keeps the centre position.
        if (positionVisible(static_cast<int>(left), static_cast<int>(top)))
            form_.move(vb::twipsToPixels(static_cast<double>(left), &form_),
                       vb::twipsToPixels(static_cast<double>(top), &form_));
    });
    tryStep([&] {
        if (vfoBDigitsApply(f->vfoB))
            for (size_t k = 0; k < 7; ++k) setCaption(form_.cmdVFOB[k], std::string(1, f->vfoB[k]));
    });
    tryStep([&] { setCaption(ui->cmbVFOBMode, f->vfoBMode); });
    tryStep([&] { setCaption(ui->lblSplit, f->split); });
    tryStep([&] { setCaption(ui->cmbStepSize, f->stepSize); });
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
        link.Delay(0.5);
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
    setCaption(form_.ui->txtInfo, "Selected port did not open...");
    return false;
}

void Controller::SetUpCatPort() {
    FlowControl flow = handshakeFlow(set.gCatHandshake);
    if (catPort_.isOpen()) catPort_.close();
    PortConfig cfg;
    cfg.portNumber = portNumberValue(set.gCatPort);
    cfg.flow = flow;
    cfg.settings = set.gCatSettings;
    cfg.receiveThreshold = 3;
    cat_->reset();
    catPort_.open(cfg);
    set.gCatSetupApplied = false;
}

Controller::Stage Controller::openPort() {
    auto* ui = form_.ui;
    int n = portNumberValue(set.gRadioPort);
    if ((n != 0 && n == ps.gLastRadioPort) || comPortAvailable(n)) {
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
            setCaption(ui->lblComStat, "COM" + set.gRadioPort);
            setCaption(ui->txtInfo, "Querying radio status");
            req.reqPortReopen = false;
        }
        return Stage::Query;
    }
    ui->txtInfo->setVisible(true);
    setCaption(ui->txtInfo, "Port is not available. Use Setup menu or Exit.");
    setCaption(ui->lblComStat, "No Port");
    setCaption(ui->lblREMOTE, "");
    req.reqPortReopen = false;
    return Stage::WaitPort;
}

// The port did not open (missing, held, a line setting refused): the
// request is served, the panel says why and shows the link lost, and waits
// for new settings; nothing is sent meanwhile. The port has no device of
// its own any more, so nothing is opened again until settings are applied.
Controller::Stage Controller::radioPortFailed(const PortError& e) {
    auto* ui = form_.ui;
    req.reqPortReopen = false;
    ps.gRadioPortOk = false;
    ps.gRadioPortLost = true;
    link.ReportError("Radio port: " + std::string(e.what()));
    setCaption(ui->lblComStat, "No Port");
    setCaption(ui->lblREMOTE, "");
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
    for (QPushButton* b : form_.cmdVFOB) s.vfoB += caption(b);
    s.vfoBMode = caption(form_.ui->cmbVFOBMode);
    s.split = caption(form_.ui->lblSplit);
    s.stepSize = caption(form_.ui->cmbStepSize);
    WriteResult r = writePanelStateFile(kPanelStateFileName, s);
    if (!r.ok)
        link.ReportError(std::string(kPanelStateFileName) + ": Err " + std::to_string(r.err) + ". " +
                         r.message);
}

void Controller::form_queryUnload(int, int) {
    if (ending_) return;
    ending_ = true;
    // 1. The panel state file; a file that cannot be written never stops the rest.
    try {
        writePanelState();
    } catch (const std::exception&) {
    }
    // 2. Leave the radio unkeyed and at the reset RF gain, then close its port.
    try {
        if (radioPort_.isOpen()) {
            if (st.gLastSync == "K") link.writeDirect("U");
            link.writeDirect("G00\n");
            link.Delay(0.3);
            if (radioPort_.inBufferCount() > 0) radioPort_.input();
        }
    } catch (const std::exception&) {
    }
    try {
        radioPort_.close();
    } catch (const std::exception&) {
    }
    // 3.
    try {
        if (catPort_.isOpen()) catPort_.close();
    } catch (const std::exception&) {
    }
    // 4.
    shell_.endProgram();
}

}  // namespace tolvane
