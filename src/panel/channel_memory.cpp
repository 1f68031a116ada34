// Channel/VFO choice, channel digits, M->V and V->M.
#include "panel/channel_memory.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include <utility>

#include "panel/digit_rows.h"
#include "panel/vb.h"
#include "radio/protocol.h"
#include "radio/radio_link.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

namespace {
// The mode digit of a mode report "M1".."M4"; 0 for anything else.
char modeDigit(const std::string& report) {
    if (report.size() != 2 || report[0] != 'M' || report[1] < '1' || report[1] > '4') return 0;
    return report[1];
}
}  // namespace

ChannelMemory::ChannelMemory(Context ctx) : c_(std::move(ctx)) {}

void ChannelMemory::connectHandlers() {
    // The panel starts on the VFO. Only a channel report that names a
    // channel changes that; the VFO report of a radio that is on its VFO
    // then selects nothing new and leaves the tuning lock of the
    // initialisations alone.
    c_.optChan[1]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        QRadioButton* opt = c_.optChan[static_cast<size_t>(i)];
        QObject::connect(opt, &QRadioButton::toggled, opt, [this, i](bool on) {
            if (on) optChan_Click(i);
        });
    }
    QObject::connect(c_.cmdM2V, &QPushButton::clicked, c_.cmdM2V, [this] { c_.reqM2V = true; });
    QObject::connect(c_.cmdV2M, &QPushButton::clicked, c_.cmdV2M, [this] { c_.reqV2M = true; });
}

std::string ChannelMemory::channel() const {
    return digits::chanText(digits::chanValue(caption(c_.cmdM[0]) + caption(c_.cmdM[1])));
}

void ChannelMemory::writeChannel(const std::string& two) {
    setCaption(c_.cmdM[0], two.substr(0, 1));
    setCaption(c_.cmdM[1], two.substr(1, 1));
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
        const int value = digits::chanValue(caption(c_.cmdM[0]) + caption(c_.cmdM[1]));
        const digits::ChanStep s = digits::stepChannel(value, step, button);
        if (s.beep) c_.seams.beep();
        writeChannel(digits::chanText(s.value));
        c_.link.Delay(kStepPause);
        c_.seams.yield(0.0);
    }
    // In VFO mode the number only prepares V->M.
    if (c_.optChan[0]->isChecked()) c_.link.SendRadioCmd("C" + channel(), true, kSelectPause);
    busy_ = false;
}

void ChannelMemory::cmdM_MouseUp() {
    gChanHeld = false;
}

void ChannelMemory::optChan_Click(int index) {
    RadioState& st = c_.link.state();
    if (index == 0) {
        c_.gTuneLock = true;
        gSavedVfoA.clear();
        for (const QPushButton* b : c_.cmdF) gSavedVfoA += caption(b);
        savedMode_ = st.gModeReport;
        // When the radio's channel report selected this option the digits
        // already match it and nothing is sent.
        const std::string select = "C" + channel();
        if (select != st.gChanSelReport) c_.link.SendRadioCmd(select, true, kSelectPause);
        return;
    }
    if (index != 1) return;
    // Only a frequency the radio can tune to is put back and sent: the
    // design captions "0000000" of a panel that started on a channel are none.
    const std::optional<long> saved = digits::freqValue(gSavedVfoA);
    if (saved && digits::inTuningRange(*saved)) {
        for (size_t i = 0; i < c_.cmdF.size(); ++i)
            setCaption(c_.cmdF[i], std::string(1, gSavedVfoA[i]));
        c_.link.SetMode(savedMode_);
        c_.link.SendRadioCmd("F" + gSavedVfoA, true, kRetunePause);
    }
    c_.gTuneLock = false;
}

void ChannelMemory::M2VCmd() {
    const std::string ch = channel();
    c_.link.SendRadioCmd("C" + ch, true, kSelectPause);
    setCaption(c_.lblInfo, "Channel " + ch);
    c_.reqM2V = false;
}

void ChannelMemory::V2MCmd() {
    const RadioState& st = c_.link.state();
    const char mode = modeDigit(st.gModeReport);
    // Only what the radio last reported is stored, and only a whole report:
    // a blank or garbled one would overwrite the channel with rubbish.
    if (!st.gFreqReportOk || !protocol::isFreqReport(st.gFreqReport) || mode == 0) {
        c_.link.ReportError(kNoValidFrequency);
        c_.reqV2M = false;
        return;
    }
    c_.link.SendRadioCmd("P" + channel() + st.gFreqReport.substr(1, 7) + mode, true, kSelectPause);
    c_.reqV2M = false;
}

}  // namespace tolvane
