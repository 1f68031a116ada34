// The radio port of the real main window on the fake port: a lost port comes
// back only on the device it had, a port that does not open says why on the
// information line and shows no link, and a closed port is a silent radio.
#include <QtTest>

#include "panel_harness.h"
#include "radio/protocol.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

class TestWindowRadioPort : public QObject {
    Q_OBJECT
  private slots:
    void lostPortComesBackOnItsDevice_data();
    void lostPortComesBackOnItsDevice();
    void lostPortReplacedNeedsPortSetup();
    void openingFailsSaysWhy_data();
    void openingFailsSaysWhy();
    void refusedSettingsAtStartup();
    void stepModeOnClosedPortTakesItsTime();
};

namespace {

// Runs until the port is lost, with the device gone from under the panel.
bool losePort(PanelHarness& h) {
    h.radio.setVanished(true);
    return h.run([&] { return h.c->ps.gRadioPortLost; }, 400);
}

}  // namespace

void TestWindowRadioPort::lostPortComesBackOnItsDevice_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("device");  // what port 1 leads to when the device is back
    QTest::addColumn<bool>("reopened");
    QTest::newRow("local, same device") << false << "/dev/ttyFAKE0" << true;
    QTest::newRow("remote, same device") << true << "/dev/ttyFAKE0" << true;
    QTest::newRow("local, link removed") << false << "" << false;
    QTest::newRow("remote, link removed") << true << "" << false;
    QTest::newRow("remote, link to another device") << true << "/dev/ttyFAKE1" << false;
}

// The number is not resolved afresh for a lost port (port 1 stays
// "available" to the probe all along): only the device it had comes back.
void TestWindowRadioPort::lostPortComesBackOnItsDevice() {
    QFETCH(bool, remote);
    QFETCH(QString, device);
    QFETCH(bool, reopened);
    PanelHarness h(Firmware::V601, remote);
    QVERIFY(h.runPasses(3));
    QVERIFY(losePort(h));
    QVERIFY(!h.radio.isOpen());
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Com"));
    QCOMPARE(h.cap(h.ui()->txtInfo),
             std::string("Radio port lost: waiting for it to come back..."));
    h.radio.setDevice(device.toStdString());
    h.radio.setVanished(false);
    if (reopened) {
        QVERIFY(h.run([&] { return h.radio.isOpen() && h.inLoop(); }, 20000));
        QVERIFY(!h.c->ps.gRadioPortLost);
        QCOMPARE(h.radio.openCount(), 2);
        QCOMPARE(h.c->ps.gControlMode, std::string(remote ? "REMOTE" : "LOCAL"));
        return;
    }
    h.radio.takeWritten();
    h.runFor(30.0);
    QCOMPARE(h.radio.openCount(), 1);
    QVERIFY(!h.radio.isOpen());
    QVERIFY(h.c->ps.gRadioPortLost);
    QCOMPARE(h.radio.takeWritten(), std::string());
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Com"));
}

// A path that now leads to another device is said once on the information
// line; applying Port Setup then opens the new device.
void TestWindowRadioPort::lostPortReplacedNeedsPortSetup() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QVERIFY(losePort(h));
    h.radio.setVanished(false);
    h.radio.setDevice("/dev/ttyFAKE1");
    const std::string said =
        "Radio port: ports/COM1: leads to /dev/ttyFAKE1 now, not to /dev/ttyFAKE0; not opened. "
        "Apply Port Setup to use it.";
    QVERIFY(h.run([&] { return h.cap(h.ui()->txtInfo) == said; }, 400));
    QVERIFY(h.ui()->txtInfo->isVisible());
    // Said once: another message is not overwritten on every pass.
    h.c->link.ReportError("something else");
    h.runFor(5.0);
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("something else"));
    QCOMPARE(h.radio.openCount(), 1);
    // The operator applies Port Setup: the number is resolved afresh.
    h.c->req.reqPortReopen = true;
    QVERIFY(h.run([&] { return h.radio.isOpen() && h.inLoop(); }, 20000));
    QCOMPARE(h.radio.openCount(), 2);
    QVERIFY(!h.c->ps.gRadioPortLost);
    QCOMPARE(h.c->ps.gControlMode, std::string("REMOTE"));
    QCOMPARE(h.cap(h.ui()->lblREMOTE), std::string("REMOTE"));
}

void TestWindowRadioPort::openingFailsSaysWhy_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("refused");  // what the device refuses
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("info");
    QTest::newRow("device refuses parity")
        << "9600,O,7,1"
        << "parity odd" << false
        << "Radio port: ports/COM1: line settings \"9600,O,7,1\" refused by the device: parity odd";
    QTest::newRow("settings nobody can take")
        << "12345,Q,9,3"
        << "" << false
        << "Radio port: ports/COM1: line settings \"12345,Q,9,3\" refused: speed 12345, parity Q, "
           "data bits 9, stop bits 3";
    QTest::newRow("port in use") << "9600,O,7,1"
                                 << "" << true << "Radio port: ports/COM1: Port in use";
}

// Port Setup applied while the panel runs in REMOTE, and the port does not
// open: the request is served, the reason is on the information line, the
// panel shows no link (not REMOTE) and nothing is sent until the operator
// applies settings that work.
void TestWindowRadioPort::openingFailsSaysWhy() {
    QFETCH(QString, settings);
    QFETCH(QString, refused);
    QFETCH(bool, busy);
    QFETCH(QString, info);
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.cap(h.ui()->lblREMOTE), std::string("REMOTE"));
    h.radio.setRefusedSetting(refused.toStdString());
    h.radio.setOpenFails(busy);
    h.c->set.gRadioSettings = settings.toStdString();
    h.c->req.reqPortReopen = true;
    QVERIFY(h.run([&] { return h.c->stage() == S::WaitPort; }, 400));
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->txtInfo)), info);
    QVERIFY(h.ui()->txtInfo->isVisible());
    QVERIFY(!h.c->req.reqPortReopen);
    QVERIFY(!h.radio.isOpen());
    QVERIFY(!h.c->ps.gRadioPortOk);
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Port"));
    QCOMPARE(h.cap(h.ui()->lblREMOTE), std::string());
    QVERIFY(h.c->ps.gRadioPortLost);
    h.radio.takeWritten();
    h.run([] { return false; }, 200);
    QCOMPARE(h.c->stage(), S::WaitPort);
    QCOMPARE(h.radio.takeWritten(), std::string());
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->txtInfo)), info);
    // The device would take it now, but nothing is opened until the
    // operator applies settings again.
    h.radio.setRefusedSetting("");
    h.radio.setOpenFails(false);
    h.run([] { return false; }, 200);
    QVERIFY(!h.radio.isOpen());
    QCOMPARE(h.radio.takeWritten(), std::string());
    // Settings that work: back in REMOTE.
    h.c->set.gRadioSettings = "9600,O,7,1";
    h.c->req.reqPortReopen = true;
    QVERIFY(h.run([&] { return h.inLoop() && h.cap(h.ui()->lblREMOTE) == "REMOTE"; }, 20000));
    QVERIFY(h.radio.isOpen());
    QVERIFY(!h.c->ps.gRadioPortLost);
}

void TestWindowRadioPort::refusedSettingsAtStartup() {
    PanelHarness h(Firmware::V601, false, false);
    writeLines("PortSetup.txt", {"1", "12345,Q,9,3", "comNone", "0"});
    QVERIFY(h.run([&] { return h.c->stage() == S::WaitPort; }, 400));
    QCOMPARE(h.cap(h.ui()->txtInfo),
             std::string("Radio port: ports/COM1: line settings \"12345,Q,9,3\" refused: speed "
                         "12345, parity Q, data bits 9, stop bits 3"));
    QCOMPARE(h.radio.openCount(), 0);
    QCOMPARE(h.radio.allWritten(), std::string());
}

// A closed port answers nothing, like a silent radio: StepMode's wait for
// the mode report takes its two seconds instead of spinning.
void TestWindowRadioPort::stepModeOnClosedPortTakesItsTime() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->st.gFwType, int(protocol::kFwV601));
    h.radio.close();
    const double t0 = h.clock.elapsed();
    h.c->link.StepMode();
    const double took = h.clock.elapsed() - t0;
    QVERIFY2(took >= 2.0 && took < 5.0, qPrintable(QString::number(took)));
    QCOMPARE(h.cap(h.ui()->txtInfo), std::string("Mode did not change.."));
    QCOMPARE(h.cap(h.ui()->lblComStat), std::string("No Com"));
}

QTEST_MAIN(TestWindowRadioPort)
#include "test_window_radio_port.moc"
