// What the radio layer needs from the panel: the activity lamp, the link
// status label, the information line, the data box, the sync lamp and the
// display routines the setting routines call. The main window implements
// it; tests implement it with a recorder.
#pragma once

#include <string>

#include "radio/mappings.h"

namespace tolvane {

// Colours as the panel stores them (BGR long values).
namespace colour {
constexpr long kRed = 255;
constexpr long kGreen = 65280;
constexpr long kYellow = 65535;
constexpr long kWhite = 16777215;
constexpr long kLightGrey = 12632256;
constexpr long kBlack = 0;
}  // namespace colour

enum class Lamp { Idle, Red, Green, Yellow };

class RadioPanel {
  public:
    virtual ~RadioPanel() = default;

    // shaTrace fill colour.
    virtual void setLamp(Lamp lamp) = 0;
    // lblComStat: the link status, its caption rendered from the table.
    virtual void setComStat(mapping::LinkStatus status) = 0;
    // ReportError: txtInfo text = message, txtInfo visible.
    virtual void reportError(const std::string& message) = 0;
    // txtInfo text only.
    virtual void setInfoText(const std::string& text) = 0;
    // The data box is shown (cmdViewInData caption "Hide Data").
    virtual bool dataBoxShown() = 0;
    // txtInData text.
    virtual void setDataBox(const std::string& text) = 0;
    // gDisplayMeterData: a "J" line for the meter bar.
    virtual void displayMeterData(const std::string& line) = 0;
    // Sync lamp lblU caption and back colour.
    virtual void setSyncCaption(const std::string& caption) = 0;
    virtual void setSyncColour(long colour) = 0;
    // Display routines of the status display used by the setting routines.
    virtual void ShowMode() = 0;
    virtual void ShowSideTone() = 0;
    virtual void ShowSource() = 0;
    virtual void ShowPttEnable() = 0;
    // SelectMeter greys all six meter labels while its selection is pending.
    virtual void greyMeterLabels() = 0;
};

}  // namespace tolvane
