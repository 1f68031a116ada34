// Idle CPU of the panel, as a share of one core, from the process's user
// and system time in /proc/<pid>/stat over a measuring window, in three
// situations where the operator does nothing:
//   LOCAL   the radio under front-panel control, start-up settled;
//   NO PORT the configured radio port does not exist, the panel waits for
//           new port settings;
//   REMOTE  the radio under remote control, the sync heartbeat running.
// Prints one line per situation; a situation that cannot be set up prints
// its reason and the others still run.
#include <cstdio>
#include <functional>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal <= 0.3%";

struct CpuFigure {
    double percent = 0.0;
    double wallSeconds = 0.0;
    long long ticks = 0;
};

CpuFigure measureCpu(Child& panel, double seconds) {
    const pid_t pid = panel.pid();
    const long long t0 = cpuTicks(pid);
    const Clock::time_point w0 = Clock::now();
    sleepSeconds(seconds);
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

void report(const char* label, const std::function<CpuFigure(std::string&)>& run) {
    std::string note;
    try {
        const CpuFigure f = run(note);
        std::printf("%-48s %6.2f%% of one core (%lld ticks in %.1f s)   %s%s\n", label, f.percent,
                    f.ticks, f.wallSeconds, kGoal, note.c_str());
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        std::printf("%-48s no figure: %s   %s\n", label, e.what(), kGoal);
    }
    std::fflush(stdout);
}

int run(int argc, char** argv) {
    int seconds = 30;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--seconds", 1, 600, seconds)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--seconds N]   (measuring window per situation, 30)\n",
                        argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(3 * (seconds + 60) + 30));
    const Binaries bins = locateBinaries(argv[0]);
    std::printf("panel idle CPU, %d s window per situation, %g ticks/s\n", seconds,
                ticksPerSecond());
    std::fflush(stdout);
    const double s = seconds;
    report("idle CPU, LOCAL (start-up settled):",
           [&](std::string&) { return localSituation(bins, s); });
    report("idle CPU, waiting for port settings (no port):",
           [&](std::string& note) { return noPortSituation(bins, s, note); });
    report("idle CPU, REMOTE (heartbeat running):",
           [&](std::string&) { return remoteSituation(bins, s); });
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_panel_idle", tolvane::bench::run, argc, argv);
}
