// PTT, XMT and TUNE.
#include "panel/transmit_control.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "panel/status_display.h"
#include "panel/vb.h"
#include "platform/serial_port.h"
#include "radio/errors.h"
#include "radio/mappings.h"
#include "radio/protocol.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

TransmitControl::TransmitControl(const TransmitWidgets& widgets, const PanelContext& context,
                                 const WindowSeams& seams)
    : w_(widgets), c_(context), seams_(seams) {}

void TransmitControl::connectHandlers() {
    QObject::connect(w_.cmdXmit, &QPushButton::clicked, w_.cmdXmit,
                     [this] { c_.req.reqXmit = true; });
    QObject::connect(w_.cmdTune, &QPushButton::clicked, w_.cmdTune,
                     [this] { c_.req.reqTune = true; });
}

std::string TransmitControl::rowA() const {
    std::string s;
    for (const QPushButton* b : w_.cmdF) s += caption(b);
    return s;
}

std::string TransmitControl::rowB() const {
    std::string s;
    for (const QPushButton* b : w_.cmdVFOB) s += caption(b);
    return s;
}

void TransmitControl::showOnVfoA(const std::string& digits) {
    for (size_t i = 0; i < w_.cmdF.size() && i < digits.size(); ++i)
        setCaption(w_.cmdF[i], std::string(1, digits[i]));
}

bool TransmitControl::splitOn() const {
    return caption(w_.lblSplit) == "Split On";
}

bool TransmitControl::modesDiffer() const {
    return caption(w_.cmbMode) != caption(w_.cmbVFOBMode);
}

bool TransmitControl::tuneOn() const {
    return caption(w_.cmdTune) == kTuneOff;
}

bool TransmitControl::xmitOn() const {
    return caption(w_.cmdXmit) == kXmitOff;
}

bool TransmitControl::xmitAvailable() const {
    return w_.cmdXmit->isEnabled() && !tuneOn() && !(splitOn() && modesDiffer());
}

// TUNE always transmits on the radio's own frequency; XMT on the frequency
// the radio reports, which after a split retune is VFO B's.
bool TransmitControl::tuneMustStop() const {
    return tuneOn() && (!w_.cmdTune->isEnabled() || !c_.display.IsInBand(c_.st.gFreqReport));
}

bool TransmitControl::xmitMustStop() const {
    return xmitOn() && (!w_.cmdXmit->isEnabled() || !c_.display.IsInBand(c_.st.gFreqReport));
}

bool TransmitControl::write(const std::string& routine, const std::string& text) {
    try {
        c_.link.writeDirect(text);
        return true;
    } catch (const PortError& e) {
        c_.link.ReportError(routine + ": Err " + errText(e));
        return false;
    }
}

void TransmitControl::waitForRelease(bool withSwitch) {
    while (gPttHeld || (withSwitch && extPressed())) seams_.yield(kHoldWait);
}

// ------------------------------------------------------------------ PTT

void TransmitControl::cmdPTT_MouseDown(int button, int, int, int) {
    // Another mouse button pressed while a transmission runs starts none of
    // its own: the running one lasts until its release.
    if (pttRunning_) return;
    pttRunning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{pttRunning_};

    gPttHeld = button == 1;
    bool ext = extPressed();
    seams_.yield(0.0);
    ext = ext || extPressed();
    if (!gPttHeld && !ext) return;

    const bool split = splitOn();
    std::string vfoA;
    bool returnDue = false;
    if (!split) {
        // The disabled controls normally prevent this: no message.
        if (!c_.display.IsInBand(c_.st.gFreqReport)) {
            waitForRelease(true);
            return;
        }
    } else {
        if (modesDiffer()) {
            seams_.messageBox(kModesDiffer);
            setCaption(w_.lblSplit, "Split Off");
            w_.optTXVFO[0]->setChecked(true);
            waitForRelease(true);
            return;
        }
        vfoA = rowA();
        const std::string vfoB = rowB();
        showOnVfoA(vfoB);  // the VFO A row shows the transmit frequency
        if (!c_.display.IsInBand("F" + vfoB) || !write("cmdPTT_MouseDown", "F" + vfoB + "\n")) {
            showOnVfoA(vfoA);
            waitForRelease(true);
            return;
        }
        returnDue = true;
    }

    // The radio settles on VFO B before it is keyed there.
    if (split) c_.link.Delay(kPttSplitPause);
    c_.st.gSyncChar = "K";
    c_.link.gSendSync("K");

    while (gPttHeld || ext || returnDue) {
        seams_.yield(kHoldWait);
        ext = extPressed();
        if (!gPttHeld && !ext) {
            c_.st.gSyncChar = "U";
            if (returnDue) {
                write("cmdPTT_MouseDown", "U");
                c_.link.Delay(kSplitPause);
                write("cmdPTT_MouseDown", "F" + vfoA + "\n");
                returnDue = false;
            }
        }
        if (syncTick) syncTick();
        c_.display.gUpdateDisplay();
        // The radio's frequency left the permitted bands while keyed (tuned
        // at its front panel): unkeyed at once; the loop still waits for the
        // release and the return to VFO A.
        if (c_.st.gSyncChar == "K" && !c_.display.IsInBand(c_.st.gFreqReport)) {
            c_.st.gSyncChar = "U";
            c_.link.gSendSync("U");
        }
    }
}

void TransmitControl::cmdPTT_MouseUp() {
    gPttHeld = false;
}

// ------------------------------------------------------------------ XMT

void TransmitControl::keyXmit() {
    c_.st.gSyncChar = "K";
    c_.link.gSendSync("K");
    c_.ps.gXmtOn = true;
    setCaption(w_.cmdXmit, kXmitOff);
    w_.cmdTune->setEnabled(false);
}

void TransmitControl::XmitCmd() {
    c_.req.reqXmit = false;
    if (caption(w_.cmdXmit) == kXmitOn) {
        if (tuneOn()) {
            // TUNE holds the key: XMT would take it over and leave the
            // radio in AME.
            seams_.beep();
        } else if (!splitOn()) {
            if (c_.display.IsInBand(c_.st.gFreqReport))
                keyXmit();
            else
                seams_.beep();
        } else if (modesDiffer()) {
            seams_.messageBox(kModesDiffer);
            seams_.beep();
        } else {
            const std::string vfoA = rowA();
            const std::string vfoB = rowB();
            showOnVfoA(vfoB);
            if (c_.display.IsInBand("F" + vfoB) && write("XmitCmd", "F" + vfoB + "\n")) {
                c_.link.Delay(kSplitPause);
                // The radio's report of VFO B: the band guard judges it.
                c_.link.ReadRadio();
                xmitReturn_ = vfoA;
                keyXmit();
            } else {
                showOnVfoA(vfoA);
                seams_.beep();
            }
        }
    } else if (caption(w_.cmdXmit) == kXmitOff) {
        c_.st.gSyncChar = "U";
        c_.link.gSendSync("U");
        // Back to the VFO A the radio left when keyed, whatever the split
        // caption says now.
        if (xmitReturn_) {
            c_.link.Delay(kSplitPause);
            write("XmitCmd", "F" + *xmitReturn_ + "\n");
            xmitReturn_.reset();
        }
        c_.ps.gXmtOn = false;
        setCaption(w_.cmdXmit, kXmitOn);
        w_.cmdTune->setEnabled(true);
    }
    c_.req.reqXmit = false;
}

// ----------------------------------------------------------------- TUNE

void TransmitControl::TuneCmd() {
    if (caption(w_.cmdTune) == kTuneOn) {
        // TUNE transmits on the radio's own frequency, never on VFO B.
        if (c_.ps.gXmtOn || !c_.display.IsInBand(c_.st.gFreqReport)) {
            seams_.beep();
        } else {
            savedMode_ = c_.st.gModeReport;
            savedSideTone_ = c_.st.gSideToneReport;
            savedPttEn_ = c_.st.gPttEnReport;
            savedSource_ = c_.st.gSourceReport;
            c_.link.SetMode("M3");
            // Keyed before the key goes out: a termination served inside the
            // send's pause still finds the radio keyed and unkeys it.
            c_.st.gSyncChar = "K";
            c_.link.gSendSync("K");
            setCaption(w_.cmdTune, kTuneOff);
            w_.cmdXmit->setEnabled(false);
        }
    } else if (caption(w_.cmdTune) == kTuneOff) {
        restoreAfterTune();
    }
    c_.req.reqTune = false;
}

void TransmitControl::notReturned(const std::string& what) {
    c_.link.ReportError("TUNE: the radio did not return to " + what);
}

void TransmitControl::restoreAfterTune() {
    // Unkeyed first: whatever the restore meets, the radio stays unkeyed.
    c_.st.gSyncChar = "U";
    c_.link.gSendSync("U");
    c_.link.ReadRadio();
    const bool knownMode = mapping::captionOf(mapping::kModes, savedMode_).has_value();
    if (knownMode && c_.st.gFwType == protocol::kFwAdapt) {
        c_.link.SetMode(savedMode_);
        if (c_.st.gModeReport != savedMode_)
            notReturned(std::string(*mapping::captionOf(mapping::kModes, savedMode_)));
    } else if (knownMode) {
        int steps = 0;
        while (c_.st.gModeReport != savedMode_ && steps < kModeSteps) {
            c_.link.StepMode();
            ++steps;
        }
        if (c_.st.gModeReport != savedMode_)
            notReturned(std::string(*mapping::captionOf(mapping::kModes, savedMode_)));
    }
    if (mapping::captionOf(mapping::kSources, savedSource_)) {
        int steps = 0;
        while (c_.st.gSourceReport != savedSource_ && steps < kSourceSteps) {
            c_.link.SendRadioCmd("H", true, kRestorePause);
            c_.link.ReadRadio();
            ++steps;
        }
        if (c_.st.gSourceReport != savedSource_)
            notReturned(std::string(*mapping::captionOf(mapping::kSources, savedSource_)));
    }
    if (!savedSideTone_.empty() && c_.st.gSideToneReport != savedSideTone_) {
        c_.link.SendRadioCmd("S", true, kRestorePause);
        c_.link.ReadRadio();
    }
    if (c_.st.gFwType == protocol::kFwV601 && !savedPttEn_.empty() &&
        c_.st.gPttEnReport != savedPttEn_)
        c_.link.TogglePttEnable();
    setCaption(w_.cmdTune, kTuneOn);
    w_.cmdXmit->setEnabled(true);
}

}  // namespace tolvane
