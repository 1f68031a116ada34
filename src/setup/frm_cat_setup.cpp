// The CAT Setup dialog: copies its controls to and from a CatSetupForm.
#include "setup/frm_cat_setup.h"

#include <QButtonGroup>
#include <QPushButton>

#include "platform/port_map.h"
#include "ui_frmCATSetup.h"

namespace tolvane {

FrmCATSetup::FrmCATSetup(const LivePort& catPort, Settings& settings,
                         std::function<bool(int)> portAvailable,
                         std::function<std::string(int)> devicePath,
                         std::function<void(const std::string&)> reportError, std::string folder,
                         QWidget* owner)
    : OwnedDialog(owner),
      ui(new Ui::frmCATSetup),
      settings_(settings),
      portAvailable_(std::move(portAvailable)),
      devicePath_(std::move(devicePath)),
      reportError_(std::move(reportError)),
      folder_(std::move(folder)) {
    ui->setupUi(this);
    if (!portAvailable_) portAvailable_ = [f = folder_](int n) { return ComPortAvailable(n, f); };
    if (!devicePath_) devicePath_ = [f = folder_](int n) { return portDeviceTarget(n, f); };

    setupui::makeTypable(ui->cmbSelectPort);
    setupui::makeTypable(ui->cmbSelectBaudRate);
    setupui::makeTypable(ui->cmbBits);
    optHandShake = setupui::makeOptionGroup(
        this, {ui->optHandShake_0, ui->optHandShake_1, ui->optHandShake_2, ui->optHandShake_3});

    connect(ui->cmbSelectPort, &QComboBox::currentTextChanged, this,
            &FrmCATSetup::updateDeviceLine);
    connect(ui->cmdApply, &QPushButton::clicked, this, &FrmCATSetup::cmdApply_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &FrmCATSetup::cmdCancel_Click);
    connect(ui->cmdLoadPortSettings, &QPushButton::clicked, this,
            &FrmCATSetup::cmdLoadPortSettings_Click);
    connect(ui->cmdSavePortSettings, &QPushButton::clicked, this,
            &FrmCATSetup::cmdSavePortSettings_Click);

    // Opening reads the live CAT port, not the file.
    showForm(catSetupOnOpen(catPort, tolvane::ListAvailablePorts(portAvailable_)));
}

FrmCATSetup::~FrmCATSetup() {
    delete ui;
}

CatSetupForm FrmCATSetup::form() const {
    CatSetupForm form;
    form.portList = setupui::comboItems(ui->cmbSelectPort);
    form.port = setupui::comboText(ui->cmbSelectPort);
    form.found = ui->txtFound->text().toStdString();
    form.baudList = setupui::comboItems(ui->cmbSelectBaudRate);
    form.baud = setupui::comboText(ui->cmbSelectBaudRate);
    form.bitsList = setupui::comboItems(ui->cmbBits);
    form.bits = setupui::comboText(ui->cmbBits);
    form.rigList = setupui::comboItems(ui->cmbRigType);
    form.rigType = setupui::comboText(ui->cmbRigType);
    form.handshake = setupui::selectedOption(optHandShake);
    return form;
}

std::string FrmCATSetup::filePath() const {
    return folder_ + "/" + kCatSetupFileName;
}

void FrmCATSetup::showForm(const CatSetupForm& form) {
    setupui::setCombo(ui->cmbSelectPort, form.portList, form.port);
    setupui::setPortToolTips(ui->cmbSelectPort, devicePath_);
    ui->txtFound->setText(QString::fromStdString(form.found));
    setupui::setCombo(ui->cmbSelectBaudRate, form.baudList, form.baud);
    setupui::setCombo(ui->cmbBits, form.bitsList, form.bits);
    setupui::setCombo(ui->cmbRigType, form.rigList, form.rigType);
    setupui::selectOption(optHandShake, form.handshake);
    updateDeviceLine();
}

void FrmCATSetup::updateDeviceLine() {
    ui->lblPortDevice->setText(
        QString::fromStdString(portDeviceLine(setupui::comboText(ui->cmbSelectPort), devicePath_)));
}

void FrmCATSetup::ListAvailablePorts() {
    // Clearing the list clears the port box too.
    CatSetupForm shown = form();
    PortListing listing = tolvane::ListAvailablePorts(portAvailable_);
    shown.portList = listing.ports;
    shown.port.clear();
    shown.found = listing.found;
    showForm(shown);
}

void FrmCATSetup::cmdApply_Click() {
    applyCatSetup(form(), settings_);
    accept();
}

void FrmCATSetup::cmdCancel_Click() {
    // Withdraws a pending re-open; the title-bar close leaves it as it is.
    cancelCatSetup(settings_);
    reject();
}

void FrmCATSetup::cmdLoadPortSettings_Click() {
    auto values = loadCatSetupForDialog(filePath());
    if (!values) return;  // missing or short file: the dialog keeps what it shows
    CatSetupForm shown = form();
    loadCatSetupForm(shown, *values);
    showForm(shown);
}

void FrmCATSetup::cmdSavePortSettings_Click() {
    WriteResult result = writeCatSetupFile(filePath(), catSetupSaveOf(form()));
    if (!result.ok && reportError_) reportError_(saveErrorText(kCatSetupFileName, result));
}

}  // namespace tolvane
