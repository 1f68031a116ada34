// The main window as the tool windows see it.
#include "panel/panel_tool_host.h"

#include <QDialog>

#include "panel/frm_tolvane.h"
#include "panel/status_display.h"
#include "panel/vb.h"
#include "tools/file_dialogs.h"
#include "ui_frmTolvane.h"

namespace tolvane {

PanelToolHost::PanelToolHost(FrmTolvane& form, const PanelContext& context, ToolShell shell)
    : form_(form), c_(context), shell_(std::move(shell)) {}

void PanelToolHost::yield() {
    if (shell_.yield) shell_.yield();
}

void PanelToolHost::beep() {
    if (shell_.beep) shell_.beep();
}

void PanelToolHost::setInfoLabel(const std::string& caption) {
    vb::setCaption(form_.ui->lblInfo, caption);
}

bool PanelToolHost::infoLabelVisible() {
    return !form_.ui->lblInfo->isHidden();
}

void PanelToolHost::setInfoLabelVisible(bool visible) {
    form_.ui->lblInfo->setVisible(visible);
}

bool PanelToolHost::infoBoxVisible() {
    return !form_.ui->txtInfo->isHidden();
}

void PanelToolHost::setInfoBoxVisible(bool visible) {
    form_.ui->txtInfo->setVisible(visible);
}

bool PanelToolHost::radioLocal() {
    // The main loop, which redraws the indicator, is suspended while a tool
    // window is open: a local report read meanwhile counts as well.
    return vb::caption(form_.ui->lblREMOTE) == "LOCAL" || c_.st.gRemoteState.rfind("R0", 0) == 0;
}

void PanelToolHost::ShowFreqDigits() {
    c_.display.ShowFreqDigits();
}

void PanelToolHost::gUpdateDisplay() {
    c_.display.gUpdateDisplay();
}

void PanelToolHost::SetTxControlsEnabled(bool allowed) {
    c_.display.SetTxControlsEnabled(allowed);
}

bool PanelToolHost::freqReportInBand() {
    return c_.display.IsInBand(c_.st.gFreqReport);
}

void PanelToolHost::setScanActive(bool active) {
    c_.ps.gScanActive = active;
}

void PanelToolHost::setMainWindowEnabled(bool enabled) {
    form_.setEnabled(enabled);
}

QRect PanelToolHost::mainWindowFrame() {
    return form_.frameGeometry();
}

int PanelToolHost::bandFrameWidth() {
    return form_.ui->fraBand->width();
}

void PanelToolHost::showModal(QDialog& window) {
    if (shell_.showModal) shell_.showModal(window);
}

std::optional<std::string> PanelToolHost::openFileName(const FileDialogRequest& request) {
    return askFileName(&form_, request, false);
}

std::optional<std::string> PanelToolHost::saveFileName(const FileDialogRequest& request) {
    return askFileName(&form_, request, true);
}

}  // namespace tolvane
