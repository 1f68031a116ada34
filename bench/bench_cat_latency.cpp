// Latency of the CAT bridge: the panel runs with the radio under remote
// control (heartbeat running) and a CAT port; this program plays the
// station software on the master side of a pseudo-terminal pair whose slave
// is linked as ports/COM2. It sends "FA;" N times, about 50 ms apart plus a
// random jitter so that sends also land while the panel is busy with a
// heartbeat, and measures from writing the last character of "FA;" to
// reading the last character of the answer "FA000nnnnnnn0;".
//
// Then the burst: forty frequency sets written at once, several times at
// different moments of the heartbeat's cycle. For each it measures when the
// radio got the last requested frequency, how many sets reached the radio
// (stale ones replayed after the last count separately) and the longest gap
// between heartbeat characters around it.
#include <cstdio>
#include <random>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr double kAnswerTimeout = 2.0;
constexpr int kGiveUpAfterMisses = 10;

bool isFrequencyAnswer(const std::string& s) {
    if (s.size() != 14 || s.compare(0, 5, "FA000") != 0 || s.compare(12, 2, "0;") != 0)
        return false;
    for (std::size_t i = 5; i < 12; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

struct Query {
    Clock::time_point sentAt;
    double latencyMs = -1.0;  // -1: no answer
};

void printFigures(const char* label, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("  %-28s no answers\n", label);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-28s n %-4zu min %7.1f  median %7.1f  p95 %7.1f  max %7.1f ms\n", label,
                ms.size(), ms.front(), median(ms), percentile(ms, 95), ms.back());
}

struct BurstFigure {
    double reachSeconds = -1.0;  // burst written to the last frequency at the radio
    int setsToRadio = 0;
    int staleAfterLast = 0;
    double longestBeatGap = 0.0;
};

BurstFigure burstOnce(Bench& b, CatLine& cat, int k) {
    constexpr int kSets = 40;
    std::string text;
    std::string last;
    for (int i = 0; i < kSets; ++i) {
        last = std::to_string(1000000 + 100000 * (k % 9) + 100 * (i + 1));
        text += "FA000" + last + "0;";
    }
    b.trace().pump(0);
    const int from = b.trace().size();
    cat.write(text);
    const Clock::time_point sent = Clock::now();
    BurstFigure f;
    const int at = b.trace().waitFor("panel> F" + last, 6.0, from);
    if (at >= 0) f.reachSeconds = secondsBetween(sent, b.trace().line(at).readAt);
    // Watch a while longer: stale sets, and the heartbeat going on.
    const Clock::time_point end = sent + std::chrono::seconds(7);
    while (Clock::now() < end) {
        checkInterrupted();
        b.trace().pump(50);
        cat.drain(0.0);
    }
    std::vector<Clock::time_point> beats;
    for (int i = 0; i < b.trace().size(); ++i) {
        const TraceLine& l = b.trace().line(i);
        if (l.text == "  panel> U" && secondsBetween(sent, l.readAt) > -3.0)
            beats.push_back(l.readAt);
        if (i < from || l.text.rfind("  panel> F", 0) != 0) continue;
        ++f.setsToRadio;
        if (at >= 0 && i > at) ++f.staleAfterLast;
    }
    for (std::size_t i = 1; i < beats.size(); ++i)
        f.longestBeatGap = std::max(f.longestBeatGap, secondsBetween(beats[i - 1], beats[i]));
    return f;
}

void runBursts(Bench& b, CatLine& cat, int bursts) {
    std::printf("CAT burst: 40 frequency sets written at once, %d times\n", bursts);
    double worstReach = 0.0, worstGap = 0.0;
    int missing = 0, stale = 0;
    for (int k = 0; k < bursts; ++k) {
        sleepSeconds(0.45 * k);  // another moment of the heartbeat's cycle each time
        const BurstFigure f = burstOnce(b, cat, k);
        if (f.reachSeconds < 0) ++missing;
        worstReach = std::max(worstReach, f.reachSeconds);
        worstGap = std::max(worstGap, f.longestBeatGap);
        stale += f.staleAfterLast;
        std::printf(
            "  burst %d: last frequency at the radio after %s, %d set(s) sent to the radio, "
            "%d stale after it, longest heartbeat gap %.2f s\n",
            k + 1,
            f.reachSeconds < 0
                ? "(never)"
                : (std::to_string(static_cast<int>(f.reachSeconds * 1000)) + " ms").c_str(),
            f.setsToRadio, f.staleAfterLast, f.longestBeatGap);
        std::fflush(stdout);
    }
    std::printf(
        "CAT burst of 40 sets: last frequency at the radio within %.2f s (worst of %d%s), "
        "%d stale set(s) replayed, longest heartbeat gap %.2f s   goals <= 3 s, gap < "
        "2.5 s\n",
        worstReach, bursts, missing > 0 ? ", some NEVER" : "", stale, worstGap);
}

int run(int argc, char** argv) {
    int count = 200;
    int bursts = 5;
    int seed = 1;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 1, 5000, count)) continue;
        if (intOption(argc, argv, i, "--bursts", 0, 50, bursts)) continue;
        if (intOption(argc, argv, i, "--seed", 0, 1'000'000, seed)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: %s [--count N] [--seed S] [--bursts B]   (queries, 200; jitter seed, 1; "
                "bursts of 40 sets, 5)\n",
                argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    // Worst case per query: the spacing, the answer time-out and a drain.
    installStopHandlers(static_cast<unsigned>(90 + count + 12 * bursts));
    const Binaries bins = locateBinaries(argv[0]);

    Bench b(bins);
    writeFile(b.dir().file("CATSetup.txt"), kCatSetup);
    CatLine cat(b.dir().file("ports/COM2"));
    b.startSim("v601", false);
    b.startPanel();
    b.expect("panel> U", 40.0);
    sleepSeconds(1.0);
    const std::size_t stray = cat.drain(0.2);

    std::printf(
        "CAT \"FA;\" round trip, REMOTE with heartbeat, %d queries ~50 ms apart + 0..50 ms "
        "jitter\n",
        count);
    std::fflush(stdout);
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> jitterMs(0, 50);
    std::vector<Query> queries;
    std::vector<std::string> oddAnswers;
    int unanswered = 0, malformed = 0, missesInRow = 0;
    std::string firstAnswer;
    for (int i = 0; i < count; ++i) {
        sleepSeconds(0.050 + jitterMs(rng) / 1000.0);
        b.trace().pump(0);  // keeps the simulator's trace pipe from filling
        if (!b.panel().running()) b.fail("the panel ended during the queries");
        cat.drain(0.0);
        cat.write("FA;");
        Query q;
        q.sentAt = Clock::now();
        std::string got;
        while (got.find(';') == std::string::npos) {
            checkInterrupted();
            const double left = kAnswerTimeout - secondsBetween(q.sentAt, Clock::now());
            if (left <= 0.0) break;
            const std::string part = cat.read(static_cast<int>(left * 1000) + 1);
            if (part.empty()) continue;
            got += part;
            if (part.find(';') != std::string::npos)
                q.latencyMs = secondsBetween(q.sentAt, Clock::now()) * 1000.0;
        }
        if (q.latencyMs < 0.0) {
            ++unanswered;
            cat.drain(0.5);  // a late answer must not pass for the next one
            if (++missesInRow >= kGiveUpAfterMisses) {
                std::printf("  stopped after %d queries: %d in a row got no answer\n", i + 1,
                            missesInRow);
                queries.push_back(q);
                break;
            }
        } else {
            missesInRow = 0;
            const std::string answer = got.substr(0, got.find(';') + 1);
            if (firstAnswer.empty()) firstAnswer = answer;
            if (!isFrequencyAnswer(answer) || answer.size() != got.size()) {
                ++malformed;
                if (oddAnswers.size() < 3) oddAnswers.push_back(got);
                cat.drain(0.1);
            }
        }
        queries.push_back(q);
    }
    b.trace().pump(0);

    // Latency by where the query fell against the heartbeat: a query sent from
    // 0.1 s before to 0.3 s after a "U" reached the radio meets a panel that
    // is busy with that heartbeat.
    std::vector<Clock::time_point> beats;
    for (int i = 0; i < b.trace().size(); ++i)
        if (b.trace().line(i).text == "  panel> U") beats.push_back(b.trace().line(i).readAt);
    std::vector<double> all, nearBeat, awayFromBeat;
    for (const Query& q : queries) {
        if (q.latencyMs < 0.0) continue;
        all.push_back(q.latencyMs);
        bool near = false;
        for (const Clock::time_point& t : beats) {
            const double d = secondsBetween(t, q.sentAt);
            if (d > -0.1 && d < 0.3) near = true;
        }
        (near ? nearBeat : awayFromBeat).push_back(q.latencyMs);
    }
    std::sort(all.begin(), all.end());
    std::printf("  first answer: %s%s\n", firstAnswer.empty() ? "(none)" : firstAnswer.c_str(),
                stray > 0 ? "   (stray bytes before the first query were discarded)" : "");
    printFigures("sent near a heartbeat:", nearBeat);
    printFigures("sent between heartbeats:", awayFromBeat);
    if (all.empty()) {
        std::printf(
            "CAT latency: no figure, no query was answered; no answer within 2 s: %d of "
            "%zu   goals p50 <= 20 ms, p95 <= 300 ms\n",
            unanswered, queries.size());
        return 1;
    }
    std::printf(
        "CAT latency over %zu answered of %zu queries: min %.1f ms  median %.1f ms  "
        "p95 %.1f ms  max %.1f ms   goals p50 <= 20 ms, p95 <= 300 ms\n",
        all.size(), queries.size(), all.front(), median(all), percentile(all, 95), all.back());
    std::printf(
        "queries with no answer within 2 s: %d; answers not of the form FA000nnnnnnn0;: "
        "%d\n",
        unanswered, malformed);
    for (const std::string& s : oddAnswers) std::printf("  odd answer: \"%s\"\n", s.c_str());
    std::fflush(stdout);
    if (bursts > 0) runBursts(b, cat, bursts);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_cat_latency", tolvane::bench::run, argc, argv);
}
