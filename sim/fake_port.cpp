// FakePort: the serial port of tests, in virtual time.
#include "fake_port.h"

#include <algorithm>
#include <cerrno>
#include <limits>

namespace tolvane {

FakePort::FakePort(VirtualClock& clock, FakeDevice* device) : clock_(clock), device_(device) {
    clock_.addEventSource(this, [this]() {
        double next = std::numeric_limits<double>::infinity();
        if (!scheduled_.empty()) next = scheduled_.front().first;
        if (device_ != nullptr && open_) next = std::min(next, device_->nextOutput());
        return next;
    });
}

FakePort::~FakePort() { clock_.removeEventSource(this); }

void FakePort::check() const {
    if (vanished_) throw PortError(EIO, "Input/output error");
    if (!open_) throw PortError(8018, "Operation valid only when the port is open");
}

void FakePort::open(const PortConfig& config) {
    if (open_) throw PortError(8005, "Port already open");
    if (config.portNumber <= 0) throw PortError(8002, "Invalid port number");
    openedTarget_.clear();
    const std::string name = "ports/COM" + std::to_string(config.portNumber);
    const std::string line = "line settings \"" + config.settings + "\" refused";
    if (!parseLineSettings(config.settings))
        throw PortError(380, PortFault::RefusedSetting, name,
                        line + ": " + lineSettingsFault(config.settings));
    if (target_.empty())
        throw PortError(ENOENT, PortFault::Gone, name, "No such file or directory");
    if (openFails_) throw PortError(EBUSY, PortFault::Busy, name, "Port in use");
    if (!refused_.empty())
        throw PortError(EINVAL, PortFault::RefusedSetting, name,
                        line + " by the device: " + refused_);
    config_ = config;
    openedTarget_ = target_;
    open_ = true;
    vanished_ = false;
    ++openCount_;
    inbuf_.clear();
    rts_ = config.rts;
}

void FakePort::close() {
    open_ = false;
    inbuf_.clear();
}

void FakePort::write(std::string_view text) {
    check();
    std::string s(text);
    written_ += s;
    all_ += s;
    writes_.push_back({clock_.elapsed(), s});
    if (device_ != nullptr) device_->received(text, clock_.elapsed());
}

void FakePort::pump() {
    if (!open_) return;
    double now = clock_.elapsed();
    std::vector<std::pair<double, char>> due;
    if (device_ != nullptr) device_->produce(now, due);
    while (!scheduled_.empty() && scheduled_.front().first <= now) {
        due.push_back(scheduled_.front());
        scheduled_.pop_front();
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    bool arrived = false;
    for (const auto& [at, c] : due) {
        (void)at;
        if (c == '\0' && config_.discardNull) continue;
        if (static_cast<int>(inbuf_.size()) >= config_.inBufferSize) {
            events_.push_back(comm::kErRxOver);
            continue;
        }
        inbuf_.push_back(c);
        arrived = true;
    }
    if (arrived && config_.receiveThreshold > 0 &&
        static_cast<int>(inbuf_.size()) >= config_.receiveThreshold)
        receivePending_ = true;
}

std::string FakePort::input() {
    check();
    pump();
    std::string s;
    s.swap(inbuf_);
    return s;
}

int FakePort::inBufferCount() {
    check();
    pump();
    return static_cast<int>(inbuf_.size());
}

void FakePort::clearInput() {
    if (open_) inbuf_.clear();
}

int FakePort::outBufferCount() {
    check();
    return stuckTx_ ? 1 : 0;
}

void FakePort::dispatchEvents() {
    if (!open_ || vanished_) return;
    pump();
    if (receivePending_) {
        receivePending_ = false;
        if (static_cast<int>(inbuf_.size()) >= config_.receiveThreshold)
            events_.push_back(comm::kEvReceive);
    }
    while (!events_.empty()) {
        int ev = events_.front();
        events_.pop_front();
        lastEvent_ = ev;
        if (handler_) handler_(ev);
        if (!open_) break;
    }
}

std::string FakePort::takeWritten() {
    std::string s;
    s.swap(written_);
    return s;
}

void FakePort::inject(std::string_view text, double delay, double spacing) {
    double t = clock_.elapsed() + delay;
    if (!scheduled_.empty()) t = std::max(t, scheduled_.back().first);
    for (char c : text) {
        scheduled_.push_back({t, c});
        t += spacing;
    }
}

void FakePort::setDsr(bool level) {
    if (level == dsr_) return;
    dsr_ = level;
    events_.push_back(comm::kEvDsr);
}

void FakePort::setCd(bool level) {
    if (level == cd_) return;
    cd_ = level;
    events_.push_back(comm::kEvCd);
}

void FakePort::setCts(bool level) {
    if (level == cts_) return;
    cts_ = level;
    events_.push_back(comm::kEvCts);
}

void FakePort::raiseEvent(int event) { events_.push_back(event); }

}  // namespace tolvane

namespace tolvane {

LostDeviceState FakePort::lostDevice() {
    LostDeviceState s;
    s.path = "ports/COM" + std::to_string(config_.portNumber);
    s.had = openedTarget_;
    if (open_ || openedTarget_.empty() || vanished_ || target_.empty()) return s;
    if (target_ != openedTarget_) {
        s.where = LostDevice::Replaced;
        s.now = target_;
    } else {
        s.where = openFails_ ? LostDevice::Busy : LostDevice::Back;
    }
    return s;
}

void FakePort::reopenLost() {
    LostDeviceState s = lostDevice();
    const std::string name = s.path;
    if (s.where == LostDevice::Busy) throw PortError(EBUSY, PortFault::Busy, name, "Port in use");
    if (s.where != LostDevice::Back)
        throw PortError(ENODEV, PortFault::Gone, name,
                        "leads to " + (s.now.empty() ? std::string("nothing") : s.now) +
                            " now, not to " + s.had);
    const std::string had = openedTarget_;
    open(config_);
    openedTarget_ = had;
}

}  // namespace tolvane
