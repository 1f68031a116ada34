// The receiver settings and the transmitter toggles of the main window:
// mode, AGC, audio source and routing, the digital-mode preset, BFO, RF gain,
// VOX, sidetone, clipping, PTT enable and the panel speaker. The handlers
// raise requests; the action routines run from the main loop.
#pragma once

#include <string>

namespace tolvane {

class Controller;

class ReceiverControls {
public:
    explicit ReceiverControls(Controller& c);

    // Connects the controls' handlers to the request flags.
    void connectHandlers();

    // "USB" -> "M1", "LSB" -> "M2", "AME" -> "M3", "CW" -> "M4"; anything else "".
    static std::string ModeCmdString(const std::string& mode);

    // --- handlers ---
    void cmbMode_Click();
    void cmbAGC_Click();
    void cmbSource_Click();
    void cmbDig_Click();
    void vscBFO_Change();
    void vscRFG_Change();

    // --- action routines ---
    void modeCmd();
    void AgcCmd();
    void SourceCmd();
    void SetAudioSource(const std::string& target);
    // The "H" presses of SetAudioSource alone, on whatever routing the radio has.
    void StepAudioSource(const std::string& target);
    void SetLocRem(const std::string& target);
    void AudioToggleCmd();
    void DigModeCmd();
    void BfoCmd();
    void BfoOffsetCmd();
    void RfGainCmd();
    void VoxCmd();
    void PttEnCmd();
    void SideToneCmd();
    void ClipCmd();
    void MuteCmd();

    // How often SetLocRem sends before it gives up on a radio that does not follow.
    static constexpr int kLocRemTries = 3;

    // The digital-mode memory: state in force before the first digital mode.
    std::string savedSource, savedRouting, savedVox;

private:
    Controller& c_;
};

}  // namespace tolvane
