// Resident memory of the panel (VmRSS in /proc/<pid>/status) a few seconds
// after start-up, with the radio under local control (LOCAL, monitoring
// only) and under remote control (REMOTE, heartbeat running). The peak
// (VmHWM) is printed beside it. 1 MB here is 1024 kB.
#include <cstdio>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal <= 45 MB";

struct Memory {
    long rssKb = -1;
    long peakKb = -1;
};

Memory sample(Bench& b) {
    Memory m;
    m.rssKb = statusKb(b.panel().pid(), "VmRSS");
    m.peakKb = statusKb(b.panel().pid(), "VmHWM");
    if (!b.panel().running() || m.rssKb < 0) b.fail("the panel ended before it was measured");
    return m;
}

Memory local(const Binaries& bins, double settle) {
    Bench b(bins);
    b.startSim("v601", true);
    b.startPanel();
    b.waitStatusAnswered(1.0, 30.0);
    sleepSeconds(settle);
    return sample(b);
}

Memory remote(const Binaries& bins, double settle) {
    Bench b(bins);
    b.startSim("v601", false);
    b.startPanel();
    b.expect("panel> U", 40.0);
    sleepSeconds(settle);
    return sample(b);
}

template <typename Fn>
void report(const char* label, Fn fn) {
    try {
        const Memory m = fn();
        std::printf("%-40s %6.1f MB resident (%ld kB, peak %.1f MB)   %s\n", label,
                    static_cast<double>(m.rssKb) / 1024.0, m.rssKb,
                    static_cast<double>(m.peakKb) / 1024.0, kGoal);
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        std::printf("%-40s no figure: %s   %s\n", label, e.what(), kGoal);
    }
    std::fflush(stdout);
}

int run(int argc, char** argv) {
    int settle = 3;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--settle", 0, 120, settle)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--settle N]   (seconds after start-up settled, 3)\n", argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(2 * (settle + 60) + 30));
    const Binaries bins = locateBinaries(argv[0]);
    std::printf("panel resident memory, %d s after start-up settled\n", settle);
    std::fflush(stdout);
    report("memory, LOCAL (monitoring):", [&] { return local(bins, settle); });
    report("memory, REMOTE (heartbeat running):", [&] { return remote(bins, settle); });
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_panel_memory", tolvane::bench::run, argc, argv);
}
