// The radio's channel memory on the real main window with the radio model
// in virtual time: channel digits and their limits, channel mode entered
// and left with the saved VFO A frequency and mode, the channel report
// selecting the mode, M->V and V->M with their bytes.
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include "panel/channel_memory.h"
#include "tuning_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowChannels : public QObject {
    Q_OBJECT
  private slots:
    void channelClick_data();
    void channelClick();
    void channelHoldSteps();
    void channelReleaseSelectsInChannelMode();
    void enterAndLeaveChannelMode();
    void startedOnAChannel();
    void channelReportSelectsTheMode();
    void loadChannel_data();
    void loadChannel();
    void storeChannel();
    void storeRefusesWhatIsNoReport_data();
    void storeRefusesWhatIsNoReport();
    void leavingWithoutASavedFrequencyOnlyUnlocks_data();
    void leavingWithoutASavedFrequencyOnlyUnlocks();
    void localPanelStaysLockedOnTheVfo();
    void portLostWhileLeavingChannelMode();
    void controlsCarryTheirCaptions();
};

namespace {

struct Chan {
    explicit Chan(int channel = -1, const std::string& freq = "1407400", int mode = 1)
        : h(Firmware::V601, true) {
        h.model.state.freq = freq;
        h.model.state.mode = mode;
        h.model.state.channel = channel;
        h.model.state.channels[12] = {"0712500", 2};
        h.model.state.channels[7] = {"0355000", 4};
        h.model.state.channels[8] = {"1812000", 1};
        ok = h.runPasses(3);
        h.runFor(0.5);
        mark = h.radio.writes().size();
        beeps = h.shell.beeps;
    }
    std::vector<std::string> sent() const { return commandsSince(h, mark); }
    void serve() { h.runFor(1.0); }
    PanelHarness h;
    bool ok = false;
    size_t mark = 0;
    int beeps = 0;
};

}  // namespace

void TestWindowChannels::channelClick_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    QTest::newRow("units up carries") << "09" << 1 << int(Qt::LeftButton) << "10" << 0;
    QTest::newRow("units down borrows") << "10" << 1 << int(Qt::RightButton) << "09" << 0;
    QTest::newRow("tens up") << "42" << 0 << int(Qt::LeftButton) << "52" << 0;
    QTest::newRow("tens down") << "42" << 0 << int(Qt::RightButton) << "32" << 0;
    QTest::newRow("99 up on the units beeps") << "99" << 1 << int(Qt::LeftButton) << "99" << 1;
    QTest::newRow("95 up on the tens beeps") << "95" << 0 << int(Qt::LeftButton) << "95" << 1;
    QTest::newRow("05 down on the tens beeps") << "05" << 0 << int(Qt::RightButton) << "05" << 1;
    QTest::newRow("00 down on the units beeps") << "00" << 1 << int(Qt::RightButton) << "00" << 1;
    QTest::newRow("90 up on the tens reaches no 100")
        << "90" << 0 << int(Qt::LeftButton) << "90" << 1;
    QTest::newRow("89 up on the tens") << "89" << 0 << int(Qt::LeftButton) << "99" << 0;
}

// In VFO mode a channel click only changes the number (it prepares V->M).
void TestWindowChannels::channelClick() {
    QFETCH(QString, start);
    QFETCH(int, index);
    QFETCH(int, mouse);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    Chan c;
    QVERIFY(c.ok);
    QVERIFY(c.h.form->optChan[1]->isChecked());
    setRow(c.h.form->cmdM, start.toStdString());
    clickOnce(c.h, c.h.form->cmdM[static_cast<size_t>(index)], Qt::MouseButton(mouse));
    QCOMPARE(QString::fromStdString(rowOf(c.h.form->cmdM)), shown);
    QCOMPARE(c.h.shell.beeps - c.beeps, beeps);
    QCOMPARE(wire(c.sent()), QString());
    QVERIFY(!c.h.c->areas().channels.gChanHeld);
}

// Held, the channel moves one step per quarter second and beeps at 99.
void TestWindowChannels::channelHoldSteps() {
    Chan c;
    QVERIFY(c.ok);
    setRow(c.h.form->cmdM, "96");
    std::vector<std::string> seen;
    const double t0 = c.h.clock.elapsed();
    holdUntil(c.h, c.h.form->cmdM[1], Qt::LeftButton, [&] {
        seen.push_back(rowOf(c.h.form->cmdM));
        return seen.size() == 5;
    });
    QCOMPARE(seen, (std::vector<std::string>{"97", "98", "99", "99", "99"}));
    QCOMPARE(c.h.shell.beeps - c.beeps, 2);
    const double took = c.h.clock.elapsed() - t0;
    QVERIFY2(took >= 5 * ChannelMemory::kStepPause && took < 5 * ChannelMemory::kStepPause + 0.05,
             QByteArray::number(took));
}

// In channel mode the release selects the new channel on the radio.
void TestWindowChannels::channelReleaseSelectsInChannelMode() {
    Chan c(7);
    QVERIFY(c.ok);
    QVERIFY(c.h.form->optChan[0]->isChecked());
    QCOMPARE(rowOf(c.h.form->cmdM), std::string("07"));
    clickOnce(c.h, c.h.form->cmdM[1], Qt::LeftButton);
    QCOMPARE(wire(c.sent()), wire(lines({"C08"})));
    QCOMPARE(c.h.model.state.channel, 8);
    c.serve();
    QCOMPARE(rowOf(c.h.form->cmdF), std::string("1812000"));
    QCOMPARE(c.h.cap(c.h.ui()->cmbMode), std::string("USB"));
}

// Entering channel mode locks VFO A and selects the channel shown; leaving
// it puts back the VFO A frequency and mode saved on entry and retunes.
void TestWindowChannels::enterAndLeaveChannelMode() {
    Chan c;
    QVERIFY(c.ok);
    QVERIFY(!c.h.c->state().ps.gTuneLock);
    setRow(c.h.form->cmdM, "12");
    QTest::mouseClick(c.h.form->optChan[0], Qt::LeftButton);
    QVERIFY(c.h.c->state().ps.gTuneLock);
    QCOMPARE(c.h.c->areas().channels.gSavedVfoA, std::string("1407400"));
    QCOMPARE(wire(c.sent()), wire(lines({"C12"})));
    c.serve();
    QCOMPARE(c.h.model.state.channel, 12);
    QCOMPARE(rowOf(c.h.form->cmdF), std::string("0712500"));
    QCOMPARE(c.h.cap(c.h.ui()->cmbMode), std::string("LSB"));
    QVERIFY(c.h.form->optChan[0]->isChecked());

    // VFO A is locked in channel mode; VFO B is not.
    const size_t mark = c.h.radio.writes().size();
    clickDigit(c.h, c.h.form->cmdF[2], Qt::LeftButton);
    vb::setCaption(c.h.ui()->cmbStepSize, "1KHz");
    QTest::keyClick(c.h.form->cmdF[2], Qt::Key_I);
    QCOMPARE(rowOf(c.h.form->cmdF), std::string("0712500"));
    QCOMPARE(wire(commandsSince(c.h, mark)), QString());
    setRow(c.h.form->cmdVFOB, "1425000");
    clickOnce(c.h, c.h.form->cmdVFOB[6], Qt::LeftButton);
    QCOMPARE(rowOf(c.h.form->cmdVFOB), std::string("1425001"));

    QTest::mouseClick(c.h.form->optChan[1], Qt::LeftButton);
    QVERIFY(!c.h.c->state().ps.gTuneLock);
    QCOMPARE(rowOf(c.h.form->cmdF), std::string("1407400"));
    // LSB back to USB on the v601 firmware: three mode steps, then the VFO.
    QCOMPARE(wire(commandsSince(c.h, mark)), wire(lines({"MMM", "F1407400"})));
    c.serve();
    QCOMPARE(c.h.model.state.channel, -1);
    QCOMPARE(c.h.model.state.freq, std::string("1407400"));
    QCOMPARE(c.h.model.state.mode, 1);
    QCOMPARE(c.h.cap(c.h.ui()->cmbMode), std::string("USB"));
    QVERIFY(c.h.form->optChan[1]->isChecked());
    // VFO A tunes again.
    clickDigit(c.h, c.h.form->cmdF[4], Qt::LeftButton);
    QCOMPARE(c.h.model.state.freq, std::string("1407500"));
}

// The radio already works on channel 07 at start: its report shows 07 and
// selects channel mode, and nothing is sent for it.
void TestWindowChannels::startedOnAChannel() {
    Chan c(7);
    QVERIFY(c.ok);
    QVERIFY(c.h.form->optChan[0]->isChecked());
    QCOMPARE(rowOf(c.h.form->cmdM), std::string("07"));
    QVERIFY(c.h.c->state().ps.gTuneLock);
    for (const std::string& s : commandsSince(c.h, 0)) QVERIFY2(s[0] != 'C', s.c_str());
}

// A channel report that arrives on its own (the operator turned the
// radio's channel knob, or went back to the VFO) selects the option that
// matches, with the same handling as a click.
void TestWindowChannels::channelReportSelectsTheMode() {
    Chan c;
    QVERIFY(c.ok);
    c.h.model.say("C07", c.h.clock.elapsed() + 0.01);
    c.serve();
    QVERIFY(c.h.form->optChan[0]->isChecked());
    QCOMPARE(rowOf(c.h.form->cmdM), std::string("07"));
    QVERIFY(c.h.c->state().ps.gTuneLock);
    QCOMPARE(c.h.c->areas().channels.gSavedVfoA, std::string("1407400"));
    QCOMPARE(wire(c.sent()), QString());
    // Back on the VFO: the saved frequency is sent again (the mode is
    // still the one saved, so no mode keys).
    c.h.model.say("C--", c.h.clock.elapsed() + 0.01);
    c.serve();
    QVERIFY(c.h.form->optChan[1]->isChecked());
    QVERIFY(!c.h.c->state().ps.gTuneLock);
    QCOMPARE(wire(c.sent()), wire(lines({"F1407400"})));
}

void TestWindowChannels::loadChannel_data() {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("channel");
    QTest::newRow("07") << "07"
                        << "07";
    QTest::newRow("99") << "99"
                        << "99";
    QTest::newRow("empty digits read as 00") << ""
                                             << "00";
    QTest::newRow("letters read as 00") << "xy"
                                        << "00";
}

// M->V selects the channel and names it in the list label.
void TestWindowChannels::loadChannel() {
    QFETCH(QString, digits);
    QFETCH(QString, channel);
    Chan c;
    QVERIFY(c.ok);
    if (digits.isEmpty()) {
        vb::setCaption(c.h.form->cmdM[0], "");
        vb::setCaption(c.h.form->cmdM[1], "");
    } else {
        setRow(c.h.form->cmdM, digits.toStdString());
    }
    QTest::mouseClick(c.h.ui()->cmdM2V, Qt::LeftButton);
    QVERIFY(c.h.c->state().req.reqM2V);
    c.h.c->runUntil([] { return false; }, 1);
    QVERIFY(!c.h.c->state().req.reqM2V);
    QCOMPARE(c.sent().front(), "C" + channel.toStdString() + "\n");
    QCOMPARE(c.h.cap(c.h.ui()->lblInfo), "Channel " + channel.toStdString());
    c.serve();
    QCOMPARE(c.h.model.state.channel, channel.toInt());
    QVERIFY(c.h.form->optChan[0]->isChecked());
}

// V->M stores what the radio last reported (not the digit buttons) with
// its mode digit.
void TestWindowChannels::storeChannel() {
    Chan c(-1, "0712500", 2);
    QVERIFY(c.ok);
    setRow(c.h.form->cmdM, "07");
    setRow(c.h.form->cmdF, "1111111");  // the buttons are not what is stored
    QTest::mouseClick(c.h.ui()->cmdV2M, Qt::LeftButton);
    QVERIFY(c.h.c->state().req.reqV2M);
    c.h.c->runUntil([] { return false; }, 1);
    QVERIFY(!c.h.c->state().req.reqV2M);
    QCOMPARE(wire(c.sent()), wire(lines({"P0707125002"})));
    QCOMPARE(c.h.model.state.channels[7].freq, std::string("0712500"));
    QCOMPARE(c.h.model.state.channels[7].mode, 2);
}

void TestWindowChannels::storeRefusesWhatIsNoReport_data() {
    QTest::addColumn<QString>("report");  // what the radio says before V->M
    QTest::addColumn<QString>("freq");    // or the frequency field set as it is before any report
    QTest::newRow("short frequency report") << "F12345"
                                            << "";
    QTest::newRow("frequency with a letter") << "F07125O0"
                                             << "";
    QTest::newRow("mode out of range") << "M7"
                                       << "";
    QTest::newRow("mode zero") << "M0"
                               << "";
    QTest::newRow("no frequency reported yet") << ""
                                               << "        ";
    QTest::newRow("empty frequency field") << ""
                                           << "";
}

// A frequency report that is not "F" and seven digits, or a mode report
// other than M1..M4, is not stored: nothing is sent and the information
// line says why.
void TestWindowChannels::storeRefusesWhatIsNoReport() {
    QFETCH(QString, report);
    QFETCH(QString, freq);
    Chan c(-1, "0712500", 2);
    QVERIFY(c.ok);
    setRow(c.h.form->cmdM, "07");
    if (!report.isEmpty()) {
        c.h.model.say(report.toStdString(), c.h.clock.elapsed() + 0.01);
        c.serve();
    } else {
        c.h.c->state().st.gFreqReport = freq.toStdString();
        c.h.c->state().st.gFreqReportOk = false;
        c.serve();
    }
    // The band check has answered the report by now (PTT enable off).
    c.mark = c.h.radio.writes().size();
    QTest::mouseClick(c.h.ui()->cmdV2M, Qt::LeftButton);
    c.h.c->runUntil([] { return false; }, 1);
    QVERIFY(!c.h.c->state().req.reqV2M);
    QCOMPARE(wire(c.sent()), QString());
    QCOMPARE(c.h.cap(c.h.ui()->txtInfo), std::string("No valid frequency to store"));
    QVERIFY(!c.h.ui()->txtInfo->isHidden());
    QCOMPARE(c.h.model.state.channels[7].freq, std::string("0355000"));
}

void TestWindowChannels::leavingWithoutASavedFrequencyOnlyUnlocks_data() {
    QTest::addColumn<QString>("saved");
    QTest::newRow("nothing saved") << "";
    QTest::newRow("not seven digits") << "14074";
    QTest::newRow("zeros of the design captions") << "0000000";
    QTest::newRow("above the tuning range") << "3000000";
}

// VFO mode without a saved VFO A frequency in the tuning range (the panel
// started on a channel before any frequency was shown) only unlocks VFO A.
void TestWindowChannels::leavingWithoutASavedFrequencyOnlyUnlocks() {
    QFETCH(QString, saved);
    Chan c(7);
    QVERIFY(c.ok);
    QVERIFY(c.h.c->state().ps.gTuneLock);
    c.h.c->areas().channels.gSavedVfoA = saved.toStdString();
    const std::string shown = rowOf(c.h.form->cmdF);
    QTest::mouseClick(c.h.form->optChan[1], Qt::LeftButton);
    QVERIFY(!c.h.c->state().ps.gTuneLock);
    QCOMPARE(wire(c.sent()), QString());
    QCOMPARE(rowOf(c.h.form->cmdF), shown);
}

// Under the radio's front-panel control VFO A tuning stays locked (v601):
// the panel starts on the VFO, so the radio's VFO reports select nothing
// new and unlock nothing.
void TestWindowChannels::localPanelStaysLockedOnTheVfo() {
    PanelHarness h(Firmware::V601, false);
    QVERIFY(h.form->optChan[1]->isChecked());
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->state().ps.gControlMode, ControlMode::Local);
    QVERIFY(h.c->state().ps.gTuneLock);
    h.model.say("C--", h.clock.elapsed() + 0.01);
    h.runFor(1.0);
    QVERIFY(h.c->state().ps.gTuneLock);
    const size_t mark = h.radio.writes().size();
    const std::string shown = rowOf(h.form->cmdF);
    clickDigit(h, h.form->cmdF[4], Qt::LeftButton);
    QCOMPARE(rowOf(h.form->cmdF), shown);
    QCOMPARE(wire(commandsSince(h, mark)), QString());
}

// The radio's device goes away as VFO mode is chosen: the failure is said
// on the information line and VFO A tuning is unlocked all the same.
void TestWindowChannels::portLostWhileLeavingChannelMode() {
    Chan c;
    QVERIFY(c.ok);
    setRow(c.h.form->cmdM, "12");
    QTest::mouseClick(c.h.form->optChan[0], Qt::LeftButton);
    c.serve();
    QVERIFY(c.h.c->state().ps.gTuneLock);
    c.h.radio.setVanished(true);
    QTest::mouseClick(c.h.form->optChan[1], Qt::LeftButton);
    QVERIFY(c.h.form->optChan[1]->isChecked());
    QVERIFY(!c.h.c->state().ps.gTuneLock);
    QVERIFY(c.h.cap(c.h.ui()->txtInfo).rfind("optChan_Click: Err ", 0) == 0);
}

void TestWindowChannels::controlsCarryTheirCaptions() {
    PanelHarness h;
    QCOMPARE(h.cap(h.ui()->cmdM2V), std::string("M->V"));
    QCOMPARE(h.ui()->cmdM2V->toolTip(), QString("Memory to VFO"));
    QCOMPARE(h.cap(h.ui()->cmdV2M), std::string("V->M"));
    QCOMPARE(h.ui()->cmdV2M->toolTip(), QString("VFO to Memory"));
    QCOMPARE(h.form->optChan[0]->toolTip(), QString("Use Radio's Channels"));
    QCOMPARE(h.form->optChan[1]->toolTip(), QString("Use VFO"));
    for (QPushButton* b : h.form->cmdM)
        QCOMPARE(b->toolTip(), QString("Left Click Up,Right Click Down"));
}

QTEST_MAIN(TestWindowChannels)
#include "test_window_channels.moc"
