// The panel program: start-up, the opening of both serial ports, the radio
// query and the two initialisations, the main loop with its request
// dispatch, the sync tick and the close handler. Everything runs on the one
// thread; the loop yields to the window system once per pass.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/shell.h"
#include "panel/status_display.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "radio/radio_link.h"
#include "radio/radio_state.h"

namespace tolvane {

class FrmTolvane;
class CatBridge;
class CatPanel;
class ReceiverControls;

class Controller {
public:
    // Stages of the program and the restart points of the loop.
    enum class Stage {
        Prepare,        // start-up preparation, once
        OpenPort,       // radio port opening step
        WaitPort,       // waiting for new port settings
        Query,          // radio query, first request
        QueryLoop,      // radio query, one pass of its loop
        LocalInit,      // LOCAL initialisation
        LocalWait,      // ... its wait for a complete status
        RemoteInit,     // REMOTE initialisation, steps 1 to 4
        AudioResync,    // ... its audio re-sync entry (step 5)
        RemoteWait,     // ... its wait for a complete status
        RemoteFinish,   // ... steps 7 to 16
        LoopEntry,      // main loop entry
        Pass,           // one pass of the main loop
    };

    Controller(FrmTolvane& form, Shell& shell, Clock& clock, SerialPort& radioPort,
               SerialPort& catPort);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

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

    // Test seams.
    std::function<bool(int)> comPortAvailable;  // serial port n exists and is free
    std::function<bool()> anotherInstance;      // another copy runs in this folder
    std::function<bool(int, int)> positionVisible;  // (left, top) twips lies on a screen
    // Opens the Port Setup dialog modally (menu entry and start-up).
    std::function<void()> openPortSetup;
    std::function<void()> openAudioSetup;
    std::function<void()> openCatSetup;
    // Routines of the transmit controls the loop calls when they exist: the
    // push-to-talk run for the external switch, and switching a running TUNE
    // or XMT off whose button was disabled.
    std::function<void()> externalPtt;
    std::function<void()> tuneOff;
    std::function<void()> xmitOff;
    // Whether the scan windows exist (their menu entries stay disabled until then).
    bool scanWindowsAvailable = false;

    // Shared state.
    RadioState st;
    Settings set;
    Requests req;
    PanelFlags ps;
    StatusDisplay display;
    RadioLink link;

    FrmTolvane& form() { return form_; }
    SerialPort& radioPort() { return radioPort_; }
    SerialPort& catPort() { return catPort_; }
    CatBridge& cat() { return *cat_; }

    // --- port opening ---
    bool SetUpRadioPort();
    void SetUpCatPort();

    // --- main window routines ---
    void SyncTick();
    void GetStatusCmd();
    void ViewDataCmd();
    void MeterCmd();
    void cmdTest_Click();
    void mnuHelpTolvane_Click();
    void mnuHelpAbout_Click();
    void mnuCATSetup_Click();

    // Firmware detection from the status markers; captions for the control mode.
    void detectFirmware(bool local);

    ReceiverControls& receiver() { return *receiver_; }

private:
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
    void catLeftovers();
    double idleWait();
    static constexpr double kCatQuiet = 0.05;
    double catQuietSince_ = -1.0;
    int catQuietCount_ = 0;
    void connectHandlers();
    void installSetupDialogs();
    void restorePanelState();
    void writePanelState();
    void setExtPttLamp(long colour);

    FrmTolvane& form_;
    Shell& shell_;
    Clock& clock_;
    SerialPort& radioPort_;
    SerialPort& catPort_;
    std::unique_ptr<CatPanel> catPanel_;
    std::unique_ptr<CatBridge> cat_;
    std::unique_ptr<ReceiverControls> receiver_;
    Stage stage_ = Stage::Prepare;
    bool ending_ = false;
};

}  // namespace tolvane
