// The Channel Setup window.
#include "tools/frm_channel_setup.h"

#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "radio/errors.h"
#include "radio/radio_link.h"
#include "tools/list_files.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"
#include "tools/tool_widgets.h"
#include "ui_frmChannelSetup.h"

namespace tolvane {

namespace {

std::string twoDigits(int n) {
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

}  // namespace

FrmChannelSetup::FrmChannelSetup(RadioLink& link, ToolHost& host, QWidget* parent)
    : QDialog(parent), ui(new Ui::frmChannelSetup), link_(link), host_(host) {
    ui->setupUi(this);
    ui->pbLoad->setRange(0, kChannels);
    connect(ui->cmdBrowse, &QPushButton::clicked, this, &FrmChannelSetup::cmdBrowse_Click);
    connect(ui->cmdOpenFile, &QPushButton::clicked, this, &FrmChannelSetup::cmdOpenFile_Click);
    connect(ui->cmdSaveFile, &QPushButton::clicked, this, &FrmChannelSetup::cmdSaveFile_Click);
    connect(ui->cmdLoad, &QPushButton::clicked, this, &FrmChannelSetup::cmdLoad_Click);
    connect(ui->cmdStore, &QPushButton::clicked, this, &FrmChannelSetup::cmdStore_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &FrmChannelSetup::cmdOK_Click);
    connect(ui->cmdCancelLoad, &QPushButton::clicked, this, &FrmChannelSetup::cmdCancelLoad_Click);
    // The file dialogs may change the working folder; closing goes back.
    folder_ = QDir::currentPath();
}

FrmChannelSetup::~FrmChannelSetup() {
    delete ui;
}

std::vector<std::string> FrmChannelSetup::entries() const {
    std::vector<std::string> out;
    for (int i = 0; i < ui->lsbChList->count(); ++i)
        out.push_back(ui->lsbChList->item(i)->text().toStdString());
    return out;
}

void FrmChannelSetup::setEntries(const std::vector<std::string>& list) {
    ui->lsbChList->clear();
    for (const std::string& e : list) ui->lsbChList->addItem(QString::fromStdString(e));
}

void FrmChannelSetup::cmdBrowse_Click() {
    FileDialogRequest request;
    request.title = "Select a source file ";
    request.filter = "Text files|*.txt";
    request.filterIndex = 1;
    request.defaultExtension = "txt";
    if (auto name = host_.openFileName(request)) toolui::setText(ui->txtFilename, *name);
}

void FrmChannelSetup::cmdOpenFile_Click() {
    if (!fileReadable(toolui::text(ui->txtFilename))) cmdBrowse_Click();
    const std::string name = toolui::text(ui->txtFilename);
    if (!fileReadable(name)) return;
    if (auto list = readChannelListFile(name)) setEntries(*list);
}

void FrmChannelSetup::cmdSaveFile_Click() {
    FileDialogRequest request;
    request.title = "Select the Destination File.";
    request.filter = "All Files|*.*|Text Files|*.txt|";
    request.filterIndex = 2;
    request.defaultExtension = "txt";
    request.initialName = toolui::text(ui->txtFilename);
    // Cancelling the dialog is the operator's choice: nothing is written or shown.
    const std::optional<std::string> name = host_.saveFileName(request);
    if (!name) return;
    toolui::setText(ui->txtSaveFilename, *name);
    const WriteResult result = writeChannelListFile(*name, entries());
    if (!result.ok) {
        link_.ReportError(fileErrorText(*name, result.err, result.message));
        return;
    }
    link_.panel().setInfoText("Saved to " + *name);
}

void FrmChannelSetup::showLoading(bool loading) {
    for (QPushButton* b :
         {ui->cmdBrowse, ui->cmdOpenFile, ui->cmdSaveFile, ui->cmdLoad, ui->cmdStore, ui->cmdOK})
        b->setEnabled(!loading);
    ui->txtFilename->setEnabled(!loading);
    ui->pbLoad->setVisible(loading);
    ui->cmdCancelLoad->setVisible(loading);
    ui->cmdCancelLoad->setEnabled(loading);
}

void FrmChannelSetup::cmdLoad_Click() {
    if (loading_) return;
    loading_ = true;
    cancel_ = false;
    ui->lsbChList->clear();
    showLoading(true);
    try {
        readChannels();
    } catch (const std::exception& e) {
        link_.ReportError("cmdLoad_Click: Err " + errText(e));
    }
    ui->pbLoad->setValue(kChannels);
    showLoading(false);
    loading_ = false;
    if (closeAfterLoad_) done(closeResult_);
}

void FrmChannelSetup::readChannels() {
    RadioState& st = link_.state();
    for (int channel = 0; channel < kChannels && !cancel_; ++channel) {
        const std::string number = twoDigits(channel);
        ui->pbLoad->setValue(channel);
        ui->pbLoad->setFormat(QString::fromStdString("Reading channel " + number));
        ui->pbLoad->repaint();
        // Only an answer to this request counts for this channel.
        st.gChanReportNew = false;
        link_.SendRadioCmd("L" + number, true, kChannelPause);
        link_.ReadRadio();
        if (st.gChanReportNew) {
            ui->lsbChList->addItem(QString::fromStdString(st.gChanReport.substr(1, 10)));
            toolui::setText(ui->txtResp, st.gChanReport);
            st.gChanReportNew = false;
        }
        // Cancel is the only control of the window that works meanwhile.
        host_.yield();
    }
}

void FrmChannelSetup::cmdCancelLoad_Click() {
    cancel_ = true;
}

void FrmChannelSetup::cmdStore_Click() {
    for (const std::string& entry : entries()) {
        link_.SendRadioCmd("P" + entry, true, kChannelPause);
        toolui::setText(ui->txtResp, entry);
    }
}

void FrmChannelSetup::cmdOK_Click() {
    done(QDialog::Accepted);
}

void FrmChannelSetup::done(int result) {
    if (loading_) {
        cancel_ = true;
        closeAfterLoad_ = true;
        closeResult_ = result;
        return;
    }
    closeAfterLoad_ = false;
    QDir::setCurrent(folder_);
    host_.setMainWindowEnabled(true);
    QDialog::done(result);
}

}  // namespace tolvane
