// The network rig control endpoint in the running panel: a client on the
// loopback address sets and reads through the main loop, and the radio sees
// the same commands as from the panel's own controls.
#include <QTcpSocket>
#include <QtTest>
#include <algorithm>

#include "panel/transmit_control.h"
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

// Starts the panel with its endpoint on a free loopback port and connects
// `client` to it; false when a step fails.
bool startWithClient(PanelHarness& h, QTcpSocket& client) {
    h.c->hooks.rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    if (!h.runPasses(3) || h.c->network().port <= 0) return false;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->network().port));
    return client.waitForConnected(2000);
}

}  // namespace

class TestWindowRigctl : public QObject {
    Q_OBJECT
  private slots:
    void setFrequencyReachesTheRadio();
    void setsReachTheRadio_data();
    void setsReachTheRadio();
    void setsWithoutTheRadio();
    void readsAnswerFromThePanel_data();
    void readsAnswerFromThePanel();
    void pttKeysThroughXmit();
    void pttRefusedWhereXmitMayNot();
    void notListeningWithoutOption();
};

void TestWindowRigctl::setFrequencyReachesTheRadio() {
    PanelHarness h(Firmware::V601, true);
    h.c->hooks.rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    QVERIFY(h.runPasses(3));
    QVERIFY(h.c->network().port > 0);
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->network().port));
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

// The sets of a client become the radio commands the panel's own controls
// and the serial CAT bridge give, served by the main loop; the read that
// follows answers from the radio's new report.
void TestWindowRigctl::setsReachTheRadio_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QByteArray>("toRadio");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("F 40 m") << int(Firmware::V601) << QByteArray("F 7074000")
                            << QByteArray("F0707400\n") << QByteArray("f")
                            << QByteArray("7074000\n");
    QTest::newRow("F decimal rounds to 10 Hz")
        << int(Firmware::V601) << QByteArray("F 14074055.000000") << QByteArray("F1407406\n")
        << QByteArray("f") << QByteArray("14074060\n");
    QTest::newRow("set_freq long name")
        << int(Firmware::V601) << QByteArray("\\set_freq 3573000") << QByteArray("F0357300\n")
        << QByteArray("\\get_freq") << QByteArray("3573000\n");
    QTest::newRow("M LSB adapt") << int(Firmware::Adapt) << QByteArray("M LSB 0")
                                 << QByteArray("M2\nF1407400\n") << QByteArray("m")
                                 << QByteArray("LSB\n2400\n");
    QTest::newRow("M CW keeps passband")
        << int(Firmware::NonAdapt) << QByteArray("M CW -1") << QByteArray("mmm\n")
        << QByteArray("m") << QByteArray("CW\n");
    QTest::newRow("M LSB v601") << int(Firmware::V601) << QByteArray("M LSB 0") << QByteArray("M\n")
                                << QByteArray("m") << QByteArray("LSB\n2400\n");
    // Already in USB: nothing to change on the radio.
    QTest::newRow("M USB v601 already USB")
        << int(Firmware::V601) << QByteArray("M USB 0") << QByteArray("") << QByteArray("m")
        << QByteArray("USB\n2400\n");
}

void TestWindowRigctl::setsReachTheRadio() {
    QFETCH(int, fw);
    QFETCH(QByteArray, set);
    QFETCH(QByteArray, toRadio);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, readBack);
    PanelHarness h(static_cast<Firmware>(fw), true);
    QTcpSocket client;
    QVERIFY(startWithClient(h, client));
    h.runFor(0.3);
    h.radio.takeWritten();
    QCOMPARE(ask(h, client, set), QByteArray("RPRT 0\n"));
    h.runFor(1.5);
    std::string radio = h.radio.takeWritten();
    // The heartbeat may run meanwhile; everything else is the client's set.
    radio.erase(std::remove(radio.begin(), radio.end(), 'U'), radio.end());
    QCOMPARE(QByteArray::fromStdString(radio), toRadio);
    QVERIFY(ask(h, client, read, readBack.count('\n')).startsWith(readBack));
}

// With the radio gone, reads answer from the last state and sets are
// refused as an I/O error, with nothing queued for a later radio.
void TestWindowRigctl::setsWithoutTheRadio() {
    PanelHarness h(Firmware::V601, true);
    QTcpSocket client;
    QVERIFY(startWithClient(h, client));
    h.runFor(0.3);
    h.radio.setVanished(true);
    h.available = [](int) { return false; };
    QVERIFY(h.run([&] { return h.c->state().ps.gRadioPortLost; }, 400));
    QCOMPARE(ask(h, client, "F 7074000"), QByteArray("RPRT -6\n"));
    QCOMPARE(ask(h, client, "M LSB 0"), QByteArray("RPRT -6\n"));
    QCOMPARE(ask(h, client, "f"), QByteArray("14074000\n"));
    h.radio.setVanished(false);
    h.available = [](int n) { return n == 1; };
    QVERIFY(h.run([&] { return h.radio.isOpen() && h.inLoop(); }, 20000));
    h.runFor(1.0);
    std::string radio = h.radio.takeWritten();
    QVERIFY2(radio.find("F0707400") == std::string::npos, radio.c_str());
    QVERIFY2(radio.find("M2") == std::string::npos, radio.c_str());
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
    h.c->hooks.rigctldOption = ListenEndpoint{"127.0.0.1", 0};
    QVERIFY(h.runPasses(3));
    h.runFor(0.5);
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(h.c->network().port));
    QVERIFY(client.waitForConnected(2000));
    QCOMPARE(ask(h, client, command, lines), reply);
}

// T 1 keys the radio as the XMT button does, T 0 unkeys it; t reads what
// the radio reports.
void TestWindowRigctl::pttKeysThroughXmit() {
    PanelHarness h(Firmware::V601, true);
    QTcpSocket client;
    QVERIFY(startWithClient(h, client));
    h.runFor(0.3);
    h.radio.takeWritten();
    QCOMPARE(ask(h, client, "t"), QByteArray("0\n"));
    QCOMPARE(ask(h, client, "T 1"), QByteArray("RPRT 0\n"));
    QVERIFY(h.run([&] { return h.c->state().ps.gXmtOn; }, 20000));
    QCOMPARE(h.cap(h.ui()->cmdXmit), std::string(TransmitControl::kXmitOff));
    h.runFor(1.0);
    QCOMPARE(ask(h, client, "t"), QByteArray("1\n"));
    // Keying twice changes nothing.
    QCOMPARE(ask(h, client, "T 1"), QByteArray("RPRT 0\n"));
    h.runFor(0.5);
    QVERIFY(h.c->state().ps.gXmtOn);
    QCOMPARE(ask(h, client, "T 0"), QByteArray("RPRT 0\n"));
    QVERIFY(h.run([&] { return !h.c->state().ps.gXmtOn; }, 20000));
    h.runFor(1.0);
    QCOMPARE(ask(h, client, "t"), QByteArray("0\n"));
    const std::string radio = h.radio.takeWritten();
    const auto keyed = radio.find('K');
    QVERIFY2(keyed != std::string::npos, radio.c_str());
    QVERIFY2(radio.find('U', keyed) != std::string::npos, radio.c_str());
    QCOMPARE(h.c->state().st.gSyncChar, std::string("U"));
}

// Where the XMT button may not be pressed (the radio tuned outside the
// bands), T 1 is refused and nothing keys.
void TestWindowRigctl::pttRefusedWhereXmitMayNot() {
    PanelHarness h(Firmware::V601, true);
    QTcpSocket client;
    QVERIFY(startWithClient(h, client));
    h.model.setFrequency("0500000", h.clock.elapsed());
    QVERIFY(h.run([&] { return !h.ui()->cmdXmit->isEnabled(); }, 20000));
    h.radio.takeWritten();
    QCOMPARE(ask(h, client, "T 1"), QByteArray("RPRT -9\n"));
    h.runFor(1.0);
    const std::string radio = h.radio.takeWritten();
    QVERIFY2(radio.find('K') == std::string::npos, radio.c_str());
    QVERIFY(!h.c->state().ps.gXmtOn);
}

void TestWindowRigctl::notListeningWithoutOption() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->network().port, 0);
}

QTEST_MAIN(TestWindowRigctl)
#include "test_window_rigctl.moc"
