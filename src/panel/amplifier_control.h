// Amplifier control: an external linear amplifier reached through the
// radio. PWR and OPR ask for a change and mark the label as pending until
// the amplifier's report arrives; TUN keys the radio for the amplifier's
// tune cycle, which ends with its "T4" report, a 20 s time-out or a second
// press.
#pragma once

#include <functional>

#include "panel/panel_context.h"
#include "panel/window_seams.h"

class QLabel;
class QPushButton;

namespace tolvane {

class Clock;

// The controls of the amplifier frame, by their names on the form.
struct AmplifierWidgets {
    QPushButton* cmdAmpPwr;
    QPushButton* cmdAmpOpr;
    QPushButton* cmdTuneAmp;
    QLabel* lblAmpPwr;
    QLabel* lblAmpOpStby;
    QLabel* lblAmpTuned;
};

class AmplifierControl {
  public:
    AmplifierControl(const AmplifierWidgets& widgets, const PanelContext& context,
                     const WindowSeams& seams);
    AmplifierControl(const AmplifierControl&) = delete;
    AmplifierControl& operator=(const AmplifierControl&) = delete;

    void connectHandlers();

    // --- action routines ---
    void AmpPwrCmd();
    void AmpOprCmd();
    void AmpTuneCmd();

    // The main loop's watch over a running tune cycle: true when it was
    // cancelled. The cycle is cancelled after more than kTuneTimeout seconds
    // ("Timeout: Tune Cancelled"; the caller then asks for the status), or
    // at once when the radio's frequency is not permitted or the amplifier
    // left operate ("Tune Cancelled").
    bool tuneTimedOut();
    bool stopTuneWhereNotPermitted();

    static constexpr const char* kTowardsOn = " >> ";
    static constexpr const char* kTowardsOff = " << ";
    static constexpr const char* kTimedOut = "Timeout: Tune Cancelled";
    static constexpr const char* kCancelled = "Tune Cancelled";
    static constexpr double kTuneTimeout = 20.0;
    static constexpr double kPause = 0.2;

  private:
    AmplifierWidgets w_;
    PanelContext c_;
    WindowSeams seams_;
};

}  // namespace tolvane
