// VFO A tuning on the real main window with the radio model in virtual
// time: digit clicks with their carries, borrows and limit beeps, a held
// digit's send pattern and pace, releases before the first step, the
// keyboard knob with every step size, and the tuning lock.
#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include "panel/digit_rows.h"
#include "panel/frequency_entry.h"
#include "tuning_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowTuning : public QObject {
    Q_OBJECT
  private slots:
    void digitClick_data();
    void digitClick();
    void holdSendsFirstFiveThenEverySecond_data();
    void holdSendsFirstFiveThenEverySecond();
    void releaseBeforeTheFirstStep_data();
    void releaseBeforeTheFirstStep();
    void rowOutsideTheRangeIsNeverSent_data();
    void rowOutsideTheRangeIsNeverSent();
    void keyboardKnob_data();
    void keyboardKnob();
    void keyWithoutAStepLeavesNoPendingStep_data();
    void keyWithoutAStepLeavesNoPendingStep();
    void keyWhileADigitIsHeldAddsOneStep_data();
    void keyWhileADigitIsHeldAddsOneStep();
    void steppedOutOfTheBandsRunsTheBandCheck();
    void portLostDuringAPressFreesTheRow();
    void lockedWhileTransmitting();
    void digitsCarryTheirTooltip();
};

namespace {

// A panel under remote control with the radio on `freq`, in the main loop.
struct Tuned {
    explicit Tuned(const std::string& freq, Firmware fw = Firmware::V601) : h(fw, true) {
        h.model.state.freq = freq;
        ok = h.runPasses(3) && rowOf(h.form->cmdF) == freq;
        h.runFor(0.5);
        mark = h.radio.writes().size();
        beeps = h.shell.beeps;
    }
    std::vector<std::string> sent() const { return commandsSince(h, mark); }
    int newBeeps() const { return h.shell.beeps - beeps; }
    PanelHarness h;
    bool ok = false;
    size_t mark = 0;
    int beeps = 0;
};

}  // namespace

void TestWindowTuning::digitClick_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("beeps");
    QTest::newRow("10 Hz up carries through four digits")
        << "0709999" << 6 << int(Qt::LeftButton) << "0710000" << 0;
    QTest::newRow("1 MHz down keeps its leading zero")
        << "1050000" << 1 << int(Qt::RightButton) << "0950000" << 0;
    QTest::newRow("100 kHz up") << "1407400" << 2 << int(Qt::LeftButton) << "1417400" << 0;
    QTest::newRow("10 kHz down borrows")
        << "1410400" << 3 << int(Qt::RightButton) << "1409400" << 0;
    QTest::newRow("1 kHz up") << "1407400" << 4 << int(Qt::LeftButton) << "1407500" << 0;
    QTest::newRow("100 Hz down") << "1407400" << 5 << int(Qt::RightButton) << "1407390" << 0;
    QTest::newRow("10 MHz up") << "1810000" << 0 << int(Qt::LeftButton) << "2810000" << 0;
    QTest::newRow("10 Hz up at the top beeps")
        << "2999999" << 6 << int(Qt::LeftButton) << "2999999" << 1;
    QTest::newRow("10 MHz up past the top beeps")
        << "2100000" << 0 << int(Qt::LeftButton) << "2100000" << 1;
    QTest::newRow("10 MHz down from 7 MHz beeps")
        << "0700000" << 0 << int(Qt::RightButton) << "0700000" << 1;
    QTest::newRow("10 Hz down at the bottom beeps")
        << "0160000" << 6 << int(Qt::RightButton) << "0160000" << 1;
    QTest::newRow("down onto the bottom edge")
        << "0170000" << 2 << int(Qt::RightButton) << "0160000" << 0;
    QTest::newRow("middle button steps nothing")
        << "1407400" << 3 << int(Qt::MiddleButton) << "1407400" << 0;
}

// One click: one step, sent inside the loop and once more after the
// release; the radio follows; the list label is cleared.
void TestWindowTuning::digitClick() {
    QFETCH(QString, start);
    QFETCH(int, index);
    QFETCH(int, mouse);
    QFETCH(QString, row);
    QFETCH(int, beeps);
    Tuned t(start.toStdString());
    QVERIFY(t.ok);
    vb::setCaption(t.h.ui()->lblInfo, "Channel 07");
    clickDigit(t.h, t.h.form->cmdF[static_cast<size_t>(index)], Qt::MouseButton(mouse));
    QCOMPARE(QString::fromStdString(rowOf(t.h.form->cmdF)), row);
    const std::string f = "F" + row.toStdString() + "\n";
    QCOMPARE(wire(t.sent()), wire((std::vector<std::string>{f, f})));
    QCOMPARE(t.newBeeps(), beeps);
    QCOMPARE(QString::fromStdString(t.h.model.state.freq), row);
    QCOMPARE(t.h.cap(t.h.ui()->lblInfo), std::string());
    QVERIFY(!t.h.c->areas().frequency.gFreqHeld);
}

void TestWindowTuning::holdSendsFirstFiveThenEverySecond_data() {
    QTest::addColumn<QString>("releaseAt");  // row shown when the release comes
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("after the first step") << "1407401" << QStringList{"1407401", "1407401"};
    QTest::newRow("after the fifth step")
        << "1407405"
        << QStringList{"1407401", "1407402", "1407403", "1407404", "1407405", "1407405"};
    QTest::newRow("after the sixth step, not sent")
        << "1407406"
        << QStringList{"1407401", "1407402", "1407403", "1407404", "1407405", "1407406"};
    QTest::newRow("after the seventh step")
        << "1407407"
        << QStringList{"1407401", "1407402", "1407403", "1407404", "1407405", "1407407", "1407407"};
    QTest::newRow("after the twelfth step")
        << "1407412" << QStringList{"1407401", "1407402", "1407403", "1407404", "1407405",
                                    "1407407", "1407409", "1407411", "1407412"};
}

// A held digit repeats: steps 1 to 5 are sent one pause apart, then every
// second step (7, 9, 11 ...), and the row is sent once more after the
// release. Measured in virtual time: a send's pause is 0.4 s, so the first
// five steps take a pause each and then two steps share one.
void TestWindowTuning::holdSendsFirstFiveThenEverySecond() {
    QFETCH(QString, releaseAt);
    QFETCH(QStringList, sent);
    Tuned t("1407400");
    QVERIFY(t.ok);
    const double t0 = t.h.clock.elapsed();
    holdUntil(t.h, t.h.form->cmdF[6], Qt::LeftButton,
              [&] { return rowOf(t.h.form->cmdF) == releaseAt.toStdString(); });
    std::vector<std::string> want;
    for (const QString& s : sent) want.push_back("F" + s.toStdString() + "\n");
    QCOMPARE(wire(t.sent()), wire(want));
    QCOMPARE(t.h.model.state.freq, releaseAt.toStdString());
    // Every send is followed by its pause (and the read of the answer)
    // before anything else goes out.
    std::vector<double> at;
    for (size_t i = t.mark; i < t.h.radio.writes().size(); ++i)
        at.push_back(t.h.radio.writes()[i].at);
    QCOMPARE(at.size(), want.size());
    QVERIFY(at.front() - t0 < 0.05);  // the first step goes out at once
    for (size_t i = 1; i < at.size(); ++i) {
        const double gap = at[i] - at[i - 1];
        QVERIFY2(gap >= FrequencyEntry::kStepPause && gap < FrequencyEntry::kStepPause + 0.2,
                 qPrintable(QString("send %1 came %2 s after the one before").arg(i).arg(gap)));
    }
}

void TestWindowTuning::releaseBeforeTheFirstStep_data() {
    QTest::addColumn<int>("yield");  // handler yield that sees the release
    QTest::newRow("in the yield after clearing the label") << 1;
    QTest::newRow("in the yield after reading the row") << 2;
}

// A release handled before the loop starts makes no step; the row is sent
// unchanged once.
void TestWindowTuning::releaseBeforeTheFirstStep() {
    QFETCH(int, yield);
    Tuned t("1407400");
    QVERIFY(t.ok);
    int n = 0;
    QCOMPARE(holdUntil(t.h, t.h.form->cmdF[4], Qt::LeftButton, [&] { return ++n == yield; }),
             yield);
    QCOMPARE(rowOf(t.h.form->cmdF), std::string("1407400"));
    QCOMPARE(wire(t.sent()), wire(lines({"F1407400"})));
    QCOMPARE(t.newBeeps(), 0);
}

void TestWindowTuning::rowOutsideTheRangeIsNeverSent_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<int>("beeps");
    QTest::newRow("zeros before the first report, up") << "0000000" << int(Qt::LeftButton) << 0;
    QTest::newRow("zeros before the first report, down") << "0000000" << int(Qt::RightButton) << 1;
    QTest::newRow("below 1.6 MHz, up") << "0150000" << int(Qt::LeftButton) << 0;
    QTest::newRow("above 29.99999 MHz, down") << "3100000" << int(Qt::RightButton) << 0;
    QTest::newRow("above 29.99999 MHz, up") << "3100000" << int(Qt::LeftButton) << 1;
    QTest::newRow("not a number") << "14O7400" << int(Qt::LeftButton) << 0;
}

// A row outside 1.6..29.99999 MHz is neither stepped nor sent, not inside
// the loop and not after the release; a refusal is beeped once per press,
// however long it is held.
void TestWindowTuning::rowOutsideTheRangeIsNeverSent() {
    QFETCH(QString, row);
    QFETCH(int, mouse);
    QFETCH(int, beeps);
    Tuned t("1407400");
    QVERIFY(t.ok);
    setRow(t.h.form->cmdF, row.toStdString());
    const double t0 = t.h.clock.elapsed();
    holdUntil(t.h, t.h.form->cmdF[6], Qt::MouseButton(mouse),
              [&] { return t.h.clock.elapsed() - t0 > 2.0; });
    QCOMPARE(QString::fromStdString(rowOf(t.h.form->cmdF)), row);
    QCOMPARE(wire(t.sent()), QString());
    QCOMPARE(t.newBeeps(), beeps);
    QCOMPARE(t.h.model.state.freq, std::string("1407400"));
    // The held loop waited in its yields instead of spinning.
    QVERIFY(!t.h.shell.waits.empty());
    QCOMPARE(t.h.shell.waits.back(), FrequencyEntry::kIdlePassWait);
}

void TestWindowTuning::keyboardKnob_data() {
    QTest::addColumn<QString>("stepSize");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("row");
    QTest::newRow("I by 10Hz") << "10Hz" << int(Qt::Key_I) << 0 << "1407401";
    QTest::newRow("D by 10Hz") << "10Hz" << int(Qt::Key_D) << 0 << "1407399";
    QTest::newRow("I by 100Hz") << "100Hz" << int(Qt::Key_I) << 0 << "1407410";
    QTest::newRow("D by 100Hz") << "100Hz" << int(Qt::Key_D) << 0 << "1407390";
    QTest::newRow("I by 1KHz") << "1KHz" << int(Qt::Key_I) << 0 << "1407500";
    QTest::newRow("D by 1KHz") << "1KHz" << int(Qt::Key_D) << 0 << "1407300";
    QTest::newRow("I by 10KHz") << "10KHz" << int(Qt::Key_I) << 0 << "1408400";
    QTest::newRow("D by 10KHz") << "10KHz" << int(Qt::Key_D) << 0 << "1406400";
    QTest::newRow("shift I") << "1KHz" << int(Qt::Key_I) << int(Qt::ShiftModifier) << "1407500";
    QTest::newRow("ctrl D") << "1KHz" << int(Qt::Key_D) << int(Qt::ControlModifier) << "1407300";
    QTest::newRow("other key") << "1KHz" << int(Qt::Key_U) << 0 << "1407400";
    QTest::newRow("I with OFF") << "OFF" << int(Qt::Key_I) << 0 << "1407400";
    QTest::newRow("D with OFF") << "OFF" << int(Qt::Key_D) << 0 << "1407400";
}

// The knob's I and D keys step VFO A once by the chosen size, sending the
// new frequency twice; "OFF" and other keys do nothing.
void TestWindowTuning::keyboardKnob() {
    QFETCH(QString, stepSize);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, row);
    Tuned t("1407400");
    QVERIFY(t.ok);
    vb::setCaption(t.h.ui()->cmbStepSize, stepSize.toStdString());
    QCOMPARE(t.h.cap(t.h.ui()->cmbStepSize), stepSize.toStdString());
    QTest::keyClick(t.h.form->cmdF[3], Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QString::fromStdString(rowOf(t.h.form->cmdF)), row);
    if (row == "1407400") {
        QCOMPARE(wire(t.sent()), QString());
    } else {
        const std::string f = "F" + row.toStdString() + "\n";
        QCOMPARE(wire(t.sent()), wire((std::vector<std::string>{f, f})));
        QCOMPARE(QString::fromStdString(t.h.model.state.freq), row);
    }
    QVERIFY(!t.h.c->areas().frequency.gKeyStep);
}

void TestWindowTuning::keyWithoutAStepLeavesNoPendingStep_data() {
    QTest::addColumn<QString>("stepSize");
    QTest::addColumn<bool>("locked");
    QTest::newRow("step size OFF") << "OFF" << false;
    QTest::newRow("step size empty") << "" << false;
    QTest::newRow("tuning locked") << "1KHz" << true;
}

// A key that makes no step leaves nothing pending: the next VFO A click
// makes exactly one step.
void TestWindowTuning::keyWithoutAStepLeavesNoPendingStep() {
    QFETCH(QString, stepSize);
    QFETCH(bool, locked);
    Tuned t("1407400");
    QVERIFY(t.ok);
    vb::setCaption(t.h.ui()->cmbStepSize, stepSize.toStdString());
    t.h.c->state().ps.gTuneLock = locked;
    QTest::keyClick(t.h.form->cmdF[0], Qt::Key_I);
    QVERIFY(!t.h.c->areas().frequency.gKeyStep);
    t.h.c->state().ps.gTuneLock = false;
    clickDigit(t.h, t.h.form->cmdF[5], Qt::LeftButton);
    QCOMPARE(rowOf(t.h.form->cmdF), std::string("1407410"));
    QCOMPARE(wire(t.sent()), wire(lines({"F1407410", "F1407410"})));
}

void TestWindowTuning::keyWhileADigitIsHeldAddsOneStep_data() {
    QTest::addColumn<int>("mouse");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("row");
    // The step is the held digit's (100 kHz), in the held button's direction.
    QTest::newRow("left held, I") << int(Qt::LeftButton) << int(Qt::Key_I) << "1427400";
    QTest::newRow("left held, D") << int(Qt::LeftButton) << int(Qt::Key_D) << "1427400";
    QTest::newRow("right held, I") << int(Qt::RightButton) << int(Qt::Key_I) << "1407400";
}

// The key's own call finds the press handler busy and returns; the pending
// keyboard step keeps the running loop going for one more pass after the
// release.
void TestWindowTuning::keyWhileADigitIsHeldAddsOneStep() {
    QFETCH(int, mouse);
    QFETCH(int, key);
    QFETCH(QString, row);
    Tuned t(mouse == int(Qt::LeftButton) ? "1407400" : "1427400");
    QVERIFY(t.ok);
    vb::setCaption(t.h.ui()->cmbStepSize, "10Hz");
    int n = 0;
    holdUntil(
        t.h, t.h.form->cmdF[2], Qt::MouseButton(mouse), [&] { return ++n == 3; },
        [&] { QTest::keyClick(t.h.form->cmdF[2], Qt::Key(key)); });
    QCOMPARE(QString::fromStdString(rowOf(t.h.form->cmdF)), row);
    const std::string first = "F1417400\n";  // the first step, either way
    const std::string f = "F" + row.toStdString() + "\n";
    QCOMPARE(wire(t.sent()), wire((std::vector<std::string>{first, f, f})));
}

// The display after the final send runs the band check at once: a step out
// of the amateur band disables the transmit buttons and switches PTT enable
// off; a step back in undoes both.
void TestWindowTuning::steppedOutOfTheBandsRunsTheBandCheck() {
    Tuned t("1435000");
    QVERIFY(t.ok);
    QVERIFY(t.h.ui()->cmdXmit->isEnabled());
    clickDigit(t.h, t.h.form->cmdF[4], Qt::LeftButton);
    QCOMPARE(wire(t.sent()), wire(lines({"F1435100", "F1435100"})) + "'|");
    QCOMPARE(t.h.cap(t.h.ui()->lblInBand), std::string("Out Of Band"));
    QVERIFY(!t.h.ui()->cmdXmit->isEnabled());
    QVERIFY(!t.h.ui()->cmdPTT->isEnabled());
    t.h.runFor(0.5);
    QCOMPARE(t.h.cap(t.h.ui()->lblPTTEn), std::string("OFF"));
    t.mark = t.h.radio.writes().size();
    clickDigit(t.h, t.h.form->cmdF[4], Qt::RightButton);
    QCOMPARE(wire(t.sent()), wire(lines({"F1435000", "F1435000"})) + "'|");
    QCOMPARE(t.h.cap(t.h.ui()->lblInBand), std::string());
    QVERIFY(t.h.ui()->cmdXmit->isEnabled());
}

// The radio's device goes away while a digit is held: the press ends with
// the failure on the information line, and the row works again once the
// port is back.
void TestWindowTuning::portLostDuringAPressFreesTheRow() {
    Tuned t("1407400");
    QVERIFY(t.ok);
    int n = 0;
    holdUntil(t.h, t.h.form->cmdF[4], Qt::LeftButton, [&] {
        if (++n == 2) t.h.radio.setVanished(true);
        return n == 4;
    });
    QVERIFY(t.h.cap(t.h.ui()->txtInfo).rfind("cmdF_MouseDown: Err ", 0) == 0);
    QVERIFY(!t.h.ui()->txtInfo->isHidden());
    QVERIFY(!t.h.c->areas().frequency.gFreqHeld);
    t.h.radio.setVanished(false);
    t.mark = t.h.radio.writes().size();
    const std::string before = rowOf(t.h.form->cmdF);
    clickDigit(t.h, t.h.form->cmdF[4], Qt::LeftButton);
    const std::string after = digits::freqText(*digits::freqValue(before) + 100);
    QCOMPARE(rowOf(t.h.form->cmdF), after);
    QCOMPARE(wire(t.sent()), wire({"F" + after + "\n", "F" + after + "\n"}));
}

// While the panel shows "Transmit" VFO A clicks and keys do nothing; VFO B
// still steps. Back on "Receive" VFO A tunes again.
void TestWindowTuning::lockedWhileTransmitting() {
    Tuned t("1407400");
    QVERIFY(t.ok);
    vb::setCaption(t.h.ui()->cmbStepSize, "1KHz");
    t.h.c->state().st.gSyncChar = "K";
    QVERIFY(t.h.run([&] { return t.h.cap(t.h.ui()->lblXMTRCV) == "Transmit"; }));
    QVERIFY(t.h.c->state().ps.gTuneLock);
    const size_t mark = t.h.radio.writes().size();
    clickDigit(t.h, t.h.form->cmdF[4], Qt::LeftButton);
    QTest::keyClick(t.h.form->cmdF[4], Qt::Key_I);
    QCOMPARE(rowOf(t.h.form->cmdF), std::string("1407400"));
    QCOMPARE(wire(commandsSince(t.h, mark)), QString());
    QVERIFY(!t.h.c->areas().frequency.gKeyStep);
    setRow(t.h.form->cmdVFOB, "1425000");
    clickOnce(t.h, t.h.form->cmdVFOB[4], Qt::LeftButton);
    QCOMPARE(rowOf(t.h.form->cmdVFOB), std::string("1425100"));

    t.h.c->state().st.gSyncChar = "U";
    QVERIFY(t.h.run([&] { return t.h.cap(t.h.ui()->lblXMTRCV) == "Receive"; }));
    QVERIFY(!t.h.c->state().ps.gTuneLock);
    QTest::keyClick(t.h.form->cmdF[4], Qt::Key_I);
    QCOMPARE(rowOf(t.h.form->cmdF), std::string("1407500"));
    QCOMPARE(t.h.model.state.freq, std::string("1407500"));
}

void TestWindowTuning::digitsCarryTheirTooltip() {
    PanelHarness h;
    for (QPushButton* b : h.form->cmdF)
        QCOMPARE(b->toolTip(), QString("Left Click Up,Right Click Down"));
    QStringList steps;
    for (int i = 0; i < h.ui()->cmbStepSize->count(); ++i)
        steps << h.ui()->cmbStepSize->itemText(i);
    QCOMPARE(steps, (QStringList{"10Hz", "100Hz", "1KHz", "10KHz", "OFF"}));
}

QTEST_MAIN(TestWindowTuning)
#include "test_window_tuning.moc"
