// The main window as a whole, for the start-up stages and initialisations.
#include "panel/panel_layout.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <initializer_list>

#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "radio/radio_panel.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setBackColour;
using vb::setCaption;

void PanelLayout::onMenu(MenuEntry entry, std::function<void()> handler) {
    auto* ui = form_.ui;
    QAction* action = nullptr;
    switch (entry) {
        case MenuEntry::FileExit:
            action = ui->mnuFileExit;
            break;
        case MenuEntry::PortSetup:
            action = ui->mnuPortSetup;
            break;
        case MenuEntry::AudioSetup:
            action = ui->mnuAudioSetup;
            break;
        case MenuEntry::CatSetup:
            action = ui->mnuCATSetup;
            break;
        case MenuEntry::NetworkSetup:
            action = ui->mnuNetworkSetup;
            break;
        case MenuEntry::HelpAbout:
            action = ui->mnuHelpAbout;
            break;
        case MenuEntry::HelpTolvane:
            action = ui->mnuHelpTolvane;
            break;
        case MenuEntry::ScanBands:
            action = ui->mnuScanBands;
            break;
        case MenuEntry::ScanFreqs:
            action = ui->mnuScanFreqs;
            break;
        case MenuEntry::ChannelSetup:
            action = ui->mnuChannelSetup;
            break;
    }
    QObject::connect(action, &QAction::triggered, &form_, [h = std::move(handler)] { h(); });
}

// ------------------------------------------------------------------ start-up

void PanelLayout::hideStartupBoxes() {
    auto* ui = form_.ui;
    setCaption(ui->lblInfo, "");
    ui->txtInData->setVisible(false);
    ui->lblU->setVisible(false);
}

void PanelLayout::resetIndicators() {
    auto* ui = form_.ui;
    setCaption(ui->lblU, "");
    ui->lblXMTRCV->setEnabled(false);
    vb::setBold(ui->lblXMTRCV, true);
    setCaption(ui->lblXMTRCV, "Receive");
    setBackColour(ui->lblXMTRCV, colour::kGreen);
    for (QPushButton* b : form_.cmdF) b->setEnabled(true);
    for (QPushButton* b : form_.cmdM) b->setEnabled(true);
    setCaption(ui->lblPorM, "");
    setCaption(ui->lblBFOOn, "");
    vb::setForeColour(ui->lblREMOTE, colour::kRed);
    setCaption(ui->lblREMOTE, "NoComm");
    setCaption(ui->lblComStat, mapping::linkStatusCaption(mapping::LinkStatus::NoCom));
    ui->shaTrace->setVisible(false);
}

void PanelLayout::resetAmpControls() {
    auto* ui = form_.ui;
    setCaption(ui->lblAmpPwr, "");
    setCaption(ui->lblAmpOpStby, "");
    setCaption(ui->lblAmpTuned, "");
    ui->cmdAmpPwr->setEnabled(false);
    ui->cmdAmpOpr->setEnabled(false);
    ui->cmdTuneAmp->setEnabled(false);
    ui->txtInData->setVisible(true);
    ui->txtInfo->setVisible(true);
}

// ------------------------------------------------- control mode and firmware

std::string PanelLayout::controlModeShown() const {
    return caption(form_.ui->lblREMOTE);
}

void PanelLayout::setControlModeCaption(const std::string& c) {
    setCaption(form_.ui->lblREMOTE, c);
}

void PanelLayout::whiteControlMode() {
    vb::setForeColour(form_.ui->lblREMOTE, colour::kWhite);
}

void PanelLayout::showFirmware(const std::string& c) {
    setCaption(form_.ui->lblFWType, c);
}

// ------------------------------------------------ local and remote control

void PanelLayout::localControls(bool adaptFirmware) {
    auto* ui = form_.ui;
    ui->fraRightButtons->setVisible(true);
    ui->fraLeftButtons->setVisible(true);
    ui->fraRF->setVisible(true);
    ui->fraBand->setVisible(true);
    if (adaptFirmware) ui->pbMeter->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->cmdMute, ui->cmdBFO, ui->cmdSideTone,
                                                      ui->cmdVOX, ui->cmdClipping, ui->cmdPTTEn,
                                                      ui->cmdTune, ui->cmdXmit, ui->vscRFG})
        w->setEnabled(false);
    ui->cmdPTT->setEnabled(false);
    ui->cmdViewInData->setEnabled(true);
    ui->mnuScanFreqs->setEnabled(adaptFirmware);
    ui->mnuScanBands->setEnabled(adaptFirmware);
    ui->lblU->setVisible(false);
    ui->txtInData->clear();
    ui->txtInData->setVisible(false);
}

void PanelLayout::remoteStandby() {
    auto* ui = form_.ui;
    for (QWidget* w : std::initializer_list<QWidget*>{ui->cmdSideTone, ui->cmdViewInData,
                                                      ui->cmdVOX, ui->cmdClipping, ui->cmdPTTEn})
        w->setEnabled(false);
    ui->vscRFG->setEnabled(true);
    setCaption(ui->cmbDig, "OFF");
    vb::setForeColour(ui->txtInfo, colour::kRed);
    vb::setBold(ui->txtInfo, true);
    setCaption(ui->txtInfo, "STANDBY - SETTING ALL COMMAND BUTTONS");
    ui->txtInfo->setVisible(true);
    ui->txtInData->setVisible(true);
    vb::setForeColour(ui->lblREMOTE, colour::kWhite);
}

void PanelLayout::enableMeters(bool adaptFirmware) {
    for (QRadioButton* o : form_.optMeter) o->setEnabled(true);
    form_.ui->pbMeter->setEnabled(true);
    if (adaptFirmware) form_.ui->pbMeter->setEnabled(false);
}

void PanelLayout::showOperatorControls() {
    auto* ui = form_.ui;
    setCaption(ui->txtInfo, "");
    ui->txtInfo->setVisible(false);
    vb::setForeColour(ui->txtInfo, colour::kBlack);
    vb::setBold(ui->txtInfo, false);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->fraLeftButtons, ui->fraRightButtons,
                                                      ui->fraRF, ui->fraBand, ui->fraBFO})
        w->setVisible(true);
    ui->cmdMute->setEnabled(true);
    ui->cmdBFO->setEnabled(true);
}

void PanelLayout::enableRemoteControls(bool scanWindows) {
    auto* ui = form_.ui;
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->cmdSideTone, ui->cmdViewInData, ui->cmdVOX,
                                         ui->cmdClipping, ui->cmdPTTEn, ui->cmdTune, ui->cmdXmit})
        w->setEnabled(true);
    ui->mnuScanFreqs->setEnabled(scanWindows);
    ui->mnuScanBands->setEnabled(scanWindows);
    ui->lblU->setVisible(true);
    ui->lblXMTRCV->setEnabled(true);
    ui->pbMeter->setEnabled(true);
    ui->cmdTest->setEnabled(true);
}

void PanelLayout::enableAmpControls() {
    form_.ui->cmdAmpPwr->setEnabled(true);
    form_.ui->cmdAmpOpr->setEnabled(true);
    form_.ui->cmdTuneAmp->setEnabled(true);
}

void PanelLayout::settleSplitAndStep() {
    auto* ui = form_.ui;
    if (caption(ui->lblSplit).empty()) setCaption(ui->lblSplit, "Split Off");
    if (caption(ui->lblSplit) == "Split Off") form_.optTXVFO[0]->setChecked(true);
    if (caption(ui->lblSplit) == "Split On") form_.optTXVFO[1]->setChecked(true);
    if (caption(ui->cmbStepSize).empty()) setCaption(ui->cmbStepSize, "OFF");
}

// ------------------------------------------------------- transmit indicators

std::string PanelLayout::transmitShown() const {
    return caption(form_.ui->lblXMTRCV);
}

void PanelLayout::showTransmit() {
    setBackColour(form_.ui->lblU, colour::kRed);
    setBackColour(form_.ui->lblXMTRCV, colour::kRed);
    setCaption(form_.ui->lblXMTRCV, "Transmit");
}

void PanelLayout::showReceive() {
    setBackColour(form_.ui->lblXMTRCV, colour::kGreen);
    setCaption(form_.ui->lblXMTRCV, "Receive");
}

std::string PanelLayout::pttEnableShown() const {
    return caption(form_.ui->lblPTTEn);
}

long PanelLayout::extPttLamp() const {
    return vb::backColour(form_.ui->lblExtPTT);
}

void PanelLayout::setExtPttLamp(long c) {
    setBackColour(form_.ui->lblExtPTT, c);
}

bool PanelLayout::tuneRunningDisabled() const {
    return caption(form_.ui->cmdTune) == "T&UNE OFF" && !form_.ui->cmdTune->isEnabled();
}

bool PanelLayout::xmitRunningDisabled() const {
    return caption(form_.ui->cmdXmit) == "&XMT OFF" && !form_.ui->cmdXmit->isEnabled();
}

// --------------------------------------------------------- panel state file

PanelValues PanelLayout::values() const {
    PanelValues v;
    for (QPushButton* b : form_.cmdVFOB) v.vfoB += caption(b);
    v.vfoBMode = caption(form_.ui->cmbVFOBMode);
    v.split = caption(form_.ui->lblSplit);
    v.stepSize = caption(form_.ui->cmbStepSize);
    return v;
}

void PanelLayout::restoreVfoB(const std::string& digits) {
    for (size_t k = 0; k < form_.cmdVFOB.size() && k < digits.size(); ++k)
        setCaption(form_.cmdVFOB[k], std::string(1, digits[k]));
}

void PanelLayout::restoreVfoBMode(const std::string& mode) {
    setCaption(form_.ui->cmbVFOBMode, mode);
}

void PanelLayout::restoreSplit(const std::string& split) {
    setCaption(form_.ui->lblSplit, split);
}

void PanelLayout::restoreStepSize(const std::string& step) {
    setCaption(form_.ui->cmbStepSize, step);
}

}  // namespace tolvane
