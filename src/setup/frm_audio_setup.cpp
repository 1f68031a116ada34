// The Audio Setup dialog: option clicks and Load change the dialog state
// (an AudioSetupForm); the option groups show it.
#include "setup/frm_audio_setup.h"

#include <QButtonGroup>
#include <QPushButton>

#include "ui_frmAudioSetup.h"

namespace tolvane {

namespace {
constexpr AudioGroup kGroups[] = {AudioGroup::PhoneSource, AudioGroup::DigSource,
                                  AudioGroup::DigVox, AudioGroup::PttEn, AudioGroup::LocRem};
}

FrmAudioSetup::FrmAudioSetup(const AudioReports& reports, const AudioCodes& stored,
                             std::function<void(const std::string&)> reportError,
                             std::string folder, QWidget* owner)
    : OwnedDialog(owner),
      ui(new Ui::frmAudioSetup),
      reportError_(std::move(reportError)),
      folder_(std::move(folder)) {
    ui->setupUi(this);

    optPhoneAudio = setupui::makeOptionGroup(
        this, {ui->optPhoneAudio_0, ui->optPhoneAudio_1, ui->optPhoneAudio_2});
    optDigAudio =
        setupui::makeOptionGroup(this, {ui->optDigAudio_0, ui->optDigAudio_1, ui->optDigAudio_2});
    optDigVOX = setupui::makeOptionGroup(this, {ui->optDigVOX_0, ui->optDigVOX_1, ui->optDigVOX_2});
    optPTT = setupui::makeOptionGroup(this, {ui->optPTT_0, ui->optPTT_1});
    // Index 0 is "Local Audio" (DQ1), index 1 "Remote Audio" (DQ0).
    optLocRem = setupui::makeOptionGroup(this, {ui->optLocRem_0, ui->optLocRem_1});

    for (AudioGroup which : kGroups) {
        connect(group(which), &QButtonGroup::idClicked, this,
                [this, which](int index) { optionClicked(which, index); });
    }
    connect(ui->cmdApply, &QPushButton::clicked, this, &FrmAudioSetup::cmdApply_Click);
    connect(ui->cmdLoad, &QPushButton::clicked, this, &FrmAudioSetup::cmdLoad_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &FrmAudioSetup::cmdSave_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &FrmAudioSetup::cmdExit_Click);

    form_ = audioSetupOnOpen(reports, stored);
    showForm();
}

FrmAudioSetup::~FrmAudioSetup() {
    delete ui;
}

std::string FrmAudioSetup::filePath() const {
    return folder_ + "/" + kAudioSetupFileName;
}

QButtonGroup* FrmAudioSetup::group(AudioGroup which) const {
    switch (which) {
        case AudioGroup::PhoneSource:
            return optPhoneAudio;
        case AudioGroup::DigSource:
            return optDigAudio;
        case AudioGroup::DigVox:
            return optDigVOX;
        case AudioGroup::PttEn:
            return optPTT;
        case AudioGroup::LocRem:
            return optLocRem;
    }
    return optPhoneAudio;
}

void FrmAudioSetup::optionClicked(AudioGroup which, int index) {
    clickAudioOption(form_, which, index);
}

void FrmAudioSetup::showForm() {
    for (AudioGroup which : kGroups) setupui::selectOption(group(which), form_.option(which));
}

void FrmAudioSetup::cmdApply_Click() {
    // The dialog stays open; the main loop re-applies the codes once it has closed.
    applied_ = applyAudioSetup(form_);
}

void FrmAudioSetup::cmdLoad_Click() {
    auto read = loadAudioSetupForDialog(filePath());
    if (!read) return;  // missing or short file: the dialog keeps what it shows
    loadAudioSetupForm(form_, *read);
    showForm();
}

void FrmAudioSetup::cmdSave_Click() {
    WriteResult result = writeAudioSetupFile(filePath(), form_.codes);
    if (!result.ok && reportError_) reportError_(saveErrorText(kAudioSetupFileName, result));
}

void FrmAudioSetup::cmdExit_Click() {
    reject();
}

}  // namespace tolvane
