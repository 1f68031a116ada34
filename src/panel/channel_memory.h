// The radio's channel memory: the choice between the radio's 100 channels
// and its VFO, the two channel digit buttons, loading a channel (M->V) and
// storing the frequency and mode the radio last reported into a channel
// (V->M). Channel mode locks VFO A tuning; returning to the VFO retunes the
// radio to the VFO A frequency and mode it had when channel mode began.
#pragma once

#include <array>
#include <string>

#include "panel/panel_context.h"
#include "panel/window_seams.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace tolvane {

// The controls of the channel memory area, by their names on the form.
struct ChannelWidgets {
    std::array<QPushButton*, 2> cmdM;      // channel digits, tens and units
    std::array<QRadioButton*, 2> optChan;  // radio's channels, VFO
    // VFO A digits: saved on entering channel mode, restored on leaving it.
    std::array<QPushButton*, 7> cmdF;
    QLabel* lblInfo;
    QPushButton* cmdM2V;
    QPushButton* cmdV2M;
};

class ChannelMemory {
  public:
    // Channel mode sets the panel flag gTuneLock, VFO mode clears it.
    ChannelMemory(const ChannelWidgets& widgets, const PanelContext& context,
                  const WindowSeams& seams);
    ChannelMemory(const ChannelMemory&) = delete;
    ChannelMemory& operator=(const ChannelMemory&) = delete;

    // Connects the channel/VFO options and the two buttons. The status
    // display selects an option when a channel report arrives; that runs
    // the same handling as a click.
    void connectHandlers();

    // A channel digit press; stays in its repeat loop until the release,
    // then selects the channel on the radio when channel mode is on.
    void cmdM_MouseDown(int index, int button);
    void cmdM_MouseUp();
    void optChan_Click(int index);

    // --- action routines ---
    void M2VCmd();
    void V2MCmd();

    // The channel row as two digits ("00" when it holds no number).
    std::string channel() const;

    static constexpr const char* kNoValidFrequency = "No valid frequency to store";
    static constexpr double kStepPause = 0.25;
    static constexpr double kSelectPause = 0.1;
    static constexpr double kRetunePause = 0.2;

    bool gChanHeld = false;  // a mouse button is down on a channel digit
    // VFO A digits taken when channel mode began ("" before).
    std::string gSavedVfoA;

  private:
    void writeChannel(const std::string& two);
    // Channel mode (0) or VFO mode (1), as optChan_Click.
    void select(int index);

    ChannelWidgets w_;
    PanelContext c_;
    WindowSeams seams_;
    bool busy_ = false;
    std::string savedMode_;  // mode report taken with gSavedVfoA
};

}  // namespace tolvane
