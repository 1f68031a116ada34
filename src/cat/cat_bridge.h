// The CAT bridge: the CAT port's event handler takes what the station
// software sends and raises `reqCat`; `CatCmd`, run by the main loop, answers
// frequency and mode queries from the radio state record and turns sets into
// radio commands through the shared setting routines.
#pragma once

#include <string>
#include <vector>

#include "cat/cat_dialect.h"
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
    // lblComStat caption (shared with the radio link status).
    virtual void setComStat(const std::string& caption) = 0;
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
    void MSComm2_OnComm(int event);

    // Serves every command received since the last call, in order: a query
    // is answered from the radio state at that moment (so a query after a set
    // sees the radio's answer to the set), each answer shown in txtOutCAT and
    // written to the CAT port on its own; a set goes to the radio through
    // SetFreqCmd or SetMode, which wait for and read the radio's answer.
    // A CAT port that is closed or gone loses the answer silently. An error
    // of the radio port (SetMode writes directly on the Adapt firmware)
    // reaches the caller's error rule; the commands after it are dropped.
    void CatCmd();

    // Forgets the unfinished command and the commands not yet served (the CAT
    // port was closed and reopened with new settings).
    void reset();

    // Received commands waiting for CatCmd, and the unfinished tail.
    const std::vector<cat::CatAction>& pending() const { return pending_; }
    const cat::CatInputBuffer& input() const { return input_; }

    // CAT input waits for CatCmd (tested by the main loop).
    bool reqCat = false;
    // Text of the last receive event.
    std::string gCatInput;
    // A break condition was received on the CAT port.
    bool gCatBreak = false;
    // The CAT port reported that error or line event at least once; never cleared.
    bool gComm2RXFrame = false;
    bool gComm2RXOverrun = false;
    bool gComm2RXOverflow = false;
    bool gComm2RXParity = false;
    bool gComm2TXFull = false;
    bool gComm2DCBError = false;
    bool gComm2EvCD = false;
    bool gComm2EvCTS = false;
    bool gComm2EvDSR = false;

private:
    void receive();
    void apply(const cat::CatAction& action);

    SerialPort& port_;
    RadioLink& link_;
    CatPanel& panel_;
    cat::CatInputBuffer input_;
    std::vector<cat::CatAction> pending_;
};

}  // namespace tolvane
