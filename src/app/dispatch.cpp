// The request dispatch of the main loop, the event handlers that raise the
// requests, and the utility routines of the main window.
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QUrl>
#include <array>

#include "app/controller.h"
#include "cat/cat_bridge.h"
#include "panel/frm_help.h"
#include "panel/frm_tolvane.h"
#include "panel/receiver_controls.h"
#include "panel/vb.h"
#include "radio/errors.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

namespace {

// One row of the dispatch table: the request flag and the routine that serves it.
struct DispatchRow {
    bool& (*flag)(Controller&);
    void (*routine)(Controller&);
};

template <bool Requests::*F>
bool& req(Controller& c) {
    return c.req.*F;
}
// The CAT bridge keeps its own request flag with the input it took.
bool& catReq(Controller& c) { return c.cat().reqCat; }

void portReopenRow(Controller&) {}  // served by the loop itself (leaves the pass)
void audioReloadRow(Controller&) {}

ReceiverControls& rc(Controller& c) { return c.receiver(); }

// The service order within one pass of the main loop. A row whose routine is
// not part of this panel yet has no routine and its flag is left alone.
const std::array<DispatchRow, 39> kDispatch = {{
    {req<&Requests::reqSource>, [](Controller& c) { rc(c).SourceCmd(); }},
    {req<&Requests::reqAgc>, [](Controller& c) { rc(c).AgcCmd(); }},
    {req<&Requests::reqBfo>, [](Controller& c) { rc(c).BfoCmd(); }},
    {req<&Requests::reqClip>, [](Controller& c) { rc(c).ClipCmd(); }},
    {req<&Requests::reqBand160>, nullptr},
    {req<&Requests::reqBand75>, nullptr},
    {req<&Requests::reqBand60>, nullptr},
    {req<&Requests::reqBand40>, nullptr},
    {req<&Requests::reqBand30>, nullptr},
    {req<&Requests::reqBand20>, nullptr},
    {req<&Requests::reqBand17>, nullptr},
    {req<&Requests::reqBand15>, nullptr},
    {req<&Requests::reqBand12>, nullptr},
    {req<&Requests::reqBand10>, nullptr},
    {req<&Requests::reqBandWWV>, nullptr},
    {req<&Requests::reqBandMARS>, nullptr},
    {req<&Requests::reqMeter>, [](Controller& c) { c.MeterCmd(); }},
    {req<&Requests::reqMode>, [](Controller& c) { rc(c).modeCmd(); }},
    {req<&Requests::reqMute>, [](Controller& c) { rc(c).MuteCmd(); }},
    {req<&Requests::reqPttEn>, [](Controller& c) { rc(c).PttEnCmd(); }},
    {req<&Requests::reqSideTone>, [](Controller& c) { rc(c).SideToneCmd(); }},
    {req<&Requests::reqTune>, nullptr},
    {req<&Requests::reqViewData>, [](Controller& c) { c.ViewDataCmd(); }},
    {req<&Requests::reqVox>, [](Controller& c) { rc(c).VoxCmd(); }},
    {req<&Requests::reqXmit>, nullptr},
    {req<&Requests::reqAmpPwr>, nullptr},
    {req<&Requests::reqAmpOpr>, nullptr},
    {req<&Requests::reqAmpTune>, nullptr},
    {req<&Requests::reqM2V>, nullptr},
    {req<&Requests::reqV2M>, nullptr},
    {req<&Requests::reqGetStatus>, [](Controller& c) { c.GetStatusCmd(); }},
    {req<&Requests::reqPortReopen>, portReopenRow},
    {req<&Requests::reqBfoOffset>, [](Controller& c) { rc(c).BfoOffsetCmd(); }},
    {req<&Requests::reqRfGain>, [](Controller& c) { rc(c).RfGainCmd(); }},
    {catReq, [](Controller& c) { c.cat().CatCmd(); }},
    {req<&Requests::reqDigMode>, [](Controller& c) { rc(c).DigModeCmd(); }},
    {req<&Requests::reqSwap>, nullptr},
    {req<&Requests::reqA2B>, nullptr},
    {req<&Requests::reqAudioReload>, audioReloadRow},
}};

}  // namespace

void Controller::dispatchRequests(Stage& next, bool& leave) {
    for (const DispatchRow& row : kDispatch) {
        if (row.routine == nullptr || !row.flag(*this)) continue;
        if (row.flag == tolvane::req<&Requests::reqPortReopen>) {
            // The opening step with the new settings, then the radio query.
            next = openingStepFromLoop();
            leave = true;
            return;
        }
        if (row.flag == tolvane::req<&Requests::reqAudioReload>) {
            // The re-sync takes charge of the radio: only under remote
            // control. Under local control the request waits for the next
            // REMOTE initialisation, which applies the audio settings.
            if (ps.gControlMode != "REMOTE") continue;
            req.reqAudioReload = false;
            next = Stage::AudioResync;
            leave = true;
            return;
        }
        row.routine(*this);
    }
}

// The opening step with the new settings. When the port is not there or
// does not open, the wait for settings runs as a stage of its own, so that
// the panel is seen waiting (and tests can step through it).
Controller::Stage Controller::openingStepFromLoop() {
    return openPort();
}

// ------------------------------------------------------ utility routines

void Controller::GetStatusCmd() {
    link.SendRadioCmd("?", true, 0.6);
    req.reqGetStatus = false;
}

void Controller::ViewDataCmd() {
    auto* ui = form_.ui;
    if (ui->txtInData->isHidden()) {
        ui->txtInData->setVisible(true);
        ui->txtInData->clear();
        setCaption(ui->cmdViewInData, "Hide Data");
    } else {
        ui->txtInData->setVisible(false);
        setCaption(ui->cmdViewInData, "Show Data");
    }
    req.reqViewData = false;
}

void Controller::MeterCmd() {
    req.reqMeter = false;
    int i = ps.gMeterOption;
    if (i < 0 || i > 5) return;
    link.SelectMeter("D" + std::to_string(i + 1));
}

void Controller::cmdTest_Click() {
    try {
        link.writeDirect("Z\n");
    } catch (const std::exception& e) {
        link.ReportError("cmdTest_Click: Err " + errText(e));
    }
}

void Controller::mnuHelpTolvane_Click() {
    const char* kHelp = "TolvaneV0961.hlp";
    QFileInfo info(QDir::current().filePath(kHelp));
    if (!info.isFile()) {
        link.ReportError(std::string("Help file ") + kHelp + " not found in " +
                         QDir::currentPath().toStdString());
        return;
    }
    if (!shell_.showHelp(info.absoluteFilePath().toStdString()))
        link.ReportError(std::string("Could not open the help file ") + kHelp);
}

void Controller::mnuHelpAbout_Click() {
    FrmHelp about(QString::fromStdString(ps.gAppTitle), &form_);
    shell_.showModal(about);
}

void Controller::mnuCATSetup_Click() {
    if (openCatSetup) openCatSetup();
    if (set.gCatSetupApplied) {
        try {
            SetUpCatPort();
            setCaption(form_.ui->txtInCat, "");
            setCaption(form_.ui->txtOutCAT, "");
        } catch (const std::exception& e) {
            setCaption(form_.ui->txtInCat, "No CAT Port");
            setCaption(form_.ui->txtOutCAT, "No CAT Port");
            link.ReportError("SetUpCatPort: Err " + errText(e));
        }
        set.gCatSetupApplied = false;
    }
}

// --------------------------------------------------------- event handlers

void Controller::connectHandlers() {
    auto* ui = form_.ui;
    FrmTolvane* f = &form_;
    QObject::connect(f, &FrmTolvane::closeRequested, f, [this] { form_queryUnload(0, 0); });
    QObject::connect(ui->mnuFileExit, &QAction::triggered, f, [this] { form_queryUnload(0, 0); });
    QObject::connect(ui->mnuPortSetup, &QAction::triggered, f, [this] {
        if (openPortSetup) openPortSetup();
    });
    QObject::connect(ui->mnuAudioSetup, &QAction::triggered, f, [this] {
        if (openAudioSetup) openAudioSetup();
    });
    QObject::connect(ui->mnuCATSetup, &QAction::triggered, f, [this] { mnuCATSetup_Click(); });
    QObject::connect(ui->mnuHelpAbout, &QAction::triggered, f, [this] { mnuHelpAbout_Click(); });
    QObject::connect(ui->mnuHelpTolvane, &QAction::triggered, f,
                     [this] { mnuHelpTolvane_Click(); });
    // Windows not part of this panel yet.
    ui->mnuChannelSetup->setEnabled(false);
    ui->mnuScanBands->setEnabled(false);
    ui->mnuScanFreqs->setEnabled(false);

    QObject::connect(ui->cmdViewInData, &QPushButton::clicked, f, [this] { req.reqViewData = true; });
    QObject::connect(ui->cmdGetStatus, &QPushButton::clicked, f, [this] { req.reqGetStatus = true; });
    QObject::connect(ui->cmdTest, &QPushButton::clicked, f, [this] { cmdTest_Click(); });
    // Selecting an option from code runs its click handling too.
    for (int i = 0; i < 6; ++i) {
        QObject::connect(form_.optMeter[static_cast<size_t>(i)], &QRadioButton::toggled, f,
                         [this, i](bool on) {
                             if (!on) return;
                             ps.gMeterOption = i;
                             req.reqMeter = true;
                         });
    }
}

}  // namespace tolvane
