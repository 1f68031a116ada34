// The REMOTE initialisation: takes charge of a radio under remote control,
// brings its audio settings to the configured values, checks the frequency,
// resets RF gain and BFO and enables the operator controls.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <functional>

#include "app/controller.h"
#include "panel/frm_tolvane.h"
#include "panel/receiver_controls.h"
#include "panel/vb.h"
#include "radio/protocol.h"
#include "setup/audio_setup_file.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

Controller::Stage Controller::remoteInit() {
    if (ps.gRestarting) return Stage::LoopEntry;
    ps.gControlMode = "REMOTE";
    // Audio settings applied from Audio Setup while the radio was under its
    // front panel's control waited for this initialisation: they are what
    // the operator chose last, so the file does not override them.
    const bool applied = req.reqAudioReload;
    req.reqAudioReload = false;
    tryStep([&] { set.gTxUnrestricted = link.fileExists("Permissions.txt"); });
    tryStep([&] {
        if (applied) return;
        AudioCodes codes = kAudioDefaults;
        if (link.fileExists(kAudioSetupFileName)) codes = audioCodesAtStartup(kAudioSetupFileName);
        set.gAudSource = codes.source;
        set.gAudPttEn = codes.pttEn;
        set.gAudRouting = codes.routing;
        set.gDigSource = codes.digSource;
        set.gDigVox = codes.digVox;
    });
    return Stage::AudioResync;
}

Controller::Stage Controller::audioResync() {
    auto* ui = form_.ui;
    tryStep([&] {
        for (QWidget* w : std::initializer_list<QWidget*>{ui->cmdSideTone, ui->cmdViewInData,
                                                          ui->cmdVOX, ui->cmdClipping, ui->cmdPTTEn})
            w->setEnabled(false);
        ui->vscRFG->setEnabled(true);
        setCaption(ui->cmbDig, "OFF");
        ps.gTuneLock = true;
        vb::setForeColour(ui->txtInfo, colour::kRed);
        vb::setBold(ui->txtInfo, true);
        setCaption(ui->txtInfo, "STANDBY - SETTING ALL COMMAND BUTTONS");
        ui->txtInfo->setVisible(true);
        ui->txtInData->setVisible(true);
        vb::setForeColour(ui->lblREMOTE, colour::kWhite);
    });
    return Stage::RemoteWait;
}

Controller::Stage Controller::remoteWait() {
    if (st.gFullStatus) return Stage::RemoteFinish;
    link.SendRadioCmd("?", true, 0.6);
    link.ReadRadio();
    shell_.yield();
    // New port settings are honoured here as in the radio query.
    if (req.reqPortReopen) {
        req.reqPortReopen = false;
        return Stage::OpenPort;
    }
    return Stage::RemoteWait;
}

Controller::Stage Controller::remoteFinish() {
    auto* ui = form_.ui;
    ReceiverControls& rc = *receiver_;
    // 7.
    tryStep([&] { detectFirmware(false); });
    // 8. Bring the radio's audio to the wanted values, row by row.
    auto bring = [&](std::string RadioState::*report, const std::string& wanted, int runs,
                     double pause, const std::function<void()>& routine) {
        for (int i = 0; i < runs && st.*report != wanted; ++i) {
            routine();
            if (pause > 0) link.Delay(pause);
        }
    };
    tryStep([&] {
        bring(&RadioState::gLocRemReport, set.gAudRouting, 1, 0, [&] { rc.AudioToggleCmd(); });
    });
    tryStep([&] { display.ShowLocRem(); });
    tryStep([&] {
        // The source is stepped on the routing just brought in: picking a
        // source in the source box would also switch the audio to local and
        // undo a remote routing the operator stored.
        bring(&RadioState::gSourceReport, set.gAudSource, 4, 0.2, [&] {
            rc.StepAudioSource(set.gAudSource);
            link.ReadRadio();
        });
    });
    tryStep([&] { display.ShowSource(); });
    tryStep([&] { bring(&RadioState::gClipReport, "I0", 3, 0, [&] { rc.ClipCmd(); }); });
    tryStep([&] { display.ShowClipping(); });
    tryStep([&] { bring(&RadioState::gPttEnReport, set.gAudPttEn, 3, 0, [&] { rc.PttEnCmd(); }); });
    tryStep([&] {
        display.ShowPttEnable();
        display.ShowSideTone();
    });
    tryStep([&] { bring(&RadioState::gVoxReport, "V0", 4, 0, [&] { rc.VoxCmd(); }); });
    tryStep([&] {
        display.ShowVox();
        display.ShowAgc();
        display.ShowMode();
    });
    // 9. Frequency.
    tryStep([&] {
        if (!st.gFreqReportOk) {
            setCaption(ui->txtInfo, "Invalid Frequency: Setting frequency to 12345.67");
            link.SetFreqCmd("1234567");
        }
        display.ShowFreqDigits();
        bool allowed = display.IsInBand(st.gFreqReport);
        display.SetTxControlsEnabled(allowed);
    });
    // 10. RF gain reset; meters.
    tryStep([&] {
        // The bar's minimum (full gain) is at its top.
        ui->vscRFG->setValue(ui->vscRFG->maximum());
        rc.vscRFG_Change();
        for (QRadioButton* o : form_.optMeter) o->setEnabled(true);
        ui->pbMeter->setEnabled(true);
        if (st.gFwType == protocol::kFwAdapt) ui->pbMeter->setEnabled(false);
    });
    // 11.
    tryStep([&] {
        setCaption(ui->txtInfo, "");
        ui->txtInfo->setVisible(false);
        vb::setForeColour(ui->txtInfo, colour::kBlack);
        vb::setBold(ui->txtInfo, false);
        for (QWidget* w : std::initializer_list<QWidget*>{ui->fraLeftButtons, ui->fraRightButtons,
                                                          ui->fraRF, ui->fraBand, ui->fraBFO})
            w->setVisible(true);
        ui->cmdMute->setEnabled(true);
        ui->cmdBFO->setEnabled(true);
    });
    // 12. BFO: the offset "100" is sent and the BFO ends off.
    tryStep([&] {
        ui->vscBFO->setValue(100);
        rc.BfoOffsetCmd();
        ps.gBfoOn = true;
        rc.BfoCmd();
        rc.BfoCmd();
        rc.BfoCmd();
    });
    // 13.
    tryStep([&] {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 ui->cmdSideTone, ui->cmdViewInData, ui->cmdVOX, ui->cmdClipping, ui->cmdPTTEn,
                 ui->cmdTune, ui->cmdXmit})
            w->setEnabled(true);
        ui->mnuScanFreqs->setEnabled(scanWindowsAvailable);
        ui->mnuScanBands->setEnabled(scanWindowsAvailable);
        ui->lblU->setVisible(true);
        ui->lblXMTRCV->setEnabled(true);
        ui->pbMeter->setEnabled(true);
        ui->cmdTest->setEnabled(true);
        // The band check again, so that a click queued before the first pass
        // cannot find the transmit buttons enabled outside the permitted bands.
        bool allowed = display.IsInBand(st.gFreqReport);
        display.SetTxControlsEnabled(allowed);
    });
    // 14.
    tryStep([&] {
        link.ReadRadio();
        link.SendRadioCmd("?", true, 0.6);
        link.ReadRadio();
        ps.gTuneLock = false;
        ui->cmdAmpPwr->setEnabled(true);
        ui->cmdAmpOpr->setEnabled(true);
        ui->cmdTuneAmp->setEnabled(true);
    });
    // 15.
    tryStep([&] { radioPort_.setDtr(true); });
    // 16.
    link.Delay(0.5);
    return Stage::LoopEntry;
}

}  // namespace tolvane
