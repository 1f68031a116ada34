// The setup entries of the menu bar: each opens its dialog modally on the
// live port state and the settings in memory.
#include "app/controller.h"
#include "panel/frm_tolvane.h"
#include "platform/handshake.h"
#include "platform/port_map.h"
#include "setup/frm_audio_setup.h"
#include "setup/frm_cat_setup.h"
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
        FrmPortSetup dlg(livePort(radioPort_), set, req, st.gExtPttEnabled, hooks.comPortAvailable,
                         device, report, ".", &form_);
        shell_.showModal(dlg);
    };
    hooks.openCatSetup = [this, report, device] {
        FrmCATSetup dlg(livePort(catPort_), set, hooks.comPortAvailable, device, report, ".", &form_);
        shell_.showModal(dlg);
    };
    hooks.openAudioSetup = [this, report] {
        AudioReports r{st.gSourceReport, st.gPttEnReport, st.gLocRemReport};
        FrmAudioSetup dlg(r, set, req, report, ".", &form_);
        shell_.showModal(dlg);
    };
}

}  // namespace tolvane
