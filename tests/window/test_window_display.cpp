// The status display and the meters of the real main window: each report
// drawn by its routine, the band check, the amplifier tables and the meter
// bar and scales.
#include <QtTest>

#include "panel_harness.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {
// Parses `reports` as the radio would send them and runs the status display.
void show(PanelHarness& h, const std::string& reports) {
    std::string text = reports;
    h.c->link().ParseRadioInput(text);
    h.c->areas().display.gUpdateDisplay();
}
}  // namespace

class TestWindowDisplay : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void reportsShown_data();
    void reportsShown();
    void sourceOnlyWithLocalAudio();
    void bandCheck_data();
    void bandCheck();
    void bandCheckVfoBAndScan();
    void tuneRunningKeepsButton();
    void channelReports();
    void ampState_data();
    void ampState();
    void ampTune();
    void faultReports();
    void meterBar_data();
    void meterBar();
    void meterScales_data();
    void meterScales();
    void syncTickTransmitIndication();
    void garbageReportsChangeNothing();

  private:
    std::unique_ptr<PanelHarness> h_;
};

void TestWindowDisplay::init() {
    h_ = std::make_unique<PanelHarness>(Firmware::NonAdapt, true);
    h_->c->state().st.gFwType = 3;
    h_->c->state().st.gPttEnReport = "  ";
    PortConfig cfg;
    cfg.portNumber = 1;
    cfg.settings = "9600,O,7,1";
    h_->radio.open(cfg);
}

void TestWindowDisplay::reportsShown_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shown");
    QTest::newRow("R1") << "R1"
                        << "lblREMOTE"
                        << "REMOTE";
    QTest::newRow("R0") << "R0"
                        << "lblREMOTE"
                        << "LOCAL";
    QTest::newRow("A1") << "A1"
                        << "cmbAGC"
                        << "OFF";
    QTest::newRow("A2") << "A2"
                        << "cmbAGC"
                        << "SLOW";
    QTest::newRow("A3") << "A3"
                        << "cmbAGC"
                        << "MED";
    QTest::newRow("A4") << "A4"
                        << "cmbAGC"
                        << "FAST";
    QTest::newRow("M1") << "M1"
                        << "cmbMode"
                        << "USB";
    QTest::newRow("M2") << "M2"
                        << "cmbMode"
                        << "LSB";
    QTest::newRow("M3") << "M3"
                        << "cmbMode"
                        << "AME";
    QTest::newRow("M4") << "M4"
                        << "cmbMode"
                        << "CW";
    QTest::newRow("remote audio") << "\"0"
                                  << "cmbSource"
                                  << "REMOTE";
    QTest::newRow("I0") << "I0"
                        << "lblClipping"
                        << "OFF";
    QTest::newRow("I1") << "I1"
                        << "lblClipping"
                        << "ON";
    QTest::newRow("'0") << "'0"
                        << "lblPTTEn"
                        << "OFF";
    QTest::newRow("'1") << "'1"
                        << "lblPTTEn"
                        << "ON";
    QTest::newRow("(0") << "(0"
                        << "lblMute"
                        << "OFF";
    QTest::newRow("(1") << "(1"
                        << "lblMute"
                        << "ON";
    QTest::newRow("S0") << "S0"
                        << "lblSideTone"
                        << "OFF";
    QTest::newRow("S1") << "S1"
                        << "lblSideTone"
                        << "ON";
    QTest::newRow("V0") << "V0"
                        << "lblVox"
                        << "OFF";
    QTest::newRow("V1") << "V1"
                        << "lblVox"
                        << "VOICE";
    QTest::newRow("V2") << "V2"
                        << "lblVox"
                        << "DATA";
    QTest::newRow("unknown mode keeps") << "M9"
                                        << "cmbMode"
                                        << "USB";
    QTest::newRow("unknown vox keeps") << "V7"
                                       << "lblVox"
                                       << "OFF";
}

void TestWindowDisplay::reportsShown() {
    QFETCH(QString, report);
    QFETCH(QString, control);
    QFETCH(QString, shown);
    PanelHarness& h = *h_;
    auto* w = h.form->findChild<QWidget*>(control);
    QVERIFY(w != nullptr);
    show(h, "M1\nV0\n");
    if (control == "lblPTTEn") {
        // The band check holds the radio's PTT enable to the band: the
        // display routine alone shows the report.
        std::string text = report.toStdString() + "\n";
        h.c->link().ParseRadioInput(text);
        h.c->areas().display.ShowPttEnable();
    } else {
        show(h, report.toStdString() + "\n");
    }
    QCOMPARE(QString::fromStdString(h.cap(w)), shown);
}

void TestWindowDisplay::sourceOnlyWithLocalAudio() {
    PanelHarness& h = *h_;
    show(h, "\"0\nH2\n");
    QCOMPARE(h.cap(h.ui()->cmbSource), std::string("REMOTE"));
    show(h, "\"1\nH2\n");
    QCOMPARE(h.cap(h.ui()->cmbSource), std::string("AUDIO2"));
    show(h, "H4\n");
    QCOMPARE(h.cap(h.ui()->cmbSource), std::string("OFF/CW"));
}

void TestWindowDisplay::bandCheck_data() {
    QTest::addColumn<QString>("freq");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("14.074") << "F1407400" << true;
    QTest::newRow("60 m channel") << "F0533050" << true;
    QTest::newRow("near a 60 m channel") << "F0533060" << false;
    QTest::newRow("160 m low edge") << "F0180000" << true;
    QTest::newRow("160 m high edge") << "F0200000" << true;
    QTest::newRow("below 160 m") << "F0179999" << false;
    QTest::newRow("10 m top") << "F2970000" << true;
    QTest::newRow("above 10 m") << "F2970001" << false;
    QTest::newRow("30 m") << "F1012000" << true;
    QTest::newRow("12 m") << "F2494000" << true;
    QTest::newRow("blank report") << "        " << false;
    QTest::newRow("not a number") << "F12a4567" << false;
}

void TestWindowDisplay::bandCheck() {
    QFETCH(QString, freq);
    QFETCH(bool, allowed);
    PanelHarness& h = *h_;
    QCOMPARE(h.c->areas().display.IsInBand(freq.toStdString()), allowed);
    h.form->optTXVFO[0]->setChecked(true);
    h.c->state().st.gFreqReport = freq.toStdString();
    h.c->state().ps.gControlMode = ControlMode::Remote;
    h.c->areas().display.gUpdateDisplay();
    auto* ui = h.ui();
    QCOMPARE(ui->cmdXmit->isEnabled(), allowed);
    QCOMPARE(ui->cmdTune->isEnabled(), allowed);
    QCOMPARE(ui->cmdPTTEn->isEnabled(), allowed);
    QCOMPARE(ui->cmdPTT->isEnabled(), allowed);
    QCOMPARE(h.cap(ui->lblInBand), std::string(allowed ? "" : "Out Of Band"));
    QCOMPARE(vb::backColour(ui->lblInBand), allowed ? colour::kLightGrey : colour::kRed);
    QCOMPARE(h.cap(ui->txtInfo).find("gUpdateDisplay"), std::string::npos);
    // Unrestricted: every frequency, even text that is not a number.
    h.c->state().set.gTxUnrestricted = true;
    QVERIFY(h.c->areas().display.IsInBand(freq.toStdString()));
}

void TestWindowDisplay::bandCheckVfoBAndScan() {
    PanelHarness& h = *h_;
    h.c->state().ps.gControlMode = ControlMode::Remote;
    h.c->state().st.gFreqReport = "F0500000";
    const char* b = "0700000";
    for (size_t i = 0; i < 7; ++i) h.form->cmdVFOB[i]->setText(QString(b[i]));
    h.form->optTXVFO[1]->setChecked(true);
    h.c->areas().display.gUpdateDisplay();
    QVERIFY(h.ui()->cmdXmit->isEnabled());
    h.c->state().ps.gScanActive = true;
    h.c->areas().display.gUpdateDisplay();
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
    QCOMPARE(h.cap(h.ui()->lblInBand), std::string("Scanning"));
}

void TestWindowDisplay::tuneRunningKeepsButton() {
    PanelHarness& h = *h_;
    h.c->state().ps.gControlMode = ControlMode::Remote;
    h.form->optTXVFO[0]->setChecked(true);
    h.c->state().st.gFreqReport = "F1407400";
    h.c->areas().display.gUpdateDisplay();
    h.ui()->cmdTune->setText("T&UNE OFF");
    h.c->state().st.gFreqReport = "F0500000";
    h.c->areas().display.gUpdateDisplay();
    QVERIFY(h.ui()->cmdTune->isEnabled());
    QVERIFY(!h.ui()->cmdXmit->isEnabled());
}

void TestWindowDisplay::channelReports() {
    PanelHarness& h = *h_;
    show(h, "C07\n");
    QCOMPARE(h.cap(h.form->cmdM[0]) + h.cap(h.form->cmdM[1]), std::string("07"));
    QVERIFY(h.form->optChan[0]->isChecked());
    show(h, "C--\n");
    QVERIFY(h.form->optChan[1]->isChecked());
    show(h, "P0707125002\n");
    std::string digits;
    for (QPushButton* b : h.form->cmdF) digits += h.cap(b);
    QCOMPARE(digits, std::string("0712500"));
    QCOMPARE(h.cap(h.ui()->cmbMode), std::string("LSB"));
}

void TestWindowDisplay::ampState_data() {
    QTest::addColumn<QString>("o");
    QTest::addColumn<QString>("pwr");
    QTest::addColumn<long>("pwrColour");
    QTest::addColumn<QString>("opr");
    QTest::addColumn<long>("oprColour");
    QTest::addColumn<bool>("tuneEnabled");
    QTest::newRow("O1") << "O1"
                        << "OFF" << long(colour::kWhite) << "" << long(colour::kWhite) << false;
    QTest::newRow("O2") << "O2"
                        << "ON" << long(colour::kRed) << "Warmup" << long(colour::kYellow) << false;
    QTest::newRow("O3") << "O3"
                        << "ON" << long(colour::kRed) << "Standby" << long(colour::kGreen) << false;
    QTest::newRow("O4") << "O4"
                        << "ON" << long(colour::kRed) << "Operate" << long(colour::kRed) << true;
}

void TestWindowDisplay::ampState() {
    QFETCH(QString, o);
    QFETCH(QString, pwr);
    QFETCH(long, pwrColour);
    QFETCH(QString, opr);
    QFETCH(long, oprColour);
    QFETCH(bool, tuneEnabled);
    PanelHarness& h = *h_;
    show(h, o.toStdString() + "\n");
    auto* ui = h.ui();
    QCOMPARE(QString::fromStdString(h.cap(ui->lblAmpPwr)), pwr);
    QCOMPARE(vb::backColour(ui->lblAmpPwr), pwrColour);
    QCOMPARE(QString::fromStdString(h.cap(ui->lblAmpOpStby)), opr);
    QCOMPARE(vb::backColour(ui->lblAmpOpStby), oprColour);
    QCOMPARE(ui->cmdTuneAmp->isEnabled(), tuneEnabled);
}

void TestWindowDisplay::ampTune() {
    PanelHarness& h = *h_;
    auto* ui = h.ui();
    show(h, "O3\nT3\n");
    QCOMPARE(h.cap(ui->lblAmpTuned), std::string());  // only while operating
    show(h, "O4\nT2\n");
    QCOMPARE(h.cap(ui->lblAmpTuned), std::string("Start Tune"));
    QCOMPARE(vb::backColour(ui->lblAmpTuned), long(colour::kGreen));
    show(h, "T3\n");
    QCOMPARE(h.cap(ui->lblAmpTuned), std::string("Tuning"));
    h.c->state().ps.gAmpTuning = true;
    h.c->state().st.gSyncChar = "K";
    h.c->state().st.gLastSync = "K";
    h.c->state().st.gSyncTime = h.clock.now();
    h.radio.takeWritten();
    show(h, "T4\n");
    QCOMPARE(h.cap(ui->lblAmpTuned), std::string("Tuned"));
    QVERIFY(!h.c->state().ps.gAmpTuning);
    QCOMPARE(h.c->state().st.gSyncChar, std::string("U"));
    QCOMPARE(h.radio.takeWritten(), std::string("U"));  // unkeyed at once
}

void TestWindowDisplay::faultReports() {
    PanelHarness& h = *h_;
    show(h, "Z3\n");
    QCOMPARE(h.cap(h.ui()->lblFault), std::string("FAULT"));
    QCOMPARE(vb::backColour(h.ui()->lblFault), long(colour::kRed));
    show(h, "Z0\n");
    QCOMPARE(h.cap(h.ui()->lblFault), std::string("OK"));
    QCOMPARE(vb::backColour(h.ui()->lblFault), vb::systemButtonFace());
}

void TestWindowDisplay::meterBar_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("bar");
    QTest::addColumn<bool>("error");
    QTest::newRow("07") << "J07" << 7 << false;
    QTest::newRow("21") << "J21" << 21 << false;
    QTest::newRow("57 out of range") << "J57" << 5 << false;
    QTest::newRow("not a number") << "Jxx" << 5 << true;
    QTest::newRow("short") << "J" << 5 << true;
}

void TestWindowDisplay::meterBar() {
    QFETCH(QString, line);
    QFETCH(int, bar);
    QFETCH(bool, error);
    PanelHarness& h = *h_;
    show(h, "J05\n");
    QCOMPARE(h.ui()->pbMeter->value(), 5);
    show(h, line.toStdString() + "\n");
    QCOMPARE(h.ui()->pbMeter->value(), bar);
    QCOMPARE(h.cap(h.ui()->txtInfo).rfind("gDisplayMeterData: Err 13.", 0) == 0, error);
}

void TestWindowDisplay::meterScales_data() {
    QTest::addColumn<QString>("d");
    QTest::addColumn<bool>("keyed");
    QTest::addColumn<QString>("scale");
    const QString audio = " -20       -10          0         +10 ";
    const QString power = "0            25          50   100  150";
    const QString vswr = "1               2             3      4";
    const QString smeter = "  S3    S6     S9      +30      +60   ";
    QTest::newRow("D1 rx") << "D1" << false << audio;
    QTest::newRow("D3 tx") << "D3" << true << audio;
    QTest::newRow("D4 rx") << "D4" << false << smeter;
    QTest::newRow("D4 tx") << "D4" << true << power;
    QTest::newRow("D5 tx") << "D5" << true << power;
    QTest::newRow("D6 rx") << "D6" << false << smeter;
    QTest::newRow("D6 tx") << "D6" << true << vswr;
}

void TestWindowDisplay::meterScales() {
    QFETCH(QString, d);
    QFETCH(bool, keyed);
    QFETCH(QString, scale);
    PanelHarness& h = *h_;
    h.c->state().st.gRadioKeyed = keyed;
    show(h, d.toStdString() + "\n");
    QCOMPARE(QString::fromStdString(h.cap(h.ui()->lblMeterScale)), scale);
    QCOMPARE(scale.size(), 38);
    int k = d[1].digitValue() - 1;
    QVERIFY(h.form->optMeter[static_cast<size_t>(k)]->isChecked());
    QCOMPARE(vb::foreColour(h.form->lblMeter[static_cast<size_t>(k)]), vb::systemButtonText());
    // Selecting the option counts as a click: the meter request is raised.
    QVERIFY(h.c->state().req.reqMeter);
    QCOMPARE(h.c->state().ps.gMeterOption, k);
}

void TestWindowDisplay::syncTickTransmitIndication() {
    PanelHarness& h = *h_;
    auto* ui = h.ui();
    show(h, "D4\n");
    h.c->state().st.gSyncChar = "U";
    show(h, "K\n");
    h.c->SyncTick();
    QCOMPARE(h.cap(ui->lblXMTRCV), std::string("Transmit"));
    QCOMPARE(vb::backColour(ui->lblU), long(colour::kRed));
    QCOMPARE(vb::backColour(ui->lblXMTRCV), long(colour::kRed));
    QVERIFY(h.c->state().ps.gTuneLock);
    QCOMPARE(QString::fromStdString(h.cap(ui->lblMeterScale)),
             QString("0            25          50   100  150"));
    show(h, "U\n");
    h.c->SyncTick();
    QCOMPARE(h.cap(ui->lblXMTRCV), std::string("Receive"));
    QCOMPARE(vb::backColour(ui->lblU), long(colour::kGreen));
    QVERIFY(!h.c->state().ps.gTuneLock);
    QCOMPARE(QString::fromStdString(h.cap(ui->lblMeterScale)),
             QString("  S3    S6     S9      +30      +60   "));
    QCOMPARE(h.c->state().st.gSyncMissCount, 0);
}

void TestWindowDisplay::garbageReportsChangeNothing() {
    PanelHarness& h = *h_;
    show(h, "M2\nA3\nZ0\n");
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk.push_back(static_cast<char>((i * 131 + 7) % 256));
    show(h, junk);
    show(h, "M:\nA\x01\nZ\n");
    QCOMPARE(h.cap(h.ui()->cmbMode).empty(), false);
    QVERIFY(h.form->isEnabled());
}

QTEST_MAIN(TestWindowDisplay)
#include "test_window_display.moc"
