// One pass of the main loop against time: a report is shown and the band
// check run in the pass that read it, the yield blocks only when nothing is
// pending and never longer than a quarter of a second, and an idle panel
// does not spin.
#include <QtTest>

#include <algorithm>

#include "panel_harness.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {
std::string digits(PanelHarness& h) {
    std::string d;
    for (QPushButton* b : h.form->cmdF) d += vb::caption(b);
    return d;
}
}  // namespace

class TestWindowPass : public QObject {
    Q_OBJECT
  private slots:
    void reportShownInThePassThatReadIt_data();
    void reportShownInThePassThatReadIt();
    void noWaitWhileRadioInputWaits_data();
    void noWaitWhileRadioInputWaits();
    void idleWaitsAtMostAQuarterSecond_data();
    void idleWaitsAtMostAQuarterSecond();
};

// The radio reports on its own (the operator turned its knob, a CAT set was
// answered late): the pass that reads the report shows it and runs the band
// check before it ends, whatever step of the pass read it.
void TestWindowPass::reportShownInThePassThatReadIt_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("freqDigits");
    QTest::addColumn<QString>("inBand");
    QTest::addColumn<QString>("mode");
    QTest::newRow("REMOTE, out of band") << true << "F0300000"
                                         << "0300000"
                                         << "Out Of Band"
                                         << "USB";
    QTest::newRow("REMOTE, back in band") << true << "F0710000"
                                          << "0710000"
                                          << ""
                                          << "USB";
    QTest::newRow("REMOTE, mode") << true << "M2"
                                  << "1407400"
                                  << ""
                                  << "LSB";
    QTest::newRow("LOCAL, out of band") << false << "F2700000"
                                        << "2700000"
                                        << "Out Of Band"
                                        << "USB";
    QTest::newRow("LOCAL, mode") << false << "M4"
                                 << "1407400"
                                 << ""
                                 << "CW";
}

void TestWindowPass::reportShownInThePassThatReadIt() {
    QFETCH(bool, remote);
    QFETCH(QString, report);
    QFETCH(QString, freqDigits);
    QFETCH(QString, inBand);
    QFETCH(QString, mode);
    PanelHarness h(Firmware::V601, remote);
    QVERIFY(h.runPasses(3));
    h.runFor(0.7);  // in the middle between two heartbeats
    QCOMPARE(h.cap(h.ui()->lblInBand), std::string());
    const std::string line = report.toStdString();
    const bool freq = line[0] == 'F';
    auto read = [&] {
        return freq ? h.c->state().st.gFreqReport == line : h.c->state().st.gModeReport == line;
    };
    // The report arrives while a pass runs; the passes run one at a time.
    h.model.say(line, h.clock.elapsed() + 0.0005);
    int passes = 0;
    while (!read() && passes < 200) {
        h.c->runUntil([] { return false; }, 1);
        ++passes;
    }
    QVERIFY2(read(), "the report was never read");
    QCOMPARE(QString::fromStdString(digits(h)), freqDigits);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->lblInBand)), inBand);
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->cmbMode)), mode);
    if (!inBand.isEmpty()) {
        QVERIFY(!h.ui()->cmdXmit->isEnabled());
        QVERIFY(!h.ui()->cmdTune->isEnabled());
        QVERIFY(!h.ui()->cmdPTT->isEnabled());
    }
    QVERIFY(!h.c->state().st.gFreqReportNew);
    QVERIFY(!h.c->state().st.gModeReportNew);
}

// Input that came while the pass worked is read in the next pass at once:
// the yield before it does not block.
void TestWindowPass::noWaitWhileRadioInputWaits_data() {
    QTest::addColumn<bool>("remote");
    QTest::newRow("REMOTE") << true;
    QTest::newRow("LOCAL") << false;
}

void TestWindowPass::noWaitWhileRadioInputWaits() {
    QFETCH(bool, remote);
    PanelHarness h(Firmware::NonAdapt, remote);
    QVERIFY(h.runPasses(3));
    h.runFor(0.5);
    h.shell.waits.clear();
    h.radio.inject("A3\n");
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.shell.waits.size(), size_t(1));
    QCOMPARE(h.shell.waits.front(), 0.0);
    QCOMPARE(h.cap(h.ui()->cmbAGC), std::string("MED"));
    // Nothing waits any more: the next yield may block again.
    h.c->runUntil([] { return false; }, 1);
    QCOMPARE(h.shell.waits.size(), size_t(2));
    QVERIFY(h.shell.waits.back() > 0.0);
}

// An idle panel: the yield blocks until something falls due, at most a
// quarter of a second, and the loop does not spin (few passes, few yields
// that do not block).
void TestWindowPass::idleWaitsAtMostAQuarterSecond_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("extPtt");
    QTest::addColumn<int>("maxPasses");  // in 20 s
    QTest::newRow("REMOTE, heartbeat running") << true << false << 200;
    QTest::newRow("REMOTE, external PTT switch watched") << true << true << 600;
    QTest::newRow("LOCAL") << false << false << 100;
}

void TestWindowPass::idleWaitsAtMostAQuarterSecond() {
    QFETCH(bool, remote);
    QFETCH(bool, extPtt);
    QFETCH(int, maxPasses);
    PanelHarness h(Firmware::V601, remote, false);
    writeLines("PortSetup.txt", {"1", "9600,O,7,1", "comNone", extPtt ? "1" : "0"});
    QVERIFY(h.runPasses(3));
    h.runFor(3.0);
    h.shell.honourWaits = true;
    h.shell.waits.clear();
    const int yields0 = h.shell.yields;
    h.runFor(20.0);
    QVERIFY(!h.shell.waits.empty());
    const double longest = *std::max_element(h.shell.waits.begin(), h.shell.waits.end());
    QVERIFY2(longest <= 0.25, QByteArray::number(longest));
    const long zero = std::count(h.shell.waits.begin(), h.shell.waits.end(), 0.0);
    const int passes = h.shell.yields - yields0;
    QVERIFY2(passes <= maxPasses, QByteArray::number(passes));
    QVERIFY2(zero <= passes / 4, QByteArray::number(static_cast<int>(zero)));
    if (remote) {
        // The heartbeat kept going meanwhile.
        int beats = 0;
        for (const FakePort::Write& w : h.radio.writes())
            if (w.text == "U" && w.at > h.clock.elapsed() - 20.0) ++beats;
        QVERIFY2(beats >= 8, QByteArray::number(beats));
    }
}

QTEST_MAIN(TestWindowPass)
#include "test_window_pass.moc"
