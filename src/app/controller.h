// The panel program: start-up, the opening of both serial ports, the radio
// query and the two initialisations, the main loop with its request
// dispatch, the sync tick and the close handler. Everything runs on the one
// thread; the loop yields to the window system once per pass. The program
// owns the areas of the main window and calls them; it never writes their
// controls.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "panel/panel_state.h"
#include "panel/status_display.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "radio/radio_link.h"
#include "radio/radio_state.h"
#include "setup/network_setup_file.h"

namespace tolvane {

class FrmTolvane;
class CatBridge;
class RigEndpoint;
namespace cat {
class RigctlServer;
}
class StatusDisplay;
struct PanelAreas;
class PanelToolHost;

// The program's module-level values.
struct ProgramState {
    RadioState st;
    Settings set;
    Requests req;
    PanelFlags ps;
};

// The installed guide (<program folder>/../share/doc/tolvane/guide.html),
// then the one in the source tree the program was built from.
std::vector<std::string> defaultGuidePlaces();

// What a test, main() or a later window puts in: the probes and the
// routines of windows the loop calls when they exist.
struct ProgramHooks {
    std::function<bool(int)> comPortAvailable;      // serial port n exists and is free
    std::function<bool()> anotherInstance;          // another copy runs in this folder
    std::function<bool(int, int)> positionVisible;  // (left, top) twips lies on a screen
    // Where "Tolvane Help" looks for the operator's guide, in this order;
    // empty: defaultGuidePlaces().
    std::vector<std::string> guidePlaces;
    // Opens a setup dialog modally and takes over what it returns (menu
    // entries; Port Setup also at start-up).
    std::function<void()> openPortSetup;
    std::function<void()> openAudioSetup;
    std::function<void()> openCatSetup;
    std::function<void()> openNetworkSetup;
    // Routines of the transmit controls the loop calls when they exist: the
    // push-to-talk run for the external switch, and switching a running TUNE
    // or XMT off whose button was disabled.
    std::function<void()> externalPtt;
    std::function<void()> tuneOff;
    std::function<void()> xmitOff;
    // Whether the scan windows exist (their menu entries stay disabled until then).
    bool scanWindowsAvailable = false;
    // The network rig control endpoint asked for on the command line
    // (--rigctld): it is turned on at start-up whatever "NetworkSetup.txt" says.
    std::optional<ListenEndpoint> rigctldOption;
};

// The network rig control endpoint: the settings in force (the Network
// Setup dialog opens on them) and the port it listens on, 0 when it does not
// listen.
struct NetworkEndpointState {
    const NetworkSettings& settings;
    int port;
};

class Controller {
  public:
    // Stages of the program and the restart points of the loop.
    enum class Stage {
        Prepare,       // start-up preparation, once
        OpenPort,      // radio port opening step
        WaitPort,      // waiting for new port settings
        Query,         // radio query, first request
        QueryLoop,     // radio query, one pass of its loop
        LocalInit,     // LOCAL initialisation
        LocalWait,     // ... its wait for a complete status
        RemoteInit,    // REMOTE initialisation: control mode, audio settings
        AudioResync,   // ... its audio re-sync entry
        RemoteWait,    // ... its wait for a complete status
        RemoteFinish,  // ... the radio brought in line, the controls enabled
        LoopEntry,     // main loop entry
        Pass,          // one pass of the main loop
    };

    Controller(FrmTolvane& form, Shell& shell, Clock& clock, SerialPort& radioPort,
               SerialPort& catPort);
    ~Controller();

    // Runs the program from start-up; returns only when a test's shell stops it.
    void run();
    // Runs one stage step and returns the next stage. A run-time error inside
    // the main loop abandons the pass and continues at the loop entry.
    Stage step(Stage stage);
    Stage stage() const { return stage_; }
    // Runs steps until `until` holds or `maxSteps` steps have run; true when it held.
    bool runUntil(const std::function<bool()>& until, int maxSteps = 100000);

    // The close handler: saves the panel state, shuts the radio link down and
    // ends the program.
    void form_queryUnload(int cancel, int unloadMode);
    // The sync heartbeat of a main loop pass and the transmit indicator.
    void SyncTick();

    ProgramHooks hooks;
    ProgramState& state() { return state_; }
    PanelAreas& areas() { return *areas_; }
    RadioLink& link() { return link_; }
    CatBridge& cat() { return *cat_; }

    // The network rig control endpoint as it stands.
    NetworkEndpointState network() const;

  private:
    // Starts, moves or stops the endpoint; a failure to listen is said on
    // the information line.
    void applyNetworkSettings(const NetworkSettings& settings);
    Stage prepare();
    Stage openPort();
    Stage waitPort();
    Stage query();
    Stage queryLoop();
    Stage localInit();
    Stage localWait();
    Stage localFinish();
    Stage remoteInit();
    Stage audioResync();
    Stage remoteWait();
    Stage remoteFinish();
    Stage loopEntry();
    Stage pass();
    Stage openingStepFromLoop();
    Stage afterStatus();  // R1 -> REMOTE, R0 -> LOCAL, otherwise none
    void dispatchRequests(Stage& next, bool& leave);
    void setUpRigControl();
    void serveRigRequests();
    void closeRigControl();
    void detectFirmware(bool local);  // from the status markers; its caption

    // --- port opening ---
    bool SetUpRadioPort();
    void SetUpCatPort();

    // --- menu entries ---
    void mnuHelpTolvane_Click();
    void mnuHelpAbout_Click();
    void mnuCATSetup_Click();
    void mnuScanBands_Click();
    void mnuScanFreqs_Click();
    void mnuChannelSetup_Click();

    // A start-up step: an error skips it while the loop's error rule is not armed.
    void tryStep(const std::function<void()>& fn);
    int pendingRadioInput();
    // True (and the port closed) when the radio port's device has gone away.
    bool radioPortVanished();
    // A lost radio port is back on the device it had (never another one).
    bool lostPortBack();
    Stage reopenLostPort();
    Stage radioPortFailed(const PortError& e);
    std::string lostPortSaid_;  // the other device a lost port's path led to, said once
    // How long the pass's yield may block (seconds).
    double idleWait();
    static constexpr double kLongestIdleWait = 0.25;
    // Shows the reports read since the display was last brought up to date
    // and runs the band check with them.
    void showReports();
    void connectHandlers();
    void installSetupDialogs();
    void installToolWindows();
    void restorePanelState();
    void writePanelState();

    FrmTolvane& form_;
    Shell& shell_;
    Clock& clock_;
    SerialPort& radioPort_;
    SerialPort& catPort_;
    ProgramState state_;
    // The routines use the values by their short names.
    RadioState& st = state_.st;
    Settings& set = state_.set;
    Requests& req = state_.req;
    PanelFlags& ps = state_.ps;
    StatusDisplay display;
    RadioLink link_;
    std::unique_ptr<PanelAreas> areas_;
    std::unique_ptr<CatBridge> cat_;
    std::unique_ptr<PanelToolHost> toolHost_;  // the main window as the tool windows see it
    std::unique_ptr<RigEndpoint> rig_;
    std::unique_ptr<cat::RigctlServer> rigctl_;
    NetworkSettings network_;
    Stage stage_ = Stage::Prepare;
    bool ending_ = false;
};

}  // namespace tolvane
