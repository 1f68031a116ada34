// VFO B and split on the real main window with the radio model in virtual
// time: VFO B digits and their clamps, the transmit VFO with its mode
// check, A->B, and Swap with the bytes each firmware gets.
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include "panel/vfo_b_split.h"
#include "tuning_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowSplit : public QObject {
    Q_OBJECT
  private slots:
    void vfoBClick_data();
    void vfoBClick();
    void vfoBHoldStepsEveryQuarterSecond();
    void vfoBSecondPressFreesTheHandler();
    void transmitVfo_data();
    void transmitVfo();
    void splitRestoredAtLoopEntry_data();
    void splitRestoredAtLoopEntry();
    void copyAToB();
    void swap_data();
    void swap();
    void swapWithoutSevenDigitsSendsNothing();
    void copyThenSwapSendsVfoAAgain();
    void swapOnAClosedPortIsReported();
    void controlsCarryTheirCaptions();
};

namespace {

Firmware firmwareOf(const QString& name) {
    if (name == "adapt") return Firmware::Adapt;
    if (name == "nonadapt") return Firmware::NonAdapt;
    return Firmware::V601;
}

// A panel under remote control in the main loop, radio on `freq` in `mode`.
struct Split {
    explicit Split(Firmware fw = Firmware::V601, const std::string& freq = "1420000", int mode = 1)
        : h(fw, true) {
        h.model.state.freq = freq;
        h.model.state.mode = mode;
        ok = h.runPasses(3) && rowOf(h.form->cmdF) == freq;
        h.runFor(0.5);
        mark = h.radio.writes().size();
        beeps = h.shell.beeps;
    }
    std::vector<std::string> sent() const { return commandsSince(h, mark); }
    // Runs passes until the request flags are served and the reports that
    // followed are shown (a second of virtual time).
    void serve() { h.runFor(1.0); }
    PanelHarness h;
    bool ok = false;
    size_t mark = 0;
    int beeps = 0;
};

}  // namespace

void TestWindowSplit::vfoBClick_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<QString>("row");
    QTest::newRow("10 Hz up carries") << "0709999" << 6 << int(Qt::LeftButton) << "0710000";
    QTest::newRow("1 MHz down keeps its leading zero")
        << "1050000" << 1 << int(Qt::RightButton) << "0950000";
    QTest::newRow("100 kHz up") << "1425000" << 2 << int(Qt::LeftButton) << "1435000";
    QTest::newRow("at the bottom, 10 Hz down")
        << "0160000" << 6 << int(Qt::RightButton) << "0160000";
    QTest::newRow("at the bottom, 10 MHz down")
        << "0160000" << 0 << int(Qt::RightButton) << "0160000";
    QTest::newRow("at the top, 10 Hz up") << "2999999" << 6 << int(Qt::LeftButton) << "2999999";
    QTest::newRow("near the top, 10 MHz up stays")
        << "2100000" << 0 << int(Qt::LeftButton) << "2100000";
    QTest::newRow("zeros clamped, then up") << "0000000" << 6 << int(Qt::LeftButton) << "0160001";
    QTest::newRow("zeros clamped, then down")
        << "0000000" << 6 << int(Qt::RightButton) << "0160000";
    QTest::newRow("above the top clamped, then down")
        << "9999999" << 6 << int(Qt::RightButton) << "2999998";
    QTest::newRow("above the top clamped, then up")
        << "3500000" << 4 << int(Qt::LeftButton) << "2999999";
    QTest::newRow("middle button only clamps")
        << "0000000" << 3 << int(Qt::MiddleButton) << "0160000";
}

// A VFO B click makes one step on the panel, stops silently at the edges
// of the tuning range, and sends nothing.
void TestWindowSplit::vfoBClick() {
    QFETCH(QString, start);
    QFETCH(int, index);
    QFETCH(int, mouse);
    QFETCH(QString, row);
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, start.toStdString());
    clickOnce(s.h, s.h.form->cmdVFOB[static_cast<size_t>(index)], Qt::MouseButton(mouse));
    QCOMPARE(QString::fromStdString(rowOf(s.h.form->cmdVFOB)), row);
    QCOMPARE(s.h.shell.beeps, s.beeps);
    QCOMPARE(wire(s.sent()), QString());
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("1420000"));
    QVERIFY(!s.h.c->areas().vfoB.gVfoBHeld);
}

// Held, VFO B moves one step per quarter second of virtual time.
void TestWindowSplit::vfoBHoldStepsEveryQuarterSecond() {
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, "1425000");
    const double t0 = s.h.clock.elapsed();
    std::vector<std::string> seen;
    holdUntil(s.h, s.h.form->cmdVFOB[3], Qt::RightButton, [&] {
        seen.push_back(rowOf(s.h.form->cmdVFOB));
        return seen.size() == 6;
    });
    QCOMPARE(seen, (std::vector<std::string>{"1424000", "1423000", "1422000", "1421000", "1420000",
                                             "1419000"}));
    const double took = s.h.clock.elapsed() - t0;
    QVERIFY2(took >= 6 * VfoBSplit::kStepPause && took < 6 * VfoBSplit::kStepPause + 0.05,
             QByteArray::number(took));
    QCOMPARE(wire(s.sent()), QString());
}

// A second press while a VFO B digit is held starts no second loop: the
// running loop goes on until its own release.
void TestWindowSplit::vfoBSecondPressFreesTheHandler() {
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, "1425000");
    int n = 0;
    holdUntil(s.h, s.h.form->cmdVFOB[6], Qt::LeftButton, [&] {
        ++n;
        if (n == 2) {
            // The other mouse button on another digit, pressed and let go.
            QTest::mousePress(s.h.form->cmdVFOB[2], Qt::RightButton);
            QTest::mouseRelease(s.h.form->cmdVFOB[2], Qt::RightButton);
        }
        return n == 4;
    });
    // The right-button press's release also ended the left-button loop's
    // hold flag: the row stepped twice by 10 Hz and never by 100 kHz.
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1425002"));
    QVERIFY(!s.h.c->areas().vfoB.gVfoBHeld);
    // The handler is free again: a new click steps.
    clickOnce(s.h, s.h.form->cmdVFOB[2], Qt::LeftButton);
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1435002"));
}

void TestWindowSplit::transmitVfo_data() {
    QTest::addColumn<QString>("modeA");
    QTest::addColumn<QString>("modeB");
    QTest::addColumn<bool>("on");
    QTest::newRow("both USB") << "USB"
                              << "USB" << true;
    QTest::newRow("both CW") << "CW"
                             << "CW" << true;
    QTest::newRow("CW against USB") << "CW"
                                    << "USB" << false;
    QTest::newRow("LSB against AME") << "LSB"
                                     << "AME" << false;
}

// TXB switches split on only with equal modes; otherwise the operator is
// told and TXA is selected again. TXA switches it off.
void TestWindowSplit::transmitVfo() {
    QFETCH(QString, modeA);
    QFETCH(QString, modeB);
    QFETCH(bool, on);
    const int mode = modeA == "USB" ? 1 : modeA == "LSB" ? 2 : modeA == "AME" ? 3 : 4;
    Split s(Firmware::V601, "1420000", mode);
    QVERIFY(s.ok);
    QCOMPARE(s.h.cap(s.h.ui()->cmbMode), modeA.toStdString());
    QCOMPARE(s.h.cap(s.h.ui()->lblSplit), std::string("Split Off"));
    vb::setCaption(s.h.ui()->cmbVFOBMode, modeB.toStdString());
    QTest::mouseClick(s.h.form->optTXVFO[1], Qt::LeftButton);
    if (on) {
        QCOMPARE(s.h.shell.messages, std::vector<std::string>{});
        QCOMPARE(s.h.cap(s.h.ui()->lblSplit), std::string("Split On"));
        QVERIFY(s.h.form->optTXVFO[1]->isChecked());
        QVERIFY(s.h.c->areas().vfoB.splitOn());
    } else {
        QCOMPARE(s.h.shell.messages, std::vector<std::string>{"Modes must be same for Split"});
        QCOMPARE(s.h.cap(s.h.ui()->lblSplit), std::string("Split Off"));
        QVERIFY(s.h.form->optTXVFO[0]->isChecked());
        QVERIFY(!s.h.form->optTXVFO[1]->isChecked());
    }
    QTest::mouseClick(s.h.form->optTXVFO[0], Qt::LeftButton);
    QCOMPARE(s.h.cap(s.h.ui()->lblSplit), std::string("Split Off"));
    QVERIFY(s.h.form->optTXVFO[0]->isChecked());
    QCOMPARE(wire(s.sent()), QString());
}

void TestWindowSplit::splitRestoredAtLoopEntry_data() {
    QTest::addColumn<QString>("vfoBMode");
    QTest::addColumn<QString>("split");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("messages");
    QTest::newRow("on, equal modes") << "USB"
                                     << "Split On"
                                     << "Split On" << 0;
    QTest::newRow("on, modes differ") << "CW"
                                      << "Split On"
                                      << "Split Off" << 1;
    QTest::newRow("off") << "CW"
                         << "Split Off"
                         << "Split Off" << 0;
    QTest::newRow("empty") << "USB"
                           << ""
                           << "Split Off" << 0;
}

// The split caption kept in the panel state file selects its transmit VFO
// option at loop entry, and that selection runs the mode check.
void TestWindowSplit::splitRestoredAtLoopEntry() {
    QFETCH(QString, vfoBMode);
    QFETCH(QString, split);
    QFETCH(QString, shown);
    QFETCH(int, messages);
    PanelHarness h(Firmware::V601, true);
    writeLines("Tolvaneini.txt",
               {"0", "0", "1425000", vfoBMode.toStdString(), split.toStdString(), "1KHz"});
    // The mode box shows USB (the design value) before the radio reports.
    QVERIFY(h.runPasses(3));
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->lblSplit)), shown);
    QCOMPARE(h.form->optTXVFO[1]->isChecked(), shown == "Split On");
    QCOMPARE(h.form->optTXVFO[0]->isChecked(), shown == "Split Off");
    QCOMPARE(int(h.shell.messages.size()), messages);
    QCOMPARE(rowOf(h.form->cmdVFOB), std::string("1425000"));
}

// A->B copies the VFO A digits into VFO B; nothing is sent and the VFO B
// mode stays.
void TestWindowSplit::copyAToB() {
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, "0355000");
    vb::setCaption(s.h.ui()->cmbVFOBMode, "CW");
    QTest::mouseClick(s.h.ui()->cmdA2B, Qt::LeftButton);
    QVERIFY(s.h.c->state().req.reqA2B);
    s.serve();
    QVERIFY(!s.h.c->state().req.reqA2B);
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1420000"));
    QCOMPARE(s.h.cap(s.h.ui()->cmbVFOBMode), std::string("CW"));
    QCOMPARE(wire(s.sent()), QString());
}

void TestWindowSplit::swap_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("modeA");  // radio's mode, shown in cmbMode
    QTest::addColumn<QString>("modeB");
    QTest::addColumn<QString>("wire");
    QTest::addColumn<QString>("modeShown");  // cmbMode after the radio reported
    QTest::newRow("v601, USB to LSB: one mode key") << "v601" << 1 << "LSB"
                                                    << "M\nF1425000\n"
                                                    << "LSB";
    QTest::newRow("v601, USB to CW: three mode keys") << "v601" << 1 << "CW"
                                                      << "MMM\nF1425000\n"
                                                      << "CW";
    QTest::newRow("v601, CW to USB: one mode key") << "v601" << 4 << "USB"
                                                   << "M\nF1425000\n"
                                                   << "USB";
    QTest::newRow("v601, same modes: F alone") << "v601" << 1 << "USB"
                                               << "F1425000\n"
                                               << "USB";
    QTest::newRow("NonAdapt, USB to AME") << "nonadapt" << 1 << "AME"
                                          << "mm\nF1425000\n"
                                          << "AME";
    QTest::newRow("NonAdapt, same modes") << "nonadapt" << 2 << "LSB"
                                          << "F1425000\n"
                                          << "LSB";
    QTest::newRow("Adapt, USB to CW: the mode code") << "adapt" << 1 << "CW"
                                                     << "M4\nF1425000\n"
                                                     << "CW";
    QTest::newRow("Adapt, same modes") << "adapt" << 3 << "AME"
                                       << "F1425000\n"
                                       << "AME";
}

// Swap exchanges the rows, gives VFO B the old VFO A mode, and writes the
// mode keys (when the modes differ) and the new VFO A frequency straight to
// the port; the radio's reports then show the new frequency and mode.
void TestWindowSplit::swap() {
    QFETCH(QString, firmware);
    QFETCH(int, modeA);
    QFETCH(QString, modeB);
    QFETCH(QString, wire);
    QFETCH(QString, modeShown);
    Split s(firmwareOf(firmware), "1420000", modeA);
    QVERIFY(s.ok);
    const std::string oldModeA = s.h.cap(s.h.ui()->cmbMode);
    setRow(s.h.form->cmdVFOB, "1425000");
    vb::setCaption(s.h.ui()->cmbVFOBMode, modeB.toStdString());
    QTest::mouseClick(s.h.ui()->cmdSwap, Qt::LeftButton);
    QVERIFY(s.h.c->state().req.reqSwap);
    // The write goes out in the next pass, with its pause after it.
    const double t0 = s.h.clock.elapsed();
    QVERIFY(s.h.run([&] { return !s.sent().empty(); }));
    QVERIFY(!s.h.c->state().req.reqSwap);
    // The first write is the swap's; the radio's answers may start others.
    QCOMPARE(QString::fromStdString(joined({s.sent().front()})),
             QString::fromStdString(joined({wire.toStdString()})));
    QVERIFY(s.h.clock.elapsed() - t0 >= VfoBSplit::kSwapPause);
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1420000"));
    QCOMPARE(s.h.cap(s.h.ui()->cmbVFOBMode), oldModeA);
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("1425000"));
    s.serve();
    QCOMPARE(s.h.model.state.freq, std::string("1425000"));
    QCOMPARE(QString::fromStdString(s.h.cap(s.h.ui()->cmbMode)), modeShown);
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("1425000"));
}

// A VFO B row that is not seven digits is exchanged on the panel only.
void TestWindowSplit::swapWithoutSevenDigitsSendsNothing() {
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, "14250x0");
    vb::setCaption(s.h.ui()->cmbVFOBMode, "LSB");
    QTest::mouseClick(s.h.ui()->cmdSwap, Qt::LeftButton);
    s.h.c->runUntil([] { return false; }, 1);
    QVERIFY(!s.h.c->state().req.reqSwap);
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1420000"));
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("14250x0"));
    QCOMPARE(wire(s.sent()), QString());
    QCOMPARE(s.h.cap(s.h.ui()->cmbVFOBMode), std::string("LSB"));
}

// A->B and then Swap with equal modes leaves both rows as they were and
// sends VFO A's own frequency again.
void TestWindowSplit::copyThenSwapSendsVfoAAgain() {
    Split s;
    QVERIFY(s.ok);
    vb::setCaption(s.h.ui()->cmbVFOBMode, "USB");
    QTest::mouseClick(s.h.ui()->cmdA2B, Qt::LeftButton);
    s.serve();
    QTest::mouseClick(s.h.ui()->cmdSwap, Qt::LeftButton);
    s.serve();
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("1420000"));
    QCOMPARE(rowOf(s.h.form->cmdVFOB), std::string("1420000"));
    QCOMPARE(wire(s.sent()), wire(lines({"F1420000"})));
}

// The swap writes straight to the port; a port that is not open is said on
// the information line, not lost silently.
void TestWindowSplit::swapOnAClosedPortIsReported() {
    Split s;
    QVERIFY(s.ok);
    setRow(s.h.form->cmdVFOB, "1425000");
    s.h.radio.close();
    s.h.c->state().req.reqSwap = true;
    s.h.c->areas().vfoB.SwapCmd();
    QVERIFY(!s.h.c->state().req.reqSwap);
    QVERIFY(s.h.cap(s.h.ui()->txtInfo).rfind("SwapCmd: Err ", 0) == 0);
    QVERIFY(!s.h.ui()->txtInfo->isHidden());
    QCOMPARE(rowOf(s.h.form->cmdF), std::string("1425000"));
}

void TestWindowSplit::controlsCarryTheirCaptions() {
    PanelHarness h;
    QCOMPARE(h.cap(h.ui()->cmdA2B), std::string("A->B"));
    QCOMPARE(h.ui()->cmdA2B->toolTip(), QString("Copy VFO A  to VFO B"));
    QCOMPARE(h.cap(h.ui()->cmdSwap), std::string("Swap "));
    QCOMPARE(h.ui()->cmdSwap->toolTip(), QString("Swap VFO A and VFO B"));
    QCOMPARE(h.form->optTXVFO[0]->toolTip(), QString("Transmit using VFO A"));
    QCOMPARE(h.form->optTXVFO[1]->toolTip(), QString("Transmit using VFO B"));
    QCOMPARE(h.ui()->cmbVFOBMode->toolTip(), QString("Select Mode for VFO B"));
    for (QPushButton* b : h.form->cmdVFOB)
        QCOMPARE(b->toolTip(), QString("Left Click Up,Right Click Down"));
}

QTEST_MAIN(TestWindowSplit)
#include "test_window_split.moc"
