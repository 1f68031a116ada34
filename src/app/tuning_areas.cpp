// Wiring of the tuning areas: the digit rows of VFO A, VFO B and the
// channel, the keyboard knob, the transmit VFO, A->B and Swap, and the
// channel memory. The rows act inside their own mouse events and yield
// through the shell, so that the release arrives while they repeat.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/controller.h"
#include "panel/channel_memory.h"
#include "panel/frequency_entry.h"
#include "panel/frm_tolvane.h"
#include "panel/vfo_b_split.h"
#include "ui_frmTolvane.h"

namespace tolvane {

void Controller::installTuningAreas() {
    auto* ui = form_.ui;
    const WindowSeams seams{
        [this](double seconds) {
            shell_.setNextWait(seconds);
            shell_.yield();
        },
        [this] { shell_.beep(); },
        [this](const std::string& text) { shell_.messageBox(text, ps.gAppTitle); }};
    freq_ = std::make_unique<FrequencyEntry>(
        FrequencyEntry::Context{form_.cmdF, ui->lblInfo, ui->cmbStepSize, link, ps.gTuneLock, seams,
                                [this] { display.gUpdateDisplay(); }});
    vfoB_ = std::make_unique<VfoBSplit>(VfoBSplit::Context{
        form_.cmdVFOB, form_.cmdF, form_.optTXVFO, ui->cmbMode, ui->cmbVFOBMode, ui->lblSplit,
        ui->cmdA2B, ui->cmdSwap, link, req.reqA2B, req.reqSwap, seams});
    chan_ = std::make_unique<ChannelMemory>(
        ChannelMemory::Context{form_.cmdM, form_.optChan, form_.cmdF, ui->lblInfo, ui->cmdM2V,
                               ui->cmdV2M, link, ps.gTuneLock, req.reqM2V, req.reqV2M, seams});
    vfoB_->connectHandlers();
    chan_->connectHandlers();

    FrmTolvane* f = &form_;
    QObject::connect(f, &FrmTolvane::digitMouseDown, f, [this](int row, int index, int button) {
        switch (row) {
            case FrmTolvane::kRowVfoA:
                freq_->cmdF_MouseDown(index, button);
                break;
            case FrmTolvane::kRowVfoB:
                vfoB_->cmdVFOB_MouseDown(index, button);
                break;
            case FrmTolvane::kRowChannel:
                chan_->cmdM_MouseDown(index, button);
                break;
            default:
                break;
        }
    });
    QObject::connect(f, &FrmTolvane::digitMouseUp, f, [this](int row, int) {
        switch (row) {
            case FrmTolvane::kRowVfoA:
                freq_->cmdF_MouseUp();
                break;
            case FrmTolvane::kRowVfoB:
                vfoB_->cmdVFOB_MouseUp();
                break;
            case FrmTolvane::kRowChannel:
                chan_->cmdM_MouseUp();
                break;
            default:
                break;
        }
    });
    QObject::connect(f, &FrmTolvane::keyDown, f,
                     [this](int key, int shift) { freq_->Form_KeyDown(key, shift); });
}

}  // namespace tolvane
