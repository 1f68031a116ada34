// The Scan Bands window.
#include "tools/frm_scan_bands.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

#include "radio/errors.h"
#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_widgets.h"
#include "ui_frmScanBands.h"

namespace tolvane {

const std::array<ScanBandButton, 9> kScanBandButtons{{
    {"cmd160M", "160", "1.800", "2.000"},
    {"cmd75M", "75", "3.500", "4.000"},
    {"cmd40M", "40", "7.000", "7.300"},
    {"cmd30M", "30 ", "10.100", "10.150"},
    {"cmd20M", "20", "14.00", "14.350"},
    {"cmd17M", "17", "18.068", "18.168"},
    {"cmd15M", "15", "21.000", "21.450"},
    {"cmd12M", "12", "24.890", "24.990"},
    {"cmd10M", "10", "28.000", "29.700"},
}};

FrmScanBands::FrmScanBands(RadioLink& link, ToolHost& host, QWidget* parent)
    : QDialog(parent),
      ui(new Ui::frmScanBands),
      link_(link),
      host_(host),
      scan_(link, host, *this) {
    ui->setupUi(this);
    steps_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(kScanSteps.size()); ++i)
        steps_->addButton(findChild<QRadioButton*>(QString("Option1_%1").arg(i)), i);
    speeds_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(kScanDwells.size()); ++i)
        speeds_->addButton(findChild<QRadioButton*>(QString("Option2_%1").arg(i)), i);
    for (std::size_t i = 0; i < kScanBandButtons.size(); ++i) {
        bands_[i] = findChild<QPushButton*>(kScanBandButtons[i].name);
        connect(bands_[i], &QPushButton::clicked, this,
                [this, i] { cmdBand_Click(static_cast<int>(i)); });
    }
    connect(steps_, &QButtonGroup::idClicked, this, &FrmScanBands::Option1_Click);
    connect(speeds_, &QButtonGroup::idClicked, this, &FrmScanBands::Option2_Click);
    connect(ui->cmdScanUp, &QPushButton::clicked, this, &FrmScanBands::cmdScanUp_Click);
    connect(ui->cmdPauseCont, &QPushButton::clicked, this, &FrmScanBands::cmdPauseCont_Click);
    connect(ui->cmdStop, &QPushButton::clicked, this, &FrmScanBands::cmdStop_Click);

    // Opening: beside the band frame, no screen clamping.
    adjustSize();
    move(toolWindowPosition(host_.mainWindowFrame(), host_.bandFrameWidth(), frameGeometry().size(),
                            {}, false));
    savedLabelVisible_ = host_.infoLabelVisible();
    host_.setInfoLabelVisible(false);
    savedInfoVisible_ = host_.infoBoxVisible();
    host_.setInfoBoxVisible(true);
    host_.SetTxControlsEnabled(false);
}

FrmScanBands::~FrmScanBands() {
    delete ui;
}

void FrmScanBands::cmdBand_Click(int index) {
    if (index < 0 || index >= static_cast<int>(kScanBandButtons.size())) return;
    const ScanBandButton& b = kScanBandButtons[static_cast<std::size_t>(index)];
    ui->txtScanLow->setText(b.lower);
    ui->txtScanHi->setText(b.upper);
    clearLimitMarks();
}

void FrmScanBands::Option1_Click(int index) {
    if (index >= 0 && index < static_cast<int>(kScanSteps.size()))
        scan_.setStep(kScanSteps[static_cast<std::size_t>(index)]);
}

void FrmScanBands::Option2_Click(int index) {
    if (index >= 0 && index < static_cast<int>(kScanDwells.size()))
        scan_.setDwell(kScanDwells[static_cast<std::size_t>(index)]);
}

void FrmScanBands::cmdScanUp_Click() {
    try {
        scan_.run();
    } catch (const std::exception& e) {
        link_.ReportError("cmdScanUp_Click: Err " + errText(e));
    }
}

void FrmScanBands::cmdPauseCont_Click() {
    const bool pause = !scan_.paused();
    scan_.setPaused(pause);
    ui->cmdPauseCont->setText(pause ? "Continue" : "Pause");
    ui->cmdStop->setEnabled(!pause);
}

void FrmScanBands::cmdStop_Click() {
    scan_.requestStop();
}

void FrmScanBands::HideScanWindow() {
    hide();
    host_.setInfoBoxVisible(savedInfoVisible_);
    // The main window's label is given back too; it names the list entry or
    // channel chosen later.
    host_.setInfoLabelVisible(savedLabelVisible_);
}

void FrmScanBands::done(int result) {
    if (!closing_) {
        closing_ = true;
        cmdStop_Click();
        scan_.requestClose();
        HideScanWindow();
        host_.setMainWindowEnabled(true);
    }
    QDialog::done(result);
}

QWidget* FrmScanBands::limitBox(Limit limit) {
    return limit == Limit::Lower ? ui->txtScanLow : ui->txtScanHi;
}

std::string FrmScanBands::limitText(Limit limit) {
    return toolui::text(limitBox(limit));
}

void FrmScanBands::markLimitError(Limit limit) {
    toolui::setTextColour(limitBox(limit), toolui::kRed);
    toolui::setText(limitBox(limit), "Error");
}

void FrmScanBands::clearLimitMarks() {
    toolui::setTextColour(ui->txtScanLow, toolui::kBlack);
    toolui::setTextColour(ui->txtScanHi, toolui::kBlack);
}

void FrmScanBands::setScanButtonEnabled(bool enabled) {
    ui->cmdScanUp->setEnabled(enabled);
}

void FrmScanBands::showCommand(const std::string& text) {
    toolui::setText(ui->txtFreq, text);
}

void FrmScanBands::closeWindow() {
    done(QDialog::Rejected);
}

}  // namespace tolvane
