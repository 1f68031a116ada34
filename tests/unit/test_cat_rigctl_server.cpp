// The rigctld endpoint over real loopback sockets with a fake rig behind it:
// several clients, one reply per line in one piece, the limits (over-long
// lines, binary bytes, silent and stalled clients, too many clients, clients
// that vanish or stop reading), goodbyes, the allowed hosts and a radio that
// is not there. Bad input never reaches the rig as a request.
#include <QtTest>

#include <QTcpSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "cat/rigctl_server.h"
#include "fake_rig.h"

using namespace tolvane;
using namespace tolvane::cat;
using namespace tolvane::test;

namespace {

// A client on a plain socket, so that a reply can be taken with one recv as
// some station programs take it.
class RawClient {
  public:
    explicit RawClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool connected() const { return connected_; }
    void send(const QByteArray& bytes) {
        QCOMPARE(::send(fd_, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL),
                 static_cast<ssize_t>(bytes.size()));
    }
    // Sends what the socket takes without waiting; a closed connection is fine.
    void sendQuietly(const QByteArray& bytes) {
        ::send(fd_, bytes.constData(), static_cast<size_t>(bytes.size()),
               MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    // Serves the event loop until the socket has data (or is closed), then
    // takes what one recv gives. "<closed>" when the server closed it.
    QByteArray recvOnce(int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 1) > 0) {
                char buf[65536];
                ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
                if (n <= 0) return "<closed>";
                return QByteArray(buf, static_cast<qsizetype>(n));
            }
        }
        return "<nothing>";
    }
    // What one recv gives within `timeoutMs`, without serving the event loop.
    QByteArray takeWithoutServing(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return "<nothing>";
        char buf[4096];
        ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        return n <= 0 ? QByteArray("<closed>") : QByteArray(buf, static_cast<qsizetype>(n));
    }
    // Serves the event loop for a moment and says whether anything came.
    bool quiet(int ms = 50) {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) == 0;
    }
    void close() {
        ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    bool connected_ = false;
};

struct Endpoint {
    FakeRig rig;
    RigctlServer server{rig};
    double clock = 1000.0;
    Endpoint() {
        server.now = [this] { return clock; };
        bool ok = server.listen("127.0.0.1", 0);
        if (!ok) qWarning("%s", server.errorString().c_str());
    }
    // Serves the event loop until the server has `n` clients.
    bool clientsReach(std::size_t n) {
        QDeadlineTimer deadline(5000);
        while (server.clientCount() != n && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return server.clientCount() == n;
    }
};

}  // namespace

class TestRigctlServer : public QObject {
    Q_OBJECT
  private slots:
    void listensOnLoopbackOnly();
    void badListenSettings_data();
    void badListenSettings();
    void replyInOnePiece_data();
    void replyInOnePiece();
    void severalClients();
    void replyLeavesBeforeTheLoopRunsAgain();
    void lineSplitAcrossSegments();
    void overlongLine();
    void binaryBytes();
    void silentClientClosed();
    void stalledLineClosed();
    void idleClientClosedAfterAnHour();
    void tooManyClients();
    void vanishingMidLine();
    void goodbye();
    void clientThatDoesNotRead();
    void radioNotThere();
    void peerAllowed_data();
    void peerAllowed();
    void closeDropsClients();
};

void TestRigctlServer::listensOnLoopbackOnly() {
    Endpoint e;
    QVERIFY(e.server.isListening());
    QVERIFY(e.server.port() > 0);
    RawClient c(e.server.port());
    QVERIFY(c.connected());
    c.send("f\n");
    QCOMPARE(c.recvOnce(), QByteArray("14074000\n"));
}

void TestRigctlServer::badListenSettings_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::newRow("name") << "radio.example" << 4532;
    QTest::newRow("empty") << "" << 4532;
    QTest::newRow("port too big") << "127.0.0.1" << 70000;
    QTest::newRow("negative port") << "127.0.0.1" << -1;
    QTest::newRow("not this machine") << "192.0.2.1" << 0;
}

void TestRigctlServer::badListenSettings() {
    QFETCH(QString, address);
    QFETCH(int, port);
    FakeRig rig;
    RigctlServer server(rig);
    QVERIFY(!server.listen(address.toStdString(), port));
    QVERIFY(!server.isListening());
    QVERIFY(!server.errorString().empty());
}

void TestRigctlServer::replyInOnePiece_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("f") << QByteArray("f\n") << QByteArray("14074000\n");
    QTest::newRow("m") << QByteArray("m\n") << QByteArray("USB\n2400\n");
    QTest::newRow("extended s") << QByteArray("+s\n")
                                << QByteArray("get_split_vfo:\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n");
    QTest::newRow("CR LF") << QByteArray("v\r\n") << QByteArray("VFOA\n");
    QTest::newRow("set") << QByteArray("F 7074000\n") << QByteArray("RPRT 0\n");
    QTest::newRow("unknown") << QByteArray("\\stream_caps\n") << QByteArray("RPRT -11\n");
    QTest::newRow("two commands") << QByteArray("f t\n") << QByteArray("14074000\n0\n");
}

void TestRigctlServer::replyInOnePiece() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    Endpoint e;
    RawClient c(e.server.port());
    c.send(line);
    QCOMPARE(c.recvOnce(), reply);
}

void TestRigctlServer::severalClients() {
    Endpoint e;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 5; ++i) clients.push_back(std::make_unique<RawClient>(e.server.port()));
    QVERIFY(e.clientsReach(5));
    clients[0]->send("V VFOB\n");
    QCOMPARE(clients[0]->recvOnce(), QByteArray("RPRT 0\n"));
    for (int i = 0; i < 5; ++i) {
        clients[i]->send("f\n");
        QCOMPARE(clients[i]->recvOnce(), QByteArray(i == 0 ? "14080000\n" : "14074000\n"));
    }
    // The dump goes out whole too.
    clients[1]->send("\\dump_state\n");
    QByteArray dump = clients[1]->recvOnce();
    QVERIFY(dump.startsWith("1\n2\n0\n"));
    QVERIFY(dump.endsWith("done\n"));
    QCOMPARE(e.server.refusedCount(), std::size_t{0});
}

// The panel serves a queued set right after the event that took it and then
// holds the radio's pause without running the event loop: the set's reply
// must already be on its way by then, not wait for the next pass.
void TestRigctlServer::replyLeavesBeforeTheLoopRunsAgain() {
    Endpoint e;
    RawClient c(e.server.port());
    QVERIFY(e.clientsReach(1));
    c.send("F 7074000\n");
    QDeadlineTimer deadline(5000);
    // One batch of events at a time, as the panel's yield takes them (the
    // timer bounds each wait).
    QTimer tick;
    tick.start(50);
    while (e.rig.requests.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCOMPARE(e.rig.requests, QStringList{"F A 0707400"});
    // No event loop from here on, as in the panel's pause.
    QCOMPARE(c.takeWithoutServing(2000), QByteArray("RPRT 0\n"));
}

void TestRigctlServer::lineSplitAcrossSegments() {
    Endpoint e;
    RawClient c(e.server.port());
    c.send("F 70");
    QVERIFY(c.quiet());
    QVERIFY(e.rig.requests.isEmpty());
    c.send("74000\nm\n");
    QByteArray got = c.recvOnce();
    if (got == "RPRT 0\n") got += c.recvOnce();
    QCOMPARE(got, QByteArray("RPRT 0\nUSB\n2400\n"));
    QCOMPARE(e.rig.requests, QStringList{"F A 0707400"});
}

void TestRigctlServer::overlongLine() {
    Endpoint e;
    RawClient c(e.server.port());
    // 1024 bytes are a line; one more is not, however the line goes on.
    c.send("F 7074000" + QByteArray(1015, ' ') + "\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT 0\n"));
    c.send("F 7074000" + QByteArray(1016, ' '));
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -1\n"));
    c.send(QByteArray(5000, 'F') + " 7074000\n");
    QVERIFY(c.quiet());  // the rest of the over-long line is skipped
    c.send("f\n");
    QCOMPARE(c.recvOnce(), QByteArray("14074000\n"));
    QCOMPARE(e.rig.requests, QStringList{"F A 0707400"});
    QCOMPARE(e.server.clientCount(), std::size_t{1});
}

void TestRigctlServer::binaryBytes() {
    Endpoint e;
    RawClient c(e.server.port());
    c.send(QByteArray("F 7074000\x00", 10) + "\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -1\n"));
    c.send("T 1\x1b\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -1\n"));
    c.send(QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\n", 12));  // TLS
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -1\n"));
    c.send("M \xc3\xa9 0\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -1\n"));
    QVERIFY(e.rig.requests.isEmpty());
    c.send("t\n");
    QCOMPARE(c.recvOnce(), QByteArray("0\n"));
}

void TestRigctlServer::silentClientClosed() {
    Endpoint e;
    RawClient c(e.server.port());
    QVERIFY(e.clientsReach(1));
    e.clock += RigctlServer::kSilentLimit - 1;
    e.server.sweep();
    QCOMPARE(e.server.clientCount(), std::size_t{1});
    e.clock += 2;
    e.server.sweep();
    QCOMPARE(e.server.clientCount(), std::size_t{0});
    QCOMPARE(c.recvOnce(), QByteArray("<closed>"));
}

void TestRigctlServer::stalledLineClosed() {
    Endpoint e;
    RawClient c(e.server.port());
    c.send("f\n");
    QCOMPARE(c.recvOnce(), QByteArray("14074000\n"));
    c.send("T ");
    QVERIFY(c.quiet());
    e.clock += RigctlServer::kSilentLimit + 1;
    e.server.sweep();
    QCOMPARE(c.recvOnce(), QByteArray("<closed>"));
    QVERIFY(e.rig.requests.isEmpty());
}

void TestRigctlServer::idleClientClosedAfterAnHour() {
    Endpoint e;
    RawClient c(e.server.port());
    c.send("f\n");
    QCOMPARE(c.recvOnce(), QByteArray("14074000\n"));
    e.clock += RigctlServer::kIdleLimit - 10;
    e.server.sweep();
    c.send("m\n");
    QCOMPARE(c.recvOnce(), QByteArray("USB\n2400\n"));
    e.clock += RigctlServer::kIdleLimit + 1;
    e.server.sweep();
    QCOMPARE(c.recvOnce(), QByteArray("<closed>"));
}

void TestRigctlServer::tooManyClients() {
    Endpoint e;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 50; ++i) clients.push_back(std::make_unique<RawClient>(e.server.port()));
    QDeadlineTimer deadline(5000);
    while (e.server.refusedCount() < 50 - RigctlServer::kMaxClients && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCOMPARE(e.server.clientCount(), RigctlServer::kMaxClients);
    QCOMPARE(e.server.refusedCount(), 50 - RigctlServer::kMaxClients);
    int served = 0;
    int closed = 0;
    for (auto& c : clients) {
        c->send("f\n");
        QByteArray got = c->recvOnce();
        if (got == "14074000\n") ++served;
        if (got == "<closed>") ++closed;
    }
    QCOMPARE(served, int(RigctlServer::kMaxClients));
    QCOMPARE(closed, 50 - int(RigctlServer::kMaxClients));
    // A place that comes free is taken by the next client.
    clients[0].reset();
    QVERIFY(e.clientsReach(RigctlServer::kMaxClients - 1));
    RawClient late(e.server.port());
    late.send("v\n");
    QCOMPARE(late.recvOnce(), QByteArray("VFOA\n"));
}

void TestRigctlServer::vanishingMidLine() {
    Endpoint e;
    {
        RawClient c(e.server.port());
        c.send("F 7074");
        QVERIFY(c.quiet());
    }
    QVERIFY(e.clientsReach(0));
    QVERIFY(e.rig.requests.isEmpty());
    RawClient next(e.server.port());
    next.send("000\n");  // does not complete the vanished client's line
    QCOMPARE(next.recvOnce(), QByteArray("RPRT -11\n"));
    QVERIFY(e.rig.requests.isEmpty());
}

void TestRigctlServer::goodbye() {
    Endpoint e;
    RawClient c(e.server.port());
    c.send("q\nf\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT 0\n"));
    QCOMPARE(c.recvOnce(), QByteArray("<closed>"));
    QVERIFY(e.clientsReach(0));
}

void TestRigctlServer::clientThatDoesNotRead() {
    Endpoint e;
    RawClient c(e.server.port());
    QByteArray many;
    for (int i = 0; i < 200; ++i) many += "\\dump_state\n";
    // A client that asks and asks and never reads is closed once the
    // replies it leaves unread pass the bound; the panel keeps no more.
    QDeadlineTimer deadline(10000);
    while (e.server.clientCount() > 0 && !deadline.hasExpired()) {
        c.sendQuietly(many);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCOMPARE(e.server.clientCount(), std::size_t{0});
}

void TestRigctlServer::radioNotThere() {
    Endpoint e;
    e.rig.state.radioPresent = false;
    RawClient c(e.server.port());
    c.send("F 7074000\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -6\n"));
    c.send("f\n");
    QCOMPARE(c.recvOnce(), QByteArray("14074000\n"));
    c.send("\\get_powerstat\n");
    QCOMPARE(c.recvOnce(), QByteArray("0\n"));
    c.send("T 1\n");
    QCOMPARE(c.recvOnce(), QByteArray("RPRT -6\n"));
    QVERIFY(e.rig.requests.isEmpty());
}

void TestRigctlServer::peerAllowed_data() {
    QTest::addColumn<QString>("peer");
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<bool>("allowed");
    const QStringList none;
    QTest::newRow("loopback") << "127.0.0.1" << none << true;
    QTest::newRow("loopback range") << "127.0.0.2" << none << true;
    QTest::newRow("ipv6 loopback") << "::1" << none << true;
    QTest::newRow("mapped loopback") << "::ffff:127.0.0.1" << none << true;
    QTest::newRow("lan host unlisted") << "192.168.1.20" << none << false;
    QTest::newRow("lan host listed") << "192.168.1.20" << QStringList{"192.168.1.20"} << true;
    QTest::newRow("mapped listed") << "::ffff:192.168.1.20" << QStringList{"192.168.1.20"} << true;
    QTest::newRow("other host") << "192.168.1.21" << QStringList{"192.168.1.20"} << false;
    QTest::newRow("subnet") << "192.168.1.21" << QStringList{"192.168.1.0/24"} << true;
    QTest::newRow("outside subnet") << "192.168.2.1" << QStringList{"192.168.1.0/24"} << false;
    QTest::newRow("blanks in entry") << "10.0.0.7" << QStringList{" 10.0.0.7 "} << true;
    QTest::newRow("bad entry") << "10.0.0.7" << QStringList{"10.0.0.x", "/8"} << false;
    QTest::newRow("ipv6 listed") << "fd00::5" << QStringList{"fd00::/64"} << true;
    QTest::newRow("not an address") << "nonsense" << QStringList{"nonsense"} << false;
}

void TestRigctlServer::peerAllowed() {
    QFETCH(QString, peer);
    QFETCH(QStringList, hosts);
    QFETCH(bool, allowed);
    std::vector<std::string> list;
    for (const QString& h : hosts) list.push_back(h.toStdString());
    QCOMPARE(RigctlServer::peerAllowed(peer.toStdString(), list), allowed);
}

void TestRigctlServer::closeDropsClients() {
    Endpoint e;
    RawClient a(e.server.port());
    RawClient b(e.server.port());
    QVERIFY(e.clientsReach(2));
    e.server.close();
    QVERIFY(!e.server.isListening());
    QCOMPARE(e.server.clientCount(), std::size_t{0});
    QCOMPARE(a.recvOnce(), QByteArray("<closed>"));
    QCOMPARE(b.recvOnce(), QByteArray("<closed>"));
}

QTEST_GUILESS_MAIN(TestRigctlServer)
#include "test_cat_rigctl_server.moc"
