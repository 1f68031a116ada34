// The Port Setup dialog: copies its controls to and from a PortSetupForm.
#include "setup/frm_port_setup.h"

#include <QPushButton>

#include "ui_frmPortSetup.h"

namespace tolvane {

FrmPortSetup::FrmPortSetup(const LivePort& radioPort, const RadioPortSettings& current,
                           std::function<bool(int)> portAvailable,
                           std::function<std::string(int)> devicePath,
                           std::function<void(const std::string&)> reportError, std::string folder,
                           QWidget* owner)
    : PortDialog(std::move(portAvailable), std::move(devicePath), std::move(reportError),
                 std::move(folder), owner),
      ui(new Ui::frmPortSetup),
      current_(current) {
    ui->setupUi(this);
    takePortControls(
        ui->cmbSelectPort, ui->txtFound, ui->cmbSelectBaudRate, ui->lblPortDevice,
        {ui->optHandShake_0, ui->optHandShake_1, ui->optHandShake_2, ui->optHandShake_3});

    connect(ui->cmdApply, &QPushButton::clicked, this, &FrmPortSetup::cmdApply_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &FrmPortSetup::cmdCancel_Click);
    connect(ui->cmdLoadPortSettings, &QPushButton::clicked, this,
            &FrmPortSetup::cmdLoadPortSettings_Click);
    connect(ui->cmdSavePortSettings, &QPushButton::clicked, this,
            &FrmPortSetup::cmdSavePortSettings_Click);

    // Opening reads the live port, so the dialog starts from the settings in force.
    showForm(portSetupOnOpen(radioPort, current_.extPtt, availablePorts()));
}

FrmPortSetup::~FrmPortSetup() {
    delete ui;
}

PortSetupForm FrmPortSetup::form() const {
    PortSetupForm form;
    readPortControls(form);
    form.extPtt = ui->chkExtPTTEna->isChecked();
    return form;
}

std::string FrmPortSetup::filePath() const {
    return folder() + "/" + kPortSetupFileName;
}

void FrmPortSetup::showForm(const PortSetupForm& form) {
    showPortControls(form);
    ui->chkExtPTTEna->setChecked(form.extPtt);
}

void FrmPortSetup::ListAvailablePorts() {
    PortSetupForm shown = form();
    relistPorts(shown, availablePorts());
    showForm(shown);
}

void FrmPortSetup::cmdApply_Click() {
    applied_ = applyPortSetup(form(), current_);
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
    reportSaveError(kPortSetupFileName, writePortSetupFile(filePath(), portSetupSaveOf(form())));
}

}  // namespace tolvane
