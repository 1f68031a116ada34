// Round trip of "f" over loopback: the panel's rigctld endpoint (answering
// from a fixed snapshot, served by the event loop as in the panel) and, in
// the same run, Hamlib's rigctld with the dummy rig when it is installed.
// Prints p50 and p95 in milliseconds; not pass/fail.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cat/rigctl_server.h"

namespace {

class FixedRig : public tolvane::cat::RigControl {
  public:
    tolvane::cat::RigSnapshot snapshot() override {
        tolvane::cat::RigSnapshot s;
        s.freqReport = "F1407400";
        s.modeReport = "M1";
        return s;
    }
    tolvane::cat::RigStatus request(const tolvane::cat::RigRequest&) override {
        return tolvane::cat::RigStatus::Queued;
    }
};

// Milliseconds of `rounds` "f" round trips against 127.0.0.1:port; empty
// when the connection fails.
std::vector<double> measure(int port, int rounds) {
    std::vector<double> ms;
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int tries = 0; tries < 100; ++tries) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) break;
        ::close(fd);
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QThread::msleep(50);  // rigctld is still starting
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char buf[256];
    for (int i = 0; i < rounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        if (::send(fd, "f\n", 2, MSG_NOSIGNAL) != 2) break;
        std::string reply;
        while (reply.find('\n') == std::string::npos) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            reply.append(buf, static_cast<size_t>(n));
        }
        if (reply.empty()) break;
        auto t1 = std::chrono::steady_clock::now();
        if (i >= 50) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    ::close(fd);
    return ms;
}

void report(const char* name, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%-28s no measurement\n", name);
        return;
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1))]; };
    std::printf("%-28s n=%zu p50=%.3f ms p95=%.3f ms max=%.3f ms\n", name, ms.size(), at(0.5),
                at(0.95), ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRounds = 2050;
    FixedRig rig;
    tolvane::cat::RigctlServer server(rig);
    if (!server.listen("127.0.0.1", 0)) {
        std::printf("cannot listen: %s\n", server.errorString().c_str());
        return 1;
    }
    std::vector<double> panel;
    QThread* client = QThread::create([&] { panel = measure(server.port(), kRounds); });
    QObject::connect(client, &QThread::finished, &app, &QCoreApplication::quit);
    client->start();
    app.exec();
    client->wait();
    delete client;
    report("panel endpoint, f", panel);

    if (QStandardPaths::findExecutable("rigctld").isEmpty()) {
        std::printf("rigctld -m 1, f               not installed (libhamlib-utils)\n");
        return 0;
    }
    const int port = 4662;
    QProcess rigctld;
    rigctld.start("rigctld", {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
    rigctld.waitForStarted();
    report("rigctld -m 1, f", measure(port, kRounds));
    rigctld.terminate();
    rigctld.waitForFinished(2000);
    return 0;
}
