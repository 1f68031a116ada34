// The network rig control endpoint of the panel: started from
// "NetworkSetup.txt" or the --rigctld option, its sets served by the main
// loop, and the TS-2000 answers of the CAT bridge.
#include "app/controller.h"
#include "app/rig_endpoint.h"
#include "cat/cat_bridge.h"
#include "cat/rigctl_server.h"
#include "panel/panel_areas.h"
#include "setup/cat_setup_extras.h"
#include "setup/cat_setup_file.h"
#include "setup/network_setup_file.h"

namespace tolvane {

void Controller::setUpRigControl() {
    if (!rig_) rig_ = std::make_unique<RigEndpoint>(link_, st, ps, *areas_);
    if (!rigctl_) rigctl_ = std::make_unique<cat::RigctlServer>(*rig_);
    cat_->rig = rig_.get();
    cat_->ts2000Answers = readCatSetupExtras(kCatSetupFileName).ts2000Answers;

    NetworkSettings net;
    if (std::optional<NetworkSetupRead> read = readNetworkSetupFile(kNetworkSetupFileName)) {
        net = read->settings;
        for (const std::string& problem : read->problems)
            link_.ReportError(std::string(kNetworkSetupFileName) + ": " + problem);
    }
    // The command-line option turns the endpoint on whatever the file says.
    if (hooks.rigctldOption) {
        net.enabled = true;
        net.address = hooks.rigctldOption->address;
        net.port = hooks.rigctldOption->port;
    }
    applyNetworkSettings(net);
}

void Controller::applyNetworkSettings(const NetworkSettings& net) {
    network_ = net;
    if (!rigctl_) return;
    rigctl_->close();
    if (!net.enabled) return;
    if (!rigctl_->listen(net.address, net.port, net.allowedHosts))
        link_.ReportError("Network rig control on " + net.address + ":" + std::to_string(net.port) +
                          ": " + rigctl_->errorString());
}

void Controller::serveRigRequests() {
    if (rig_ && rig_->reqRig()) rig_->RigCmd();
}

void Controller::closeRigControl() {
    if (rigctl_) rigctl_->close();
}

NetworkEndpointState Controller::network() const {
    return {network_, rigctl_ && rigctl_->isListening() ? rigctl_->port() : 0};
}

}  // namespace tolvane
