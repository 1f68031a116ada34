// The network rig control endpoint of the running panel: the panel runs
// with the radio (the simulator on a pseudo-terminal) under remote control,
// the heartbeat running, and the endpoint started with --rigctld. This
// program plays the station software on a loopback TCP connection.
//
// First the "f" round trip, N times about 20 ms apart plus a random jitter
// so that some land while the panel is busy with a heartbeat. Then
// frequency sets: "F <hz>" with a new frequency each time, measured from
// writing the line to the simulator's trace showing the radio got
// "F<digits>", the sets spaced beyond the radio's settling pause after a
// frequency command.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "bench_support.h"

namespace tolvane::bench {
namespace {

// A loopback TCP connection to the endpoint.
class RigLine {
  public:
    explicit RigLine(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int tries = 0; tries < 100; ++tries) {
            fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
            if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) break;
            ::close(fd_);
            fd_ = -1;
            sleepSeconds(0.1);  // the panel is still starting
        }
        if (fd_ < 0) throw std::runtime_error("the endpoint does not accept connections");
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~RigLine() {
        if (fd_ >= 0) ::close(fd_);
    }
    RigLine(const RigLine&) = delete;
    RigLine& operator=(const RigLine&) = delete;

    void write(const std::string& text) {
        if (::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(text.size()))
            throw std::runtime_error("the endpoint closed the connection");
    }
    // One reply line (LF included), or empty after `timeoutMs`.
    std::string readLine(int timeoutMs) {
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (pending_.find('\n') == std::string::npos) {
            checkInterrupted();
            const double left = secondsBetween(Clock::now(), end);
            if (left <= 0.0) return {};
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
            char buf[512];
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) throw std::runtime_error("the endpoint closed the connection");
            pending_.append(buf, static_cast<std::size_t>(n));
        }
        const std::size_t lf = pending_.find('\n');
        std::string line = pending_.substr(0, lf + 1);
        pending_.erase(0, lf + 1);
        return line;
    }

  private:
    int fd_ = -1;
    std::string pending_;
};

void printFigures(const char* label, std::vector<double> ms, const char* goals) {
    if (ms.empty()) {
        std::printf("%s: no figure   %s\n", label, goals);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: n %zu  min %.2f  median %.2f  p95 %.2f  max %.2f ms   %s\n", label, ms.size(),
                ms.front(), median(ms), percentile(ms, 95), ms.back(), goals);
}

int run(int argc, char** argv) {
    int count = 500;
    int sets = 40;
    int port = 4642;
    for (int i = 1; i < argc; ++i) {
        if (intOption(argc, argv, i, "--count", 1, 20000, count)) continue;
        if (intOption(argc, argv, i, "--sets", 0, 500, sets)) continue;
        if (intOption(argc, argv, i, "--port", 1024, 65535, port)) continue;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: %s [--count N] [--sets S] [--port P]   (f round trips, 500; frequency "
                "sets, 40; endpoint port, 4642)\n",
                argv[0]);
            return 0;
        }
        throw std::runtime_error(std::string("unknown argument \"") + argv[i] + "\"");
    }
    installStopHandlers(static_cast<unsigned>(90 + count / 10 + 4 * sets));
    const Binaries bins = locateBinaries(argv[0]);

    Bench b(bins);
    b.startSim("v601", false);
    b.startPanel({}, {"--rigctld=127.0.0.1:" + std::to_string(port)});
    b.expect("panel> U", 40.0);
    sleepSeconds(1.0);
    RigLine rig(port);

    std::mt19937 rng(1);
    std::uniform_int_distribution<int> jitterMs(0, 20);
    std::vector<double> reads;
    int unanswered = 0;
    std::string first;
    for (int i = 0; i < count; ++i) {
        sleepSeconds(0.020 + jitterMs(rng) / 1000.0);
        b.trace().pump(0);  // keeps the simulator's trace pipe from filling
        if (!b.panel().running()) b.fail("the panel ended during the reads");
        const Clock::time_point sent = Clock::now();
        rig.write("f\n");
        const std::string reply = rig.readLine(2000);
        if (reply.empty()) {
            ++unanswered;
            continue;
        }
        reads.push_back(secondsBetween(sent, Clock::now()) * 1000.0);
        if (first.empty()) first = reply.substr(0, reply.size() - 1);
    }
    std::printf("endpoint \"f\" round trip, REMOTE with heartbeat, first answer %s\n",
                first.c_str());
    printFigures("  f round trip", reads, "goals p50 <= 1 ms, p95 <= 5 ms");
    if (unanswered > 0) std::printf("  unanswered within 2 s: %d\n", unanswered);

    std::vector<double> toRadio;
    int missing = 0;
    for (int k = 0; k < sets; ++k) {
        // Each set holds the panel in the radio's 0.45 s settling pause;
        // the next comes after it, at another moment of the heartbeat.
        sleepSeconds(0.6 + 10 * jitterMs(rng) / 1000.0);
        // 7.000 to 7.299 MHz in 1 kHz steps: a new frequency each time.
        const int units = 700000 + 100 * ((k * 37) % 300);
        b.trace().pump(0);
        const int from = b.trace().size();
        const Clock::time_point sent = Clock::now();
        rig.write("F " + std::to_string(units * 10) + "\n");
        // The trace is read while waiting, so that each line is stamped when
        // the simulator printed it.
        const int at = b.trace().waitFor("panel> F0" + std::to_string(units), 2.0, from);
        const std::string reply = rig.readLine(2000);
        if (at < 0 || reply != "RPRT 0\n") {
            ++missing;
            continue;
        }
        toRadio.push_back(secondsBetween(sent, b.trace().line(at).readAt) * 1000.0);
    }
    printFigures("  \"F <hz>\" to the radio wire", toRadio, "goal p95 <= 60 ms");
    if (missing > 0) std::printf("  sets not seen at the radio within 2 s: %d\n", missing);
    std::fflush(stdout);
    return 0;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    return tolvane::bench::benchMain("bench_rigctl_panel", tolvane::bench::run, argc, argv);
}
