// Shared pieces of the benchmark programs: locating the panel and the
// simulator, child processes that are always stopped again, a temporary
// working folder, the simulator's trace with a read time per line, and the
// figures the kernel keeps per process (/proc). Plain POSIX; one thread.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::bench {

using Clock = std::chrono::steady_clock;

inline double secondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// --- interruption: Ctrl-C, SIGTERM or the program's own time limit ---

inline volatile sig_atomic_t gStopSignal = 0;
constexpr int kMaxChildren = 8;
inline volatile pid_t gChildPids[kMaxChildren] = {};

struct Interrupted : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline void onStopSignal(int sig) {
    gStopSignal = sig;
    // Only async-signal-safe work here: the children get SIGTERM at once,
    // the rest of the cleanup runs as the stack unwinds.
    for (int i = 0; i < kMaxChildren; ++i) {
        const pid_t pid = gChildPids[i];
        if (pid > 0) ::kill(pid, SIGTERM);
    }
}

// Installs the stop handlers and a time limit for the whole program.
inline void installStopHandlers(unsigned timeLimitSeconds) {
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGALRM}) sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    ::alarm(timeLimitSeconds);
}

inline void checkInterrupted() {
    if (gStopSignal == 0) return;
    throw Interrupted(gStopSignal == SIGALRM ? "the benchmark's time limit was reached"
                                             : "interrupted by a signal");
}

inline void sleepSeconds(double seconds) {
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(std::max(0.0, seconds)));
    for (;;) {
        checkInterrupted();
        const double left = secondsBetween(Clock::now(), end);
        if (left <= 0.0) return;
        const double slice = std::min(left, 0.05);
        timespec ts{0, static_cast<long>(slice * 1e9)};
        nanosleep(&ts, nullptr);
    }
}

// --- command line ---

// Reads "--name N" as a whole number in [lo, hi]; returns false when the
// argument at i is not this option. Throws on a bad value.
inline bool intOption(int argc, char** argv, int& i, const char* name, int lo, int hi, int& value) {
    if (std::strcmp(argv[i], name) != 0) return false;
    if (i + 1 >= argc) throw std::runtime_error(std::string(name) + " needs a value");
    const std::string text = argv[++i];
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        throw std::runtime_error(std::string(name) + " wants a whole number from " +
                                 std::to_string(lo) + " to " + std::to_string(hi) + ", not \"" +
                                 text + "\"");
    value = static_cast<int>(v);
    return true;
}

// --- the programs under test ---

struct Binaries {
    std::string panel;
    std::string sim;
};

inline std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// TOLVANE_BUILD_DIR first, else the folder this benchmark runs from.
inline Binaries locateBinaries(const char* argv0) {
    std::string dir;
    const char* env = std::getenv("TOLVANE_BUILD_DIR");
    if (env != nullptr && *env != '\0') {
        dir = env;
    } else {
        char self[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        dir = folderOf(n > 0 ? std::string(self, static_cast<std::size_t>(n))
                             : std::string(argv0 != nullptr ? argv0 : "."));
    }
    Binaries b{dir + "/tolvane", dir + "/tolvane-sim"};
    for (const std::string* path : {&b.panel, &b.sim}) {
        if (::access(path->c_str(), X_OK) != 0) {
            throw std::runtime_error(
                "cannot run " + *path + " (" + std::strerror(errno) +
                "); build it with `cmake --build <build dir> --target tolvane tolvane-sim`, "
                "or point TOLVANE_BUILD_DIR at the folder that holds it");
        }
    }
    return b;
}

// --- files and folders ---

class TempDir {
  public:
    TempDir() {
        char name[] = "/tmp/tolvane-bench-XXXXXX";
        if (::mkdtemp(name) == nullptr)
            throw std::runtime_error(std::string("cannot make a temporary folder: ") +
                                     std::strerror(errno));
        path_ = name;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The last `count` lines of a text, for error messages.
inline std::string tailLines(const std::string& text, int count) {
    std::size_t pos = text.size();
    if (pos > 0 && text[pos - 1] == '\n') --pos;
    for (int i = 0; i < count && pos > 0; ++i) {
        pos = text.rfind('\n', pos - 1);
        if (pos == std::string::npos) return text;
    }
    return text.substr(pos + 1);
}

// --- child processes ---

struct ChildOptions {
    std::string program;
    std::vector<std::string> args;
    std::string workdir;                // empty: the benchmark's own
    std::vector<std::string> extraEnv;  // "NAME=value"
    bool pipeStdin = false;
    bool pipeStdout = false;  // stdout and stderr into one pipe
    std::string logPath;      // else stdout and stderr into this file (or /dev/null)
};

class Child {
  public:
    Child() = default;
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void start(const ChildOptions& opts) {
        if (pid_ > 0) throw std::logic_error("child already running");
        std::vector<std::string> argStore{opts.program};
        argStore.insert(argStore.end(), opts.args.begin(), opts.args.end());
        std::vector<char*> argv;
        for (std::string& a : argStore) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStore;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string_view entry(*e);
            const bool replaced =
                std::any_of(opts.extraEnv.begin(), opts.extraEnv.end(), [&](const std::string& x) {
                    return entry.substr(0, entry.find('=') + 1) == x.substr(0, x.find('=') + 1);
                });
            if (!replaced) envStore.emplace_back(entry);
        }
        envStore.insert(envStore.end(), opts.extraEnv.begin(), opts.extraEnv.end());
        std::vector<char*> envp;
        for (std::string& e : envStore) envp.push_back(e.data());
        envp.push_back(nullptr);

        int in[2] = {-1, -1}, out[2] = {-1, -1}, status[2] = {-1, -1};
        if ((opts.pipeStdin && ::pipe2(in, O_CLOEXEC) != 0) ||
            (opts.pipeStdout && ::pipe2(out, O_CLOEXEC) != 0) || ::pipe2(status, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        const int logFd = opts.pipeStdout
                              ? -1
                              : ::open(opts.logPath.empty() ? "/dev/null" : opts.logPath.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
        if (pid == 0) {
            // The child ends with the benchmark, however the benchmark ends.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(127);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            const int devNull = ::open("/dev/null", O_RDWR);
            ::dup2(opts.pipeStdin ? in[0] : devNull, 0);
            const int outFd = opts.pipeStdout ? out[1] : (logFd >= 0 ? logFd : devNull);
            ::dup2(outFd, 1);
            ::dup2(outFd, 2);
            if (!opts.workdir.empty() && ::chdir(opts.workdir.c_str()) != 0) {
                const int err = errno;
                (void)!::write(status[1], &err, sizeof err);
                ::_exit(127);
            }
            ::execve(opts.program.c_str(), argv.data(), envp.data());
            const int err = errno;
            (void)!::write(status[1], &err, sizeof err);
            ::_exit(127);
        }
        pid_ = pid;
        registerPid(pid);
        for (int fd : {in[0], out[1], status[1], logFd})
            if (fd >= 0) ::close(fd);
        int err = 0;
        ssize_t n;
        do {
            n = ::read(status[0], &err, sizeof err);
        } while (n < 0 && errno == EINTR);
        ::close(status[0]);
        stdin_ = in[1];
        stdout_ = out[0];
        if (stdout_ >= 0) ::fcntl(stdout_, F_SETFL, ::fcntl(stdout_, F_GETFL) | O_NONBLOCK);
        if (n == static_cast<ssize_t>(sizeof err)) {
            stop();
            throw std::runtime_error("cannot start " + opts.program + ": " + std::strerror(err));
        }
    }

    // SIGTERM, then up to three seconds for the child to end, then SIGKILL.
    void stop() {
        if (stdin_ >= 0) ::close(stdin_);
        stdin_ = -1;
        if (pid_ > 0) {
            if (!exited_) {
                ::kill(pid_, SIGTERM);
                const Clock::time_point end = Clock::now() + std::chrono::seconds(3);
                while (!reap() && Clock::now() < end) {
                    timespec ts{0, 20'000'000};
                    nanosleep(&ts, nullptr);
                }
                if (!exited_) {
                    ::kill(pid_, SIGKILL);
                    int st = 0;
                    while (::waitpid(pid_, &st, 0) < 0 && errno == EINTR) {
                    }
                    exited_ = true;
                }
            }
            unregisterPid(pid_);
        }
        if (stdout_ >= 0) ::close(stdout_);
        stdout_ = -1;
        pid_ = -1;
        exited_ = false;
    }

    bool running() { return pid_ > 0 && !reap(); }
    pid_t pid() const { return pid_; }
    int stdinFd() const { return stdin_; }
    int stdoutFd() const { return stdout_; }

    void send(const std::string& text) {
        if (stdin_ < 0 ||
            ::write(stdin_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("cannot write to the child's standard input");
    }

  private:
    // True once the child has ended (and is reaped).
    bool reap() {
        if (exited_) return true;
        int st = 0;
        const pid_t r = ::waitpid(pid_, &st, WNOHANG);
        if (r == pid_ || (r < 0 && errno == ECHILD)) exited_ = true;
        return exited_;
    }
    static void registerPid(pid_t pid) {
        for (int i = 0; i < kMaxChildren; ++i) {
            if (gChildPids[i] <= 0) {
                gChildPids[i] = pid;
                return;
            }
        }
    }
    static void unregisterPid(pid_t pid) {
        for (int i = 0; i < kMaxChildren; ++i)
            if (gChildPids[i] == pid) gChildPids[i] = 0;
    }

    pid_t pid_ = -1;
    bool exited_ = false;
    int stdin_ = -1;
    int stdout_ = -1;
};

// --- the simulator's trace ---

struct TraceLine {
    Clock::time_point readAt;
    std::string text;
};

// Lines read from a pipe, each stamped with the moment it was read.
class TraceReader {
  public:
    void attach(int fd) { fd_ = fd; }

    // Reads what is there, waiting at most `timeoutMs` for the first byte.
    void pump(int timeoutMs) {
        if (fd_ < 0) {
            sleepSeconds(timeoutMs / 1000.0);
            return;
        }
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r <= 0) return;
        const Clock::time_point now = Clock::now();
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                if (n == 0) fd_ = -1;  // the simulator has gone
                break;
            }
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == '\n') {
                    lines_.push_back({now, partial_});
                    partial_.clear();
                } else {
                    partial_.push_back(buf[i]);
                }
            }
        }
    }

    // Index of the first line from `from` on that contains `needle`, or -1
    // after `timeoutSeconds`.
    int waitFor(std::string_view needle, double timeoutSeconds, int from = 0) {
        const Clock::time_point end =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(timeoutSeconds * 1000));
        for (;;) {
            checkInterrupted();
            for (int i = std::max(from, 0); i < size(); ++i)
                if (lines_[static_cast<std::size_t>(i)].text.find(needle) != std::string::npos)
                    return i;
            from = std::max(from, size());
            const double left = secondsBetween(Clock::now(), end);
            if (left <= 0.0) return -1;
            pump(static_cast<int>(std::min(left, 0.1) * 1000) + 1);
        }
    }

    int size() const { return static_cast<int>(lines_.size()); }
    const TraceLine& line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }

    std::string tail(int count) const {
        std::string text;
        for (int i = std::max(0, size() - count); i < size(); ++i)
            text += "    " + lines_[static_cast<std::size_t>(i)].text + "\n";
        return text;
    }

  private:
    int fd_ = -1;
    std::string partial_;
    std::vector<TraceLine> lines_;
};

// --- a working folder with the simulator and the panel ---

inline const char* const kPortSetup = "1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n";
inline const char* const kCatSetup = "2\r\n9600,N,8,1\r\ncomNone\r\nKenwood\r\n";

// Members are stopped in reverse order: the panel first, then the
// simulator, and last the folder is removed.
class Bench {
  public:
    explicit Bench(Binaries bins) : bins_(std::move(bins)) {
        writeFile(dir_.file("PortSetup.txt"), kPortSetup);
        if (::mkdir(dir_.file("ports").c_str(), 0755) != 0)
            throw std::runtime_error("cannot make " + dir_.file("ports"));
        const std::string runtime = dir_.file("runtime");
        if (::mkdir(runtime.c_str(), 0700) != 0) throw std::runtime_error("cannot make " + runtime);
    }

    const TempDir& dir() const { return dir_; }
    TraceReader& trace() { return trace_; }
    Child& sim() { return sim_; }
    Child& panel() { return panel_; }

    // Starts the simulator and waits until it has linked ports/COM1.
    void startSim(const std::string& firmware, bool local) {
        ChildOptions opts;
        opts.program = bins_.sim;
        opts.args = {"--folder", dir_.path(), "--port", "1", "--firmware", firmware, "--trace"};
        if (local) opts.args.push_back("--local");
        opts.pipeStdin = true;
        opts.pipeStdout = true;
        sim_.start(opts);
        trace_.attach(sim_.stdoutFd());
        if (trace_.waitFor("tolvane-sim:", 5.0) < 0 || !sim_.running())
            fail("the simulator did not start");
        struct stat st {};
        if (::lstat(dir_.file("ports/COM1").c_str(), &st) != 0)
            fail("the simulator did not link ports/COM1");
    }

    // Starts the panel in the working folder, without a screen (or another
    // program that plays the panel, with its arguments).
    void startPanel(const std::string& program = {}, std::vector<std::string> args = {}) {
        ChildOptions opts;
        opts.program = program.empty() ? bins_.panel : program;
        opts.args = std::move(args);
        opts.workdir = dir_.path();
        opts.extraEnv = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + dir_.file("runtime")};
        opts.logPath = dir_.file("panel.log");
        panel_.start(opts);
    }

    // Waits for a trace line; on time-out explains what was seen.
    int expect(std::string_view needle, double timeoutSeconds, int from = 0) {
        const int at = trace_.waitFor(needle, timeoutSeconds, from);
        if (at < 0)
            fail("no \"" + std::string(needle) + "\" in the simulator trace within " +
                 std::to_string(static_cast<int>(timeoutSeconds)) + " s");
        return at;
    }

    // Waits until every status request "?" has got its complete answer
    // (the report ".") and the panel has sent nothing for `quietSeconds`.
    void waitStatusAnswered(double quietSeconds, double timeoutSeconds) {
        expect("panel> ?", timeoutSeconds);
        const Clock::time_point end =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(timeoutSeconds * 1000));
        for (;;) {
            checkInterrupted();
            trace_.pump(50);
            int lastCommand = -1, lastQuery = -1, lastAnswer = -1;
            for (int i = 0; i < trace_.size(); ++i) {
                const std::string& t = trace_.line(i).text;
                if (t.rfind("  panel> ", 0) == 0) lastCommand = i;
                if (t == "  panel> ?") lastQuery = i;
                if (t == "  radio> .") lastAnswer = i;
            }
            const bool answered = lastQuery >= 0 && lastAnswer > lastQuery;
            const double quiet =
                lastCommand < 0 ? 0.0
                                : secondsBetween(trace_.line(lastCommand).readAt, Clock::now());
            if (answered && quiet >= quietSeconds) return;
            if (Clock::now() >= end) fail("the panel's status requests did not settle");
            if (!panel_.running()) fail("the panel ended");
        }
    }

    [[noreturn]] void fail(const std::string& what) {
        std::string msg = what;
        if (sim_.pid() > 0) msg += "\n  simulator trace (last lines):\n" + trace_.tail(12);
        const std::string log = readFile(dir_.file("panel.log"));
        if (!log.empty()) msg += "  panel output (last lines):\n" + tailLines(log, 8) + "\n";
        throw std::runtime_error(msg);
    }

  private:
    Binaries bins_;
    TempDir dir_;
    TraceReader trace_;
    Child sim_;
    Child panel_;
};

// The station software's end of the CAT line.
class CatLine {
  public:
    explicit CatLine(const std::string& linkPath) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error(std::string("cannot make a pseudo-terminal: ") +
                                     std::strerror(errno));
        const char* slave = ::ptsname(master_);
        if (slave == nullptr) throw std::runtime_error("ptsname failed");
        termios tio{};
        if (::tcgetattr(master_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(master_, TCSANOW, &tio);
        }
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        if (::symlink(slave, linkPath.c_str()) != 0)
            throw std::runtime_error("cannot link " + linkPath + ": " + std::strerror(errno));
    }
    ~CatLine() {
        if (master_ >= 0) ::close(master_);
    }
    CatLine(const CatLine&) = delete;
    CatLine& operator=(const CatLine&) = delete;

    void write(const std::string& text) {
        std::size_t off = 0;
        const Clock::time_point end = Clock::now() + std::chrono::seconds(1);
        while (off < text.size()) {
            const ssize_t n = ::write(master_, text.data() + off, text.size() - off);
            if (n > 0) {
                off += static_cast<std::size_t>(n);
            } else if (Clock::now() > end) {
                throw std::runtime_error("cannot write to the CAT line");
            } else {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        }
    }

    // Reads what arrives within `timeoutMs`; returns the bytes (may be empty).
    std::string read(int timeoutMs) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return {};
        char buf[512];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
        if (p.revents & (POLLHUP | POLLERR)) {  // nobody holds the slave open
            timespec ts{0, static_cast<long>(std::min(timeoutMs, 20)) * 1'000'000L};
            nanosleep(&ts, nullptr);
        }
        return {};
    }

    // Discards whatever arrives during `seconds`; returns the byte count.
    std::size_t drain(double seconds) {
        std::size_t bytes = 0;
        const Clock::time_point end =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
        do {
            bytes += read(seconds > 0 ? 10 : 0).size();
        } while (Clock::now() < end);
        return bytes;
    }

  private:
    int master_ = -1;
};

// --- what the kernel knows about a process ---

// utime + stime in clock ticks, all threads of the process.
inline long long cpuTicks(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t paren = stat.rfind(')');
    if (paren == std::string::npos) throw std::runtime_error("cannot read /proc/<pid>/stat");
    std::istringstream in(stat.substr(paren + 1));
    std::vector<std::string> fields;  // fields[0] is field 3 (state)
    std::string f;
    while (in >> f) fields.push_back(f);
    if (fields.size() < 13) throw std::runtime_error("short /proc/<pid>/stat");
    return std::stoll(fields[11]) + std::stoll(fields[12]);  // fields 14 and 15
}

inline double ticksPerSecond() {
    const long t = ::sysconf(_SC_CLK_TCK);
    return t > 0 ? static_cast<double>(t) : 100.0;
}

// A "VmRSS:"-style line of /proc/<pid>/status in kB, or -1.
inline long statusKb(pid_t pid, const std::string& key) {
    std::istringstream in(readFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    }
    return -1;
}

// --- figures ---

// Nearest-rank percentile of sorted values, p in (0, 100].
inline double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0.0;
    const double rank = std::ceil(p / 100.0 * static_cast<double>(sorted.size()));
    const std::size_t i =
        static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(sorted.size())));
    return sorted[i - 1];
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// A benchmark's main: runs it and turns an error into a message and exit 1.
inline int benchMain(const char* name, int (*run)(int, char**), int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return 1;
    }
}

}  // namespace tolvane::bench
