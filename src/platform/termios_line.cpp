// Raw mode, line settings and their read-back on a terminal device.
#include "platform/termios_line.h"

#include <linux/magic.h>
#include <sys/vfs.h>
#include <termios.h>

#include <cerrno>
#include <optional>

namespace tolvane {

namespace {

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

constexpr tcflag_t kInputFlags = IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                 IXOFF | IXANY | IMAXBEL | INPCK | PARMRK;
constexpr tcflag_t kLocalFlags = ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN | TOSTOP;
constexpr tcflag_t kParityFlags = PARENB | PARODD | CMSPAR;

void addRefused(std::string& refused, const std::string& what) {
    if (!refused.empty()) refused += ", ";
    refused += what;
}

}  // namespace

const char* parityName(Parity parity) {
    switch (parity) {
        case Parity::Odd:
            return "odd";
        case Parity::Even:
            return "even";
        case Parity::Mark:
            return "mark";
        case Parity::Space:
            return "space";
        default:
            return "none";
    }
}

bool isPseudoTerminal(int fd) {
    struct statfs fs;
    return ::fstatfs(fd, &fs) == 0 && fs.f_type == DEVPTS_SUPER_MAGIC;
}

LineApplyResult applyLineSettings(int fd, const LineSettings& line, FlowControl flow) {
    LineApplyResult result;
    std::optional<speed_t> speed = speedCode(line.baud);
    if (!speed) {
        result.refused = "speed " + std::to_string(line.baud);
        return result;
    }
    struct termios t;
    if (tcgetattr(fd, &t) != 0) {
        result.err = errno;
        return result;
    }

    t.c_iflag &= ~kInputFlags;
    t.c_iflag |= PARMRK;
    if (line.parity != Parity::None) t.c_iflag |= INPCK;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~kLocalFlags;

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | kParityFlags | CSTOPB | CRTSCTS);
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
    if (cfsetispeed(&t, *speed) != 0 || cfsetospeed(&t, *speed) != 0) {
        result.err = errno;
        return result;
    }
    // EINVAL may come from the C library's own check after the driver
    // quietly kept a setting; the read-back below says which one.
    if (tcsetattr(fd, TCSANOW, &t) != 0 && errno != EINVAL) {
        result.err = errno;
        return result;
    }
    struct termios got;
    if (tcgetattr(fd, &got) != 0) {
        result.err = errno;
        return result;
    }

    std::string& refused = result.refused;
    if (cfgetospeed(&got) != *speed || cfgetispeed(&got) != *speed)
        addRefused(refused, "speed " + std::to_string(line.baud));
    if (!isPseudoTerminal(fd)) {
        if ((got.c_cflag & kParityFlags) != (t.c_cflag & kParityFlags))
            addRefused(refused, std::string("parity ") + parityName(line.parity));
        if ((got.c_cflag & CSIZE) != (t.c_cflag & CSIZE))
            addRefused(refused, std::to_string(line.dataBits) + " data bits");
    }
    if ((got.c_cflag & CSTOPB) != (t.c_cflag & CSTOPB))
        addRefused(refused, std::to_string(line.stopBits) + " stop bits");
    if ((got.c_cflag & CRTSCTS) != (t.c_cflag & CRTSCTS)) addRefused(refused, "RTS/CTS handshake");
    if ((got.c_iflag & kInputFlags) != (t.c_iflag & kInputFlags) ||
        (got.c_lflag & kLocalFlags) != (t.c_lflag & kLocalFlags) ||
        (got.c_oflag & OPOST) != (t.c_oflag & OPOST) || got.c_cc[VMIN] != t.c_cc[VMIN] ||
        got.c_cc[VTIME] != t.c_cc[VTIME])
        addRefused(refused, "raw mode");
    return result;
}

}  // namespace tolvane
