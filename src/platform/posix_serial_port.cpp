// PosixSerialPort: termios device, own receive buffer, PARMRK decoding,
// modem-line polling and the exclusive lock held while open.
#include "platform/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/port_map.h"

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

struct SpeedCode {
    int baud;
    speed_t code;
};
constexpr SpeedCode kSpeedCodes[] = {
    {300, B300},     {600, B600},     {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

std::optional<speed_t> speedCode(int baud) {
    for (const SpeedCode& s : kSpeedCodes)
        if (s.baud == baud) return s.code;
    return std::nullopt;
}

tcflag_t characterSize(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// Raw mode with break and parity marking. Returns 0 or the errno of the failure.
int applyLineSettings(int fd, const LineSettings& line, FlowControl flow) {
    std::optional<speed_t> speed = speedCode(line.baud);
    if (!speed) return EINVAL;
    struct termios t;
    if (tcgetattr(fd, &t) != 0) return errno;

    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | IMAXBEL | INPCK);
    t.c_iflag |= PARMRK;
    if (line.parity != Parity::None) t.c_iflag |= INPCK;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &=
        ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN | TOSTOP);

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | characterSize(line.dataBits);
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    switch (line.parity) {
        case Parity::None:
            break;
        case Parity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            t.c_cflag |= PARENB;
            break;
        case Parity::Mark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (flow == FlowControl::RtsCts) t.c_cflag |= CRTSCTS;

    // With O_NONBLOCK and VMIN 1 a read without data fails with EAGAIN, so
    // a read of 0 bytes can only mean the device hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, *speed) != 0 || cfsetospeed(&t, *speed) != 0) return errno;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
    return 0;
}

bool goneErrno(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF;
}

}  // namespace

void decodeMarked(std::string_view raw, std::string& carry, char parityReplace, bool discardNull,
                  MarkedDecode& out) {
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
        if (third == '\0') {
            out.events.push_back(comm::kErBreak);
        } else {
            out.events.push_back(comm::kErRxParity);
            out.chars.push_back(parityReplace != '\0' ? parityReplace : third);
        }
        i += 3;
    }
}

PosixSerialPort::PosixSerialPort(std::string folder) : folder_(std::move(folder)) {
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
    // The number and settings count as configured even when opening fails.
    config_ = config;
    if (config.portNumber <= 0)
        throw PortError(kErrInvalidPortNumber,
                        "Invalid port number " + std::to_string(config.portNumber));
    std::optional<LineSettings> line = parseLineSettings(config.settings);
    if (!line)
        throw PortError(kErrInvalidProperty, "Invalid line settings \"" + config.settings + "\"");

    const std::string path = portDevicePath(config.portNumber, folder_);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int err = errno;
        throw PortError(err, errnoText(err) + " (" + path + ")");
    }
    if (::isatty(fd) != 1) {
        ::close(fd);
        throw PortError(ENOTTY, errnoText(ENOTTY) + " (" + path + ")");
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) throw PortError(EBUSY, "Port in use (" + path + ")");
        throw PortError(err, errnoText(err) + " (" + path + ")");
    }
    if (int err = applyLineSettings(fd, *line, config.flow); err != 0) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        throw PortError(err, "Cannot apply line settings \"" + config.settings +
                                 "\": " + errnoText(err) + " (" + path + ")");
    }
    tcflush(fd, TCIOFLUSH);

    fd_ = fd;
    path_ = path;
    vanished_ = false;
    vanishedErrno_ = 0;
    rx_.clear();
    carry_.clear();
    events_.clear();
    receivePending_ = false;
    knownLines_ = TIOCM_DSR;
    if (config.rts)
        modemBits(TIOCM_RTS, 0);
    else
        modemBits(0, TIOCM_RTS);
    readModemLines();
    eventLines_ = knownLines_;
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
    if (vanished_) throw PortError(vanishedErrno_, errnoText(vanishedErrno_) + " (" + path_ + ")");
}

void PosixSerialPort::queueEvent(int event) {
    if (events_.size() < kMaxQueuedEvents) events_.push_back(event);
}

int PosixSerialPort::pump() {
    if (fd_ < 0 || vanished_) return 0;
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
    decodeMarked(raw, carry_, config_.parityReplace, config_.discardNull, decoded);
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
                throw PortError(ETIMEDOUT, "Write timed out after " + std::to_string(done) +
                                               " of " + std::to_string(text.size()) +
                                               " characters (" + path_ + ")");
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
        throw PortError(err, errnoText(err) + " (" + path_ + ")");
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
