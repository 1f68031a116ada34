// The setting routines for every firmware type: exact bytes on the wire.
#include <QtTest>

#include "radio_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {
// Wire text from a readable form: "\n" for LF.
QByteArray wire(const char* s) { return QByteArray(s); }
}  // namespace

class TestRadioSettings : public QObject {
    Q_OBJECT
private slots:
    void routines_data();
    void routines();
    void modeKeys_data();
    void modeKeys();
    void indexes();
    void setModeRefreshesDisplay();
    void setModeV601RestoresPttEnable();
    void stepModeWithoutAnswer();
    void stepModeAdaptWritesNextCode();
    void stepModeBeforeAReport_data();
    void stepModeBeforeAReport();
    void setAgcDoesNotReadWhenEqual();
    void selectMeterGreysLabels();
    void withTheRadioModel_data();
    void withTheRadioModel();
};

// routine, firmware, mode report, agc report, meter report, ptt report,
// freq report, argument, expected bytes
void TestRadioSettings::routines_data() {
    QTest::addColumn<QString>("routine");
    QTest::addColumn<int>("fw");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("agc");
    QTest::addColumn<QString>("meter");
    QTest::addColumn<QString>("ptt");
    QTest::addColumn<QString>("arg");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("freq 14.074") << "SetFreqCmd" << 1 << "M1" << "A2" << "D1" << "'1" << "1407400" << wire("F1407400\n");
    QTest::newRow("freq six digits") << "SetFreqCmd" << 1 << "M1" << "A2" << "D1" << "'1" << "140740" << wire("");
    QTest::newRow("freq decimal point") << "SetFreqCmd" << 1 << "M1" << "A2" << "D1" << "'1" << "14.0740" << wire("");
    QTest::newRow("freq with unknown firmware") << "SetFreqCmd" << 0 << "M1" << "A2" << "D1" << "'1" << "0700000" << wire("F0700000\n");

    QTest::newRow("mode LSB from CW v601") << "SetMode" << 1 << "M4" << "A2" << "D1" << "'1" << "M2" << wire("MM\n");
    QTest::newRow("mode AME from USB nonadapt") << "SetMode" << 3 << "M1" << "A2" << "D1" << "'1" << "M3" << wire("mm\n");
    QTest::newRow("mode LSB adapt combined") << "SetMode" << 2 << "M1" << "A2" << "D1" << "'1" << "M2" << wire("M2\nF1407400\n");
    QTest::newRow("mode same sends nothing") << "SetMode" << 1 << "M1" << "A2" << "D1" << "'1" << "M1" << wire("");
    QTest::newRow("mode empty code v601") << "SetMode" << 1 << "M3" << "A2" << "D1" << "'1" << "" << wire("");
    QTest::newRow("mode bad code adapt") << "SetMode" << 2 << "M3" << "A2" << "D1" << "'1" << "M9" << wire("");
    QTest::newRow("mode unknown firmware") << "SetMode" << 0 << "M1" << "A2" << "D1" << "'1" << "M2" << wire("");
    // Before any mode report the presses cannot be counted: nothing goes out.
    QTest::newRow("mode USB before a report v601") << "SetMode" << 1 << "  " << "A2" << "D1" << "'1" << "M1" << wire("");
    QTest::newRow("mode LSB before a report v601") << "SetMode" << 1 << "  " << "A2" << "D1" << "'1" << "M2" << wire("");
    QTest::newRow("mode CW before a report nonadapt") << "SetMode" << 3 << "  " << "A2" << "D1" << "'1" << "M4" << wire("");
    QTest::newRow("mode after a garbled report v601") << "SetMode" << 1 << "M7" << "A2" << "D1" << "'1" << "M1" << wire("");
    QTest::newRow("mode before a report adapt") << "SetMode" << 2 << "  " << "A2" << "D1" << "'1" << "M2" << wire("M2\nF1407400\n");

    QTest::newRow("agc slow from fast v601") << "SetAgc" << 1 << "M1" << "A4" << "D1" << "'1" << "A2" << wire("A\n");
    QTest::newRow("agc slow from fast nonadapt") << "SetAgc" << 3 << "M1" << "A4" << "D1" << "'1" << "A2" << wire("a\n");
    QTest::newRow("agc fast from slow v601") << "SetAgc" << 1 << "M1" << "A2" << "D1" << "'1" << "A4" << wire("AA\n");
    QTest::newRow("agc off adapt combined") << "SetAgc" << 2 << "M1" << "A4" << "D1" << "'1" << "A1" << wire("A1\nF1407400\n");
    QTest::newRow("agc same") << "SetAgc" << 1 << "M1" << "A3" << "D1" << "'1" << "A3" << wire("");
    QTest::newRow("agc off from fast stepping") << "SetAgc" << 1 << "M1" << "A4" << "D1" << "'1" << "A1" << wire("");
    QTest::newRow("agc unknown firmware") << "SetAgc" << 0 << "M1" << "A4" << "D1" << "'1" << "A2" << wire("");
    QTest::newRow("agc before a report v601") << "SetAgc" << 1 << "M1" << "  " << "D1" << "'1" << "A3" << wire("");
    QTest::newRow("agc before a report nonadapt") << "SetAgc" << 3 << "M1" << "  " << "D1" << "'1" << "A2" << wire("");
    QTest::newRow("agc from OFF v601") << "SetAgc" << 1 << "M1" << "A1" << "D1" << "'1" << "A2" << wire("A\n");
    QTest::newRow("agc before a report adapt") << "SetAgc" << 2 << "M1" << "  " << "D1" << "'1" << "A3" << wire("A3\nF1407400\n");

    QTest::newRow("ptt toggle v601 bare") << "TogglePttEnable" << 1 << "M1" << "A2" << "D1" << "'1" << "" << wire("'");
    QTest::newRow("ptt on nonadapt") << "TogglePttEnable" << 3 << "M1" << "A2" << "D1" << "'0" << "" << wire("'1\n");
    QTest::newRow("ptt off adapt") << "TogglePttEnable" << 2 << "M1" << "A2" << "D1" << "'1" << "" << wire("'0\n");
    QTest::newRow("ptt unknown report") << "TogglePttEnable" << 3 << "M1" << "A2" << "D1" << "  " << "" << wire("");
    QTest::newRow("ptt unknown firmware") << "TogglePttEnable" << 0 << "M1" << "A2" << "D1" << "'0" << "" << wire("");

    QTest::newRow("meter aud from vswr v601") << "SelectMeter" << 1 << "M1" << "A2" << "D6" << "'1" << "D1" << wire("d\n");
    QTest::newRow("meter vswr from aud v601") << "SelectMeter" << 1 << "M1" << "A2" << "D1" << "'1" << "D6" << wire("ddddd\n");
    QTest::newRow("meter fwd from line nonadapt") << "SelectMeter" << 3 << "M1" << "A2" << "D2" << "'1" << "D4" << wire("DD\n");
    QTest::newRow("meter same") << "SelectMeter" << 1 << "M1" << "A2" << "D3" << "'1" << "D3" << wire("");
    QTest::newRow("meter adapt has no key") << "SelectMeter" << 2 << "M1" << "A2" << "D1" << "'1" << "D4" << wire("");
    QTest::newRow("meter before a report v601") << "SelectMeter" << 1 << "M1" << "A2" << "  " << "'1" << "D3" << wire("");
    QTest::newRow("meter before a report nonadapt") << "SelectMeter" << 3 << "M1" << "A2" << "  " << "'1" << "D1" << wire("");
}

void TestRadioSettings::routines() {
    QFETCH(QString, routine);
    QFETCH(int, fw);
    QFETCH(QString, mode);
    QFETCH(QString, agc);
    QFETCH(QString, meter);
    QFETCH(QString, ptt);
    QFETCH(QString, arg);
    QFETCH(QByteArray, expected);
    RadioFixture f;
    f.state.gFwType = fw;
    f.state.gModeReport = mode.toStdString();
    f.state.gAgcReport = agc.toStdString();
    f.state.gMeterReport = meter.toStdString();
    f.state.gPttEnReport = ptt.toStdString();
    f.state.gFreqReport = "F1407400";
    std::string a = arg.toStdString();
    if (routine == "SetFreqCmd") f.link.SetFreqCmd(a);
    if (routine == "SetMode") f.link.SetMode(a);
    if (routine == "SetAgc") f.link.SetAgc(a);
    if (routine == "TogglePttEnable") f.link.TogglePttEnable();
    if (routine == "SelectMeter") f.link.SelectMeter(a);
    QCOMPARE(QByteArray::fromStdString(f.port.allWritten()), expected);
}

void TestRadioSettings::modeKeys_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("keys");
    QTest::newRow("v601 USB->LSB") << 1 << "M1" << "M2" << "M";
    QTest::newRow("v601 CW->USB") << 1 << "M4" << "M1" << "M";
    QTest::newRow("v601 LSB->USB") << 1 << "M2" << "M1" << "MMM";
    QTest::newRow("nonadapt USB->CW") << 3 << "M1" << "M4" << "mmm";
    QTest::newRow("adapt") << 2 << "M1" << "M4" << "M4";
    QTest::newRow("same") << 1 << "M3" << "M3" << "";
    QTest::newRow("blank report counts as USB") << 1 << "  " << "M2" << "M";
    QTest::newRow("empty wanted") << 1 << "M3" << "" << "";
    QTest::newRow("unknown firmware") << 0 << "M1" << "M2" << "";
}

void TestRadioSettings::modeKeys() {
    QFETCH(int, fw);
    QFETCH(QString, report);
    QFETCH(QString, wanted);
    QFETCH(QString, keys);
    RadioFixture f;
    f.state.gFwType = fw;
    f.state.gModeReport = report.toStdString();
    QCOMPARE(QString::fromStdString(f.link.ModeKeys(wanted.toStdString())), keys);
}

void TestRadioSettings::indexes() {
    QCOMPARE(RadioLink::ModeIndex("M1"), 0);
    QCOMPARE(RadioLink::ModeIndex("M4"), 3);
    QCOMPARE(RadioLink::ModeIndex("M5"), 0);
    QCOMPARE(RadioLink::ModeIndex(""), 0);
    QCOMPARE(RadioLink::MeterIndex("D6"), 5);
    QCOMPARE(RadioLink::MeterIndex("D7"), 0);
    QCOMPARE(RadioLink::MeterIndex("x"), 0);
}

void TestRadioSettings::setModeRefreshesDisplay() {
    RadioFixture f;
    f.state.gFwType = 3;
    f.state.gModeReport = "M1";
    f.port.inject("M2\nS1\nH2\n", 0.35, 0.001);
    f.link.SetMode("M2");
    QCOMPARE(f.port.allWritten(), std::string("m\n"));
    QCOMPARE(f.panel.calls, (std::vector<std::string>{"ShowMode", "ShowSideTone", "ShowSource"}));
    QVERIFY(!f.state.gModeReportNew);
    QVERIFY(!f.state.gSideToneReportNew);
    QVERIFY(!f.state.gSourceReportNew);
}

void TestRadioSettings::setModeV601RestoresPttEnable() {
    RadioFixture f;
    f.state.gFwType = 1;
    f.state.gModeReport = "M1";
    f.state.gPttEnReport = "'1";
    f.port.inject("M2\n'0\n", 0.35, 0.001);  // the mode change switched PTT enable off
    f.link.SetMode("M2");
    QCOMPARE(f.port.allWritten(), std::string("M\n'"));
    QCOMPARE(f.state.gSavedPttEn, std::string("'1"));
}

void TestRadioSettings::stepModeWithoutAnswer() {
    RadioFixture f;
    f.state.gFwType = 1;
    f.state.gModeReport = "M1";
    double t0 = f.clock.elapsed();
    f.link.StepMode();
    QCOMPARE(f.port.allWritten(), std::string("M\n?\n"));
    QCOMPARE(f.panel.info, std::string("Mode did not change.."));
    QCOMPARE(f.panel.calls.back(), std::string("ShowMode"));
    QVERIFY(f.clock.elapsed() - t0 >= 2.0 + 1.0);
}

void TestRadioSettings::stepModeAdaptWritesNextCode() {
    RadioFixture f;
    f.state.gFwType = 2;
    f.state.gModeReport = "M4";
    f.state.gFreqReport = "F0700000";
    f.port.inject("M1\n", 0.31, 0.001);
    f.link.StepMode();
    QCOMPARE(f.port.allWritten(), std::string("M1\nF0700000\n"));
    QCOMPARE(f.state.gModeReport, std::string("M1"));
    QCOMPARE(f.panel.info, std::string());
}

// No step from a mode that is not known: a status request makes it known.
void TestRadioSettings::stepModeBeforeAReport_data() {
    QTest::addColumn<int>("fw");
    QTest::newRow("v601") << 1;
    QTest::newRow("adapt") << 2;
    QTest::newRow("nonadapt") << 3;
}

void TestRadioSettings::stepModeBeforeAReport() {
    QFETCH(int, fw);
    RadioFixture f;
    f.state.gFwType = fw;
    f.state.gFreqReport = "F0700000";
    f.port.inject("M3\n", 1.1, 0.001);  // the answer to the status request
    double t0 = f.clock.elapsed();
    f.link.StepMode();
    QCOMPARE(f.port.allWritten(), std::string("?\n"));
    QCOMPARE(f.state.gModeReport, std::string("M3"));
    QCOMPARE(f.panel.info, std::string("Mode did not change.."));
    QCOMPARE(f.panel.calls.back(), std::string("ShowMode"));
    QVERIFY(f.clock.elapsed() - t0 < 2.0);  // no wait for a step that was not sent
}

void TestRadioSettings::setAgcDoesNotReadWhenEqual() {
    RadioFixture f;
    f.state.gFwType = 1;
    f.state.gAgcReport = "A3";
    double t0 = f.clock.elapsed();
    f.link.SetAgc("A3");
    QCOMPARE(f.clock.elapsed(), t0);
}

void TestRadioSettings::selectMeterGreysLabels() {
    RadioFixture f;
    f.state.gFwType = 1;
    f.state.gMeterReport = "D2";
    f.link.SelectMeter("D2");
    QCOMPARE(f.panel.calls, (std::vector<std::string>{"greyMeterLabels"}));
    QCOMPARE(f.port.allWritten(), std::string());
}

// The routines against the radio model: the radio ends where it was sent.
void TestRadioSettings::withTheRadioModel_data() {
    QTest::addColumn<int>("firmware");
    QTest::newRow("v601") << static_cast<int>(Firmware::V601);
    QTest::newRow("adapt") << static_cast<int>(Firmware::Adapt);
    QTest::newRow("nonadapt") << static_cast<int>(Firmware::NonAdapt);
}

void TestRadioSettings::withTheRadioModel() {
    QFETCH(int, firmware);
    RadioFixture f(true, static_cast<Firmware>(firmware));
    f.state.gFwType = firmware == 0 ? 1 : firmware == 1 ? 2 : 3;
    f.link.SendRadioCmd("?", true, 0.6);
    f.link.ReadRadio();
    QVERIFY(f.state.gFullStatus);
    QVERIFY(f.state.gFreqReportOk);
    f.link.SetFreqCmd("0705000");
    QCOMPARE(f.model.state.freq, std::string("0705000"));
    QCOMPARE(f.state.gFreqReport, std::string("F0705000"));
    for (const char* m : {"M4", "M2", "M3", "M1"}) {
        f.link.SetMode(m);
        QCOMPARE(f.state.gModeReport, std::string(m));
        QCOMPARE(f.model.state.mode, m[1] - '0');
    }
    for (const char* a : {"A4", "A2", "A3"}) {
        f.link.SetAgc(a);
        QCOMPARE(f.state.gAgcReport, std::string(a));
    }
    std::string before = f.state.gPttEnReport;
    f.link.TogglePttEnable();
    QVERIFY(f.state.gPttEnReport != before);
    if (f.state.gFwType != 2) {
        f.link.SelectMeter("D5");
        QCOMPARE(f.state.gMeterReport, std::string("D5"));
        f.link.SelectMeter("D2");
        QCOMPARE(f.state.gMeterReport, std::string("D2"));
    }
}

QTEST_GUILESS_MAIN(TestRadioSettings)
#include "test_radio_settings.moc"
