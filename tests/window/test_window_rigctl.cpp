// The network rig control endpoint in the running panel: a client on the
// loopback address sets and reads through the main loop, and the radio sees
// the same commands as from the panel's own controls.
#include <QTcpSocket>
#include <QtTest>

#include "panel_harness.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

// Sends `line` and runs the loop until a reply of `lines` lines has come.
QByteArray ask(PanelHarness& h, QTcpSocket& client, const QByteArray& line, int lines = 1) {
    client.write(line + "\n");
    client.flush();
    QByteArray reply;
    h.run(
        [&] {
            reply += client.readAll();
            return reply.count('\n') >= lines;
        },
        200000);
    return reply;
}

}  // namespace

class TestWindowRigctl : public QObject {
    Q_OBJECT
  private slots:
    void setFrequencyReachesTheRadio();
    void readsAnswerFromThePanel_data();
    void readsAnswerFromThePanel();
    void pttNotAvailable();
    void notListeningWithoutOption();
};

void TestWindowRigctl::setFrequencyReachesTheRadio() {
    PanelHarness h(Firmware::V601, true);
    h.c->rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    QVERIFY(h.runPasses(3));
    QVERIFY(h.c->rigctlPort() > 0);
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->rigctlPort()));
    QVERIFY(client.waitForConnected(2000));
    h.runFor(0.3);
    h.radio.takeWritten();
    QCOMPARE(ask(h, client, "F 7074000"), QByteArray("RPRT 0\n"));
    h.runFor(1.0);
    std::string radio = h.radio.takeWritten();
    QVERIFY2(radio.find("F0707400\n") != std::string::npos, radio.c_str());
    // The radio's report of the new frequency is what the next read answers.
    QCOMPARE(ask(h, client, "f"), QByteArray("7074000\n"));
}

void TestWindowRigctl::readsAnswerFromThePanel_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("frequency") << QByteArray("f") << 1 << QByteArray("14074000\n");
    QTest::newRow("mode") << QByteArray("m") << 2 << QByteArray("USB\n2400\n");
    QTest::newRow("split") << QByteArray("s") << 2 << QByteArray("0\nVFOA\n");
    QTest::newRow("power") << QByteArray("\\get_powerstat") << 1 << QByteArray("1\n");
    QTest::newRow("unknown") << QByteArray("\\no_such_command") << 1 << QByteArray("RPRT -11\n");
}

void TestWindowRigctl::readsAnswerFromThePanel() {
    QFETCH(QByteArray, command);
    QFETCH(int, lines);
    QFETCH(QByteArray, reply);
    PanelHarness h(Firmware::V601, true);
    h.c->rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    QVERIFY(h.runPasses(3));
    h.runFor(0.5);
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->rigctlPort()));
    QVERIFY(client.waitForConnected(2000));
    QCOMPARE(ask(h, client, command, lines), reply);
}

void TestWindowRigctl::pttNotAvailable() {
    PanelHarness h(Firmware::V601, true);
    h.c->rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    QVERIFY(h.runPasses(3));
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->rigctlPort()));
    QVERIFY(client.waitForConnected(2000));
    h.runFor(0.3);
    h.radio.takeWritten();
    QCOMPARE(ask(h, client, "T 1"), QByteArray("RPRT -11\n"));
    h.runFor(1.0);
    std::string radio = h.radio.takeWritten();
    QVERIFY2(radio.find('K') == std::string::npos, radio.c_str());
}

void TestWindowRigctl::notListeningWithoutOption() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->rigctlPort(), 0);
}

QTEST_MAIN(TestWindowRigctl)
#include "test_window_rigctl.moc"
