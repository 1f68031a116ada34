// VFO A digit buttons and the keyboard knob.
#include "panel/frequency_entry.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "panel/digit_rows.h"
#include "panel/status_display.h"
#include "panel/vb.h"
#include "radio/errors.h"
#include "radio/radio_link.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

FrequencyEntry::FrequencyEntry(const FrequencyEntryWidgets& widgets, const PanelContext& context,
                               const WindowSeams& seams)
    : w_(widgets), c_(context), seams_(seams) {}

std::string FrequencyEntry::row() const {
    std::string s;
    for (const QPushButton* b : w_.cmdF) s += caption(b);
    return s;
}

void FrequencyEntry::writeRow(const std::string& digits) {
    for (size_t i = 0; i < w_.cmdF.size() && i < digits.size(); ++i)
        setCaption(w_.cmdF[i], std::string(1, digits[i]));
}

void FrequencyEntry::sendFrequency(const std::string& digits) {
    c_.link.SendRadioCmd("F" + digits, true, kStepPause);
    c_.link.ReadRadio();
}

void FrequencyEntry::cmdF_MouseDown(int index, int button) {
    if (busy_ || c_.ps.gTuneLock) return;
    if (index < 0 || index > 6 + digits::kFreqDigits - 1) return;
    busy_ = true;
    // The handler runs inside the window system's event: a failing port
    // must not leave it (nor the row) busy for good.
    try {
        press(index, button);
    } catch (const std::exception& e) {
        busy_ = false;
        gFreqHeld = false;
        gKeyStep = false;
        c_.link.ReportError("cmdF_MouseDown: Err " + errText(e));
    }
}

void FrequencyEntry::press(int index, int button) {
    if (index >= digits::kFreqDigits) {
        position_ = index - 6;  // a keyboard step
    } else {
        position_ = index;
        gFreqHeld = true;
    }
    step_ = digits::freqStep(position_);
    button_ = button;
    // The label named a frequency picked from a list or the channel; a
    // retuned VFO is neither.
    setCaption(w_.lblInfo, "");
    seams_.yield(0.0);
    repeat_ = 0;
    // A row that is not seven digits (nothing reported yet) is out of range.
    value_ = digits::freqValue(row()).value_or(-1);
    seams_.yield(0.0);
    bool outOfRangeBeeped = false;
    while (gFreqHeld || gKeyStep) {
        gKeyStep = false;
        const digits::VfoAStep s = digits::stepVfoA(value_, step_, button_);
        if (!digits::inTuningRange(s.value)) {
            // A row outside the tuning range is neither stepped nor sent; the
            // refusal is sounded once, not at the pace of the yields.
            if (s.beep && !outOfRangeBeeped) seams_.beep();
            outOfRangeBeeped = outOfRangeBeeped || s.beep;
            seams_.yield(kIdlePassWait);
            continue;
        }
        if (s.beep) seams_.beep();
        value_ = s.value;
        const std::string text = digits::freqText(value_);
        writeRow(text);
        // The first five passes are all sent, then every second one: a held
        // button moves one step per pause at first, then two.
        if (repeat_ % 2 == 0 || repeat_ < 5) sendFrequency(text);
        ++repeat_;
        seams_.yield(0.0);
    }
    busy_ = false;
    // Settle the radio on the row shown, also when the last passes of a long
    // hold were not sent. A row outside the tuning range is never sent.
    const std::string shown = row();
    const std::optional<long> v = digits::freqValue(shown);
    if (v && digits::inTuningRange(*v)) sendFrequency(shown);
    c_.display.gUpdateDisplay();
}

void FrequencyEntry::cmdF_MouseUp() {
    gFreqHeld = false;
}

void FrequencyEntry::Form_KeyDown(int keyCode, int shift) {
    (void)shift;  // I and D step whatever the shift state
    if (keyBusy_) return;
    if (keyCode != kKeyI && keyCode != kKeyD) return;
    const std::optional<int> position = digits::keyStepPosition(caption(w_.cmbStepSize));
    // No step follows with the step size "OFF" or while tuning is locked: a
    // pending flag would only add a step to the next VFO A click.
    if (!position || c_.ps.gTuneLock) return;
    keyBusy_ = true;
    gKeyStep = true;
    // While a digit is held the press handler is busy and returns at once;
    // its running loop takes the pending step.
    cmdF_MouseDown(*position + 6, keyCode == kKeyI ? digits::kUp : digits::kDown);
    keyBusy_ = false;
}

}  // namespace tolvane
