// Idle CPU of the panel, as a share of one core, from the process's user
// and system time in /proc/<pid>/stat over a measuring window, in situations
// where the operator does nothing:
//   LOCAL   the radio under front-panel control, start-up settled;
//   NO PORT the configured radio port does not exist, the panel waits for
//           new port settings;
//   REMOTE  the radio under remote control, the sync heartbeat running;
//   and three with a modal window open while input keeps arriving:
//   ABOUT   REMOTE, then the About box opened from the menu's handler, with
//           the radio reporting a new frequency every second and station
//           software polling the CAT port five times a second (this program
//           plays the panel itself for that: an offscreen panel cannot be
//           clicked from outside);
//   PORT SETUP  the start-up Port Setup dialog (no PortSetup.txt), CAT port
//           polled;
//   SECOND COPY the second-instance message.
// After each modal situation a termination signal is sent: the figure says
// how long the panel took to end and whether it ran its close handler.
// Prints one line per situation; a situation that cannot be set up prints
// its reason and the others still run.
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/controller.h"
#include "app/real_shell.h"
#include "bench_support.h"
#include "panel/frm_tolvane.h"
#include "platform/clock.h"
#include "platform/instance_lock.h"
#include "platform/posix_serial_port.h"
#include "platform/termination.h"

namespace tolvane {
namespace {

// The panel program as main() builds it, which opens the About box from
// inside its yield once the bench has seen the REMOTE heartbeat, and leaves the
// file "about-open" in its folder when the box is up.
int panelWithAboutBox() {
    int argc = 1;
    char name[] = "tolvane";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    installTerminationSignals();
    InstanceLock lock(".");
    lock.acquire();
    PosixSerialPort radio(".");
    PosixSerialPort cat(".");
    RealClock clock;
    FrmTolvane form;
    RealShell shell(&form, radio, cat);
    Controller c(form, shell, clock, radio, cat);
    setTerminationHandler([&c] { c.form_queryUnload(0, 0); });
    QTimer watch;
    watch.setInterval(200);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // The bench asks for the box (file "open-about") once it has seen the
        // heartbeat on the line: a modal box opened from a yield of the
        // REMOTE initialisation would hold the initialisation up.
        if (::access("open-about", F_OK) != 0) return;
        if (c.state().ps.gControlMode != ControlMode::Remote ||
            c.stage() != Controller::Stage::Pass)
            return;
        watch.stop();
        QTimer::singleShot(100, [] { bench::writeFile("about-open", "open\n"); });
        // The menu entry, as the operator chooses it.
        form.findChild<QAction*>("mnuHelpAbout")->trigger();
    });
    watch.start();
    c.run();
    return 0;
}

}  // namespace
}  // namespace tolvane

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal <= 0.3%";
constexpr const char* kGoalRemote = "goal <= 0.25%";

struct CpuFigure {
    double percent = 0.0;
    double wallSeconds = 0.0;
    long long ticks = 0;
};

// `tick`, when given, runs about every 50 ms of the window (the input that
// keeps arriving); its own time is not the panel's.
CpuFigure measureCpu(Child& panel, double seconds, const std::function<void(double)>& tick = {}) {
    const pid_t pid = panel.pid();
    const long long t0 = cpuTicks(pid);
    const Clock::time_point w0 = Clock::now();
    if (!tick) sleepSeconds(seconds);
    for (double t = 0.0; tick && t < seconds; t = secondsBetween(w0, Clock::now())) {
        tick(t);
        sleepSeconds(std::min(0.05, seconds - t));
    }
    const long long t1 = cpuTicks(pid);
    const Clock::time_point w1 = Clock::now();
    if (!panel.running()) throw std::runtime_error("the panel ended during the measuring window");
    CpuFigure f;
    f.ticks = t1 - t0;
    f.wallSeconds = secondsBetween(w0, w1);
    f.percent = static_cast<double>(f.ticks) / ticksPerSecond() / f.wallSeconds * 100.0;
    return f;
}

// Serial devices the panel holds open (there should be none while it waits
// for port settings).
std::string openSerialDevices(pid_t pid) {
    std::string found;
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(fdDir, ec)) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(entry.path().c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        const std::string t(target, static_cast<std::size_t>(n));
        if (t.rfind("/dev/pts/", 0) == 0 || t.rfind("/dev/tty", 0) == 0)
            found += (found.empty() ? "" : ", ") + t;
    }
    return found;
}

CpuFigure localSituation(const Binaries& bins, double seconds) {
    Bench b(bins);
    b.startSim("v601", true);
    b.startPanel();
    b.waitStatusAnswered(3.0, 30.0);
    return measureCpu(b.panel(), seconds);
}

CpuFigure noPortSituation(const Binaries& bins, double seconds, std::string& note) {
    Bench b(bins);
    // Port 1 names a device that is not there. A dangling link keeps the
    // panel from falling back to a serial device of this machine.
    const std::string link = b.dir().file("ports/COM1");
    if (::symlink(b.dir().file("ports/no-such-device").c_str(), link.c_str()) != 0)
        throw std::runtime_error("cannot link " + link);
    b.startPanel();
    sleepSeconds(4.0);
    if (!b.panel().running()) b.fail("the panel ended while waiting for port settings");
    CpuFigure f = measureCpu(b.panel(), seconds);
    const std::string open = openSerialDevices(b.panel().pid());
    if (!open.empty()) note = " (note: the panel holds " + open + " open)";
    return f;
}

CpuFigure remoteSituation(const Binaries& bins, double seconds) {
    Bench b(bins);
    b.startSim("v601", false);
    b.startPanel();
    b.expect("panel> U", 40.0);
    sleepSeconds(3.0);
    return measureCpu(b.panel(), seconds);
}

std::string selfProgram() {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) throw std::runtime_error("cannot read /proc/self/exe");
    return std::string(self, static_cast<std::size_t>(n));
}

// Sends `sig` and waits up to 5 s for the process to end; the time it took.
std::string endWith(Child& panel, int sig, const char* name) {
    const Clock::time_point t0 = Clock::now();
    ::kill(panel.pid(), sig);
    while (panel.running() && secondsBetween(t0, Clock::now()) < 5.0) sleepSeconds(0.002);
    if (panel.running()) return std::string(name) + " not served within 5 s";
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s: ended after %.0f ms", name,
                  secondsBetween(t0, Clock::now()) * 1000.0);
    return buf;
}

// Station software polling the CAT port five times a second.
std::function<void(double)> catPolling(CatLine& cat) {
    auto next = std::make_shared<double>(0.0);
    return [&cat, next](double t) {
        if (t < *next) return;
        *next = t + 0.2;
        cat.write("FA;");
        cat.drain(0.0);
    };
}

CpuFigure aboutBoxSituation(const Binaries& bins, double seconds, std::string& note) {
    Bench b(bins);
    writeFile(b.dir().file("CATSetup.txt"), kCatSetup);
    CatLine cat(b.dir().file("ports/COM2"));
    b.startSim("v601", false);
    b.startPanel(selfProgram(), {"--as-panel-with-about-box"});
    b.expect("panel> U", 40.0);
    writeFile(b.dir().file("open-about"), "open\n");
    const std::string marker = b.dir().file("about-open");
    for (int i = 0; i < 300 && ::access(marker.c_str(), F_OK) != 0; ++i) sleepSeconds(0.1);
    if (::access(marker.c_str(), F_OK) != 0) b.fail("the About box did not open");
    sleepSeconds(2.0);
    const auto poll = catPolling(cat);
    double nextReport = 0.0;
    bool away = false;
    CpuFigure f = measureCpu(b.panel(), seconds, [&](double t) {
        poll(t);
        b.trace().pump(0);
        if (t < nextReport) return;
        nextReport = t + 1.0;
        away = !away;
        b.sim().send(away ? "freq 0710000\n" : "freq 1407400\n");
    });
    const int from = b.trace().size();
    note = "; " + endWith(b.panel(), SIGTERM, "SIGTERM with the box open");
    note += std::string(", state file ") +
            (::access(b.dir().file("Tolvaneini.txt").c_str(), F_OK) == 0 ? "written" : "MISSING");
    note += b.trace().waitFor("panel> G00", 2.0, from) >= 0 ? ", G00 sent" : ", no G00";
    return f;
}

CpuFigure portSetupSituation(const Binaries& bins, double seconds, std::string& note) {
    Bench b(bins);
    ::unlink(b.dir().file("PortSetup.txt").c_str());
    writeFile(b.dir().file("CATSetup.txt"), kCatSetup);
    CatLine cat(b.dir().file("ports/COM2"));
    b.startPanel();
    sleepSeconds(4.0);
    if (!b.panel().running()) b.fail("the panel ended before its Port Setup dialog");
    CpuFigure f = measureCpu(b.panel(), seconds, catPolling(cat));
    note = "; " + endWith(b.panel(), SIGINT, "SIGINT with the dialog open");
    note += std::string(", state file ") +
            (::access(b.dir().file("Tolvaneini.txt").c_str(), F_OK) == 0 ? "written" : "MISSING");
    return f;
}

CpuFigure secondCopySituation(const Binaries& bins, double seconds, std::string& note) {
    Bench b(bins);
    b.startSim("v601", false);
    b.startPanel();
    b.expect("panel> U", 40.0);
    Child second;
    ChildOptions opts;
    opts.program = bins.panel;
    opts.workdir = b.dir().path();
    opts.extraEnv = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + b.dir().file("runtime")};
    second.start(opts);
    sleepSeconds(3.0);
    if (!second.running()) b.fail("the second copy ended without waiting for its message");
    CpuFigure f = measureCpu(second, seconds);
    note = "; " + endWith(second, SIGHUP, "SIGHUP with the message open");
    note += ::access(b.dir().file("Tolvaneini.txt").c_str(), F_OK) == 0 ? ", WROTE the state file"
                                                                        : ", no file written";
    if (!b.panel().running()) note += ", the first copy ENDED";
    return f;
}

std::string gOnly;  // --only: a word the situation's label must hold

void report(const char* label, const char* goal,
            const std::function<CpuFigure(std::string&)>& run) {
    if (!gOnly.empty() && std::strstr(label, gOnly.c_str()) == nullptr) return;
    std::string note;
    try {
        const CpuFigure f = run(note);
        std::printf("%-58s %6.2f%% of one core (%lld ticks in %.1f s)   %s%s\n", label, f.percent,
                    f.ticks, f.wallSeconds, goal, note.c_str());
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        std::printf("%-58s no figure: %s   %s\n", label, e.what(), goal);
    }
    std::fflush(stdout);
}

int run(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--as-panel-with-about-box") == 0)
        return panelWithAboutBox();
    int seconds = 60;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--seconds", 1, 600, seconds)) continue;
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: %s [--seconds N] [--only WORD]   (measuring window per situation, 60;\n"
                "       only the situations whose label holds WORD, e.g. REMOTE, About)\n",
                argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(6 * (seconds + 60) + 30));
    gOnly = only;
    const Binaries bins = locateBinaries(argv[0]);
    std::printf("panel idle CPU, %d s window per situation, %g ticks/s\n", seconds,
                ticksPerSecond());
    std::fflush(stdout);
    const double s = seconds;
    report("idle CPU, LOCAL (start-up settled):", kGoal,
           [&](std::string&) { return localSituation(bins, s); });
    report("idle CPU, waiting for port settings (no port):", kGoal,
           [&](std::string& note) { return noPortSituation(bins, s, note); });
    report("idle CPU, REMOTE (heartbeat running):", kGoalRemote,
           [&](std::string&) { return remoteSituation(bins, s); });
    report("idle CPU, REMOTE, About box open, radio and CAT input:", kGoalRemote,
           [&](std::string& note) { return aboutBoxSituation(bins, s, note); });
    report("idle CPU, start-up Port Setup open, CAT input:", kGoalRemote,
           [&](std::string& note) { return portSetupSituation(bins, s, note); });
    report("idle CPU, second-instance message open:", kGoalRemote,
           [&](std::string& note) { return secondCopySituation(bins, s, note); });
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_panel_idle", tolvane::bench::run, argc, argv);
}
