// The Port Setup dialog frmPortSetup: port, baud rate and handshake of the
// radio port and the external push-to-talk input, applied to the running
// program, saved to or loaded from "PortSetup.txt", or dropped.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "setup/setup_forms.h"
#include "setup/setup_widgets.h"

namespace Ui {
class frmPortSetup;
}

namespace tolvane {

class FrmPortSetup : public setupui::PortDialog {
    Q_OBJECT

  public:
    // radioPort: the radio port's state when the dialog opens.
    // current: the settings in force; Apply returns them changed.
    // portAvailable: the port probe (default: ComPortAvailable in `folder`).
    // devicePath: the device of a port number (default: portDeviceTarget).
    // reportError: puts a failed save's message on the information line.
    // folder: where "PortSetup.txt" and the "ports" links are.
    // owner: the window disabled while the dialog is open; every way out of
    // the dialog enables it again.
    FrmPortSetup(const LivePort& radioPort, const RadioPortSettings& current,
                 std::function<bool(int)> portAvailable = {},
                 std::function<std::string(int)> devicePath = {},
                 std::function<void(const std::string&)> reportError = {}, std::string folder = ".",
                 QWidget* owner = nullptr);
    ~FrmPortSetup() override;
    FrmPortSetup(const FrmPortSetup&) = delete;
    FrmPortSetup& operator=(const FrmPortSetup&) = delete;

    Ui::frmPortSetup* ui;

    // What the dialog shows now.
    PortSetupForm form() const;
    // The settings Apply returned; nothing when the dialog was left otherwise.
    const std::optional<RadioPortSettings>& applied() const { return applied_; }
    // The path of "PortSetup.txt".
    std::string filePath() const;

    void ListAvailablePorts();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdLoadPortSettings_Click();
    void cmdSavePortSettings_Click();

  private:
    void showForm(const PortSetupForm& form);

    RadioPortSettings current_;
    std::optional<RadioPortSettings> applied_;
};

}  // namespace tolvane
