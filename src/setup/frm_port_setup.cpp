// The Port Setup dialog: copies its controls to and from a PortSetupForm.
#include "setup/frm_port_setup.h"

#include <QButtonGroup>
#include <QPushButton>

#include "platform/port_map.h"
#include "ui_frmPortSetup.h"

namespace tolvane {

FrmPortSetup::FrmPortSetup(const LivePort& radioPort, Settings& settings, Requests& requests,
                           bool& extPttEnabled, std::function<bool(int)> portAvailable,
                           std::function<std::string(int)> devicePath,
                           std::function<void(const std::string&)> reportError, std::string folder,
                           QWidget* owner)
    : OwnedDialog(owner),
      ui(new Ui::frmPortSetup),
      settings_(settings),
      requests_(requests),
      extPttEnabled_(extPttEnabled),
      portAvailable_(std::move(portAvailable)),
      devicePath_(std::move(devicePath)),
      reportError_(std::move(reportError)),
      folder_(std::move(folder)) {
    ui->setupUi(this);
    if (!portAvailable_) portAvailable_ = [f = folder_](int n) { return ComPortAvailable(n, f); };
    if (!devicePath_) devicePath_ = [f = folder_](int n) { return portDeviceTarget(n, f); };

    setupui::makeTypable(ui->cmbSelectPort);
    setupui::makeTypable(ui->cmbSelectBaudRate);
    optHandShake = setupui::makeOptionGroup(
        this, {ui->optHandShake_0, ui->optHandShake_1, ui->optHandShake_2, ui->optHandShake_3});

    connect(ui->cmbSelectPort, &QComboBox::currentTextChanged, this,
            &FrmPortSetup::updateDeviceLine);
    connect(ui->cmdApply, &QPushButton::clicked, this, &FrmPortSetup::cmdApply_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &FrmPortSetup::cmdCancel_Click);
    connect(ui->cmdLoadPortSettings, &QPushButton::clicked, this,
            &FrmPortSetup::cmdLoadPortSettings_Click);
    connect(ui->cmdSavePortSettings, &QPushButton::clicked, this,
            &FrmPortSetup::cmdSavePortSettings_Click);

    // Opening reads the live port, so the dialog starts from the settings in force.
    showForm(
        portSetupOnOpen(radioPort, extPttEnabled_, tolvane::ListAvailablePorts(portAvailable_)));
}

FrmPortSetup::~FrmPortSetup() {
    delete ui;
}

PortSetupForm FrmPortSetup::form() const {
    PortSetupForm form;
    form.portList = setupui::comboItems(ui->cmbSelectPort);
    form.port = setupui::comboText(ui->cmbSelectPort);
    form.found = ui->txtFound->text().toStdString();
    form.baudList = setupui::comboItems(ui->cmbSelectBaudRate);
    form.baud = setupui::comboText(ui->cmbSelectBaudRate);
    form.handshake = setupui::selectedOption(optHandShake);
    form.extPtt = ui->chkExtPTTEna->isChecked();
    return form;
}

std::string FrmPortSetup::filePath() const {
    return folder_ + "/" + kPortSetupFileName;
}

void FrmPortSetup::showForm(const PortSetupForm& form) {
    setupui::setCombo(ui->cmbSelectPort, form.portList, form.port);
    setupui::setPortToolTips(ui->cmbSelectPort, devicePath_);
    ui->txtFound->setText(QString::fromStdString(form.found));
    setupui::setCombo(ui->cmbSelectBaudRate, form.baudList, form.baud);
    setupui::selectOption(optHandShake, form.handshake);
    ui->chkExtPTTEna->setChecked(form.extPtt);
    updateDeviceLine();
}

void FrmPortSetup::updateDeviceLine() {
    ui->lblPortDevice->setText(
        QString::fromStdString(portDeviceLine(setupui::comboText(ui->cmbSelectPort), devicePath_)));
}

void FrmPortSetup::ListAvailablePorts() {
    // Clearing the list clears the port box too.
    PortSetupForm shown = form();
    PortListing listing = tolvane::ListAvailablePorts(portAvailable_);
    shown.portList = listing.ports;
    shown.port.clear();
    shown.found = listing.found;
    showForm(shown);
}

void FrmPortSetup::cmdApply_Click() {
    applyPortSetup(form(), settings_, requests_, extPttEnabled_);
    accept();
}

void FrmPortSetup::cmdCancel_Click() {
    reject();
}

void FrmPortSetup::cmdLoadPortSettings_Click() {
    auto values = loadPortSetupForDialog(filePath());
    if (!values) return;  // missing or short file: the dialog keeps what it shows
    PortSetupForm shown = form();
    loadPortSetupForm(shown, *values);
    showForm(shown);
}

void FrmPortSetup::cmdSavePortSettings_Click() {
    WriteResult result = writePortSetupFile(filePath(), portSetupSaveOf(form()));
    if (!result.ok && reportError_) reportError_(saveErrorText(kPortSetupFileName, result));
}

}  // namespace tolvane
