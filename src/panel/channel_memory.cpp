// Channel/VFO choice, channel digits, M->V and V->M.
#include "panel/channel_memory.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <optional>

#include "panel/digit_rows.h"
#include "panel/vb.h"
#include "radio/errors.h"
#include "radio/mappings.h"
#include "radio/protocol.h"
#include "radio/radio_link.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

namespace {
// The mode digit of a mode report "M1".."M4"; 0 for anything else.
char modeDigit(const std::string& report) {
    if (!mapping::captionOf(mapping::kModes, report)) return 0;
    return report[1];
}
}  // namespace

ChannelMemory::ChannelMemory(const ChannelWidgets& widgets, const PanelContext& context,
                             const WindowSeams& seams)
    : w_(widgets), c_(context), seams_(seams) {}

void ChannelMemory::connectHandlers() {
    // The panel starts on the VFO. Only a channel report that names a
    // channel changes that; the VFO report of a radio that is on its VFO
    // then selects nothing new and leaves the tuning lock of the
    // initialisations alone.
    w_.optChan[1]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        QRadioButton* opt = w_.optChan[static_cast<size_t>(i)];
        QObject::connect(opt, &QRadioButton::toggled, opt, [this, i](bool on) {
            if (on) optChan_Click(i);
        });
    }
    QObject::connect(w_.cmdM2V, &QPushButton::clicked, w_.cmdM2V, [this] { c_.req.reqM2V = true; });
    QObject::connect(w_.cmdV2M, &QPushButton::clicked, w_.cmdV2M, [this] { c_.req.reqV2M = true; });
}

std::string ChannelMemory::channel() const {
    return digits::chanText(digits::chanValue(caption(w_.cmdM[0]) + caption(w_.cmdM[1])));
}

void ChannelMemory::writeChannel(const std::string& two) {
    setCaption(w_.cmdM[0], two.substr(0, 1));
    setCaption(w_.cmdM[1], two.substr(1, 1));
}

void ChannelMemory::cmdM_MouseDown(int index, int button) {
    // A second press while the loop runs frees the handler; the running
    // loop goes on until its release.
    if (busy_) {
        busy_ = false;
        return;
    }
    const int step = digits::chanStep(index);
    if (step == 0) return;
    busy_ = true;
    gChanHeld = true;
    while (gChanHeld) {
        const int value = digits::chanValue(caption(w_.cmdM[0]) + caption(w_.cmdM[1]));
        const digits::ChanStep s = digits::stepChannel(value, step, button);
        if (s.beep) seams_.beep();
        writeChannel(digits::chanText(s.value));
        c_.link.Delay(kStepPause);
        seams_.yield(0.0);
    }
    // In VFO mode the number only prepares V->M.
    if (w_.optChan[0]->isChecked()) c_.link.SendRadioCmd("C" + channel(), true, kSelectPause);
    busy_ = false;
}

void ChannelMemory::cmdM_MouseUp() {
    gChanHeld = false;
}

void ChannelMemory::optChan_Click(int index) {
    // Also runs inside the status display's selection of an option: a
    // failing port is said here rather than thrown through the window
    // system's signal. The lock follows the option either way.
    try {
        select(index);
    } catch (const std::exception& e) {
        c_.ps.gTuneLock = index == 0;
        c_.link.ReportError("optChan_Click: Err " + errText(e));
    }
}

void ChannelMemory::select(int index) {
    RadioState& st = c_.st;
    if (index == 0) {
        c_.ps.gTuneLock = true;
        gSavedVfoA.clear();
        for (const QPushButton* b : w_.cmdF) gSavedVfoA += caption(b);
        savedMode_ = st.gModeReport;
        // When the radio's channel report selected this option the digits
        // already match it and nothing is sent.
        const std::string command = "C" + channel();
        if (command != st.gChanSelReport) c_.link.SendRadioCmd(command, true, kSelectPause);
        return;
    }
    if (index != 1) return;
    // Only a frequency the radio can tune to is put back and sent: the
    // design captions "0000000" of a panel that started on a channel are none.
    const std::optional<long> saved = digits::freqValue(gSavedVfoA);
    if (saved && digits::inTuningRange(*saved)) {
        for (size_t i = 0; i < w_.cmdF.size(); ++i)
            setCaption(w_.cmdF[i], std::string(1, gSavedVfoA[i]));
        c_.link.SetMode(savedMode_);
        c_.link.SendRadioCmd("F" + gSavedVfoA, true, kRetunePause);
    }
    c_.ps.gTuneLock = false;
}

void ChannelMemory::M2VCmd() {
    const std::string ch = channel();
    c_.link.SendRadioCmd("C" + ch, true, kSelectPause);
    setCaption(w_.lblInfo, "Channel " + ch);
    c_.req.reqM2V = false;
}

void ChannelMemory::V2MCmd() {
    const RadioState& st = c_.st;
    const char mode = modeDigit(st.gModeReport);
    // Only what the radio last reported is stored, and only a whole report:
    // a blank or garbled one would overwrite the channel with rubbish.
    if (!st.gFreqReportOk || !protocol::isFreqReport(st.gFreqReport) || mode == 0) {
        c_.link.ReportError(kNoValidFrequency);
        c_.req.reqV2M = false;
        return;
    }
    c_.link.SendRadioCmd("P" + channel() + st.gFreqReport.substr(1, 7) + mode, true, kSelectPause);
    c_.req.reqV2M = false;
}

}  // namespace tolvane
