// The main window as the tool windows see it: its information label and
// box, its remote/local indicator, the status display routines, the scan
// flag, its frame and band frame, and the program's yield, beep and modal
// windows.
#pragma once

#include <functional>

#include "panel/panel_context.h"
#include "tools/tool_host.h"

namespace tolvane {

class FrmTolvane;

// What the program lends the tool windows of the window system.
struct ToolShell {
    std::function<void()> yield;
    std::function<void()> beep;
    std::function<void(QDialog&)> showModal;
};

class PanelToolHost final : public ToolHost {
  public:
    PanelToolHost(FrmTolvane& form, const PanelContext& context, ToolShell shell);

    void yield() override;
    void beep() override;
    void setInfoLabel(const std::string& caption) override;
    bool infoLabelVisible() override;
    void setInfoLabelVisible(bool visible) override;
    bool infoBoxVisible() override;
    void setInfoBoxVisible(bool visible) override;
    bool radioLocal() override;
    void ShowFreqDigits() override;
    void gUpdateDisplay() override;
    void SetTxControlsEnabled(bool allowed) override;
    bool freqReportInBand() override;
    void setScanActive(bool active) override;
    void setMainWindowEnabled(bool enabled) override;
    QRect mainWindowFrame() override;
    int bandFrameWidth() override;
    void showModal(QDialog& window) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;

  private:
    FrmTolvane& form_;
    PanelContext c_;
    ToolShell shell_;
};

}  // namespace tolvane
