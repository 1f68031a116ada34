// The CAT Setup dialog frmCATSetup: port, baud rate, parity/bits/stops,
// handshake and rig type of the CAT port, applied (the menu then re-opens the
// CAT port), saved to or loaded from "CATSetup.txt", or dropped.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "setup/setup_forms.h"
#include "setup/setup_widgets.h"

namespace Ui {
class frmCATSetup;
}

namespace tolvane {

class FrmCATSetup : public setupui::PortDialog {
    Q_OBJECT

  public:
    // catPort: the CAT port's state when the dialog opens.
    // current: the settings in force; Apply returns them changed.
    // portAvailable: the port probe (default: ComPortAvailable in `folder`).
    // devicePath: the device of a port number (default: portDeviceTarget).
    // reportError: puts a failed save's message on the information line.
    // folder: where "CATSetup.txt" and the "ports" links are.
    // owner: the window disabled while the dialog is open; every way out of
    // the dialog enables it again.
    FrmCATSetup(const LivePort& catPort, const CatPortSettings& current,
                std::function<bool(int)> portAvailable = {},
                std::function<std::string(int)> devicePath = {},
                std::function<void(const std::string&)> reportError = {}, std::string folder = ".",
                QWidget* owner = nullptr);
    ~FrmCATSetup() override;
    FrmCATSetup(const FrmCATSetup&) = delete;
    FrmCATSetup& operator=(const FrmCATSetup&) = delete;

    Ui::frmCATSetup* ui;

    // What the dialog shows now.
    CatSetupForm form() const;
    // The settings Apply returned; nothing when the dialog was cancelled or
    // closed.
    const std::optional<CatPortSettings>& applied() const { return applied_; }
    // The path of "CATSetup.txt".
    std::string filePath() const;

    void ListAvailablePorts();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdLoadPortSettings_Click();
    void cmdSavePortSettings_Click();

  private:
    void showForm(const CatSetupForm& form);

    CatPortSettings current_;
    std::optional<CatPortSettings> applied_;
};

}  // namespace tolvane
