// The CAT Setup dialog: copies its controls to and from a CatSetupForm.
#include "setup/frm_cat_setup.h"

#include <QCheckBox>
#include <QPushButton>

#include "setup/cat_setup_extras.h"
#include "ui_frmCATSetup.h"

namespace tolvane {

FrmCATSetup::FrmCATSetup(const LivePort& catPort, const CatPortSettings& current,
                         std::function<bool(int)> portAvailable,
                         std::function<std::string(int)> devicePath,
                         std::function<void(const std::string&)> reportError, std::string folder,
                         QWidget* owner)
    : PortDialog(std::move(portAvailable), std::move(devicePath), std::move(reportError),
                 std::move(folder), owner),
      ui(new Ui::frmCATSetup),
      current_(current) {
    ui->setupUi(this);
    takePortControls(
        ui->cmbSelectPort, ui->txtFound, ui->cmbSelectBaudRate, ui->lblPortDevice,
        {ui->optHandShake_0, ui->optHandShake_1, ui->optHandShake_2, ui->optHandShake_3});
    setupui::makeTypable(ui->cmbBits);

    connect(ui->cmdApply, &QPushButton::clicked, this, &FrmCATSetup::cmdApply_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &FrmCATSetup::cmdCancel_Click);
    connect(ui->cmdLoadPortSettings, &QPushButton::clicked, this,
            &FrmCATSetup::cmdLoadPortSettings_Click);
    connect(ui->cmdSavePortSettings, &QPushButton::clicked, this,
            &FrmCATSetup::cmdSavePortSettings_Click);

    // Opening reads the live CAT port, not the file.
    CatSetupForm shown = catSetupOnOpen(catPort, availablePorts());
    shown.ts2000Answers = current.ts2000Answers;
    showForm(shown);
}

FrmCATSetup::~FrmCATSetup() {
    delete ui;
}

CatSetupForm FrmCATSetup::form() const {
    CatSetupForm form;
    readPortControls(form);
    form.bitsList = setupui::comboItems(ui->cmbBits);
    form.bits = setupui::comboText(ui->cmbBits);
    form.rigList = setupui::comboItems(ui->cmbRigType);
    form.rigType = setupui::comboText(ui->cmbRigType);
    form.ts2000Answers = ui->chkTs2000->isChecked();
    return form;
}

std::string FrmCATSetup::filePath() const {
    return folder() + "/" + kCatSetupFileName;
}

void FrmCATSetup::showForm(const CatSetupForm& form) {
    showPortControls(form);
    setupui::setCombo(ui->cmbBits, form.bitsList, form.bits);
    setupui::setCombo(ui->cmbRigType, form.rigList, form.rigType);
    ui->chkTs2000->setChecked(form.ts2000Answers);
}

void FrmCATSetup::ListAvailablePorts() {
    CatSetupForm shown = form();
    relistPorts(shown, availablePorts());
    showForm(shown);
}

void FrmCATSetup::cmdApply_Click() {
    applied_ = applyCatSetup(form(), current_);
    accept();
}

void FrmCATSetup::cmdCancel_Click() {
    reject();
}

void FrmCATSetup::cmdLoadPortSettings_Click() {
    auto values = loadCatSetupForDialog(filePath());
    if (!values) return;  // missing or short file: the dialog keeps what it shows
    CatSetupForm shown = form();
    loadCatSetupForm(shown, *values);
    // A file without the TS-2000 line (an older one) loads them off.
    shown.ts2000Answers = readCatSetupExtras(filePath()).ts2000Answers;
    showForm(shown);
}

void FrmCATSetup::cmdSavePortSettings_Click() {
    CatSetupForm shown = form();
    reportSaveError(kCatSetupFileName, writeCatSetupFile(filePath(), catSetupSaveOf(shown),
                                                         CatSetupExtras{shown.ts2000Answers}));
}

}  // namespace tolvane
