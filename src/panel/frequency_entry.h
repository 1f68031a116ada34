// Frequency entry: the VFO A digit buttons and the keyboard knob. A left
// click raises a digit, a right click lowers it, and a held button repeats
// the step; every step is sent to the radio at once (VFO A is live tuning).
// The external tuning knob types I (up) and D (down), stepping VFO A by the
// size chosen in cmbStepSize.
#pragma once

#include <array>
#include <string>

#include "panel/panel_context.h"
#include "panel/window_seams.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace tolvane {

// The controls of the frequency entry area, by their names on the form.
struct FrequencyEntryWidgets {
    std::array<QPushButton*, 7> cmdF;  // VFO A digits, [0] the 10 MHz digit
    QLabel* lblInfo;                   // names a listed frequency or channel
    QComboBox* cmbStepSize;            // keyboard step size
};

class FrequencyEntry {
  public:
    // Tuning is locked while the panel flag gTuneLock is set (transmitting,
    // channel mode, the initialisations).
    FrequencyEntry(const FrequencyEntryWidgets& widgets, const PanelContext& context,
                   const WindowSeams& seams);
    FrequencyEntry(const FrequencyEntry&) = delete;
    FrequencyEntry& operator=(const FrequencyEntry&) = delete;

    // A VFO A digit press: `index` 0..6 is a mouse press on that digit and
    // stays in its repeat loop until the release; 7..12 is a keyboard step
    // at digit position index - 6. `button` 1 steps up, 2 down.
    void cmdF_MouseDown(int index, int button);
    void cmdF_MouseUp();
    // Key preview of the main window: I and D step VFO A.
    void Form_KeyDown(int keyCode, int shift);

    // The seven VFO A captions, index 0 first.
    std::string row() const;

    static constexpr int kKeyI = 73;
    static constexpr int kKeyD = 68;
    // Pause after each frequency sent while a digit is held (seconds).
    static constexpr double kStepPause = 0.4;
    // How long a pass over a row outside the tuning range may wait in its
    // yield: such a pass makes no step and sends nothing, so the loop must
    // not spin while the button is held.
    static constexpr double kIdlePassWait = 0.01;

    bool gFreqHeld = false;  // a mouse button is down on a VFO A digit
    bool gKeyStep = false;   // a keyboard step is pending for the VFO A loop

  private:
    // The press handler's work once it is marked busy.
    void press(int index, int button);
    void writeRow(const std::string& digits);
    void sendFrequency(const std::string& digits);

    FrequencyEntryWidgets w_;
    PanelContext c_;
    WindowSeams seams_;
    // Working state of the press handler, kept between calls.
    bool busy_ = false;
    long value_ = 0;
    long step_ = 0;
    int button_ = 0;
    int position_ = 0;
    int repeat_ = 0;
    // The keyboard step's own busy flag.
    bool keyBusy_ = false;
};

}  // namespace tolvane
