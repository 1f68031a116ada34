// Transport, port events, reader and sync heartbeat of the radio link, on
// the fake port in virtual time.
#include <QtTest>

#include "radio_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

class TestRadioLink : public QObject {
    Q_OBJECT
private slots:
    void sendWritesAndPauses_data();
    void sendWritesAndPauses();
    void stuckTransmitDropsCommand();
    void closedPortLosesCommandSilently();
    void delaySpansMidnight();
    void commEvents_data();
    void commEvents();
    void dsrAndExternalPtt_data();
    void dsrAndExternalPtt();
    void fileExistsReportsMissingFile();
    void readTakesBurstsTogether_data();
    void readTakesBurstsTogether();
    void readWithoutAnswer();
    void readFromBabblingRadioEnds();
    void readOnClosedPortTakesItsTime();
    void readLimitFollowsLineSpeed_data();
    void readLimitFollowsLineSpeed();
    void readTakesWholeStatusAtLineSpeed_data();
    void readTakesWholeStatusAtLineSpeed();
    void readSetsFullStatusOnlyInOneRead();
    void readNoWaitKeepsMarkers();
    void syncEveryTwoSeconds();
    void syncKeyAtOnce();
    void syncAcrossMidnight();
    void syncMissCountSaturates();
};

void TestRadioLink::sendWritesAndPauses_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("newline");
    QTest::addColumn<double>("pause");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("frequency") << "F1407400" << true << 0.45 << QByteArray("F1407400\n");
    QTest::newRow("sync bare") << "U" << false << 0.2 << QByteArray("U");
    QTest::newRow("no pause") << "?" << true << 0.0 << QByteArray("?\n");
    QTest::newRow("1.6 MHz") << "F0160000" << true << 0.45 << QByteArray("F0160000\n");
}

void TestRadioLink::sendWritesAndPauses() {
    QFETCH(QString, command);
    QFETCH(bool, newline);
    QFETCH(double, pause);
    QFETCH(QByteArray, wire);
    RadioFixture f;
    double t0 = f.clock.elapsed();
    f.link.SendRadioCmd(command.toStdString(), newline, pause);
    QCOMPARE(QByteArray::fromStdString(f.port.takeWritten()), wire);
    QCOMPARE(f.port.writes().size(), size_t{1});  // one write
    QVERIFY(f.clock.elapsed() - t0 >= pause);
    QVERIFY(f.clock.elapsed() - t0 < pause + 0.001);
    QCOMPARE(f.panel.lamps.front(), Lamp::Red);
    QCOMPARE(f.panel.lastLamp(), Lamp::Idle);
}

void TestRadioLink::stuckTransmitDropsCommand() {
    RadioFixture f;
    f.port.setStuckTransmit(true);
    double t0 = f.clock.elapsed();
    f.link.SendRadioCmd("F1407400", true, 0.45);
    QCOMPARE(f.port.takeWritten(), std::string());
    double took = f.clock.elapsed() - t0;
    QVERIFY2(took >= 0.099 && took < 0.11, qPrintable(QString::number(took)));
    QCOMPARE(f.panel.lastLamp(), Lamp::Red);
}

void TestRadioLink::closedPortLosesCommandSilently() {
    RadioFixture f;
    f.port.close();
    double t0 = f.clock.elapsed();
    f.link.SendRadioCmd("M", true, 0.3);
    QCOMPARE(f.port.allWritten(), std::string());
    QVERIFY(f.clock.elapsed() - t0 >= 0.3);
    QCOMPARE(f.panel.lastLamp(), Lamp::Idle);
}

void TestRadioLink::delaySpansMidnight() {
    RadioFixture f;
    f.clock.setTimeOfDay(86399.9);
    double t0 = f.clock.elapsed();
    f.link.Delay(0.45);
    double took = f.clock.elapsed() - t0;
    QVERIFY2(took >= 0.45 && took < 0.5, qPrintable(QString::number(took)));
}

void TestRadioLink::commEvents_data() {
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("comStat");
    QTest::addColumn<int>("flag");  // index into the flags checked below, -1 none
    QTest::newRow("frame") << 1004 << "Com Error" << 0;
    QTest::newRow("overrun") << 1006 << "Com Error" << 1;
    QTest::newRow("overflow") << 1008 << "Com Error" << 2;
    QTest::newRow("parity") << 1009 << "Com Error" << 3;
    QTest::newRow("tx full") << 1010 << "Com Error" << 4;
    QTest::newRow("config") << 1011 << "Com Error" << 5;
    QTest::newRow("receive") << 2 << "" << -1;
    QTest::newRow("ring") << 6 << "" << -1;
}

void TestRadioLink::commEvents() {
    QFETCH(int, event);
    QFETCH(QString, comStat);
    QFETCH(int, flag);
    RadioFixture f;
    f.port.setEventHandler([&](int e) { f.link.MSComm1_OnComm(e); });
    f.port.raiseEvent(event);
    f.port.dispatchEvents();
    QCOMPARE(QString::fromStdString(f.panel.comStat), comStat);
    bool flags[] = {f.link.comm1.RXFrame,  f.link.comm1.RXOverrun, f.link.comm1.RXOverflow,
                    f.link.comm1.RXParity, f.link.comm1.TXFull,    f.link.comm1.DCBError};
    for (int i = 0; i < 6; ++i) QCOMPARE(flags[i], i == flag);
    QVERIFY(!f.state.gRadioBreak);
}

void TestRadioLink::dsrAndExternalPtt_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("dsr");
    QTest::addColumn<bool>("idle");
    QTest::newRow("disabled, dsr drops") << false << false << true;
    QTest::newRow("enabled, dsr drops") << true << false << false;
    QTest::newRow("enabled, dsr rises") << true << true << true;
}

void TestRadioLink::dsrAndExternalPtt() {
    QFETCH(bool, enabled);
    QFETCH(bool, dsr);
    QFETCH(bool, idle);
    RadioFixture f;
    f.port.setEventHandler([&](int e) { f.link.MSComm1_OnComm(e); });
    f.state.gExtPttEnabled = enabled;
    if (dsr) f.port.setDsr(false);
    f.port.dispatchEvents();
    f.port.setDsr(dsr);
    f.port.dispatchEvents();
    QCOMPARE(f.state.gExtPttIdle, idle);
    QCOMPARE(f.link.comm1.EvDSR, dsr);
    // A break only raises its flag.
    f.port.raiseEvent(1001);
    f.port.dispatchEvents();
    QVERIFY(f.state.gRadioBreak);
}

void TestRadioLink::fileExistsReportsMissingFile() {
    RadioFixture f;
    QTemporaryDir dir;
    QString missing = dir.filePath("nothing.txt");
    QVERIFY(!f.link.fileExists(missing.toStdString()));
    QCOMPARE(QString::fromStdString(f.panel.info),
             "fileExists(" + missing + "): Err 2. No such file or directory");
    QVERIFY(f.panel.infoVisible);
    QFile file(dir.filePath("Permissions.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));  // empty counts as present
    file.close();
    QVERIFY(f.link.fileExists(file.fileName().toStdString()));
    QCOMPARE(f.panel.info, std::string());
    QVERIFY(!f.link.fileExists(dir.path().toStdString()));  // a folder is not a file
}

void TestRadioLink::readTakesBurstsTogether_data() {
    QTest::addColumn<double>("gap");
    QTest::addColumn<QString>("firstRead");
    QTest::newRow("40 ms apart: one read") << 0.04 << "M2<A3<";
    QTest::newRow("100 ms apart: two reads") << 0.10 << "M2<";
}

void TestRadioLink::readTakesBurstsTogether() {
    QFETCH(double, gap);
    QFETCH(QString, firstRead);
    RadioFixture f;
    f.port.inject("M2\n", 0.05, 0.001);
    f.port.inject("A3\n", 0.05 + 0.003 + gap, 0.001);
    f.link.ReadRadio();
    QCOMPARE(QString::fromStdString(f.state.gRadioInput), firstRead);
    QVERIFY(f.state.gRadioHeard);
    QCOMPARE(f.panel.comStat, std::string("Com OK"));
    QCOMPARE(f.panel.lamps.front(), Lamp::Green);
    QCOMPARE(f.panel.lastLamp(), Lamp::Idle);
}

void TestRadioLink::readWithoutAnswer() {
    RadioFixture f;
    f.state.gFullStatus = true;
    double t0 = f.clock.elapsed();
    f.link.ReadRadio();
    double took = f.clock.elapsed() - t0;
    QVERIFY2(took >= 0.8 && took < 0.81, qPrintable(QString::number(took)));
    QVERIFY(!f.state.gRadioHeard);
    QCOMPARE(f.panel.comStat, std::string("No Com"));
    QVERIFY(f.state.gFullStatus);  // kept by a read that received nothing
}

void TestRadioLink::readFromBabblingRadioEnds() {
    RadioFixture f;
    std::string babble;
    for (int i = 0; i < 1000; ++i) babble += "M1\n";  // 3000 chars, 5 ms apart
    f.port.inject(babble, 0.01, 0.005);
    double t0 = f.clock.elapsed();
    f.link.ReadRadio();
    double took = f.clock.elapsed() - t0;
    // The first character comes after 10 ms; the read stops at the cap after
    // it (1 s beyond the longest status at 9600 baud), within one 5 ms gap.
    const double cap = RadioLink::readLimitFor("9600,O,7,1");
    QVERIFY2(took >= 0.01 + cap && took < 0.01 + cap + 0.006, qPrintable(QString::number(took)));
    QVERIFY(took < 1.13);
    QVERIFY(f.state.gRadioHeard);
    QCOMPARE(f.state.gModeReport, std::string("M1"));
}

// Nothing can arrive on a closed port, but the wait for the first
// character takes its 0.8 s as with a silent radio, through the clock.
void TestRadioLink::readOnClosedPortTakesItsTime() {
    RadioFixture f;
    f.port.close();
    f.state.gFullStatus = true;
    f.panel.comStat = "Com OK";
    double t0 = f.clock.elapsed();
    f.link.ReadRadio();
    double took = f.clock.elapsed() - t0;
    QVERIFY2(took >= 0.8 && took < 0.81, qPrintable(QString::number(took)));
    QVERIFY(!f.state.gRadioHeard);
    QCOMPARE(f.state.gRadioInput, std::string());
    QCOMPARE(f.panel.comStat, std::string("No Com"));
    QVERIFY(f.state.gFullStatus);
    QCOMPARE(f.panel.lastLamp(), Lamp::Idle);
}

void TestRadioLink::readLimitFollowsLineSpeed_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<double>("limit");
    // 1 s beyond the longest status: 103 characters of 10 bits (7O1) or 11 (8E2).
    QTest::newRow("300 7O1") << "300,O,7,1" << 1.0 + 103 * 10 / 300.0;
    QTest::newRow("1200 7O1") << "1200,O,7,1" << 1.0 + 103 * 10 / 1200.0;
    QTest::newRow("9600 7O1 with blank") << "9600 ,O,7,1" << 1.0 + 103 * 10 / 9600.0;
    QTest::newRow("19200 8E2") << "19200,E,8,2" << 1.0 + 103 * 12 / 19200.0;
    QTest::newRow("2400 8N1") << "2400,N,8,1" << 1.0 + 103 * 10 / 2400.0;
    QTest::newRow("unusable settings") << "12345,Q,9,3" << 1.0;
    QTest::newRow("none") << "" << 1.0;
}

void TestRadioLink::readLimitFollowsLineSpeed() {
    QFETCH(QString, settings);
    QFETCH(double, limit);
    QCOMPARE(RadioLink::readLimitFor(settings.toStdString()), limit);
}

void TestRadioLink::readTakesWholeStatusAtLineSpeed_data() {
    QTest::addColumn<int>("baud");
    QTest::newRow("300") << 300;
    QTest::newRow("600") << 600;
    QTest::newRow("1200") << 1200;
    QTest::newRow("9600") << 9600;
}

// A complete status, one character every ten bit times, is taken in one
// read at every speed of the Port Setup dialog (the 1 s limit alone cut
// it at 300 and 600 baud).
void TestRadioLink::readTakesWholeStatusAtLineSpeed() {
    QFETCH(int, baud);
    RadioFixture f;
    f.port.close();
    PortConfig cfg;
    cfg.portNumber = 1;
    cfg.settings = std::to_string(baud) + ",O,7,1";
    f.port.open(cfg);
    // The longest status: every report line at its kept width.
    const std::string status =
        "#\nF1407400\nM1\nA2\nD1\nH1\n\"1\n'1\n(1\n,0\nR1\nO1\nT1\nX0\nG00\nI0\nS0\nV0\n"
        "C--\nB100\nP0007000001\n*0\nZ0\nJ07\n!\nQT1\nQC0\n.\n";
    QCOMPARE(int(status.size()), RadioLink::kLongestStatus);
    f.port.inject(status, 0.02, 10.0 / baud);
    f.link.ReadRadio();
    QVERIFY(f.state.gFullStatus);
    QCOMPARE(f.state.gChanReport, std::string("P0007000001"));
    QCOMPARE(f.state.gRadioInput.size(), status.size());
    QCOMPARE(f.port.inBufferCount(), 0);
}

void TestRadioLink::readSetsFullStatusOnlyInOneRead() {
    RadioFixture f;
    f.port.inject("#\n.\n", 0.01, 0.001);
    f.link.ReadRadio();
    QVERIFY(f.state.gFullStatus);
    f.port.inject("#\n", 0.01, 0.001);
    f.link.ReadRadio();
    QVERIFY(!f.state.gFullStatus);
    f.port.inject(".\n", 0.01, 0.001);
    f.link.ReadRadio();
    QVERIFY(!f.state.gFullStatus);
}

void TestRadioLink::readNoWaitKeepsMarkers() {
    RadioFixture f;
    f.port.inject("#\nM3\n", 0.0, 0.0);
    f.clock.advance(0.01);
    f.panel.comStat = "x";
    f.link.ReadRadioNoWait();
    QCOMPARE(f.state.gModeReport, std::string("M3"));
    QVERIFY(f.state.gHashSeen);
    QVERIFY(!f.state.gFullStatus);
    QCOMPARE(f.panel.comStat, std::string("x"));
    QCOMPARE(f.state.gRadioInput, std::string());
}

void TestRadioLink::syncEveryTwoSeconds() {
    RadioFixture f;
    std::vector<double> sends;
    std::vector<std::string> captions;
    for (int i = 0; i < 200; ++i) {  // 10 s of calls every 50 ms
        size_t before = f.port.writes().size();
        f.link.gSendSync("U");
        if (f.port.writes().size() > before) sends.push_back(f.port.writes().back().at);
        captions.push_back(f.panel.syncCaption);
        f.clock.advance(0.05);
    }
    QCOMPARE(f.port.allWritten(), std::string(sends.size(), 'U'));
    QVERIFY(sends.size() >= 4 && sends.size() <= 5);
    for (size_t i = 1; i < sends.size(); ++i) {
        double gap = sends[i] - sends[i - 1];
        QVERIFY2(gap > 2.0 && gap < 2.3, qPrintable(QString::number(gap)));
    }
    QCOMPARE(f.panel.syncColour, colour::kWhite);
    // The caption shows "U" for the first second after a send, then blank.
    QVERIFY(std::count(captions.begin(), captions.end(), "") > 50);
    QVERIFY(std::count(captions.begin(), captions.end(), "U") > 50);
    QCOMPARE(f.state.gSyncMissCount, static_cast<int>(sends.size()));
}

void TestRadioLink::syncKeyAtOnce() {
    RadioFixture f;
    f.link.gSendSync("U");  // first call only takes the time
    QCOMPARE(f.port.allWritten(), std::string());
    f.clock.advance(2.1);
    f.link.gSendSync("U");
    QCOMPARE(f.port.takeWritten(), std::string("U"));
    f.clock.advance(0.3);
    f.link.gSendSync("K");
    QCOMPARE(f.port.takeWritten(), std::string("K"));
    f.clock.advance(0.1);
    f.link.gSendSync("K");
    QCOMPARE(f.port.takeWritten(), std::string());
    f.link.gSendSync("U");
    QCOMPARE(f.port.takeWritten(), std::string("U"));
    // A blank (local mode) waits for the next 2 s slot.
    f.link.gSendSync(" ");
    QCOMPARE(f.port.takeWritten(), std::string());
    f.clock.advance(2.5);
    f.link.gSendSync(" ");
    QCOMPARE(f.port.takeWritten(), std::string(" "));
}

void TestRadioLink::syncAcrossMidnight() {
    RadioFixture f;
    f.clock.setTimeOfDay(86395.0);
    std::vector<double> sends;
    for (int i = 0; i < 400; ++i) {
        size_t before = f.port.writes().size();
        f.link.gSendSync("U");
        if (f.port.writes().size() > before) sends.push_back(f.port.writes().back().at);
        f.clock.advance(0.05);
    }
    QVERIFY(sends.size() >= 8);
    for (size_t i = 1; i < sends.size(); ++i) QVERIFY(sends[i] - sends[i - 1] < 2.3);
}

void TestRadioLink::syncMissCountSaturates() {
    RadioFixture f;
    f.state.gSyncMissCount = 32766;
    f.state.gSyncTime = 1.0;
    f.state.gLastSync = "U";
    for (int i = 0; i < 3; ++i) {
        f.clock.advance(2.5);
        f.link.gSendSync("U");
    }
    QCOMPARE(f.state.gSyncMissCount, 32767);
}

QTEST_GUILESS_MAIN(TestRadioLink)
#include "test_radio_link.moc"
