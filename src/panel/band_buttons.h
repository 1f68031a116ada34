// The band frame of the main window: twelve buttons, one per amateur band
// plus the time-signal and MARS frequencies. A click raises the band's
// request; the main loop runs BandListCmd, which opens the Frequency Select
// window with that band's list of favourite frequencies.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "panel/panel_context.h"

class QPushButton;

namespace tolvane {

class FrmTolvane;

class BandButtons {
  public:
    // The bands in the order of the buttons and of the dispatch table.
    enum Band { k160, k75, k60, k40, k30, k20, k17, k15, k12, k10, kWWV, kMARS, kBandCount };

    // Shows a band list window modally for gBandName; returns when it has closed.
    using OpenBandList = std::function<void(const std::string& bandName)>;

    BandButtons(FrmTolvane& form, const PanelContext& context);

    // Connects the buttons' clicks to their request flags.
    void connectHandlers();
    // The window the buttons open; without one a band request is only cleared.
    void setOpenBandList(OpenBandList open) { open_ = std::move(open); }

    // The band's action routine: the main window disabled, gBandName set to
    // the band key, the band list shown modally (it enables the main window
    // again when it closes), then the band's request cleared.
    void BandListCmd(Band band);

    // The band key handed to the band list window ("60", not the caption "60 ").
    static std::string bandKey(Band band);
    // The request flag of a band.
    static bool Requests::*requestFlag(Band band);

  private:
    FrmTolvane& form_;
    PanelContext c_;
    OpenBandList open_;
    std::array<QPushButton*, kBandCount> buttons_{};
};

}  // namespace tolvane
