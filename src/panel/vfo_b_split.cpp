// VFO B digits, the transmit VFO, A->B and Swap.
#include "panel/vfo_b_split.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "panel/digit_rows.h"
#include "panel/vb.h"
#include "platform/serial_port.h"
#include "radio/errors.h"
#include "radio/mappings.h"
#include "radio/protocol.h"
#include "radio/radio_link.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

VfoBSplit::VfoBSplit(const VfoBWidgets& widgets, const PanelContext& context,
                     const WindowSeams& seams)
    : w_(widgets), c_(context), seams_(seams) {}

void VfoBSplit::connectHandlers() {
    for (int i = 0; i < 2; ++i) {
        QRadioButton* opt = w_.optTXVFO[static_cast<size_t>(i)];
        QObject::connect(opt, &QRadioButton::toggled, opt, [this, i](bool on) {
            if (on) optTXVFO_Click(i);
        });
    }
    QObject::connect(w_.cmdA2B, &QPushButton::clicked, w_.cmdA2B, [this] { c_.req.reqA2B = true; });
    QObject::connect(w_.cmdSwap, &QPushButton::clicked, w_.cmdSwap,
                     [this] { c_.req.reqSwap = true; });
}

std::string VfoBSplit::vfoBText() const {
    std::string s = "F";
    for (const QPushButton* b : w_.cmdVFOB) s += caption(b);
    return s;
}

bool VfoBSplit::splitOn() const {
    return caption(w_.lblSplit) == kSplitOn;
}

std::string VfoBSplit::vfoBModeCode() const {
    return std::string(mapping::codeOf(mapping::kModes, caption(w_.cmbVFOBMode)).value_or(""));
}

void VfoBSplit::setVfoB(const std::string& digits) {
    if (digits.size() != w_.cmdVFOB.size()) return;
    for (size_t i = 0; i < w_.cmdVFOB.size(); ++i)
        setCaption(w_.cmdVFOB[i], std::string(1, digits[i]));
}

void VfoBSplit::setVfoBMode(const std::string& modeCode) {
    if (auto text = mapping::captionOf(mapping::kModes, modeCode))
        setCaption(w_.cmbVFOBMode, std::string(*text));
}

void VfoBSplit::selectTxVfo(int index) {
    if (index != 0 && index != 1) return;
    QRadioButton* opt = w_.optTXVFO[static_cast<size_t>(index)];
    // Checking the option runs its click handling; one already checked is
    // handled as a click on it would be.
    if (opt->isChecked())
        optTXVFO_Click(index);
    else
        opt->setChecked(true);
}

void VfoBSplit::cmdVFOB_MouseDown(int index, int button) {
    // A second press while the loop runs frees the handler; the running
    // loop goes on until its release.
    if (busy_) {
        busy_ = false;
        return;
    }
    const long step = digits::freqStep(index);
    if (step == 0) return;
    busy_ = true;
    gVfoBHeld = true;
    // VFO B has no lock: it may be stepped while transmitting.
    while (gVfoBHeld) {
        const std::string row = vfoBText().substr(1);
        const std::string next = digits::stepVfoB(row, step, button);
        for (size_t i = 0; i < w_.cmdVFOB.size() && i < next.size(); ++i)
            setCaption(w_.cmdVFOB[i], std::string(1, next[i]));
        c_.link.Delay(kStepPause);
        seams_.yield(0.0);
    }
    busy_ = false;
}

void VfoBSplit::cmdVFOB_MouseUp() {
    gVfoBHeld = false;
}

void VfoBSplit::optTXVFO_Click(int index) {
    if (index == 0) {
        setCaption(w_.lblSplit, kSplitOff);
        return;
    }
    if (index != 1) return;
    // The radio transmits on VFO B in VFO A's mode: split needs both equal.
    if (caption(w_.cmbMode) != caption(w_.cmbVFOBMode)) {
        seams_.messageBox(kModesDiffer);
        setCaption(w_.lblSplit, kSplitOff);
        w_.optTXVFO[0]->setChecked(true);  // runs this handler for TXA
        return;
    }
    setCaption(w_.lblSplit, kSplitOn);
}

void VfoBSplit::A2BCmd() {
    for (size_t i = 0; i < w_.cmdF.size(); ++i) setCaption(w_.cmdVFOB[i], caption(w_.cmdF[i]));
    c_.req.reqA2B = false;
}

void VfoBSplit::SwapCmd() {
    c_.req.reqSwap = false;
    std::string f = "F";
    for (size_t i = 0; i < w_.cmdF.size(); ++i) {
        const std::string b = caption(w_.cmdVFOB[i]);
        setCaption(w_.cmdVFOB[i], caption(w_.cmdF[i]));
        setCaption(w_.cmdF[i], b);
        f += b;
    }
    // A VFO B row that was not seven digits is exchanged on the panel only.
    if (!protocol::isFreqReport(f)) return;
    std::string keys;
    const std::string modeA = caption(w_.cmbMode);
    const std::string modeB = caption(w_.cmbVFOBMode);
    if (modeA != modeB) {
        setCaption(w_.cmbVFOBMode, modeA);
        keys = c_.link.ModeKeys(std::string(mapping::codeOf(mapping::kModes, modeB).value_or("")));
    }
    // The radio's own reports redraw VFO A and its mode on the next passes.
    const std::string text =
        keys.empty() ? f + protocol::kLF : keys + protocol::kLF + f + protocol::kLF;
    try {
        c_.link.writeDirect(text);
    } catch (const PortError& e) {
        c_.link.ReportError("SwapCmd: Err " + errText(e));
        return;
    }
    c_.link.Delay(kSwapPause);
}

}  // namespace tolvane
