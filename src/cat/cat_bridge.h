// The CAT bridge: the CAT port's event handler takes what the station
// software sends and raises `reqCat`; `CatCmd`, run by the main loop, answers
// frequency and mode queries from the radio state record and turns sets into
// radio commands through the shared setting routines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cat/cat_dialect.h"
#include "cat/rig_control.h"
#include "platform/serial_port.h"
#include "radio/radio_link.h"

namespace tolvane {

// What the bridge needs from the main window's "CAT" frame.
class CatPanel {
  public:
    virtual ~CatPanel() = default;
    // Text of the digital mode box cmbDig ("OFF", "PSK", "FSK", "RTTY").
    virtual std::string digitalMode() = 0;
    // txtInCat: the last received text.
    virtual void showCatInput(const std::string& text) = 0;
    // txtOutCAT: the last answer.
    virtual void showCatOutput(const std::string& text) = 0;
    // lblComStat (shared with the radio link status).
    virtual void setComStat(mapping::LinkStatus status) = 0;
};

class CatBridge {
  public:
    // Installs MSComm2_OnComm as the CAT port's event handler; the destructor
    // removes it.
    CatBridge(SerialPort& catPort, RadioLink& link, CatPanel& panel);
    ~CatBridge();
    CatBridge(const CatBridge&) = delete;
    CatBridge& operator=(const CatBridge&) = delete;

    // The CAT port's event handler; runs only while the program yields. A
    // receive waits 15 ms for the rest of the command, takes every waiting
    // character, shows them and frames them into commands, which wait for
    // CatCmd. A receive that ends inside a command keeps the unfinished part
    // for the next receive; several receives before CatCmd are all served.
    //
    // The commands waiting are bounded: a frequency set replaces a frequency
    // set still waiting, and a mode set a mode set (the station's latest
    // wish is what counts; replaying stale sets would tune the radio back
    // and forth long after the station moved on). Queries keep their order;
    // beyond kMaxPending waiting commands the oldest query is dropped.
    void MSComm2_OnComm(int event);

    // Serves the commands received since the last call, in order: a query
    // is answered from the radio state at that moment (so a query after a set
    // sees the radio's answer to the set), each answer shown in txtOutCAT and
    // written to the CAT port on its own; a set goes to the radio through
    // SetFreqCmd or SetMode, which wait for and read the radio's answer.
    // A set that could not finish before the sync heartbeat falls due
    // (heartbeatDueIn) is left waiting, with everything after it, and
    // reqCat stays raised: the loop sends the heartbeat and serves it then.
    // A CAT port that is closed or gone loses the answer silently. An error
    // of the radio port (SetMode writes directly on the Adapt firmware)
    // reaches the caller's error rule; the commands after it are dropped.
    void CatCmd();

    // Watches the CAT line between receives; the main loop calls it once a
    // pass. The port raises its receive event only once three characters
    // wait: one or two characters that arrive after the last event (the end
    // of a command split across receives) are taken once the line has been
    // quiet for kQuiet. An unfinished command left after the line has been
    // quiet that long is dropped: the station has given up on it, and the
    // next command must stand on its own.
    void serviceLine();

    // Seconds until CatCmd or serviceLine has something to do (0: now;
    // +inf: nothing waits). The loop's yield blocks no longer than this.
    double nextWorkIn();

    // Forgets the unfinished command and the commands not yet served (the CAT
    // port was closed and reopened with new settings).
    void reset();

    // Seconds until the next sync heartbeat falls due, or +inf when no
    // heartbeat runs (the default, and under local control).
    std::function<double()> heartbeatDueIn;

    // TS-2000 compatible answers (CAT Setup, off by default): with them on
    // and `rig` given, the bridge also answers ID, IF, FB, FR, FT, AI and
    // PS from the panel's snapshot and hands TX and RX to `rig` as keying
    // requests for the XMT path. Commands received while they are off stay
    // ignored, as the dialect has it.
    bool ts2000Answers = false;
    cat::RigControl* rig = nullptr;

    // Most commands waiting for CatCmd.
    static constexpr std::size_t kMaxPending = 32;
    // Quiet time of the CAT line that ends a split command.
    static constexpr double kQuiet = 0.05;
    // Time a set takes when the radio answers at once: the command's pause
    // and the reader's wait for a quiet line (a mode set on a stepping
    // firmware may restore PTT enable afterwards).
    static constexpr double kFreqSetTime = 0.6;
    static constexpr double kModeSetTime = 0.8;

    // Received commands waiting for CatCmd, and the unfinished tail.
    const std::vector<cat::CatAction>& pending() const { return pending_; }
    const cat::CatInputBuffer& input() const { return input_; }

    // CAT input waits for CatCmd (tested by the main loop).
    bool reqCat = false;
    // Text of the last receive event.
    std::string gCatInput;
    // A break condition was received on the CAT port.
    bool gCatBreak = false;
    // The CAT port reported that error or line event at least once; never
    // cleared (the line flags record a change, not the line's level).
    PortFlags comm2;

  private:
    void receive();
    void queue(cat::CatAction action);
    void apply(const cat::CatAction& action);
    void answer(const std::string& text);
    // True when the set may not start yet: the heartbeat falls due first.
    bool waitsForHeartbeat(const cat::CatAction& action);
    int waitingOnLine();

    SerialPort& port_;
    RadioLink& link_;
    CatPanel& panel_;
    cat::CatInputBuffer input_;
    std::vector<cat::CatAction> pending_;
    // The line watch: characters waiting when last looked, and when the
    // line last changed (a receive, or the count changing).
    int lineCount_ = 0;
    double lineActive_ = -1.0;
};

}  // namespace tolvane
