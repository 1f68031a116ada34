// PWR, OPR and TUN of the amplifier frame.
#include "panel/amplifier_control.h"

#include <QLabel>
#include <QPushButton>

#include "panel/status_display.h"
#include "panel/vb.h"
#include "platform/clock.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

AmplifierControl::AmplifierControl(const AmplifierWidgets& widgets, const PanelContext& context,
                                   const WindowSeams& seams)
    : w_(widgets), c_(context), seams_(seams) {}

void AmplifierControl::connectHandlers() {
    QObject::connect(w_.cmdAmpPwr, &QPushButton::clicked, w_.cmdAmpPwr,
                     [this] { c_.req.reqAmpPwr = true; });
    QObject::connect(w_.cmdAmpOpr, &QPushButton::clicked, w_.cmdAmpOpr,
                     [this] { c_.req.reqAmpOpr = true; });
    QObject::connect(w_.cmdTuneAmp, &QPushButton::clicked, w_.cmdTuneAmp,
                     [this] { c_.req.reqAmpTune = true; });
}

void AmplifierControl::AmpPwrCmd() {
    const std::string shown = caption(w_.lblAmpPwr);
    if (shown == "OFF") {
        setCaption(w_.lblAmpPwr, kTowardsOn);
        c_.link.SendRadioCmd("O2", true, kPause);
    } else if (shown == "ON") {
        setCaption(w_.lblAmpPwr, kTowardsOff);
        c_.link.SendRadioCmd("O1", true, kPause);
    }
    c_.req.reqAmpPwr = false;
}

void AmplifierControl::AmpOprCmd() {
    const std::string shown = caption(w_.lblAmpOpStby);
    if (shown == "Standby") {
        setCaption(w_.lblAmpOpStby, kTowardsOn);
        c_.link.SendRadioCmd("O4", true, kPause);
    } else if (shown == "Operate") {
        setCaption(w_.lblAmpOpStby, kTowardsOff);
        c_.link.SendRadioCmd("O3", true, kPause);
    }
    c_.req.reqAmpOpr = false;
}

void AmplifierControl::AmpTuneCmd() {
    if (c_.ps.gAmpTuning) {
        c_.ps.gAmpTuning = false;
        c_.st.gSyncChar = "U";
        c_.link.SendRadioCmd("U", false, kPause);
    } else if (caption(w_.lblAmpTuned) == "Start Tune") {
        // The cycle keys the radio on its own frequency, and the radio
        // already keyed by XMT must not be unkeyed by the cycle's end.
        if (c_.ps.gXmtOn || c_.st.gSyncChar == "K" || !c_.display.IsInBand(c_.st.gFreqReport)) {
            seams_.beep();
        } else {
            setCaption(w_.lblAmpTuned, kTowardsOn);
            c_.ps.gAmpTuning = true;
            c_.ps.gAmpTuneStart = c_.link.clock().now();
            // Keyed before the key goes out (see TUNE): the shutdown unkeys.
            c_.st.gSyncChar = "K";
            c_.link.SendRadioCmd("K", false, kPause);
        }
    }
    c_.req.reqAmpTune = false;
}

bool AmplifierControl::tuneTimedOut() {
    if (!c_.ps.gAmpTuning) return false;
    const double now = c_.link.clock().now();
    // A tune started before midnight.
    if (c_.ps.gAmpTuneStart > now) c_.ps.gAmpTuneStart -= 86400.0;
    if (now - c_.ps.gAmpTuneStart <= kTuneTimeout) return false;
    c_.st.gSyncChar = "U";
    c_.ps.gAmpTuning = false;
    c_.display.setInfoText(kTimedOut);
    return true;
}

bool AmplifierControl::stopTuneWhereNotPermitted() {
    // An amplifier that left operate (its TUN button disabled) no longer
    // tunes: the key is not held for it until the time-out.
    if (!c_.ps.gAmpTuning || (c_.display.IsInBand(c_.st.gFreqReport) && c_.st.gAmpReport == "O4"))
        return false;
    c_.ps.gAmpTuning = false;
    c_.st.gSyncChar = "U";
    c_.link.gSendSync("U");
    c_.display.setInfoText(kCancelled);
    return true;
}

}  // namespace tolvane
