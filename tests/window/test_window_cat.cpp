// The CAT bridge and the setup menu entries in the running panel: station
// software on the CAT port served by the main loop, CAT Setup reopening the
// CAT port after Apply, Port Setup reopening the radio port.
#include <QtTest>

#include "cat/cat_bridge.h"
#include "panel_harness.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_port_setup.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::test;
using S = Controller::Stage;

namespace {
void openCatPort(PanelHarness& h) {
    writeLines("CATSetup.txt", {"2", "9600,N,8,1", "comNone", "Kenwood"});
    h.available = [](int n) { return n == 1 || n == 2; };
}
}  // namespace

class TestWindowCat : public QObject {
    Q_OBJECT
private slots:
    void queriesAndSetsThroughTheLoop_data();
    void queriesAndSetsThroughTheLoop();
    void splitAcrossReceives();
    void garbageThenValid();
    void shortLeftoverServed();
    void catSetupApplyReopensPort();
    void catSetupCancelLeavesPort();
    void portSetupApplyReopensRadioPort();
};

void TestWindowCat::queriesAndSetsThroughTheLoop_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QByteArray>("station");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("toRadio");
    QTest::newRow("FA query") << int(Firmware::V601) << QByteArray("FA;")
                              << QByteArray("FA00014074000;") << QByteArray("");
    QTest::newRow("FA set") << int(Firmware::V601) << QByteArray("FA00007074000;") << QByteArray("")
                            << QByteArray("F0707400\n");
    QTest::newRow("MD1 v601 in USB") << int(Firmware::V601) << QByteArray("MD1;") << QByteArray("")
                                     << QByteArray("M\n");
    QTest::newRow("MD1 adapt") << int(Firmware::Adapt) << QByteArray("MD1;") << QByteArray("")
                               << QByteArray("M2\nF1407400\n");
    QTest::newRow("FA then MD") << int(Firmware::NonAdapt) << QByteArray("FA;MD;")
                                << QByteArray("FA00014074000;MD2;") << QByteArray("");
    QTest::newRow("ignored shapes") << int(Firmware::V601) << QByteArray("IF;ID;fa;PS;MD0;")
                                    << QByteArray("") << QByteArray("");
    QTest::newRow("empty commands") << int(Firmware::V601) << QByteArray(";;FA;")
                                    << QByteArray("FA00014074000;") << QByteArray("");
}

void TestWindowCat::queriesAndSetsThroughTheLoop() {
    QFETCH(int, fw);
    QFETCH(QByteArray, station);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, toRadio);
    PanelHarness h(static_cast<Firmware>(fw), true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    QVERIFY(h.cat.isOpen());
    QCOMPARE(h.cat.config().receiveThreshold, 3);
    h.runFor(0.3);
    h.radio.takeWritten();
    h.cat.takeWritten();
    h.cat.inject(station.toStdString(), 0.0, 0.002);
    h.runFor(1.5);
    QCOMPARE(QByteArray::fromStdString(h.cat.takeWritten()), answer);
    std::string radio = h.radio.takeWritten();
    // The heartbeat may run meanwhile; everything else is the CAT request.
    radio.erase(std::remove(radio.begin(), radio.end(), 'U'), radio.end());
    QCOMPARE(QByteArray::fromStdString(radio), toRadio);
    QCOMPARE(h.cap(h.ui()->txtInCat).empty(), false);
}

void TestWindowCat::splitAcrossReceives() {
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    h.radio.takeWritten();
    // 4800 baud: the frequency set arrives in two receive events.
    h.cat.inject("FA00007", 0.0, 0.002);
    h.runFor(0.05);
    h.cat.inject("074000;", 0.0, 0.002);
    h.runFor(1.5);
    std::string radio = h.radio.takeWritten();
    QVERIFY2(radio.find("F0707400\n") != std::string::npos, radio.c_str());
    QCOMPARE(h.model.state.freq, std::string("0707400"));
}

void TestWindowCat::garbageThenValid() {
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    h.radio.takeWritten();
    std::string junk(2000, ';');
    junk += std::string("\xff\x00\x01" "FAFAFAFA", 11);
    junk += std::string(300, 'F');
    h.cat.inject(junk, 0.0, 0.0001);
    h.runFor(1.0);
    QCOMPARE(h.cat.takeWritten(), std::string());
    h.cat.inject(";FA;", 0.0, 0.002);
    h.runFor(1.0);
    QCOMPARE(h.cat.takeWritten(), std::string("FA00014074000;"));
}

void TestWindowCat::shortLeftoverServed() {
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    h.cat.takeWritten();
    // The receive event takes "FA;FA"; the last ";" comes alone 30 ms
    // later, too short for an event of its own.
    h.cat.inject("FA;FA", 0.0, 0.001);
    h.cat.inject(";", 0.030, 0.0);
    h.run([&] { return !h.cat.writes().empty(); }, 100000);
    QCOMPARE(h.cat.takeWritten(), std::string("FA00014074000;"));
    h.runFor(0.5);
    QCOMPARE(h.cat.takeWritten(), std::string("FA00014074000;"));
}

void TestWindowCat::catSetupApplyReopensPort() {
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    h.available = [](int n) { return n >= 1 && n <= 3; };
    QVERIFY(h.runPasses(2));
    QCOMPARE(h.cat.openCount(), 1);
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QCOMPARE(dlg->ui->cmbSelectPort->currentText(), QString("2"));
        dlg->ui->cmbSelectPort->setCurrentText("3");
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QCOMPARE(h.cat.openCount(), 2);
    QCOMPARE(h.cat.config().portNumber, 3);
    QVERIFY(!h.c->set.gCatSetupApplied);
}

void TestWindowCat::catSetupCancelLeavesPort() {
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(2));
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        dlg->ui->cmdCancel->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QCOMPARE(h.cat.openCount(), 1);
}

void TestWindowCat::portSetupApplyReopensRadioPort() {
    PanelHarness h(Firmware::V601, false);
    QVERIFY(h.runPasses(2));
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmPortSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QCOMPARE(dlg->ui->cmbSelectPort->currentText(), QString("1"));
        dlg->ui->cmbSelectBaudRate->setCurrentText("19200 ");
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuPortSetup->trigger();
    QVERIFY(h.c->req.reqPortReopen);
    QCOMPARE(h.c->set.gRadioSettings, std::string("19200 ,O,7,1"));
    double t0 = h.clock.elapsed();
    QVERIFY(h.run([&] { return h.radio.openCount() == 2; }, 50));
    QVERIFY(h.clock.elapsed() - t0 >= 0.5);  // closed, then reopened after 0.5 s
    QCOMPARE(h.radio.config().settings, std::string("19200 ,O,7,1"));
    // Queried again and initialised again.
    QVERIFY(h.run([&] { return h.inLoop(); }, 5000));
    QCOMPARE(h.c->ps.gControlMode, std::string("LOCAL"));
}

QTEST_MAIN(TestWindowCat)
#include "test_window_cat.moc"
