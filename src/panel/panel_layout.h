// What the start-up stages and the two initialisations do to the main window
// as a whole: the reset, which frames and controls are shown and enabled
// under local and remote control, the control-mode, firmware, transmit and
// external push-to-talk indicators, the menu entries and the values the
// panel state file keeps. The program calls these by name; it never writes
// the controls itself.
#pragma once

#include <functional>
#include <string>

namespace tolvane {

class FrmTolvane;

// The menu entries the program acts on.
enum class MenuEntry {
    FileExit,
    PortSetup,
    AudioSetup,
    CatSetup,
    NetworkSetup,
    HelpAbout,
    HelpTolvane,
    ScanBands,
    ScanFreqs,
    ChannelSetup,
};

// The controls the panel state file keeps.
struct PanelValues {
    std::string vfoB;  // the seven VFO B digit captions
    std::string vfoBMode;
    std::string split;
    std::string stepSize;
};

class PanelLayout {
  public:
    explicit PanelLayout(FrmTolvane& form) : form_(form) {}

    // Runs `handler` when the entry is chosen.
    void onMenu(MenuEntry entry, std::function<void()> handler);

    // --- start-up ---
    // The information label empty, the data box and the sync lamp hidden.
    void hideStartupBoxes();
    // The rest of the panel reset: transmit indicator at "Receive", digit
    // buttons enabled, BFO labels empty, "NoComm" in red, "No Com", the
    // activity lamp hidden.
    void resetIndicators();
    // The amplifier frame idle; the data box and information line shown.
    void resetAmpControls();

    // --- control mode and firmware ---
    std::string controlModeShown() const;
    void setControlModeCaption(const std::string& caption);
    void whiteControlMode();
    void showFirmware(const std::string& caption);

    // --- local and remote initialisation ---
    // Local control: frames shown, the operator and transmit controls
    // disabled, the data button enabled, the sync lamp hidden; the scan
    // entries enabled only on the Adapt firmware, which the operator may
    // still tune and scan in local mode; the meter bar disabled on it.
    void localControls(bool adaptFirmware);
    // Remote initialisation waiting for a complete status: the toggles
    // disabled, RF gain enabled, digital mode "OFF", the standby message.
    void remoteStandby();
    // The meter options and bar enabled; the bar stays disabled on the Adapt firmware.
    void enableMeters(bool adaptFirmware);
    // The information line cleared and hidden, the operator frames shown,
    // mute and BFO enabled.
    void showOperatorControls();
    // The toggles, transmit buttons, sync lamp, meter and test button
    // enabled; the scan entries when those windows exist.
    void enableRemoteControls(bool scanWindows);
    void enableAmpControls();
    // "Split Off" when the split label is empty, the transmit VFO option to
    // match it, "OFF" when the step size is empty.
    void settleSplitAndStep();

    // --- transmit indicators ---
    std::string transmitShown() const;  // "Receive" or "Transmit"
    void showTransmit();
    void showReceive();
    std::string pttEnableShown() const;
    long extPttLamp() const;
    void setExtPttLamp(long colour);
    // A running TUNE or XMT whose button has been disabled.
    bool tuneRunningDisabled() const;
    bool xmitRunningDisabled() const;

    // --- panel state file ---
    PanelValues values() const;
    void restoreVfoB(const std::string& digits);
    void restoreVfoBMode(const std::string& mode);
    void restoreSplit(const std::string& split);
    void restoreStepSize(const std::string& step);

  private:
    FrmTolvane& form_;
};

}  // namespace tolvane
