// PosixSerialPort: termios device, own receive buffer, PARMRK decoding,
// modem-line polling and the exclusive lock held while open.
#include "platform/posix_serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/port_map.h"
#include "platform/termios_line.h"

namespace tolvane {

namespace {

// Error numbers of the port object where the platform gives no errno.
constexpr int kErrInvalidProperty = 380;
constexpr int kErrInvalidPortNumber = 8002;
constexpr int kErrPortAlreadyOpen = 8005;
constexpr int kErrPortNotOpen = 8018;

constexpr std::size_t kMaxQueuedEvents = 1024;  // events beyond this are dropped
constexpr std::size_t kMaxReadPerPump = 65536;  // one pump never reads forever
constexpr double kWriteTimeout = 1.0;
constexpr double kCloseDrainTimeout = 1.0;
constexpr char kMark = '\377';

std::string errnoText(int err) {
    return std::strerror(err);
}

double monotonicSeconds() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

int pollMilliseconds(double seconds) {
    if (seconds <= 0.0) return 0;
    double ms = std::ceil(seconds * 1000.0);
    return ms > 1e9 ? 1000000000 : static_cast<int>(ms);
}

void sleepSeconds(double seconds) {
    if (seconds <= 0.0) return;
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool goneErrno(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF;
}

}  // namespace

void decodeMarked(std::string_view raw, std::string& carry, char parityReplace, bool discardNull,
                  int& breaks, MarkedDecode& out) {
    std::string data;
    data.reserve(carry.size() + raw.size());
    data.append(carry);
    data.append(raw);
    carry.clear();

    std::size_t i = 0;
    const std::size_t n = data.size();
    while (i < n) {
        char c = data[i];
        if (c != kMark) {
            if (c != '\0' || !discardNull) out.chars.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 >= n) {  // "\377" at the end: wait for the rest of the mark
            carry.assign(data, i, std::string::npos);
            break;
        }
        char second = data[i + 1];
        if (second == kMark) {  // a received 0xFF, doubled by the driver
            out.chars.push_back(kMark);
            i += 2;
            continue;
        }
        if (second != '\0') {  // not a mark: 0xFF as data
            out.chars.push_back(kMark);
            ++i;
            continue;
        }
        if (i + 2 >= n) {  // "\377\0" at the end
            carry.assign(data, i, std::string::npos);
            break;
        }
        char third = data[i + 2];
        if (third == '\0' && breaks > 0) {  // a break the driver counted
            --breaks;
            out.events.push_back(comm::kErBreak);
        } else {
            out.events.push_back(comm::kErRxParity);
            char c = parityReplace != '\0' ? parityReplace : third;
            if (c != '\0' || !discardNull) out.chars.push_back(c);
        }
        i += 3;
    }
}

void BreakCounter::reset(std::optional<int> counter) {
    last_ = counter;
    pending_.clear();
}

int BreakCounter::update(std::optional<int> counter, double now) {
    if (counter && last_ && *counter > *last_) {
        for (int i = *counter - *last_; i > 0 && pending_.size() < kMaxPending; --i)
            pending_.push_back(now);
    }
    if (counter) last_ = counter;
    return static_cast<int>(pending_.size());
}

void BreakCounter::consumed(int n, double readAt) {
    for (; n > 0 && !pending_.empty(); --n) pending_.pop_front();
    while (!pending_.empty() && readAt - pending_.front() > kMatchWindow) pending_.pop_front();
}

PosixSerialPort::PosixSerialPort(std::string folder, SystemTables tables)
    : folder_(std::move(folder)), tables_(std::move(tables)) {
    config_.portNumber = 0;
    config_.settings.clear();
    knownLines_ = TIOCM_DSR;
    eventLines_ = TIOCM_DSR;
}

PosixSerialPort::~PosixSerialPort() {
    close();
}

void PosixSerialPort::open(const PortConfig& config) {
    if (fd_ >= 0) throw PortError(kErrPortAlreadyOpen, "Port already open");
    // The number and settings count as configured even when opening fails;
    // the device of an earlier opening is no longer the port's.
    config_ = config;
    identity_ = DeviceIdentity{};
    openedPath_.clear();
    if (config.portNumber <= 0)
        throw PortError(kErrInvalidPortNumber, PortFault::Other, "",
                        "Invalid port number " + std::to_string(config.portNumber));
    openDevice(portDevicePath(config.portNumber, folder_), nullptr);
}

void PosixSerialPort::reopenLost() {
    if (fd_ >= 0) throw PortError(kErrPortAlreadyOpen, "Port already open");
    if (openedPath_.empty())
        throw PortError(ENOENT, PortFault::Gone, "", "no device to open again");
    const DeviceIdentity had = identity_;
    openDevice(openedPath_, &had);
}

LostDeviceState PosixSerialPort::lostDevice() {
    LostDeviceState s;
    s.path = portDisplayName(openedPath_);
    s.had = identity_.target;
    if (fd_ >= 0 || openedPath_.empty()) return s;
    DeviceProbeResult probe = probeDevice(openedPath_, tables_);
    std::optional<DeviceIdentity> now = deviceIdentity(openedPath_);
    if (probe.state == DeviceProbe::Missing || !now) return s;
    if (*now != identity_) {
        s.where = LostDevice::Replaced;
        s.now = now->target;
    } else if (probe.state == DeviceProbe::Locked) {
        s.where = LostDevice::Busy;
    } else if (probe.state == DeviceProbe::Free) {
        s.where = LostDevice::Back;
    }
    return s;
}

void PosixSerialPort::openDevice(const std::string& path, const DeviceIdentity* pin) {
    const std::string name = portDisplayName(path);
    std::optional<LineSettings> line = parseLineSettings(config_.settings);
    if (!line)
        throw PortError(kErrInvalidProperty, PortFault::RefusedSetting, name,
                        "line settings \"" + config_.settings +
                            "\" refused: " + lineSettingsFault(config_.settings));

    // Everything that can be told without opening is told first: opening a
    // terminal raises DTR and RTS, which must not happen to a port that is
    // not ours to use.
    DeviceProbeResult probe = probeDevice(path, tables_);
    switch (probe.state) {
        case DeviceProbe::Missing:
            throw PortError(probe.err, PortFault::Gone, name, errnoText(probe.err));
        case DeviceProbe::NotSerial:
            throw PortError(ENOTTY, PortFault::Other, name, "not a serial port");
        case DeviceProbe::NoHardware:
            throw PortError(ENODEV, PortFault::Gone, name, "no serial port hardware");
        case DeviceProbe::Locked:
            throw PortError(EBUSY, PortFault::Busy, name, "Port in use");
        case DeviceProbe::Free:
            break;
    }
    if (pin != nullptr) {
        std::optional<DeviceIdentity> now = deviceIdentity(path);
        if (!now || *now != *pin)
            throw PortError(ENODEV, PortFault::Gone, name,
                            "leads to " + (now ? now->target : std::string("nothing")) +
                                " now, not to " + pin->target);
    }

    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int err = errno;
        PortFault fault = goneErrno(err) || err == ENOENT ? PortFault::Gone : PortFault::Other;
        throw PortError(err, fault, name, errnoText(err));
    }
    auto fail = [&](int err, PortFault fault, const std::string& reason) {
        ::close(fd);
        throw PortError(err, fault, name, reason);
    };
    if (::isatty(fd) != 1) fail(ENOTTY, PortFault::Other, errnoText(ENOTTY));
    struct stat st;
    if (::fstat(fd, &st) != 0) fail(errno, PortFault::Other, errnoText(errno));
    char resolved[PATH_MAX];
    DeviceIdentity opened{::realpath(path.c_str(), resolved) != nullptr ? resolved : path,
                          static_cast<unsigned long long>(st.st_rdev)};
    if (pin != nullptr && opened != *pin)
        fail(ENODEV, PortFault::Gone, "leads to " + opened.target + " now, not to " + pin->target);
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int err = errno;
        if (err == EWOULDBLOCK) fail(EBUSY, PortFault::Busy, "Port in use");
        fail(err, PortFault::Other, errnoText(err));
    }
    LineApplyResult applied = applyLineSettings(fd, *line, config_.flow);
    if (!applied.ok()) {
        ::flock(fd, LOCK_UN);
        if (applied.err != 0)
            fail(applied.err, PortFault::Other,
                 "line settings \"" + config_.settings + "\": " + errnoText(applied.err));
        fail(
            EINVAL, PortFault::RefusedSetting,
            "line settings \"" + config_.settings + "\" refused by the device: " + applied.refused);
    }
    tcflush(fd, TCIOFLUSH);

    fd_ = fd;
    path_ = path;
    openedPath_ = path;
    identity_ = opened;
    vanished_ = false;
    vanishedErrno_ = 0;
    rx_.clear();
    carry_.clear();
    events_.clear();
    receivePending_ = false;
    std::optional<int> breakCounter = readBreakCounter();
    hasBreakCounter_ = breakCounter.has_value();
    breaks_.reset(breakCounter);
    knownLines_ = TIOCM_DSR;
    if (config_.rts)
        modemBits(TIOCM_RTS, 0);
    else
        modemBits(0, TIOCM_RTS);
    readModemLines();
    eventLines_ = knownLines_;
}

std::optional<int> PosixSerialPort::readBreakCounter() const {
    if (fd_ < 0 || vanished_) return std::nullopt;
    struct serial_icounter_struct counts {};
    if (::ioctl(fd_, TIOCGICOUNT, &counts) != 0) return std::nullopt;
    return counts.brk;
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    if (!vanished_) {
        // Let what was written leave (the shutdown command) without letting a
        // stuck line hold the close up for the driver's long closing wait.
        double deadline = monotonicSeconds() + kCloseDrainTimeout;
        int pending = 0;
        while (::ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0 &&
               monotonicSeconds() < deadline)
            ::poll(nullptr, 0, 10);
        tcflush(fd_, TCOFLUSH);
    }
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
    vanished_ = false;
    rx_.clear();
    carry_.clear();
    events_.clear();
    receivePending_ = false;
}

void PosixSerialPort::requireOpen() const {
    if (fd_ < 0) throw PortError(kErrPortNotOpen, "Operation valid only when the port is open");
}

void PosixSerialPort::throwIfGone() const {
    if (vanished_)
        throw PortError(vanishedErrno_, PortFault::Gone, portDisplayName(path_),
                        errnoText(vanishedErrno_));
}

void PosixSerialPort::queueEvent(int event) {
    if (events_.size() < kMaxQueuedEvents) events_.push_back(event);
}

int PosixSerialPort::pump() {
    if (fd_ < 0 || vanished_) return 0;
    const double readAt = monotonicSeconds();
    std::string raw;
    char buf[4096];
    while (raw.size() < kMaxReadPerPump) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            raw.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        int err = n < 0 ? errno : EIO;
        if (n == 0) {
            // End of file: a hung-up device reports it on poll as well.
            struct pollfd p = {fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) break;
        } else if (!goneErrno(err)) {
            break;
        }
        vanished_ = true;
        vanishedErrno_ = err;
        break;
    }
    if (raw.empty()) return 0;
    MarkedDecode decoded;
    // The counter is read after the data: a break in the data is counted by
    // then. One counted later has its mark in a later read.
    const int counted =
        breaks_.update(hasBreakCounter_ ? readBreakCounter() : std::nullopt, monotonicSeconds());
    int breaks = counted;
    decodeMarked(raw, carry_, config_.parityReplace, config_.discardNull, breaks, decoded);
    // A read cut short at its bound may not have reached a counted mark yet.
    breaks_.consumed(counted - breaks, raw.size() < kMaxReadPerPump ? readAt : 0.0);
    std::size_t before = rx_.size();
    accept(decoded);
    return static_cast<int>(rx_.size() - before);
}

void PosixSerialPort::accept(const MarkedDecode& decoded) {
    for (int event : decoded.events) queueEvent(event);
    const std::size_t capacity = static_cast<std::size_t>(std::max(1, config_.inBufferSize));
    const std::size_t room = capacity > rx_.size() ? capacity - rx_.size() : 0;
    std::size_t added = decoded.chars.size();
    if (added > room) {
        added = room;
        queueEvent(comm::kErRxOver);
    }
    rx_.append(decoded.chars, 0, added);
    if (added > 0 && config_.receiveThreshold > 0 &&
        rx_.size() >= static_cast<std::size_t>(config_.receiveThreshold))
        receivePending_ = true;
}

std::string PosixSerialPort::input() {
    requireOpen();
    pump();
    if (rx_.empty()) throwIfGone();
    return std::exchange(rx_, std::string());
}

int PosixSerialPort::inBufferCount() {
    requireOpen();
    pump();
    if (rx_.empty()) throwIfGone();
    return static_cast<int>(rx_.size());
}

void PosixSerialPort::clearInput() {
    if (fd_ < 0) return;
    if (!vanished_) tcflush(fd_, TCIFLUSH);
    rx_.clear();
    carry_.clear();
    receivePending_ = false;
}

int PosixSerialPort::outBufferCount() {
    requireOpen();
    throwIfGone();
    int pending = 0;
    if (::ioctl(fd_, TIOCOUTQ, &pending) != 0) return 0;
    return std::max(0, pending);
}

void PosixSerialPort::write(std::string_view text) {
    requireOpen();
    throwIfGone();
    const double deadline = monotonicSeconds() + kWriteTimeout;
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            double left = deadline - monotonicSeconds();
            if (left <= 0.0)
                throw PortError(ETIMEDOUT, PortFault::Other, portDisplayName(path_),
                                "Write timed out after " + std::to_string(done) + " of " +
                                    std::to_string(text.size()) + " characters");
            struct pollfd p = {fd_, POLLOUT, 0};
            if (::poll(&p, 1, pollMilliseconds(left)) > 0 && (p.revents & POLLOUT) == 0)
                ::poll(nullptr, 0, 10);  // hung up or error: the next write tells
            continue;
        }
        int err = errno;
        if (goneErrno(err)) {
            vanished_ = true;
            vanishedErrno_ = err;
        }
        throw PortError(err, goneErrno(err) ? PortFault::Gone : PortFault::Other,
                        portDisplayName(path_), errnoText(err));
    }
}

void PosixSerialPort::modemBits(int set, int clear) {
    if (fd_ < 0 || vanished_) return;
    // A pseudo-terminal has no modem lines; the failure is of no interest.
    if (set != 0) (void)::ioctl(fd_, TIOCMBIS, &set);
    if (clear != 0) (void)::ioctl(fd_, TIOCMBIC, &clear);
}

void PosixSerialPort::setDtr(bool on) {
    if (on)
        modemBits(TIOCM_DTR, 0);
    else
        modemBits(0, TIOCM_DTR);
}

void PosixSerialPort::setRts(bool on) {
    config_.rts = on;
    if (on)
        modemBits(TIOCM_RTS, 0);
    else
        modemBits(0, TIOCM_RTS);
}

bool PosixSerialPort::readModemLines() {
    if (fd_ < 0 || vanished_) return false;
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) return false;
    knownLines_ = bits;
    return true;
}

bool PosixSerialPort::cdHolding() {
    readModemLines();
    return (knownLines_ & TIOCM_CAR) != 0;
}

bool PosixSerialPort::ctsHolding() {
    readModemLines();
    return (knownLines_ & TIOCM_CTS) != 0;
}

bool PosixSerialPort::dsrHolding() {
    readModemLines();
    return (knownLines_ & TIOCM_DSR) != 0;
}

void PosixSerialPort::setEventHandler(EventHandler handler) {
    handler_ = std::move(handler);
}

void PosixSerialPort::dispatchEvents() {
    if (fd_ < 0) return;
    if (readModemLines()) {
        int changed = knownLines_ ^ eventLines_;
        eventLines_ = knownLines_;
        if ((changed & TIOCM_CAR) != 0) queueEvent(comm::kEvCd);
        if ((changed & TIOCM_CTS) != 0) queueEvent(comm::kEvCts);
        if ((changed & TIOCM_DSR) != 0) queueEvent(comm::kEvDsr);
    }
    pump();
    if (receivePending_) {
        receivePending_ = false;
        if (config_.receiveThreshold > 0 &&
            rx_.size() >= static_cast<std::size_t>(config_.receiveThreshold))
            queueEvent(comm::kEvReceive);
    }
    // A handler may close the port; what it leaves queued is then dropped.
    while (!events_.empty() && fd_ >= 0) {
        int event = events_.front();
        events_.pop_front();
        lastEvent_ = event;
        if (handler_) handler_(event);
    }
}

void PosixSerialPort::waitReadable(double seconds) {
    if (seconds <= 0.0) return;
    if (fd_ < 0 || vanished_) {
        sleepSeconds(seconds);
        return;
    }
    const double deadline = monotonicSeconds() + seconds;
    for (;;) {
        double left = deadline - monotonicSeconds();
        if (left <= 0.0) return;
        struct pollfd p = {fd_, POLLIN, 0};
        int rc = ::poll(&p, 1, pollMilliseconds(left));
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) {
            if (rc < 0) sleepSeconds(deadline - monotonicSeconds());
            return;
        }
        if (pump() > 0) return;
        if (vanished_ || (p.revents & POLLIN) == 0) {
            // Nothing will come: wait out the time instead of spinning.
            sleepSeconds(deadline - monotonicSeconds());
            return;
        }
    }
}

}  // namespace tolvane
