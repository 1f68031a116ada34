// Report arrival to display and band check: the radio is under remote
// control (heartbeat running, v604 NonAdapt firmware, so that PTT enable is
// switched with "'0" and "'1"), and its front panel is tuned out of the
// amateur bands and back, at random moments against the heartbeat. The band
// check answers an out-of-band report by switching PTT enable off ("'0")
// and an in-band one by switching it on again ("'1"): the time from the
// simulator writing the frequency report to the panel's PTT-enable command
// is the time to display and band check. The waits the panel must take on
// the way are subtracted: the reader's 60 ms for a quiet line, and what was
// left of the 0.2 s pause after a heartbeat character when the report came
// during it. Prints the median and p95 beyond those waits.
#include <cstdio>
#include <random>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr double kQuietWait = 0.060;  // ReadRadio: the line quiet this long
constexpr double kSyncPause = 0.200;  // SendRadioCmd after a sync character
constexpr const char* kGoal = "goal <= 20 ms beyond the waits (median and p95)";

struct Sample {
    double latency = 0.0;  // seconds, report to PTT-enable command
    double waits = 0.0;    // of which the specified waits
};

void printLine(const char* label, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s n %-3zu min %6.1f  median %6.1f  p95 %6.1f  max %6.1f ms\n", label,
                ms.size(), ms.front(), median(ms), percentile(ms, 95), ms.back());
}

int run(int argc, char** argv) {
    int count = 40;
    int seed = 1;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 2, 1000, count)) continue;
        if (intOption(argc, argv, i, "--seed", 0, 1'000'000, seed)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--count N] [--seed S]   (reports, 40; jitter seed, 1)\n",
                        argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(90 + count * 6));
    const Binaries bins = locateBinaries(argv[0]);
    Bench b(bins);
    b.startSim("nonadapt", false);
    b.startPanel();
    b.expect("panel> U", 40.0);
    sleepSeconds(3.0);
    std::printf(
        "report arrival to display and band check, REMOTE with heartbeat, %d front-panel "
        "tunings 1.0..1.6 s apart\n",
        count);
    std::fflush(stdout);

    std::mt19937 rng(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> gapMs(1000, 1600);
    std::vector<Sample> samples;
    int missed = 0;
    for (int i = 0; i < count; ++i) {
        sleepSeconds(gapMs(rng) / 1000.0);
        if (!b.panel().running()) b.fail("the panel ended");
        const bool out = i % 2 == 0;
        const std::string freq = out ? "0300000" : "1407400";
        const int from = b.trace().size();
        b.sim().send("freq " + freq + "\n");
        const int report = b.expect("radio> F" + freq, 3.0, from);
        const int answer = b.trace().waitFor(out ? "panel> '0" : "panel> '1", 3.0, report);
        if (answer < 0) {
            ++missed;
            continue;
        }
        Sample s;
        const Clock::time_point at = b.trace().line(report).readAt;
        s.latency = secondsBetween(at, b.trace().line(answer).readAt);
        s.waits = kQuietWait;
        // A heartbeat character just before: the panel may have been in its
        // pause. The radio answers the heartbeat at once, and the reader then
        // takes the report within the pause; only when the answer came after
        // the pause ended did the pause hold the report back, and the quiet
        // wait then ran inside the pause.
        for (int j = report; j >= 0 && j > report - 40; --j) {
            if (b.trace().line(j).text != "  panel> U") continue;
            const double since = secondsBetween(b.trace().line(j).readAt, at);
            const double left = kSyncPause - since;
            if (since >= 0.0 && left > 0.0 && s.latency >= left)
                s.waits = std::max(kQuietWait, left);
            break;
        }
        if (std::getenv("BENCH_TRACE") != nullptr && s.latency - s.waits > 0.020) {
            for (int j = std::max(report - 6, 0); j <= answer; ++j)
                std::printf("    %8.3f %s\n", secondsBetween(at, b.trace().line(j).readAt) * 1000,
                            b.trace().line(j).text.c_str());
        }
        samples.push_back(s);
    }
    if (samples.empty()) b.fail("the band check never answered a report");
    std::vector<double> raw, beyond;
    for (const Sample& s : samples) {
        raw.push_back(s.latency * 1000.0);
        beyond.push_back((s.latency - s.waits) * 1000.0);
    }
    printLine("report to PTT-enable command:", raw);
    printLine("beyond the specified waits:", beyond);
    std::sort(beyond.begin(), beyond.end());
    std::printf(
        "display + band check after a report: median %.1f ms, p95 %.1f ms beyond the waits "
        "(%zu reports, %d without an answer)   %s\n",
        median(beyond), percentile(beyond, 95), samples.size(), missed, kGoal);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_report_latency", tolvane::bench::run, argc, argv);
}
