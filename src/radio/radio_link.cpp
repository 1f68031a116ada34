// Transport, port event handler, reader and report parser of the radio link.
#include "radio/radio_link.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "radio/errors.h"
#include "radio/protocol.h"

namespace tolvane {

using protocol::kLF;

RadioLink::RadioLink(SerialPort& port, Clock& clock, RadioPanel& panel, RadioState& state)
    : port_(port), clock_(clock), panel_(panel), st_(state) {}

// ---------------------------------------------------------------- transport

void RadioLink::Delay(double seconds) {
    delayOn(clock_, seconds);
}

void RadioLink::SendRadioCmd(std::string_view command, bool newline, double pause) {
    panel_.setLamp(Lamp::Red);
    // Let the transmit buffer drain: at most ten 10 ms polls.
    int i = 0;
    for (;;) {
        int waiting = 0;
        try {
            waiting = port_.outBufferCount();
        } catch (const PortError&) {
            waiting = 0;  // a closed port loses the command silently below
        }
        if (waiting == 0 || i >= 10) break;
        ++i;
        Delay(0.01);
    }
    if (i >= 10) return;  // stuck: the command is dropped and the lamp stays red
    std::string text(command);
    if (newline) text.push_back(kLF);
    try {
        port_.write(text);
    } catch (const PortError&) {
    }
    if (pause != 0) Delay(pause);
    panel_.setLamp(Lamp::Idle);
}

void RadioLink::writeDirect(std::string_view text) {
    port_.write(text);
}

void RadioLink::ReportError(const std::string& message) {
    panel_.reportError(message);
}

namespace {
// What a path that is not a regular file names, for the information line.
const char* fileKind(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a plain file";
}
}  // namespace

bool RadioLink::fileExists(const std::string& path) {
    ReportError("");
    // Only a regular file is a settings file. Anything else is never opened:
    // a FIFO would block the open until a writer came, and a device may be a
    // serial port whose lines an open would raise.
    struct stat sb {};
    int err = ::stat(path.c_str(), &sb) == 0 ? 0 : errno;
    std::string why;
    if (err == 0 && S_ISDIR(sb.st_mode)) {
        err = EISDIR;
    } else if (err == 0 && !S_ISREG(sb.st_mode)) {
        err = EINVAL;
        why = std::string("Not a regular file (") + fileKind(sb.st_mode) + "), treated as missing";
        notRegularFiles.push_back(path);
    } else if (err == 0) {
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) err = errno;
        if (fd >= 0 && ::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
    }
    if (err == 0) return true;
    if (why.empty()) why = std::strerror(err);
    ReportError("fileExists(" + path + "): Err " + std::to_string(err) + ". " + why);
    return false;
}

void RadioLink::linkStatus(mapping::LinkStatus status) {
    st_.gLinkStatus = status;
    panel_.setComStat(status);
}

void RadioLink::MSComm1_OnComm(int event) {
    if (recordLineError(comm1, event)) {
        linkStatus(mapping::LinkStatus::ComError);
        return;
    }
    switch (event) {
        case comm::kErBreak:
            st_.gRadioBreak = true;
            break;
        case comm::kEvCd:
            comm1.EvCD = port_.cdHolding();
            break;
        case comm::kEvCts:
            comm1.EvCTS = port_.ctsHolding();
            break;
        case comm::kEvDsr: {
            bool dsr = port_.dsrHolding();
            comm1.EvDSR = dsr;
            st_.gExtPttIdle = !st_.gExtPttEnabled || dsr;
            break;
        }
        default:
            break;
    }
}

// ------------------------------------------------------------------- reader

double RadioLink::readLimitFor(std::string_view settings) {
    std::optional<LineSettings> line = parseLineSettings(settings);
    if (!line) return kReadLimit;
    return kReadLimit + kLongestStatus * bitsPerCharacter(*line) / static_cast<double>(line->baud);
}

void RadioLink::ReadRadio() {
    panel_.setLamp(Lamp::Green);
    double t0 = clock_.now();
    st_.gRadioInput.clear();
    st_.gRadioHeard = false;

    // Wait up to 0.8 s for the first character. A closed port is a silent
    // radio: nothing can arrive, but the wait takes its time all the same,
    // so that a caller that asks again until an answer comes does not spin.
    auto waiting = [this] { return port_.isOpen() ? port_.inBufferCount() : 0; };
    for (;;) {
        double now = clock_.now();
        t0 = midnightCorrected(t0, now);
        double left = 0.8 - (now - t0);
        if (left <= 0.0 || waiting() != 0) break;
        clock_.idle(left, &port_);
    }
    if (waiting() < 1) {
        st_.gRadioHeard = false;
        linkStatus(mapping::LinkStatus::NoCom);
        panel_.setLamp(Lamp::Idle);
        return;
    }

    // Take the answer once the line has been quiet for 60 ms, but no later
    // than the read limit after the first character: a radio that never
    // stops talking must not hold the reader.
    const double limit = readLimitFor(port_.settingsText());
    int n = port_.inBufferCount();
    double t = clock_.now();
    double first = t;
    for (;;) {
        double now = clock_.now();
        t = midnightCorrected(t, now);
        first = midnightCorrected(first, now);
        if (now - t >= 0.06 || now - first >= limit) break;
        int count = port_.inBufferCount();
        if (count > n) {
            t = now;
            n = count;
            continue;
        }
        double left = std::min(0.06 - (now - t), limit - (now - first));
        clock_.idle(left, &port_);
    }

    st_.gRadioInput = port_.input();
    port_.clearInput();
    st_.gRadioHeard = true;
    if (!st_.gRadioInput.empty()) {
        linkStatus(mapping::LinkStatus::ComOk);
        st_.gHashSeen = false;
        st_.gDotSeen = false;
        ParseRadioInput(st_.gRadioInput);
        st_.gFullStatus = st_.gHashSeen && st_.gDotSeen;
    }
    panel_.setLamp(Lamp::Idle);
}

void RadioLink::ReadRadioNoWait() {
    if (!port_.isOpen()) return;
    std::string text = port_.input();
    port_.clearInput();
    if (!text.empty()) ParseRadioInput(text);
}

void RadioLink::ParseRadioInput(std::string& text) {
    const size_t len = text.size();
    size_t pos = 0;  // 0-based start of the current line
    // A line needs at least two characters of text after `pos` to be taken.
    while (pos + 1 < len) {
        size_t p = text.find(kLF, pos);
        if (p == std::string::npos) break;  // an incomplete last line is dropped
        if (p > pos) {
            text[p] = '<';
            std::string_view line(text.data() + pos, p - pos);
            if (line.find(':') == std::string_view::npos) {
                char letter = line[0];
                switch (letter) {
                    case 'J':
                        panel_.displayMeterData(std::string(line));
                        st_.gMeterDataNew = true;
                        break;
                    case 'F':
                        st_.gFreqReportOk = protocol::isFreqReport(line);
                        st_.gFreqReport = protocol::fitField(line, 8);
                        st_.gFreqReportNew = true;
                        break;
                    case 'U':
                        st_.gSyncReply = true;
                        st_.gRadioKeyed = false;
                        break;
                    case 'K':
                        st_.gSyncReply = true;
                        st_.gRadioKeyed = true;
                        break;
                    case '!':
                        st_.gExclSeen = true;
                        break;
                    case '#':
                        st_.gHashSeen = true;
                        break;
                    case '.':
                        st_.gDotSeen = true;
                        break;
                    case 'Q':
                        st_.gQSeen = true;
                        if (line.size() > 1 && line[1] == 'T')
                            st_.gQtReport = protocol::fitField(line, 3);
                        else if (line.size() > 1 && line[1] == 'C')
                            st_.gQcReport = protocol::fitField(line, 3);
                        break;
                    default:
                        if (const protocol::ReportField* f = protocol::findReportField(letter)) {
                            st_.*(f->value) = protocol::fitField(line, f->width);
                            st_.*(f->changed) = true;
                        }
                        break;
                }
            }
        }
        pos = p + 1;
    }
    if (panel_.dataBoxShown()) panel_.setDataBox(text);
}

// ------------------------------------------------------------ sync heartbeat

void RadioLink::gSendSync(const std::string& c) {
    try {
        panel_.setLamp(Lamp::Yellow);
        double now = clock_.now();
        if (st_.gSyncTime == 0) st_.gSyncTime = now;
        if (st_.gLastSync.empty()) st_.gLastSync = c;
        double elapsed = now - st_.gSyncTime;
        bool due = (c == "K" && st_.gLastSync == "U") || (c == "U" && st_.gLastSync == "K") ||
                   elapsed > 2.0;
        if (due) {
            SendRadioCmd(c, false, 0.2);
            st_.gLastSync = c;
            st_.gSyncTime = clock_.now();
            if (st_.gSyncMissCount < 32767) ++st_.gSyncMissCount;
            panel_.setSyncCaption(c);
            panel_.setSyncColour(colour::kWhite);
        } else if (elapsed > 1.0) {
            panel_.setSyncCaption("");
        } else {
            st_.gSyncTime = midnightCorrected(st_.gSyncTime, now);
        }
        panel_.setLamp(Lamp::Idle);
    } catch (const std::exception& e) {
        ReportError("gSendSync: Err " + errText(e));
    }
}

}  // namespace tolvane
