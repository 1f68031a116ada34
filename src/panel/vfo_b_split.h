// VFO B and split: the VFO B digit buttons (held only on the panel), the
// choice of the transmit VFO that switches split on and off, the copy of
// VFO A into VFO B and the exchange of the two VFOs. Split means receiving
// on VFO A and transmitting on VFO B; its state is the caption of lblSplit.
#pragma once

#include <array>
#include <string>

#include "panel/panel_context.h"
#include "panel/window_seams.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tolvane {

// The controls of the VFO B and split area, by their names on the form.
struct VfoBWidgets {
    std::array<QPushButton*, 7> cmdVFOB;  // VFO B digits, [0] the 10 MHz digit
    // VFO A digits: copied by A->B and exchanged by Swap.
    std::array<QPushButton*, 7> cmdF;
    std::array<QRadioButton*, 2> optTXVFO;  // TXA, TXB
    QComboBox* cmbMode;                     // VFO A mode: compared and exchanged
    QComboBox* cmbVFOBMode;
    QLabel* lblSplit;
    QPushButton* cmdA2B;
    QPushButton* cmdSwap;
};

class VfoBSplit {
  public:
    VfoBSplit(const VfoBWidgets& widgets, const PanelContext& context, const WindowSeams& seams);
    VfoBSplit(const VfoBSplit&) = delete;
    VfoBSplit& operator=(const VfoBSplit&) = delete;

    // Connects the transmit-VFO options and the two buttons. Selecting an
    // option from code runs its click handling as a click does.
    void connectHandlers();

    // A VFO B digit press; stays in its repeat loop until the release.
    void cmdVFOB_MouseDown(int index, int button);
    void cmdVFOB_MouseUp();
    void optTXVFO_Click(int index);

    // --- action routines ---
    void A2BCmd();
    void SwapCmd();

    // "F" followed by the seven VFO B captions.
    std::string vfoBText() const;
    bool splitOn() const;
    // The radio mode code ("M1".."M4") of cmbVFOBMode; empty when it shows none.
    std::string vfoBModeCode() const;
    // Station software's sets, served by the main loop: the seven VFO B
    // digits (10 Hz units), the VFO B mode code, and the transmit VFO
    // chosen as with a click (0 TXA, 1 TXB).
    void setVfoB(const std::string& digits);
    void setVfoBMode(const std::string& modeCode);
    void selectTxVfo(int index);

    static constexpr const char* kSplitOn = "Split On";
    static constexpr const char* kSplitOff = "Split Off";
    static constexpr const char* kModesDiffer = "Modes must be same for Split";
    // Pause after each VFO B step and after the swap's write (seconds).
    static constexpr double kStepPause = 0.25;
    static constexpr double kSwapPause = 0.4;

    bool gVfoBHeld = false;  // a mouse button is down on a VFO B digit

  private:
    VfoBWidgets w_;
    PanelContext c_;
    WindowSeams seams_;
    bool busy_ = false;
};

}  // namespace tolvane
