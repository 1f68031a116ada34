// Soak: the real panel and tolvane-sim over a pseudo-terminal for a long
// run (10 minutes unless told otherwise), the simulator injecting its faults
// through its console on a fixed schedule, calm spells in between:
//   silent   the radio stops answering until the panel has lost sync and
//            queries again, then talks again
//   babble   junk lines between the reports for a while
//   fault    a fault code raised and cleared
//   local    the radio taken to front-panel control and back to remote
//   kill     the simulator killed (SIGKILL) and started again on the same
//            port number; the panel reopens its port only when the new
//            pseudo-terminal is the device it had. The kernel hands out the
//            lowest free number, usually the freed one, but not when another
//            program freed a lower one meanwhile: the run says which, and then
//            starts the simulator again at its old device (holding the lower
//            numbers for that moment) so that the run goes on
// Printed: resident memory of the panel and the simulator at start and end,
// CPU share of both in the calm spells, heartbeat gaps, the panel's
// re-queries and initialisations per fault with its recovery time, and
// whether it ended in REMOTE with the heartbeat answered.
#include <cstdio>
#include <functional>
#include <optional>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

constexpr double kRecoverTimeout = 40.0;  // longest wait for any recovery
constexpr double kGoodGap = 2.6;          // heartbeat every 2 s, plus a pass and the sender's pause

struct Span {
    int from = 0;  // trace lines [from, to)
    int to = 0;
};

// One calm spell's figures.
struct Calm {
    double seconds = 0.0;
    long long panelTicks = 0;
    long long simTicks = 0;
};

struct Figures {
    std::vector<Calm> calm;
    std::vector<double> calmGaps;  // heartbeat gaps inside calm spells
    int calmRequeries = 0;         // re-queries where nothing was wrong
    int faults = 0;
    int recovered = 0;
    std::vector<std::string> notes;  // one line per fault
};

std::string kb(long v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f MB (%ld kB)", static_cast<double>(v) / 1024.0, v);
    return buf;
}

class Soak {
  public:
    explicit Soak(Binaries bins) : b_(std::move(bins)) {}

    void start() {
        startSim("");
        b_.startPanel();
        b_.expect("panel> U", 40.0);
        expectAnswered(b_.trace().size());
        pumpFor(5.0);
        panelStartKb_ = statusKb(b_.panel().pid(), "VmRSS");
        simStartKb_ = statusKb(b_.sim().pid(), "VmRSS");
        std::printf("started: simulator on %s, panel in REMOTE with the heartbeat answered\n",
                    simDevice_.c_str());
        std::printf("  resident at start: panel %s, simulator %s\n", kb(panelStartKb_).c_str(),
                    kb(simStartKb_).c_str());
        std::fflush(stdout);
    }

    // A calm spell: nothing injected; CPU and heartbeat measured.
    void calm(double seconds) {
        const int from = b_.trace().size();
        const long long p0 = cpuTicks(b_.panel().pid());
        const long long s0 = cpuTicks(b_.sim().pid());
        const Clock::time_point t0 = Clock::now();
        pumpFor(seconds);
        Calm c;
        c.seconds = secondsBetween(t0, Clock::now());
        c.panelTicks = cpuTicks(b_.panel().pid()) - p0;
        c.simTicks = cpuTicks(b_.sim().pid()) - s0;
        f_.calm.push_back(c);
        const Span s{from, b_.trace().size()};
        const std::vector<double> gaps = heartbeatGaps(s);
        f_.calmGaps.insert(f_.calmGaps.end(), gaps.begin(), gaps.end());
        f_.calmRequeries += count(s, "  panel> ?");
        if (!b_.panel().running()) b_.fail("the panel ended");
    }

    void silent() {
        const Clock::time_point t0 = Clock::now();
        const int from = b_.trace().size();
        b_.sim().send("silent\n");
        const int lost = b_.trace().waitFor("panel> ?", kRecoverTimeout, from);
        const double lostAfter = lost < 0 ? -1.0 : secondsBetween(t0, b_.trace().line(lost).readAt);
        pumpFor(3.0);  // a few unanswered status requests
        const int talk = b_.trace().size();
        const Clock::time_point t1 = Clock::now();
        b_.sim().send("talk\n");
        const std::optional<double> back = recovery(talk, t1);
        pumpFor(3.0);
        const Span s{talk, b_.trace().size()};
        char buf[256];
        std::snprintf(buf, sizeof buf,
                      "silent spell: sync lost after %.1f s, back %s after talk, "
                      "initialisations %d (want 0)",
                      lostAfter, secondsText(back).c_str(), initialisations(s));
        note(buf, lost >= 0 && back && initialisations(s) == 0);
    }

    void babble(double seconds) {
        const int from = b_.trace().size();
        b_.sim().send("babble\n");
        pumpFor(seconds);
        b_.sim().send("babble\n");
        pumpFor(1.0);
        const Span s{from, b_.trace().size()};
        const std::vector<double> gaps = heartbeatGaps(s);
        const double worst = gaps.empty() ? -1.0 : *std::max_element(gaps.begin(), gaps.end());
        const int requeries = count(s, "  panel> ?");
        char buf[256];
        std::snprintf(buf, sizeof buf,
                      "babble %.0f s: %d heartbeats, longest gap %.2f s, re-queries %d (want 0)",
                      seconds, static_cast<int>(gaps.size()) + 1, worst, requeries);
        note(buf, requeries == 0 && worst > 0 && worst <= kGoodGap);
    }

    void fault(double seconds) {
        const int from = b_.trace().size();
        b_.sim().send("fault 3\n");
        pumpFor(seconds);
        b_.sim().send("clear\n");
        pumpFor(3.0);
        const Span s{from, b_.trace().size()};
        const bool reported = count(s, "radio> Z3") > 0 && count(s, "radio> Z0") > 0;
        const int requeries = count(s, "  panel> ?");
        const std::vector<double> gaps = heartbeatGaps(s);
        const double worst = gaps.empty() ? -1.0 : *std::max_element(gaps.begin(), gaps.end());
        char buf[256];
        std::snprintf(buf, sizeof buf,
                      "fault code Z3 for %.0f s: reported and cleared %s, longest heartbeat gap "
                      "%.2f s, re-queries %d (want 0)",
                      seconds, reported ? "yes" : "NO", worst, requeries);
        note(buf, reported && requeries == 0 && worst > 0 && worst <= kGoodGap);
    }

    void localAndBack(double seconds) {
        const int from = b_.trace().size();
        b_.sim().send("local\n");
        pumpFor(seconds);
        const Span local{from, b_.trace().size()};
        // Once the LOCAL initialisation has its status, the heartbeat stops.
        int settled = local.to;
        for (int i = from; i < local.to; ++i) {
            if (b_.trace().line(i).text == "  radio> .") {
                settled = i;
                break;
            }
        }
        const int heartbeatsInLocal = count(Span{settled, local.to}, "panel> U");
        const int remote = b_.trace().size();
        const Clock::time_point t1 = Clock::now();
        b_.sim().send("remote\n");
        const std::optional<double> back = recovery(remote, t1);
        pumpFor(3.0);
        const int inits = initialisations(Span{remote, b_.trace().size()});
        char buf[256];
        std::snprintf(buf, sizeof buf,
                      "local for %.0f s: status queried %d times, heartbeats late in local %d "
                      "(want 0); back to remote: in sync %s later, initialisations %d (want 1)",
                      seconds, count(local, "  panel> ?"), heartbeatsInLocal,
                      secondsText(back).c_str(), inits);
        note(buf, back && inits == 1 && heartbeatsInLocal == 0);
    }

    // Returns false when the panel could not get its radio back, which ends
    // the run.
    bool killAndRestart() {
        simEndKb_.push_back(statusKb(b_.sim().pid(), "VmRSS"));
        const std::string oldDevice = simDevice_;
        const double letGo = kill();
        const int from = b_.trace().size();
        const Clock::time_point t1 = Clock::now();
        startSim("");
        ++restarts_;
        std::string how =
            simDevice_ == oldDevice ? "the same device" : "ANOTHER device, " + simDevice_;
        if (simDevice_ != oldDevice) {
            // The panel rightly waits for the device it had; the run goes on
            // with the simulator started again there.
            ++otherDevice_;
            const bool reopened = b_.trace().waitFor("  panel> ?", 10.0, from) >= 0;
            how += reopened ? ", which the panel opened" : ", which the panel left alone";
            for (int tries = 1; tries <= 3 && simDevice_ != oldDevice; ++tries) {
                kill();
                startSim(oldDevice);
                how += "; started again at " + simDevice_;
            }
        }
        const int at = b_.trace().size();
        const std::optional<double> back = recovery(at, t1);
        pumpFor(3.0);
        if (back) {
            simStartKb_ = statusKb(b_.sim().pid(), "VmRSS");
            simRestartKb_ = simStartKb_;
        }
        const int inits = initialisations(Span{at, b_.trace().size()});
        const std::string text =
            "kill and restart: the panel let go of " + oldDevice + " after " +
            (letGo < 0 ? std::string("MORE THAN 10 s") : secondsText(letGo, 2)) +
            "; the simulator came back at " + how + "; " +
            (back ? "the panel was in sync " + secondsText(back) +
                        " after the kill's restart, "
                        "initialisations " +
                        std::to_string(inits) + " (a new radio: want 1)"
                  : std::string("the panel did NOT get its radio back within 40 s"));
        note(text, back.has_value() && letGo >= 0 && inits == 1 && simDevice_ == oldDevice);
        return back.has_value();
    }
    void finish(int cycles) {
        const long panelEnd = statusKb(b_.panel().pid(), "VmRSS");
        const long simEnd = statusKb(b_.sim().pid(), "VmRSS");
        // Ended in REMOTE with the sync running: heartbeats sent and answered lately.
        std::vector<int> sent;
        int lastAnswer = -1;
        for (int i = std::max(0, b_.trace().size() - 200); i < b_.trace().size(); ++i) {
            if (b_.trace().line(i).text == "  panel> U") sent.push_back(i);
            if (b_.trace().line(i).text == "  radio> U") lastAnswer = i;
        }
        const bool syncRunning =
            sent.size() >= 2 && lastAnswer > sent[sent.size() - 2] &&
            secondsBetween(b_.trace().line(sent.back()).readAt, Clock::now()) < 5.0;

        double seconds = 0.0;
        long long panelTicks = 0, simTicks = 0;
        for (const Calm& c : f_.calm) {
            seconds += c.seconds;
            panelTicks += c.panelTicks;
            simTicks += c.simTicks;
        }
        const double panelCpu = static_cast<double>(panelTicks) / ticksPerSecond() / seconds * 100;
        const double simCpu = static_cast<double>(simTicks) / ticksPerSecond() / seconds * 100;
        std::vector<double> gaps = f_.calmGaps;
        std::sort(gaps.begin(), gaps.end());
        const double worstGap = gaps.empty() ? 0.0 : gaps.back();

        std::printf("\nsoak figures (%d fault cycles):\n", cycles);
        std::printf("  panel resident:     start %s, end %s, growth %+ld kB   goal <= 1024 kB\n",
                    kb(panelStartKb_).c_str(), kb(panelEnd).c_str(), panelEnd - panelStartKb_);
        for (std::size_t i = 0; i < simEndKb_.size(); ++i)
            std::printf("  simulator resident: run %zu ended at %s (killed)\n", i + 1,
                        kb(simEndKb_[i]).c_str());
        std::printf("  simulator resident: %s %s, end %s, growth %+ld kB\n",
                    simRestartKb_ > 0 ? "last restart" : "start", kb(simStartKb_).c_str(),
                    kb(simEnd).c_str(), simEnd - simStartKb_);
        std::printf(
            "  CPU in calm spells (%.0f s): panel %.2f%% of one core (%lld ticks)   "
            "goal <= 0.3%%; simulator %.2f%% (%lld ticks)\n",
            seconds, panelCpu, panelTicks, simCpu, simTicks);
        std::printf(
            "  heartbeat in calm spells: %zu gaps, median %.2f s, 99th percentile %.2f s, "
            "longest %.2f s\n",
            gaps.size(), median(gaps), percentile(gaps, 99), worstGap);
        std::printf("  re-queries in calm spells: %d (want 0)\n", f_.calmRequeries);
        std::printf(
            "  simulator killed and started again: %d times, %d of them at another "
            "device first (then started again at its old one)\n",
            restarts_, otherDevice_);
        std::printf("  faults recovered without operator action: %d of %d\n", f_.recovered,
                    f_.faults);
        for (const std::string& n : f_.notes) std::printf("%s\n", n.c_str());
        std::printf("  ended in REMOTE with the heartbeat answered: %s\n",
                    syncRunning ? "yes" : "NO");
        std::fflush(stdout);
    }

    // Resident memory now, against the start, for the trend between cycles.
    void printResident(const std::string& when) {
        const long panel = statusKb(b_.panel().pid(), "VmRSS");
        const long sim = statusKb(b_.sim().pid(), "VmRSS");
        std::printf("  resident %s: panel %s (%+ld kB), simulator %s\n", when.c_str(),
                    kb(panel).c_str(), panel - panelStartKb_, kb(sim).c_str());
        std::fflush(stdout);
    }

  private:
    // Kills the simulator; seconds until the panel let go of its device
    // (the kernel frees the number only then), or -1.
    double kill() {
        const Clock::time_point t0 = Clock::now();
        ::kill(b_.sim().pid(), SIGKILL);
        b_.sim().stop();
        double letGo = -1.0;
        while (secondsBetween(t0, Clock::now()) < 10.0) {
            b_.trace().pump(50);
            if (!holds(b_.panel().pid(), simDevice_)) {
                letGo = secondsBetween(t0, Clock::now());
                break;
            }
        }
        pumpFor(1.0);
        return letGo;
    }

    // Starts the simulator. With a `wanted` device, the lower free
    // pseudo-terminal numbers are held meanwhile: the kernel hands out the
    // lowest free one.
    void startSim(const std::string& wanted) {
        std::vector<int> held;
        while (!wanted.empty()) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) break;
            const std::string name = ::ptsname(master);
            if (name == wanted) {
                ::close(master);
                break;
            }
            held.push_back(master);
            if (std::atoi(name.c_str() + 9) > std::atoi(wanted.c_str() + 9)) break;
        }
        const int from = b_.trace().size();
        b_.startSim("v601", false);
        for (int fd : held) ::close(fd);
        simDevice_ = deviceOfBanner(from);
    }

    void pumpFor(double seconds) {
        const Clock::time_point end =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
        for (;;) {
            checkInterrupted();
            const double left = secondsBetween(Clock::now(), end);
            if (left <= 0.0) return;
            b_.trace().pump(static_cast<int>(std::min(left, 0.1) * 1000) + 1);
        }
    }

    // The heartbeat answered after `from`: a "U" the panel sent and the
    // radio's "U" after it. Seconds from `t0`, or nothing on time-out.
    std::optional<double> recovery(int from, Clock::time_point t0) {
        const int sent = b_.trace().waitFor("  panel> U", kRecoverTimeout, from);
        if (sent < 0) return std::nullopt;
        const int answered = b_.trace().waitFor("  radio> U", 5.0, sent);
        if (answered < 0) return std::nullopt;
        return secondsBetween(t0, b_.trace().line(answered).readAt);
    }

    void expectAnswered(int from) {
        if (!recovery(from, Clock::now())) b_.fail("the heartbeat was not answered");
    }

    std::vector<double> heartbeatGaps(Span s) {
        std::vector<double> gaps;
        std::optional<Clock::time_point> last;
        for (int i = s.from; i < s.to; ++i) {
            const TraceLine& l = b_.trace().line(i);
            if (l.text != "  panel> U") continue;
            if (last) gaps.push_back(secondsBetween(*last, l.readAt));
            last = l.readAt;
        }
        return gaps;
    }

    int count(Span s, std::string_view needle) {
        int n = 0;
        for (int i = s.from; i < s.to; ++i)
            if (b_.trace().line(i).text.find(needle) != std::string::npos) ++n;
        return n;
    }

    // REMOTE initialisations: each ends by setting the BFO offset, "B100"
    // (sent more than once in a row).
    int initialisations(Span s) {
        int n = 0;
        bool previous = false;
        for (int i = s.from; i < s.to; ++i) {
            const std::string& t = b_.trace().line(i).text;
            if (t.rfind("  panel> ", 0) != 0) continue;
            const bool bfo = t == "  panel> B100";
            if (bfo && !previous) ++n;
            previous = bfo;
        }
        return n;
    }

    // The pseudo-terminal named by the simulator's banner ("... radio on
    // /dev/pts/N linked as ...") at or after trace line `from`.
    std::string deviceOfBanner(int from) {
        const int at = b_.expect("tolvane-sim:", 5.0, from);
        const std::string& t = b_.trace().line(at).text;
        const std::size_t on = t.find(" on ");
        const std::size_t linked = t.find(" linked as ");
        if (on == std::string::npos || linked == std::string::npos || linked < on)
            b_.fail("cannot read the simulator's device from \"" + t + "\"");
        return t.substr(on + 4, linked - on - 4);
    }

    static bool holds(pid_t pid, const std::string& device) {
        const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(fdDir, ec)) {
            char target[PATH_MAX];
            const ssize_t n = ::readlink(entry.path().c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == device) return true;
        }
        return false;
    }

    static std::string secondsText(std::optional<double> s, int decimals = 1) {
        if (!s) return "NEVER";
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*f s", decimals, *s);
        return buf;
    }

    void note(const std::string& text, bool ok) {
        ++f_.faults;
        if (ok) ++f_.recovered;
        f_.notes.push_back(std::string(ok ? "  ok      " : "  MISSED  ") + text);
        std::printf("%s %s\n", ok ? "ok    " : "MISSED", text.c_str());
        std::fflush(stdout);
    }

    Bench b_;
    Figures f_;
    std::string simDevice_;
    long panelStartKb_ = -1;
    long simStartKb_ = -1;
    long simRestartKb_ = -1;
    std::vector<long> simEndKb_;
    int restarts_ = 0;
    int otherDevice_ = 0;
};

int run(int argc, char** argv) {
    int minutes = 10;
    int seconds = 0;
    int calm = 30;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--minutes", 1, 24 * 60, minutes)) continue;
        if (intOption(argc, argv, i, "--seconds", 60, 24 * 3600, seconds)) continue;
        if (intOption(argc, argv, i, "--calm", 5, 600, calm)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: %s [--minutes N | --seconds N] [--calm N]\n"
                "  run time (10 minutes; whole fault cycles, so it may run a little longer) and\n"
                "  the calm spell between two faults (30 s)\n",
                argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    const double total = seconds > 0 ? seconds : minutes * 60.0;
    installStopHandlers(static_cast<unsigned>(total * 1.5 + 600));
    const Binaries bins = locateBinaries(argv[0]);
    std::printf("soak: panel and simulator for %.0f s, faults every %d s\n", total, calm);
    std::fflush(stdout);

    Soak soak(bins);
    const Clock::time_point t0 = Clock::now();
    soak.start();
    int cycles = 0;
    bool radioBack = true;
    // The faults in turn, a calm spell before each; the run ends on a calm spell.
    const std::vector<std::function<bool()>> faults = {
        [&] { return soak.silent(), true; },   [&] { return soak.babble(20.0), true; },
        [&] { return soak.fault(8.0), true; }, [&] { return soak.localAndBack(10.0), true; },
        [&] { return soak.killAndRestart(); },
    };
    std::size_t next = 0;
    while (radioBack && secondsBetween(t0, Clock::now()) + calm < total) {
        soak.calm(calm);
        radioBack = faults[next]();
        if (++next == faults.size()) {
            next = 0;
            ++cycles;
            soak.printResident("after fault cycle " + std::to_string(cycles));
        }
    }
    if (radioBack) soak.calm(std::max(10.0, total - secondsBetween(t0, Clock::now())));
    if (!radioBack) std::printf("the panel did not get its radio back: the run ends here\n");
    soak.finish(cycles);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_soak", tolvane::bench::run, argc, argv);
}
