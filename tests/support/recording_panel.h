// A RadioPanel that records what the radio layer shows, for unit tests.
#pragma once

#include <string>
#include <vector>

#include "radio/radio_panel.h"

namespace tolvane::test {

class RecordingPanel : public RadioPanel {
  public:
    std::vector<Lamp> lamps;
    std::string comStat;
    std::string info;
    bool infoVisible = false;
    bool dataShown = false;
    std::string dataBox;
    std::vector<std::string> meterLines;
    std::string syncCaption = "?";
    long syncColour = -1;
    std::vector<std::string> calls;  // display routines run, in order

    void setLamp(Lamp lamp) override { lamps.push_back(lamp); }
    void setComStat(mapping::LinkStatus s) override { comStat = mapping::linkStatusCaption(s); }
    void reportError(const std::string& m) override {
        info = m;
        infoVisible = true;
    }
    void setInfoText(const std::string& t) override { info = t; }
    bool dataBoxShown() override { return dataShown; }
    void setDataBox(const std::string& t) override { dataBox = t; }
    void displayMeterData(const std::string& line) override { meterLines.push_back(line); }
    void setSyncCaption(const std::string& c) override { syncCaption = c; }
    void setSyncColour(long c) override { syncColour = c; }
    void ShowMode() override { calls.push_back("ShowMode"); }
    void ShowSideTone() override { calls.push_back("ShowSideTone"); }
    void ShowSource() override { calls.push_back("ShowSource"); }
    void ShowPttEnable() override { calls.push_back("ShowPttEnable"); }
    void greyMeterLabels() override { calls.push_back("greyMeterLabels"); }

    Lamp lastLamp() const { return lamps.empty() ? Lamp::Idle : lamps.back(); }
};

}  // namespace tolvane::test
