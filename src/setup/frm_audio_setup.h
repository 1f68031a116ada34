// The Audio Setup dialog frmAudioSetup: phone audio source, digital audio
// source, digital VOX, PTT enable and local/remote audio as the radio's
// two-character codes, applied to the running program (the main loop then
// brings the radio into line), saved to or loaded from "AudioSetup.txt".
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "setup/setup_forms.h"
#include "setup/setup_widgets.h"

class QButtonGroup;

namespace Ui {
class frmAudioSetup;
}

namespace tolvane {

class FrmAudioSetup : public setupui::OwnedDialog {
    Q_OBJECT

  public:
    // reports: the radio's last audio source, PTT-enable and routing reports.
    // stored: the audio codes in force; they also stand in for reports
    // outside their tables.
    // reportError: puts a failed save's message on the information line.
    // folder: where "AudioSetup.txt" is.
    // owner: the window disabled while the dialog is open; every way out of
    // the dialog enables it again.
    FrmAudioSetup(const AudioReports& reports, const AudioCodes& stored,
                  std::function<void(const std::string&)> reportError = {},
                  std::string folder = ".", QWidget* owner = nullptr);
    ~FrmAudioSetup() override;
    FrmAudioSetup(const FrmAudioSetup&) = delete;
    FrmAudioSetup& operator=(const FrmAudioSetup&) = delete;

    Ui::frmAudioSetup* ui;
    QButtonGroup* optPhoneAudio;
    QButtonGroup* optDigAudio;
    QButtonGroup* optDigVOX;
    QButtonGroup* optPTT;
    QButtonGroup* optLocRem;

    // The dialog state: the codes Apply and Save pass on, the options shown.
    const AudioSetupForm& form() const { return form_; }
    // The codes the last Apply returned (the dialog stays open after an
    // Apply); nothing when Apply was not clicked.
    const std::optional<AudioCodes>& applied() const { return applied_; }
    // The path of "AudioSetup.txt".
    std::string filePath() const;

    void cmdApply_Click();
    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdExit_Click();

  private:
    QButtonGroup* group(AudioGroup which) const;
    void optionClicked(AudioGroup which, int index);
    void showForm();

    AudioSetupForm form_;
    std::optional<AudioCodes> applied_;
    std::function<void(const std::string&)> reportError_;
    std::string folder_;
};

}  // namespace tolvane
