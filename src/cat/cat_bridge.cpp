// The CAT bridge: CAT port event handler and the CatCmd action routine.
#include "cat/cat_bridge.h"

#include <array>
#include <utility>

namespace tolvane {

namespace {

// CAT port events and the flag each one sets; errors also show "Com2 Error".
struct EventFlag {
    int event;
    bool CatBridge::*flag;
    bool error;
};
const std::array<EventFlag, 10> kEventFlags = {{
    {comm::kErBreak, &CatBridge::gCatBreak, false},
    {comm::kErFrame, &CatBridge::gComm2RXFrame, true},
    {comm::kErOverrun, &CatBridge::gComm2RXOverrun, true},
    {comm::kErRxOver, &CatBridge::gComm2RXOverflow, true},
    {comm::kErRxParity, &CatBridge::gComm2RXParity, true},
    {comm::kErTxFull, &CatBridge::gComm2TXFull, true},
    {comm::kErDcb, &CatBridge::gComm2DCBError, true},
    {comm::kEvCd, &CatBridge::gComm2EvCD, false},
    {comm::kEvCts, &CatBridge::gComm2EvCTS, false},
    {comm::kEvDsr, &CatBridge::gComm2EvDSR, false},
}};

// Time a receive event waits for the rest of a command.
constexpr double kReceiveSettle = 0.015;

}  // namespace

CatBridge::CatBridge(SerialPort& catPort, RadioLink& link, CatPanel& panel)
    : port_(catPort), link_(link), panel_(panel) {
    port_.setEventHandler([this](int event) { MSComm2_OnComm(event); });
}

CatBridge::~CatBridge() { port_.setEventHandler(nullptr); }

void CatBridge::MSComm2_OnComm(int event) {
    if (event == comm::kEvReceive) {
        receive();
        return;
    }
    for (const EventFlag& e : kEventFlags) {
        if (e.event != event) continue;
        this->*(e.flag) = true;
        if (e.error) panel_.setComStat("Com2 Error");
        return;
    }
}

void CatBridge::receive() {
    link_.Delay(kReceiveSettle);
    try {
        gCatInput = port_.input();
        port_.clearInput();
    } catch (const PortError&) {
        return;  // the port went away between the event and the read
    }
    panel_.showCatInput(gCatInput);
    for (cat::CatAction& action : cat::parseCatInput(input_, gCatInput))
        pending_.push_back(std::move(action));
    reqCat = true;
}

void CatBridge::CatCmd() {
    reqCat = false;
    std::vector<cat::CatAction> actions;
    actions.swap(pending_);
    for (const cat::CatAction& action : actions) apply(action);
}

void CatBridge::apply(const cat::CatAction& action) {
    using Kind = cat::CatAction::Kind;
    switch (action.kind) {
    case Kind::FreqQuery:
    case Kind::ModeQuery: {
        std::string preset = action.kind == Kind::ModeQuery ? panel_.digitalMode() : std::string();
        std::optional<std::string> answer = cat::catAnswer(action, link_.state(), preset);
        if (!answer) return;  // nothing valid to report: the radio stays silent
        panel_.showCatOutput(*answer);
        try {
            port_.write(*answer);
        } catch (const PortError&) {
            // A closed or vanished CAT port loses the answer, as the radio
            // transport loses a command.
        }
        return;
    }
    case Kind::FreqSet:
        link_.SetFreqCmd(action.value);
        return;
    case Kind::ModeSet:
        link_.SetMode(action.value);
        return;
    }
}

void CatBridge::reset() {
    input_.clear();
    pending_.clear();
    reqCat = false;
}

}  // namespace tolvane
