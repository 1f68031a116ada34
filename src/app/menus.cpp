// The setup entries of the menu bar: each opens its dialog modally on the
// live port state and the settings in force, and takes over the settings it
// returns.
#include "app/controller.h"
#include "app/setup_results.h"
#include "cat/cat_bridge.h"
#include "panel/frm_tolvane.h"
#include "platform/handshake.h"
#include "platform/port_map.h"
#include "setup/frm_audio_setup.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_network_setup.h"
#include "setup/frm_port_setup.h"

namespace tolvane {

namespace {
LivePort livePort(SerialPort& port) {
    LivePort p;
    p.open = port.isOpen();
    p.number = port.portNumber();
    p.settings = port.settingsText();
    p.handshaking = handshakingValue(port.flowControl());
    return p;
}
}  // namespace

void Controller::installSetupDialogs() {
    auto report = [this](const std::string& m) { link_.ReportError(m); };
    auto device = [](int n) { return portDevicePath(n); };
    hooks.openPortSetup = [this, report, device] {
        FrmPortSetup dlg(livePort(radioPort_), radioPortSettings(set, st.gExtPttEnabled),
                         hooks.comPortAvailable, device, report, ".", &form_);
        shell_.showModal(dlg);
        takePortSetup(dlg.applied(), set, req, st.gExtPttEnabled);
    };
    hooks.openCatSetup = [this, report, device] {
        CatPortSettings current = catPortSettings(set);
        current.ts2000Answers = cat_->ts2000Answers;
        FrmCATSetup dlg(livePort(catPort_), current, hooks.comPortAvailable, device, report, ".",
                        &form_);
        shell_.showModal(dlg);
        takeCatSetup(dlg.applied(), set);
        if (dlg.applied()) cat_->ts2000Answers = dlg.applied()->ts2000Answers;
    };
    hooks.openNetworkSetup = [this, report] {
        FrmNetworkSetup dlg(network_, &form_);
        shell_.showModal(dlg);
        if (!dlg.applied()) return;
        // Kept for the next start; the endpoint follows at once either way.
        WriteResult saved = writeNetworkSetupFile(kNetworkSetupFileName, *dlg.applied());
        if (!saved.ok) report(saveErrorText(kNetworkSetupFileName, saved));
        applyNetworkSettings(*dlg.applied());
    };
    hooks.openAudioSetup = [this, report] {
        AudioReports r{st.gSourceReport, st.gPttEnReport, st.gLocRemReport};
        FrmAudioSetup dlg(r, audioCodes(set), report, ".", &form_);
        shell_.showModal(dlg);
        takeAudioSetup(dlg.applied(), set, req);
    };
}

}  // namespace tolvane
