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
    void burstOfSetsKeepsTheHeartbeat_data();
    void burstOfSetsKeepsTheHeartbeat();
    void unfinishedCommandDroppedWhenLineQuiet_data();
    void unfinishedCommandDroppedWhenLineQuiet();
    void catSettingsReadWithoutBlanks();
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
    QTest::newRow("MD1 v601 in USB")
        << int(Firmware::V601) << QByteArray("MD1;") << QByteArray("") << QByteArray("M\n");
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
    junk += std::string(
        "\xff\x00\x01"
        "FAFAFAFA",
        11);
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
    QVERIFY(!h.c->state().set.gCatSetupApplied);
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
    QVERIFY(h.c->state().req.reqPortReopen);
    QCOMPARE(h.c->state().set.gRadioSettings, std::string("19200 ,O,7,1"));
    double t0 = h.clock.elapsed();
    QVERIFY(h.run([&] { return h.radio.openCount() == 2; }, 50));
    QVERIFY(h.clock.elapsed() - t0 >= 0.5);  // closed, then reopened after 0.5 s
    QCOMPARE(h.radio.config().settings, std::string("19200 ,O,7,1"));
    // Queried again and initialised again.
    QVERIFY(h.run([&] { return h.inLoop(); }, 5000));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
}

// Station software sends forty frequency sets at once, at some moment of
// the heartbeat's cycle: the radio gets the last one within 3 s, no stale
// one is replayed, and the heartbeat goes on every 2.2 s meanwhile.
void TestWindowCat::burstOfSetsKeepsTheHeartbeat_data() {
    QTest::addColumn<double>("phase");    // seconds after a heartbeat went out
    QTest::addColumn<double>("spacing");  // between characters of the burst
    for (double phase : {0.1, 1.4, 1.95}) {
        QTest::addRow("at once, %.2f s after a heartbeat", phase) << phase << 0.0;
        QTest::addRow("at 9600 baud, %.2f s after a heartbeat", phase) << phase << 0.00104;
    }
}

void TestWindowCat::burstOfSetsKeepsTheHeartbeat() {
    QFETCH(double, phase);
    QFETCH(double, spacing);
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    h.shell.yieldSeconds = 0.005;  // an event loop that wakes every 5 ms at most
    h.runFor(2.5);
    // Wait for a heartbeat, then for the phase.
    const size_t seen = h.radio.writes().size();
    QVERIFY(h.run([&] {
        for (size_t i = seen; i < h.radio.writes().size(); ++i)
            if (h.radio.writes()[i].text == "U") return true;
        return false;
    }));
    h.runFor(phase);
    std::string burst;
    for (int i = 0; i < 40; ++i) burst += "FA000" + std::to_string(1000000 + 1000 * i) + "0;";
    const double sent = h.clock.elapsed();
    h.cat.inject(burst, 0.0, spacing);
    h.runFor(7.0);

    double lastSetAt = -1.0;
    int sets = 0;
    std::vector<double> beats;
    for (const FakePort::Write& w : h.radio.writes()) {
        if (w.text == "U") beats.push_back(w.at);
        if (w.at < sent || w.text.rfind("F", 0) != 0) continue;
        ++sets;
        if (w.text == "F1039000\n") lastSetAt = w.at;
    }
    QVERIFY2(lastSetAt > 0, "the last frequency set never reached the radio");
    QVERIFY2(lastSetAt - sent <= 3.0, QByteArray::number(lastSetAt - sent));
    QCOMPARE(h.model.state.freq, std::string("1039000"));
    QVERIFY2(sets <= 3, QByteArray::number(sets));  // the latest of each receive at most
    double longest = 0.0;
    for (size_t i = 1; i < beats.size(); ++i)
        if (beats[i] > sent - 2.5) longest = std::max(longest, beats[i] - beats[i - 1]);
    QVERIFY2(longest < 2.3, QByteArray::number(longest));
    QVERIFY(h.c->cat().pending().empty());
}

// Characters without ";" and then a pause: the next command is answered.
void TestWindowCat::unfinishedCommandDroppedWhenLineQuiet_data() {
    QTest::addColumn<QByteArray>("junk");
    QTest::addColumn<double>("pause");
    QTest::newRow("2000 characters, 60 ms pause") << QByteArray(2000, 'x') << 0.06;
    QTest::newRow("2500 FA, 200 ms pause") << QByteArray(5000, 'F').replace("FF", "FA") << 0.2;
    QTest::newRow("an unfinished set, 1 s pause") << QByteArray("FA00007") << 1.0;
}

void TestWindowCat::unfinishedCommandDroppedWhenLineQuiet() {
    QFETCH(QByteArray, junk);
    QFETCH(double, pause);
    PanelHarness h(Firmware::V601, true);
    openCatPort(h);
    QVERIFY(h.runPasses(3));
    h.radio.takeWritten();
    h.cat.inject(junk.toStdString(), 0.0, 0.0001);
    h.runFor(static_cast<double>(junk.size()) * 0.0001 + pause);
    h.cat.inject("FA;", 0.0, 0.001);
    h.runFor(0.5);
    QCOMPARE(h.cat.takeWritten(), std::string("FA00014074000;"));
    std::string radio = h.radio.takeWritten();
    QCOMPARE(radio.find('F'), std::string::npos);
}

// CATSetup.txt with the blanks of the dialog's list items: the port opens on
// the text without them, the file keeps its text, and the dialog lists each
// setting once and saves it without blanks.
void TestWindowCat::catSettingsReadWithoutBlanks() {
    PanelHarness h(Firmware::V601, true);
    writeLines("CATSetup.txt", {"2", "19200 ,N, 8, 1", "comNone", "Kenwood"});
    const QByteArray before = readBytes("CATSetup.txt");
    h.available = [](int n) { return n == 1 || n == 2; };
    QVERIFY(h.runPasses(2));
    QCOMPARE(h.c->state().set.gCatSettings, std::string("19200,N,8,1"));
    QCOMPARE(h.cat.config().settings, std::string("19200,N,8,1"));
    QCOMPARE(readBytes("CATSetup.txt"), before);
    auto unique = [](QComboBox* box) {
        QStringList all;
        for (int i = 0; i < box->count(); ++i) all << box->itemText(i);
        return all.removeDuplicates() == 0;
    };
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QCOMPARE(dlg->ui->cmbSelectBaudRate->currentText(), QString("19200"));
        QCOMPARE(dlg->ui->cmbBits->currentText(), QString("N,8,1"));
        QVERIFY(unique(dlg->ui->cmbSelectBaudRate));
        QVERIFY(unique(dlg->ui->cmbBits));
        dlg->ui->cmdSavePortSettings->click();
        // Picked from the lists, blanks and all, and applied.
        dlg->ui->cmbSelectBaudRate->setCurrentText("2400");
        dlg->ui->cmbBits->setCurrentText("E, 7, 1");
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QCOMPARE(readLines("CATSetup.txt").at(1), std::string("19200,N,8,1"));
    QCOMPARE(h.c->state().set.gCatSettings, std::string("2400,E, 7, 1"));
    QCOMPARE(h.cat.config().settings, std::string("2400,E,7,1"));
    // Opened again on that port: "2400" is in the list already.
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QCOMPARE(dlg->ui->cmbSelectBaudRate->currentText(), QString("2400"));
        QCOMPARE(dlg->ui->cmbSelectBaudRate->count(), 6);
        QVERIFY(unique(dlg->ui->cmbSelectBaudRate));
        QCOMPARE(dlg->ui->cmbBits->currentText(), QString("E,7,1"));
        QVERIFY(unique(dlg->ui->cmbBits));
        dlg->ui->cmdCancel->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QCOMPARE(h.shell.modals, 2);
}

QTEST_MAIN(TestWindowCat)
#include "test_window_cat.moc"
