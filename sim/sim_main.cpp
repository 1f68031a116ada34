// tolvane-sim: a Tolvane transceiver on a pseudo-terminal, for demos, manual
// testing and the end-to-end tests. The radio model runs in real time; the
// pseudo-terminal is linked as <folder>/ports/COM<n>, where the panel finds
// its port number. Console commands on standard input change what a person
// at the radio would change.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "radio_model.h"
#include "sim_options.h"

namespace tolvane {
namespace {

using namespace sim;

volatile sig_atomic_t gStopSignal = 0;

void onStopSignal(int sig) {
    gStopSignal = sig;
}

const char* const kModeNames[] = {"?", "USB", "LSB", "AME", "CW"};
const char* const kAgcNames[] = {"?", "OFF", "SLOW", "MED", "FAST"};
const char* const kMeterNames[] = {"?", "Aud", "Line", "Patch", "FWD", "REF", "VSWR"};
const char* const kSourceNames[] = {"?", "MIC", "AUDIO2", "PATCH", "OFF/CW"};
const char* const kVoxNames[] = {"OFF", "VOICE", "DATA"};
const char* const kAmpNames[] = {"?", "off", "warming up", "standby", "operate"};
const char* const kTuneNames[] = {"?", "idle", "start of tune", "tuning", "tuned"};

const char* nameOf(const char* const* names, int count, int index) {
    return index >= 0 && index < count ? names[index] : "?";
}

std::string describe(const RadioModel& radio) {
    const RadioModel::State& s = radio.state;
    char buf[1024];
    char mhz[32] = "?";
    if (RadioModel::isValidFrequency(s.freq))
        std::snprintf(mhz, sizeof mhz, "%.5f", std::stod(s.freq) / 100000.0);
    char chan[16];
    if (s.channel >= 0) {
        std::snprintf(chan, sizeof chan, "C%02d", s.channel);
    } else {
        std::snprintf(chan, sizeof chan, "VFO");
    }
    std::snprintf(buf, sizeof buf,
                  "firmware %s, %s control%s, %s\n"
                  "  F%s (%s MHz)  M%d %s  A%d %s  D%d %s  J%02d  channel %s\n"
                  "  H%d %s  \"%d %s audio  '%d PTT %s  (%d speaker %s  I%d  S%d  V%d %s\n"
                  "  B%s  G%s  O%d amp %s  T%d %s  Z%d%s\n",
                  firmwareName(radio.firmware()), s.remote ? "remote" : "local",
                  s.silent ? ", silent" : "", s.keyed ? "transmitting (K)" : "receiving (U)",
                  s.freq.c_str(), mhz, s.mode, nameOf(kModeNames, 5, s.mode), s.agc,
                  nameOf(kAgcNames, 5, s.agc), s.meter, nameOf(kMeterNames, 7, s.meter),
                  std::clamp(s.meterReading, 0, 99), chan, s.source,
                  nameOf(kSourceNames, 5, s.source), s.routing, s.routing ? "local" : "remote",
                  s.pttEnable, s.pttEnable ? "enabled" : "disabled", s.speaker,
                  s.speaker ? "on" : "off", s.clip, s.sidetone, s.vox, nameOf(kVoxNames, 3, s.vox),
                  s.bfo.c_str(), s.rfGain.c_str(), s.amp, nameOf(kAmpNames, 5, s.amp), s.ampTune,
                  nameOf(kTuneNames, 5, s.ampTune), s.fault, s.fault ? " FAULT" : "");
    return buf;
}

void say(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// The pseudo-terminal and its link in the ports folder.
class PtyLink {
  public:
    ~PtyLink() { release(); }

    bool open(const Options& opt, std::string& error) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        const char* name = ptsname(master_);
        if (name == nullptr) {
            error = std::string("ptsname: ") + std::strerror(errno);
            return false;
        }
        slavePath_ = name;
        // Our own slave descriptor keeps the line alive (no hang-up on the
        // master) while no panel has it open, and keeps the raw settings.
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
        if (slave_ < 0) {
            error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
            return false;
        }
        termios tio{};
        if (tcgetattr(slave_, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetispeed(&tio, B9600);
            cfsetospeed(&tio, B9600);
            tcsetattr(slave_, TCSANOW, &tio);
        }
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

        const std::string ports = opt.folder + "/ports";
        for (const std::string& dir : {opt.folder, ports}) {
            if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
                error = "cannot create " + dir + ": " + std::strerror(errno);
                return false;
            }
        }
        linkPath_ = ports + "/COM" + std::to_string(opt.port);
        struct stat st {};
        if (::lstat(linkPath_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = linkPath_ + " exists and is not a link; not replacing it";
                linkPath_.clear();
                return false;
            }
            ::unlink(linkPath_.c_str());  // a stale link of an earlier run
        }
        if (::symlink(slavePath_.c_str(), linkPath_.c_str()) != 0) {
            error = "cannot link " + linkPath_ + ": " + std::strerror(errno);
            linkPath_.clear();
            return false;
        }
        return true;
    }

    // Removes the link when it is still ours.
    void release() {
        if (!linkPath_.empty()) {
            char target[4096];
            const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
            if (n > 0 && std::string_view(target, static_cast<std::size_t>(n)) == slavePath_)
                ::unlink(linkPath_.c_str());
            linkPath_.clear();
        }
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = master_ = -1;
    }

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

class Simulator {
  public:
    Simulator(const Options& opt, PtyLink& pty)
        : radio_(opt.firmware), pty_(pty), trace_(opt.trace), start_(SteadyClock::now()) {
        radio_.state.remote = !opt.local;
        radio_.warmupSeconds = opt.warmup;
        radio_.tuneStepSeconds = opt.tuneStep;
        radio_.setCommandLogLines(static_cast<std::size_t>(opt.logLines));
    }

    int run() {
        std::vector<std::pair<double, char>> due;
        std::string input;
        sigset_t waitMask;
        sigprocmask(SIG_SETMASK, nullptr, &waitMask);
        sigdelset(&waitMask, SIGTERM);
        sigdelset(&waitMask, SIGINT);
        sigdelset(&waitMask, SIGHUP);
        while (gStopSignal == 0 && !quit_) {
            double now = elapsed();
            animateMeter(now);
            if (babble_ && now >= nextBabble_) {
                radio_.say(junkLine(), now);
                nextBabble_ = now + 0.2;
            }
            due.clear();
            radio_.produce(now, due);
            send(due);

            double next = radio_.nextOutput();
            if (babble_) next = std::min(next, nextBabble_);
            const double wait = std::clamp(next - now, 0.0, 0.5);
            timespec ts{};
            ts.tv_sec = static_cast<time_t>(wait);
            ts.tv_nsec = static_cast<long>((wait - static_cast<double>(ts.tv_sec)) * 1e9);
            pollfd fds[2] = {{pty_.master(), POLLIN, 0}, {stdinOpen_ ? 0 : -1, POLLIN, 0}};
            const int r = ppoll(fds, 2, &ts, &waitMask);
            if (r < 0) {
                if (errno != EINTR) pause(0.05);
                continue;
            }
            if (fds[0].revents & POLLIN) {
                char buf[4096];
                const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
                if (n > 0) {
                    followLineSpeed();  // the answer goes out at the speed set now
                    const std::size_t before = radio_.commandsTaken();
                    radio_.received(std::string_view(buf, static_cast<std::size_t>(n)), elapsed());
                    traceCommands(before);
                } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                    pause(0.05);
                }
            } else if (fds[0].revents & (POLLHUP | POLLERR)) {
                pause(0.05);  // nobody on the line: wait without spinning
            }
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) readConsole(input);
        }
        return 0;
    }

    void banner() {
        char buf[512];
        std::snprintf(buf, sizeof buf,
                      "tolvane-sim: %s radio on %s linked as %s, %s control; type help for "
                      "commands\n",
                      firmwareName(radio_.firmware()), pty_.slavePath().c_str(),
                      pty_.linkPath().c_str(), radio_.state.remote ? "remote" : "local");
        say(buf);
    }

  private:
    using SteadyClock = std::chrono::steady_clock;

    double elapsed() const {
        return std::chrono::duration<double>(SteadyClock::now() - start_).count();
    }

    // The panel sets the line on the terminal; the radio follows it, so that
    // every line setting of the Port Setup dialog works. A pseudo-terminal
    // keeps the speed but not the character size or parity (the kernel holds
    // it at 8 bits without parity, and the panel's port layer accepts that on
    // a pseudo-terminal); the radio plays its own framing of 7 data bits, odd
    // parity and one stop bit in time: ten bits a character at that speed.
    void followLineSpeed() {
        termios tio{};
        if (tcgetattr(pty_.slave(), &tio) != 0) return;
        const int baud = baudOf(cfgetospeed(&tio));
        if (baud <= 0 || baud == baud_) return;
        baud_ = baud;
        radio_.charTime = kBitsPerCharacter / baud;
    }

    static int baudOf(speed_t code) {
        static constexpr std::pair<speed_t, int> kSpeeds[] = {
            {B300, 300},     {B600, 600},     {B1200, 1200},     {B1800, 1800},
            {B2400, 2400},   {B4800, 4800},   {B9600, 9600},     {B19200, 19200},
            {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
        };
        for (const auto& [c, baud] : kSpeeds)
            if (c == code) return baud;
        return 0;
    }

    static void pause(double seconds) {
        timespec ts{0, static_cast<long>(seconds * 1e9)};
        nanosleep(&ts, nullptr);
    }

    // Writes the due characters; what the line cannot take is lost, as on a
    // serial line with nobody listening.
    void send(const std::vector<std::pair<double, char>>& due) {
        if (due.empty()) return;
        std::string text;
        for (const auto& [at, c] : due) {
            (void)at;
            text.push_back(c);
        }
        std::size_t off = 0;
        while (off < text.size()) {
            const ssize_t n = ::write(pty_.master(), text.data() + off, text.size() - off);
            if (n <= 0) break;
            off += static_cast<std::size_t>(n);
        }
        if (!trace_) return;
        for (char c : text) {
            if (c != '\n') {
                traceLine_.push_back(c);
                continue;
            }
            say("  radio> " + traceLine_ + "\n");
            traceLine_.clear();
        }
    }

    // Prints the commands taken since `from` lines had been taken.
    void traceCommands(std::size_t from) {
        if (!trace_) return;
        const std::vector<std::string> seen = radio_.commandsSeen();
        const std::size_t fresh = std::min(radio_.commandsTaken() - from, seen.size());
        for (std::size_t i = seen.size() - fresh; i < seen.size(); ++i) {
            if (seen[i] == " ") continue;  // the local-mode heartbeat
            say("  panel> " + seen[i] + "\n");
        }
    }

    void animateMeter(double now) {
        if (meterHeld_) return;
        RadioModel::State& s = radio_.state;
        const double wobble = std::sin(now * 1.7) * 0.6 + std::sin(now * 4.3) * 0.4;
        // The panel's bar shows 0..21: keep the readings in that range.
        int base = 10;
        int swing = 6;
        if (s.keyed && s.meter == 4) {
            base = 17, swing = 3;
        } else if (s.keyed && s.meter == 5) {
            base = 3, swing = 2;
        } else if (s.keyed && s.meter == 6) {
            base = 5, swing = 2;
        } else if (s.meter >= 4) {
            base = 9, swing = 5;  // the S-meter while receiving
        } else if (s.meter == 2) {
            base = 12, swing = 3;
        }
        s.meterReading = std::clamp(base + static_cast<int>(std::lround(wobble * swing)), 0, 99);
    }

    std::string junkLine() {
        static constexpr std::string_view kJunk =
            "abcdefghijklmnopqrstuvwxyz0123456789;<=>@[]^_{|}~$%&+-/W";
        static constexpr std::string_view kReports = "FAMDHIOSVZ";
        std::uniform_int_distribution<int> pick(0, 9);
        std::string line;
        switch (pick(rng_)) {
            case 0:  // a report with a parity error
                line.push_back(kReports[static_cast<std::size_t>(pick(rng_))]);
                line += "1:4";
                break;
            case 1:
                line = ")";
                break;
            default: {
                std::uniform_int_distribution<std::size_t> ch(0, kJunk.size() - 1);
                const int len = 1 + pick(rng_);
                for (int i = 0; i < len; ++i) line.push_back(kJunk[ch(rng_)]);
            }
        }
        return line;
    }

    void readConsole(std::string& input) {
        char buf[1024];
        const ssize_t n = ::read(0, buf, sizeof buf);
        if (n <= 0) {
            if (n == 0 || (errno != EINTR && errno != EAGAIN)) stdinOpen_ = false;
            return;
        }
        input.append(buf, static_cast<std::size_t>(n));
        std::size_t lf;
        while ((lf = input.find('\n')) != std::string::npos) {
            std::string line = input.substr(0, lf);
            input.erase(0, lf + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            console(line);
        }
        if (input.size() > 4096) input.clear();
    }

    void console(const std::string& line) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) return;
        const std::size_t end = line.find_first_of(" \t", first);
        const std::string word = line.substr(first, end - first);
        std::string rest;
        if (end != std::string::npos) {
            const std::size_t r = line.find_first_not_of(" \t", end);
            if (r != std::string::npos) rest = line.substr(r);
        }
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
        const double now = elapsed();
        RadioModel::State& s = radio_.state;
        int value = 0;

        if (word == "help") {
            say(kConsoleHelp);
        } else if (word == "local") {
            radio_.setRemote(false, now);
            say("local control: R0 reported, settings ignored\n");
        } else if (word == "remote") {
            radio_.setRemote(true, now);
            say("remote control: R1 reported\n");
        } else if (word == "silent") {
            radio_.setSilent(true);
            say("silent: the radio answers nothing\n");
        } else if (word == "talk") {
            radio_.setSilent(false);
            say("talking: the radio answers again\n");
        } else if (word == "fault" && parseNumber(rest, 0, 99, value)) {
            radio_.raiseFault(value, now);
            say("fault: Z" + std::to_string(value) + " reported\n");
        } else if (word == "clear" && rest.empty()) {
            radio_.clearFault(now);
            say("fault cleared: Z0 reported\n");
        } else if (word == "freq" && RadioModel::isValidFrequency(rest)) {
            radio_.setFrequency(rest, now);
            say("tuned: F" + rest + " reported\n");
        } else if (word == "say" && !rest.empty()) {
            radio_.say(rest, now);
            say("said: " + rest + "\n");
        } else if (word == "meter" && rest == "auto") {
            meterHeld_ = false;
            say("meter: moving\n");
        } else if (word == "meter" && parseNumber(rest, 0, 99, value)) {
            meterHeld_ = true;
            s.meterReading = value;
            say("meter: held at J" + std::string(value < 10 ? "0" : "") + std::to_string(value) +
                "\n");
        } else if (word == "state") {
            say(describe(radio_));
        } else if (word == "babble") {
            babble_ = !babble_;
            nextBabble_ = now;
            say(babble_ ? "babble on\n" : "babble off\n");
        } else if (word == "trace") {
            trace_ = !trace_;
            say(trace_ ? "trace on\n" : "trace off\n");
        } else if (word == "quit" || word == "exit") {
            say("stopping\n");
            quit_ = true;
        } else if (word == "fault" || word == "freq" || word == "say" || word == "meter" ||
                   word == "clear") {
            say("bad value for " + word + "; type help\n");
        } else {
            say("unknown command \"" + word + "\"; type help\n");
        }
    }

    static constexpr double kBitsPerCharacter = 10.0;  // start, 7 data, parity, stop
    RadioModel radio_;
    PtyLink& pty_;
    int baud_ = 9600;
    bool trace_;
    SteadyClock::time_point start_;
    bool stdinOpen_ = true;
    bool quit_ = false;
    bool babble_ = false;
    bool meterHeld_ = false;
    double nextBabble_ = 0.0;
    std::string traceLine_;
    std::minstd_rand rng_{20240601u};
};

}  // namespace
}  // namespace tolvane

int main(int argc, char** argv) {
    using namespace tolvane;
    Options opt;
    const int rc = parseOptions(argc, argv, opt);
    if (rc >= 0) return rc;

    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // The stop signals are taken only while the loop waits (ppoll), so none is lost.
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, nullptr);

    PtyLink pty;
    std::string error;
    if (!pty.open(opt, error)) {
        std::fprintf(stderr, "tolvane-sim: %s\n", error.c_str());
        return 1;
    }
    Simulator sim(opt, pty);
    sim.banner();
    const int code = sim.run();
    pty.release();
    return code;
}
