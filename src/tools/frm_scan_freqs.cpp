// The Scan Freq window.
#include "tools/frm_scan_freqs.h"

#include <QCheckBox>
#include <QPushButton>

#include "radio/errors.h"
#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"
#include "tools/tool_widgets.h"
#include "ui_frmScanFreqs.h"

namespace tolvane {

FrmScanFreqs::FrmScanFreqs(RadioLink& link, ToolHost& host, QWidget* parent)
    : QDialog(parent),
      ui(new Ui::frmScanFreqs),
      link_(link),
      host_(host),
      scan_(link, host, *this) {
    ui->setupUi(this);
    for (std::size_t i = 0; i < kScanListRows; ++i) {
        const int n = static_cast<int>(i);
        check_[i] = findChild<QCheckBox*>(QString("Check1_%1").arg(n));
        freq_[i] = findChild<QLineEdit*>(QString("txtFreq_%1").arg(n));
        mode_[i] = findChild<QLineEdit*>(QString("txtMode_%1").arg(n));
        info_[i] = findChild<QLineEdit*>(QString("txtInfo_%1").arg(n));
    }
    toolui::setTextColour(ui->lblError, toolui::kRed);
    connect(ui->cmdScan, &QPushButton::clicked, this, &FrmScanFreqs::cmdScan_Click);
    connect(ui->cmdStop, &QPushButton::clicked, this, &FrmScanFreqs::cmdStop_Click);
    connect(ui->cmdWriteFile, &QPushButton::clicked, this, &FrmScanFreqs::cmdWriteFile_Click);

    adjustSize();
    move(toolWindowPosition(host_.mainWindowFrame(), host_.bandFrameWidth(), frameGeometry().size(),
                            {}, false));
    // A missing file is no error: the rows stay empty and the delay "3".
    if (auto list = readScanListFile(kScanFreqsFileName)) {
        for (std::size_t i = 0; i < kScanListRows; ++i)
            if (list->rows[i]) setRow(static_cast<int>(i), *list->rows[i]);
        if (list->delay) setDelayText(*list->delay);
    }
}

FrmScanFreqs::~FrmScanFreqs() {
    delete ui;
}

ListRow FrmScanFreqs::row(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return {toolui::text(freq_[i]), toolui::text(mode_[i]), toolui::text(info_[i])};
}

void FrmScanFreqs::setRow(int index, const ListRow& r) {
    const auto i = static_cast<std::size_t>(index);
    toolui::setText(freq_[i], r.freq);
    toolui::setText(mode_[i], r.mode);
    toolui::setText(info_[i], r.info);
}

void FrmScanFreqs::cmdScan_Click() {
    try {
        scan_.run();
    } catch (const std::exception& e) {
        link_.ReportError("cmdScan_Click: Err " + errText(e));
    }
}

void FrmScanFreqs::cmdStop_Click() {
    scan_.requestStop();
}

void FrmScanFreqs::cmdWriteFile_Click() {
    std::array<ListRow, kScanListRows> rows;
    for (std::size_t i = 0; i < kScanListRows; ++i) rows[i] = row(static_cast<int>(i));
    // During a dwell the box counts seconds; the file keeps the delay itself.
    const std::string delay =
        scan_.running() && scan_.delay() ? std::to_string(*scan_.delay()) : delayText();
    const WriteResult result = writeScanListFile(kScanFreqsFileName, rows, delay);
    if (!result.ok)
        link_.ReportError(fileErrorText(kScanFreqsFileName, result.err, result.message));
}

void FrmScanFreqs::done(int result) {
    if (!closing_) {
        closing_ = true;
        cmdStop_Click();
        host_.setMainWindowEnabled(true);
    }
    QDialog::done(result);
}

bool FrmScanFreqs::rowTicked(int row) {
    return check_[static_cast<std::size_t>(row)]->isChecked();
}

void FrmScanFreqs::paintRow(int row, bool visiting) {
    toolui::setBackColour(check_[static_cast<std::size_t>(row)],
                          visiting ? toolui::kRed : toolui::kCheckGrey);
}

void FrmScanFreqs::showScanning(bool scanning) {
    ui->cmdScan->setVisible(!scanning);
    ui->cmdStop->setVisible(scanning);
}

void FrmScanFreqs::showFrequencyError(bool shown) {
    ui->lblError->setVisible(shown);
}

std::string FrmScanFreqs::delayText() {
    return toolui::text(ui->txtDelay);
}

void FrmScanFreqs::setDelayText(const std::string& text) {
    toolui::setText(ui->txtDelay, text);
}

}  // namespace tolvane
