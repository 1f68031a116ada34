// The CAT bridge: CAT port event handler and the CatCmd action routine.
#include "cat/cat_bridge.h"

#include "cat/cat_ts2000.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace tolvane {

namespace {

// Time a receive event waits for the rest of a command.
constexpr double kReceiveSettle = 0.015;

}  // namespace

CatBridge::CatBridge(SerialPort& catPort, RadioLink& link, CatPanel& panel)
    : port_(catPort), link_(link), panel_(panel) {
    port_.setEventHandler([this](int event) { MSComm2_OnComm(event); });
}

CatBridge::~CatBridge() {
    port_.setEventHandler(nullptr);
}

void CatBridge::MSComm2_OnComm(int event) {
    if (event == comm::kEvReceive) {
        receive();
        return;
    }
    if (recordLineError(comm2, event)) {
        panel_.setComStat(mapping::LinkStatus::CatError);
        return;
    }
    // The line events record that the line changed, not its level.
    switch (event) {
        case comm::kErBreak:
            gCatBreak = true;
            break;
        case comm::kEvCd:
            comm2.EvCD = true;
            break;
        case comm::kEvCts:
            comm2.EvCTS = true;
            break;
        case comm::kEvDsr:
            comm2.EvDSR = true;
            break;
        default:
            break;
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
    lineCount_ = 0;
    lineActive_ = link_.clock().now();
    panel_.showCatInput(gCatInput);
    bool ts2000 = ts2000Answers && rig != nullptr;
    for (cat::CatAction& action : cat::parseCatInput(input_, gCatInput, ts2000))
        queue(std::move(action));
    reqCat = true;
}

void CatBridge::queue(cat::CatAction action) {
    if (!action.isQuery()) {
        // The latest set of a kind replaces the one still waiting.
        std::erase_if(pending_, [&](const cat::CatAction& a) { return a.kind == action.kind; });
    }
    pending_.push_back(std::move(action));
    if (pending_.size() <= kMaxPending) return;
    auto oldestQuery = std::find_if(pending_.begin(), pending_.end(),
                                    [](const cat::CatAction& a) { return a.isQuery(); });
    if (oldestQuery != pending_.end()) pending_.erase(oldestQuery);
}

bool CatBridge::waitsForHeartbeat(const cat::CatAction& action) {
    // Queries and keying requests take no radio time here.
    if (action.isQuery() || action.kind == cat::CatAction::Kind::PttSet || !heartbeatDueIn)
        return false;
    double takes = action.kind == cat::CatAction::Kind::FreqSet ? kFreqSetTime : kModeSetTime;
    return heartbeatDueIn() < takes;
}

void CatBridge::CatCmd() {
    reqCat = false;
    while (!pending_.empty()) {
        if (waitsForHeartbeat(pending_.front())) {
            reqCat = true;
            return;
        }
        cat::CatAction action = std::move(pending_.front());
        pending_.erase(pending_.begin());
        try {
            apply(action);
        } catch (...) {
            pending_.clear();
            throw;
        }
    }
}

int CatBridge::waitingOnLine() {
    try {
        return port_.isOpen() ? port_.inBufferCount() : 0;
    } catch (const PortError&) {
        return 0;
    }
}

void CatBridge::serviceLine() {
    int n = waitingOnLine();
    double now = link_.clock().now();
    if (n != lineCount_ || lineActive_ < 0) {
        lineCount_ = n;
        lineActive_ = now;
        return;
    }
    if (n == 0 && input_.tail().empty()) return;
    lineActive_ = midnightCorrected(lineActive_, now);
    if (now - lineActive_ < kQuiet) return;
    if (n > 0) {
        MSComm2_OnComm(comm::kEvReceive);
    } else {
        input_.clear();
        lineActive_ = now;
    }
}

double CatBridge::nextWorkIn() {
    constexpr double kNever = std::numeric_limits<double>::infinity();
    double next = kNever;
    if (!pending_.empty()) {
        const cat::CatAction& first = pending_.front();
        // A set held back for the heartbeat can go once it has been sent.
        next = waitsForHeartbeat(first) ? std::max(0.0, heartbeatDueIn()) : 0.0;
    }
    if (lineCount_ > 0 || !input_.tail().empty()) {
        double now = link_.clock().now();
        double since = lineActive_ < 0 ? 0.0 : now - midnightCorrected(lineActive_, now);
        next = std::min(next, std::max(0.0, kQuiet - since));
    }
    return next;
}

void CatBridge::answer(const std::string& text) {
    panel_.showCatOutput(text);
    try {
        port_.write(text);
    } catch (const PortError&) {
        // A closed or vanished CAT port loses the answer, as the radio
        // transport loses a command.
    }
}

void CatBridge::apply(const cat::CatAction& action) {
    using Kind = cat::CatAction::Kind;
    switch (action.kind) {
        case Kind::FreqQuery:
        case Kind::ModeQuery: {
            std::string preset =
                action.kind == Kind::ModeQuery ? panel_.digitalMode() : std::string();
            std::optional<std::string> text = cat::catAnswer(action, link_.state(), preset);
            if (text) answer(*text);  // nothing valid to report: the radio stays silent
            return;
        }
        case Kind::FreqSet:
            link_.SetFreqCmd(action.value);
            return;
        case Kind::ModeSet:
            link_.SetMode(action.value);
            return;
        case Kind::PttSet:
            if (rig != nullptr) {
                cat::RigRequest request;
                request.kind = cat::RigRequest::Kind::Ptt;
                request.on = action.value == "1";
                rig->request(request);  // a refused keying leaves the radio receiving
            }
            return;
        default:
            if (rig == nullptr) return;
            if (std::optional<std::string> text = cat::ts2000Answer(action, rig->snapshot()))
                answer(*text);
            return;
    }
}

void CatBridge::reset() {
    input_.clear();
    pending_.clear();
    reqCat = false;
    lineCount_ = 0;
    lineActive_ = -1.0;
}

}  // namespace tolvane
