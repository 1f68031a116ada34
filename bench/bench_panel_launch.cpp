// Launch time of the panel: from starting the panel process to the first
// status request "?" reaching the radio. The simulator runs a second before
// the launch; the moment is the time its trace line "panel> ?" was read
// here. Each run uses a fresh working folder and simulator.
#include <cstdio>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr const char* kGoal = "goal <= 1.10 s";

double launchOnce(const Binaries& bins) {
    Bench b(bins);
    b.startSim("v601", false);
    sleepSeconds(1.0);
    const int from = b.trace().size();
    const Clock::time_point start = Clock::now();
    b.startPanel();
    const int at = b.expect("panel> ?", 20.0, from);
    return secondsBetween(start, b.trace().line(at).readAt);
}

int run(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--runs", 1, 100, runs)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--runs N]   (launches, 5)\n", argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(runs * 35 + 30));
    const Binaries bins = locateBinaries(argv[0]);
    std::printf("panel launch to first \"?\" at the radio, %d runs\n", runs);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        try {
            const double t = launchOnce(bins);
            times.push_back(t);
            std::printf("  run %d: %.3f s\n", i + 1, t);
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            std::printf("  run %d: no figure: %s\n", i + 1, e.what());
        }
        std::fflush(stdout);
    }
    if (times.empty()) {
        std::printf("launch time: no figure (no run reached the radio)   %s\n", kGoal);
        return 1;
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("launch time over %zu runs: min %.3f s  median %.3f s  max %.3f s   %s\n",
                sorted.size(), sorted.front(), median(sorted), sorted.back(), kGoal);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_panel_launch", tolvane::bench::run, argc, argv);
}
