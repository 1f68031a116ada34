// The Network Setup dialog: whether the network rig control endpoint runs,
// the address and port it listens on, and the hosts beyond this computer
// that may connect. It takes the settings in force and returns the new ones
// on Apply (nothing on Cancel); the program saves them to
// "NetworkSetup.txt" and starts or stops the endpoint.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "setup/network_setup_file.h"
#include "setup/setup_widgets.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvane {

// What the dialog shows, as typed.
struct NetworkSetupForm {
    bool enabled = false;
    std::string address;
    std::string port;
    std::string allowedHosts;  // separated by commas
    friend bool operator==(const NetworkSetupForm&, const NetworkSetupForm&) = default;
};

NetworkSetupForm networkSetupOnOpen(const NetworkSettings& current);
// Apply: the settings the form stands for, or the reason it stands for none
// (an address that is not one, a port outside 1..65535, a host that is not
// an address or subnet).
std::variant<NetworkSettings, std::string> applyNetworkSetup(const NetworkSetupForm& form);

class FrmNetworkSetup : public setupui::OwnedDialog {
    Q_OBJECT

  public:
    FrmNetworkSetup(const NetworkSettings& current, QWidget* owner = nullptr);

    QCheckBox* chkEnable = nullptr;
    QLineEdit* txtAddress = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtAllowedHosts = nullptr;
    QLabel* lblProblem = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdCancel = nullptr;

    NetworkSetupForm form() const;
    // The settings Apply returned; nothing when the dialog was cancelled or
    // closed.
    const std::optional<NetworkSettings>& applied() const { return applied_; }

    void cmdApply_Click();
    void cmdCancel_Click();

  private:
    std::optional<NetworkSettings> applied_;
};

}  // namespace tolvane
