// The "CAT" frame of the main window as the CAT bridge sees it: the digital
// mode box, the last text received and answered, and the link status label.
#pragma once

#include <string>

#include "cat/cat_bridge.h"

namespace tolvane {

class FrmTolvane;

class CatFrame final : public CatPanel {
  public:
    explicit CatFrame(FrmTolvane& form) : form_(form) {}

    std::string digitalMode() override;
    void showCatInput(const std::string& text) override;
    void showCatOutput(const std::string& text) override;
    void setComStat(mapping::LinkStatus status) override;

    // Both CAT boxes read "No CAT Port" (the port is missing or did not open).
    void showNoCatPort();
    // Both CAT boxes empty (the port was opened again).
    void clearCatText();
    // Shows `preset` in the digital mode box; false when the box has no such
    // entry (the box is left as it was).
    bool selectDigitalMode(const std::string& preset);

  private:
    FrmTolvane& form_;
};

}  // namespace tolvane
