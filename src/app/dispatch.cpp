// The request dispatch of the main loop and the menu entries of the main
// window.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <array>

#include "app/controller.h"
#include "cat/cat_bridge.h"
#include "panel/band_buttons.h"
#include "panel/frm_help.h"
#include "panel/frm_tolvane.h"
#include "panel/panel_areas.h"
#include "radio/errors.h"

namespace tolvane {

namespace {

// How a row's request is served.
enum class Served {
    ByRoutine,    // the area routine of the row, when there is one
    ByCatBridge,  // the CAT bridge keeps its own flag with the input it took
    PortReopen,   // the loop leaves the pass for the opening step
    AudioReload,  // the loop leaves the pass for the audio re-sync
};

// One row of the dispatch table: the request flag it serves and its routine.
struct DispatchRow {
    bool Requests::*flag;
    void (*routine)(PanelAreas&);  // nullptr: not part of this panel yet
    Served served = Served::ByRoutine;
};

// The service order within one pass of the main loop. A row whose routine is
// not part of this panel yet has no routine and its flag is left alone.
const std::array<DispatchRow, 39> kDispatch = {{
    {&Requests::reqSource, [](PanelAreas& a) { a.receiver.SourceCmd(); }},
    {&Requests::reqAgc, [](PanelAreas& a) { a.receiver.AgcCmd(); }},
    {&Requests::reqBfo, [](PanelAreas& a) { a.receiver.BfoCmd(); }},
    {&Requests::reqClip, [](PanelAreas& a) { a.receiver.ClipCmd(); }},
    {&Requests::reqBand160, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k160); }},
    {&Requests::reqBand75, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k75); }},
    {&Requests::reqBand60, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k60); }},
    {&Requests::reqBand40, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k40); }},
    {&Requests::reqBand30, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k30); }},
    {&Requests::reqBand20, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k20); }},
    {&Requests::reqBand17, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k17); }},
    {&Requests::reqBand15, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k15); }},
    {&Requests::reqBand12, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k12); }},
    {&Requests::reqBand10, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::k10); }},
    {&Requests::reqBandWWV, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::kWWV); }},
    {&Requests::reqBandMARS, [](PanelAreas& a) { a.bands.BandListCmd(BandButtons::kMARS); }},
    {&Requests::reqMeter, [](PanelAreas& a) { a.utility.MeterCmd(); }},
    {&Requests::reqMode, [](PanelAreas& a) { a.receiver.modeCmd(); }},
    {&Requests::reqMute, [](PanelAreas& a) { a.receiver.MuteCmd(); }},
    {&Requests::reqPttEn, [](PanelAreas& a) { a.receiver.PttEnCmd(); }},
    {&Requests::reqSideTone, [](PanelAreas& a) { a.receiver.SideToneCmd(); }},
    {&Requests::reqTune, [](PanelAreas& a) { a.transmit.TuneCmd(); }},
    {&Requests::reqViewData, [](PanelAreas& a) { a.utility.ViewDataCmd(); }},
    {&Requests::reqVox, [](PanelAreas& a) { a.receiver.VoxCmd(); }},
    {&Requests::reqXmit, [](PanelAreas& a) { a.transmit.XmitCmd(); }},
    {&Requests::reqAmpPwr, [](PanelAreas& a) { a.amplifier.AmpPwrCmd(); }},
    {&Requests::reqAmpOpr, [](PanelAreas& a) { a.amplifier.AmpOprCmd(); }},
    {&Requests::reqAmpTune, [](PanelAreas& a) { a.amplifier.AmpTuneCmd(); }},
    {&Requests::reqM2V, [](PanelAreas& a) { a.channels.M2VCmd(); }},
    {&Requests::reqV2M, [](PanelAreas& a) { a.channels.V2MCmd(); }},
    {&Requests::reqGetStatus, [](PanelAreas& a) { a.utility.GetStatusCmd(); }},
    {&Requests::reqPortReopen, nullptr, Served::PortReopen},
    {&Requests::reqBfoOffset, [](PanelAreas& a) { a.receiver.BfoOffsetCmd(); }},
    {&Requests::reqRfGain, [](PanelAreas& a) { a.receiver.RfGainCmd(); }},
    {nullptr, nullptr, Served::ByCatBridge},
    {&Requests::reqDigMode, [](PanelAreas& a) { a.receiver.DigModeCmd(); }},
    {&Requests::reqSwap, [](PanelAreas& a) { a.vfoB.SwapCmd(); }},
    {&Requests::reqA2B, [](PanelAreas& a) { a.vfoB.A2BCmd(); }},
    {&Requests::reqAudioReload, nullptr, Served::AudioReload},
}};

}  // namespace

void Controller::dispatchRequests(Stage& next, bool& leave) {
    for (const DispatchRow& row : kDispatch) {
        switch (row.served) {
            case Served::ByRoutine:
                if (row.routine != nullptr && (req.*row.flag)) row.routine(*areas_);
                break;
            case Served::ByCatBridge:
                if (cat_->reqCat) cat_->CatCmd();
                serveRigRequests();  // the network endpoint's sets, beside the CAT bridge's
                break;
            case Served::PortReopen:
                if (!(req.*row.flag)) break;
                // The opening step with the new settings, then the radio query.
                next = openingStepFromLoop();
                leave = true;
                return;
            case Served::AudioReload:
                // The re-sync takes charge of the radio: only under remote
                // control. Under local control the request waits for the next
                // REMOTE initialisation, which applies the audio settings.
                if (!(req.*row.flag) || ps.gControlMode != ControlMode::Remote) break;
                (req.*row.flag) = false;
                next = Stage::AudioResync;
                leave = true;
                return;
        }
    }
}

// The opening step with the new settings. When the port is not there or
// does not open, the wait for settings runs as a stage of its own, so that
// the panel is seen waiting (and tests can step through it).
Controller::Stage Controller::openingStepFromLoop() {
    return openPort();
}

// ---------------------------------------------------------------- menu entries

std::vector<std::string> defaultGuidePlaces() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(programDir.filePath("../share/doc/tolvane/guide.html")).toStdString(),
            std::string(TOLVANE_SOURCE_DIR) + "/doc/guide.html"};
}

void Controller::mnuHelpTolvane_Click() {
    const std::vector<std::string> places =
        hooks.guidePlaces.empty() ? defaultGuidePlaces() : hooks.guidePlaces;
    for (const std::string& place : places) {
        const QFileInfo info(QString::fromStdString(place));
        if (!info.isFile()) continue;
        if (!shell_.showHelp(info.absoluteFilePath().toStdString()))
            link_.ReportError("Could not open the operator's guide " + place);
        return;
    }
    std::string looked;
    for (const std::string& place : places) looked += (looked.empty() ? "" : ", ") + place;
    link_.ReportError("Operator's guide not found; looked for " + looked);
}

void Controller::mnuHelpAbout_Click() {
    FrmHelp about(QString::fromStdString(ps.gAppTitle), &form_);
    shell_.showModal(about);
}

void Controller::mnuCATSetup_Click() {
    if (hooks.openCatSetup) hooks.openCatSetup();
    if (set.gCatSetupApplied) {
        try {
            SetUpCatPort();
            areas_->catFrame.clearCatText();
        } catch (const std::exception& e) {
            areas_->catFrame.showNoCatPort();
            link_.ReportError("SetUpCatPort: Err " + errText(e));
        }
        set.gCatSetupApplied = false;
    }
}

void Controller::connectHandlers() {
    PanelLayout& layout = areas_->layout;
    QObject::connect(&form_, &FrmTolvane::closeRequested, &form_,
                     [this] { form_queryUnload(0, 0); });
    layout.onMenu(MenuEntry::FileExit, [this] { form_queryUnload(0, 0); });
    layout.onMenu(MenuEntry::PortSetup, [this] {
        if (hooks.openPortSetup) hooks.openPortSetup();
    });
    layout.onMenu(MenuEntry::AudioSetup, [this] {
        if (hooks.openAudioSetup) hooks.openAudioSetup();
    });
    layout.onMenu(MenuEntry::CatSetup, [this] { mnuCATSetup_Click(); });
    layout.onMenu(MenuEntry::NetworkSetup, [this] {
        if (hooks.openNetworkSetup) hooks.openNetworkSetup();
    });
    layout.onMenu(MenuEntry::HelpAbout, [this] { mnuHelpAbout_Click(); });
    layout.onMenu(MenuEntry::HelpTolvane, [this] { mnuHelpTolvane_Click(); });
    layout.onMenu(MenuEntry::ScanBands, [this] { mnuScanBands_Click(); });
    layout.onMenu(MenuEntry::ScanFreqs, [this] { mnuScanFreqs_Click(); });
    layout.onMenu(MenuEntry::ChannelSetup, [this] { mnuChannelSetup_Click(); });
    // The scan entries stay disabled, as the form has them, until an
    // initialisation enables them.
}

}  // namespace tolvane
