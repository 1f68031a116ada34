// The tool windows of the panel: the band lists behind the band buttons,
// the two scans of the Scan menu and Channel Setup. Each opens modally on
// the radio link; the main loop is suspended while one is open.
#include "app/controller.h"
#include "panel/frm_tolvane.h"
#include "panel/panel_areas.h"
#include "panel/panel_tool_host.h"
#include "tools/frm_band_select.h"
#include "tools/frm_channel_setup.h"
#include "tools/frm_scan_bands.h"
#include "tools/frm_scan_freqs.h"

namespace tolvane {

void Controller::installToolWindows() {
    ToolShell shell{[this] {
                        // A tool window yields between its radio commands:
                        // it must not sit waiting for further events.
                        shell_.setNextWait(0);
                        shell_.yield();
                    },
                    [this] { shell_.beep(); },
                    [this](QDialog& window) { shell_.showModal(window); }};
    toolHost_ = std::make_unique<PanelToolHost>(
        form_, PanelContext{link_, st, req, ps, set, display}, std::move(shell));
    areas_->bands.setOpenBandList([this](const std::string& bandName) {
        FrmBandSelect window(link_, *toolHost_, bandName, &form_);
        toolHost_->showModal(window);
    });
    hooks.scanWindowsAvailable = true;
}

void Controller::mnuScanBands_Click() {
    toolHost_->setMainWindowEnabled(false);
    FrmScanBands window(link_, *toolHost_, &form_);
    runScanWindow(*toolHost_, window);
}

void Controller::mnuScanFreqs_Click() {
    toolHost_->setMainWindowEnabled(false);
    FrmScanFreqs window(link_, *toolHost_, &form_);
    runScanWindow(*toolHost_, window);
}

void Controller::mnuChannelSetup_Click() {
    toolHost_->setMainWindowEnabled(false);
    FrmChannelSetup window(link_, *toolHost_, &form_);
    toolHost_->showModal(window);
}

}  // namespace tolvane
