// Transmit control: the push-to-talk button (and the external switch on the
// radio port's DSR line, which runs the same transmission), the XMT toggle
// and TUNE. Keying is the sync character: "K" keyed, "U" unkeyed. With
// split on, PTT and XMT retune the radio to VFO B before keying and return
// it to VFO A afterwards.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "panel/panel_context.h"
#include "panel/window_seams.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tolvane {

// The controls of the transmit area, by their names on the form.
struct TransmitWidgets {
    QPushButton* cmdPTT;
    QPushButton* cmdXmit;
    QPushButton* cmdTune;
    std::array<QPushButton*, 7> cmdF;     // VFO A digits: show the transmit frequency
    std::array<QPushButton*, 7> cmdVFOB;  // VFO B digits: the split transmit frequency
    std::array<QRadioButton*, 2> optTXVFO;
    QComboBox* cmbMode;
    QComboBox* cmbVFOBMode;
    QLabel* lblSplit;
};

class TransmitControl {
  public:
    TransmitControl(const TransmitWidgets& widgets, const PanelContext& context,
                    const WindowSeams& seams);
    TransmitControl(const TransmitControl&) = delete;
    TransmitControl& operator=(const TransmitControl&) = delete;

    // Connects the XMT and TUNE buttons.
    void connectHandlers();

    // The whole push-to-talk transmission; returns after the release of the
    // mouse button and the external switch. The main loop calls it with all
    // arguments 0 for the external switch.
    void cmdPTT_MouseDown(int button, int shift, int x, int y);
    void cmdPTT_MouseUp();

    // --- action routines ---
    void XmitCmd();
    void TuneCmd();

    // A keyed TUNE or XMT that must stop: its button was disabled, or the
    // frequency the radio transmits on is not permitted.
    bool tuneMustStop() const;
    bool xmitMustStop() const;
    bool tuneOn() const;
    bool xmitOn() const;
    // Whether XMT may be switched on now as its button would be: the button
    // is enabled, TUNE does not hold the key, and under split both modes
    // agree (station software gets a refusal, not the operator's message).
    bool xmitAvailable() const;

    // The sync tick of the main loop, run by the transmission loop of PTT
    // (the main loop does not run while the press lasts). Set by the program.
    std::function<void()> syncTick;

    static constexpr const char* kXmitOn = "&XMT ON";
    static constexpr const char* kXmitOff = "&XMT OFF";
    static constexpr const char* kTuneOn = "T&UNE ON";
    static constexpr const char* kTuneOff = "T&UNE OFF";
    static constexpr const char* kModesDiffer = "Modes must be same for Split";
    // Pauses (seconds): retuned to VFO B before PTT keys; before the return
    // to VFO A and after the retune of XMT; after each TUNE restore step.
    static constexpr double kPttSplitPause = 0.5;
    static constexpr double kSplitPause = 0.4;
    static constexpr double kRestorePause = 0.5;
    // The longest a yield of the transmission loop may wait for an event:
    // the switch's DSR change is polled, so its wait stays short.
    static constexpr double kHoldWait = 0.01;
    // How many restore steps TUNE tries before it gives up: each table's
    // entries plus two.
    static constexpr int kModeSteps = 4 + 2;
    static constexpr int kSourceSteps = 4 + 2;

    bool gPttHeld = false;  // the left mouse button is down on cmdPTT

  private:
    std::string rowA() const;
    std::string rowB() const;
    void showOnVfoA(const std::string& digits);
    bool splitOn() const;
    bool modesDiffer() const;
    bool extPressed() const { return !c_.st.gExtPttIdle; }
    // Yields until the mouse button (and, when `withSwitch`, the switch) is let go.
    void waitForRelease(bool withSwitch);
    // Writes straight to the radio; false (and the fault shown) when the port fails.
    bool write(const std::string& routine, const std::string& text);
    void keyXmit();
    void restoreAfterTune();
    void notReturned(const std::string& what);

    TransmitWidgets w_;
    PanelContext c_;
    WindowSeams seams_;
    bool pttRunning_ = false;  // the transmission loop of PTT runs
    // XMT: the VFO A digits to return to on release, when keyed on VFO B.
    std::optional<std::string> xmitReturn_;
    // TUNE: the reports saved when it started.
    std::string savedMode_, savedSideTone_, savedPttEn_, savedSource_;
};

}  // namespace tolvane
