// The band buttons, the Scan menu and the Channels entry on the running
// panel: which window each opens, what the main window shows meanwhile and
// afterwards, and a band list row tuning the radio.
#include <QAction>
#include <QRadioButton>
#include <QTest>

#include "panel/band_buttons.h"
#include "panel_harness.h"
#include "tools/frm_band_select.h"
#include "tools/frm_channel_setup.h"
#include "tools/frm_scan_bands.h"
#include "tools/frm_scan_freqs.h"

using namespace tolvane;
using namespace tolvane::test;

class TestWindowBandWiring : public QObject {
    Q_OBJECT

  private slots:
    void bandButtonOpensItsList_data();
    void bandButtonOpensItsList();
    void bandListRowTunesTheRadio();
    void secondBandWaitsForTheFirstWindow();
    void scanMenuEnabling_data();
    void scanMenuEnabling();
    void scanMenuRoutine_data();
    void scanMenuRoutine();
    void channelsEntryOpensChannelSetup();
};

void TestWindowBandWiring::bandButtonOpensItsList_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("file");
    QTest::newRow("160") << "cmd160M"
                         << "160"
                         << "M160List.txt";
    QTest::newRow("75") << "cmd75M"
                        << "75"
                        << "M75List.txt";
    QTest::newRow("60 with its trailing blank") << "cmd60M"
                                                << "60"
                                                << "M60List.txt";
    QTest::newRow("40") << "cmd40M"
                        << "40"
                        << "M40List.txt";
    QTest::newRow("30") << "cmd30M"
                        << "30"
                        << "M30List.txt";
    QTest::newRow("20") << "cmd20M"
                        << "20"
                        << "M20List.txt";
    QTest::newRow("17") << "cmd17M"
                        << "17"
                        << "M17List.txt";
    QTest::newRow("15") << "cmd15M"
                        << "15"
                        << "M15List.txt";
    QTest::newRow("12") << "cmd12M"
                        << "12"
                        << "M12List.txt";
    QTest::newRow("10") << "cmd10M"
                        << "10"
                        << "M10List.txt";
    QTest::newRow("WWV") << "cmdWWV"
                         << "WWV"
                         << "WWVList.txt";
    QTest::newRow("MARS") << "cmdMARS"
                          << "MARS"
                          << "MarsList.txt";
}

void TestWindowBandWiring::bandButtonOpensItsList() {
    QFETCH(QString, button);
    QFETCH(QString, band);
    QFETCH(QString, file);
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    writeLines(file, {"7.074 USB FT8"});
    std::string opened;
    std::string listFile;
    bool mainEnabled = true;
    h.shell.onModal = [&](QDialog& d) {
        auto* f = qobject_cast<FrmBandSelect*>(&d);
        QVERIFY(f != nullptr);
        opened = h.c->state().ps.gBandName;
        listFile = f->listFile();
        mainEnabled = h.form->isEnabled();
        // The operator's close box ends the dialog as a rejection.
        f->reject();
    };
    auto* b = h.form->findChild<QPushButton*>(button);
    QVERIFY(b != nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(h.runPasses(1));
    QCOMPARE(h.shell.modals, 1);
    QCOMPARE(QString::fromStdString(opened), band);
    QCOMPARE(QString::fromStdString(listFile), file);
    QVERIFY(!mainEnabled);
    // Closing the list gives the main window back; the request is served.
    QVERIFY(h.form->isEnabled());
    for (int i = 0; i < BandButtons::kBandCount; ++i)
        QVERIFY(!(h.c->state().req.*BandButtons::requestFlag(BandButtons::Band(i))));
    QVERIFY(h.runPasses(2));
    QCOMPARE(h.shell.modals, 1);
}

void TestWindowBandWiring::bandListRowTunesTheRadio() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    writeLines("M40List.txt", {"7.074 USB FT8 calling", "7.1 LSB net"});
    h.shell.onModal = [&](QDialog& d) {
        auto* f = qobject_cast<FrmBandSelect*>(&d);
        QVERIFY(f != nullptr);
        f->useManualTicks();
        f->show();
        auto* row = f->findChild<QRadioButton*>("Option1_1");
        QVERIFY(row != nullptr);
        QTest::mouseClick(row, Qt::LeftButton);
        f->close();
    };
    QTest::mouseClick(h.form->findChild<QPushButton*>("cmd40M"), Qt::LeftButton);
    QVERIFY(h.runPasses(1));
    QCOMPARE(h.model.state.freq, std::string("0710000"));
    QCOMPARE(h.c->state().st.gFreqReport, std::string("F0710000"));
    // The main window shows the row's note, and its digits follow the radio.
    QCOMPARE(h.cap(h.ui()->lblInfo), std::string("net"));
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.cap(h.form->cmdF[1]) + h.cap(h.form->cmdF[2]), std::string("71"));
}

void TestWindowBandWiring::secondBandWaitsForTheFirstWindow() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    std::vector<std::string> bands;
    h.shell.onModal = [&](QDialog& d) {
        bands.push_back(h.c->state().ps.gBandName);
        d.reject();
    };
    QTest::mouseClick(h.form->findChild<QPushButton*>("cmd20M"), Qt::LeftButton);
    QTest::mouseClick(h.form->findChild<QPushButton*>("cmdWWV"), Qt::LeftButton);
    QVERIFY(h.runPasses(2));
    QCOMPARE(bands, (std::vector<std::string>{"20", "WWV"}));
}

void TestWindowBandWiring::scanMenuEnabling_data() {
    QTest::addColumn<int>("fw");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("scanEnabled");
    QTest::newRow("remote v601") << int(Firmware::V601) << true << true;
    QTest::newRow("remote adapt") << int(Firmware::Adapt) << true << true;
    QTest::newRow("local v601") << int(Firmware::V601) << false << false;
    QTest::newRow("local adapt") << int(Firmware::Adapt) << false << true;
}

void TestWindowBandWiring::scanMenuEnabling() {
    QFETCH(int, fw);
    QFETCH(bool, remote);
    QFETCH(bool, scanEnabled);
    PanelHarness h(static_cast<Firmware>(fw), remote);
    // Before any initialisation only Channels is available.
    QVERIFY(!h.ui()->mnuScanBands->isEnabled());
    QVERIFY(!h.ui()->mnuScanFreqs->isEnabled());
    QVERIFY(h.ui()->mnuChannelSetup->isEnabled());
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.ui()->mnuScanBands->isEnabled(), scanEnabled);
    QCOMPARE(h.ui()->mnuScanFreqs->isEnabled(), scanEnabled);
    QVERIFY(h.ui()->mnuChannelSetup->isEnabled());
}

void TestWindowBandWiring::scanMenuRoutine_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("radioFreq");  // where the radio is when the window closes
    QTest::addColumn<bool>("txAfter");
    QTest::newRow("bands, in band") << "mnuScanBands"
                                    << "1407400" << true;
    QTest::newRow("bands, out of band") << "mnuScanBands"
                                        << "1500000" << false;
    QTest::newRow("freqs, in band") << "mnuScanFreqs"
                                    << "0707400" << true;
    QTest::newRow("freqs, out of band") << "mnuScanFreqs"
                                        << "0950000" << false;
}

void TestWindowBandWiring::scanMenuRoutine() {
    QFETCH(QString, entry);
    QFETCH(QString, radioFreq);
    QFETCH(bool, txAfter);
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QVERIFY(h.ui()->cmdXmit->isEnabled());
    bool scanActive = false;
    bool mainEnabled = true;
    bool xmitEnabled = true;
    std::string inBand;
    QString window;
    h.shell.onModal = [&](QDialog& d) {
        window = d.objectName();
        scanActive = h.c->state().ps.gScanActive;
        mainEnabled = h.form->isEnabled();
        xmitEnabled = h.ui()->cmdXmit->isEnabled();
        inBand = h.cap(h.ui()->lblInBand);
        h.c->state().st.gFreqReport = "F" + radioFreq.toStdString();
        d.reject();
    };
    auto* action = h.form->findChild<QAction*>(entry);
    QVERIFY(action != nullptr);
    action->trigger();
    QCOMPARE(h.shell.modals, 1);
    QCOMPARE(window, entry == "mnuScanBands" ? QString("frmScanBands") : QString("frmScanFreqs"));
    QVERIFY(scanActive);
    QVERIFY(!mainEnabled);
    QVERIFY(!xmitEnabled);
    QCOMPARE(inBand, std::string("Scanning"));
    QVERIFY(!h.c->state().ps.gScanActive);
    QVERIFY(h.form->isEnabled());
    QCOMPARE(h.ui()->cmdXmit->isEnabled(), txAfter);
    QCOMPARE(h.ui()->cmdTune->isEnabled(), txAfter);
}

void TestWindowBandWiring::channelsEntryOpensChannelSetup() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QString window;
    bool mainEnabled = true;
    h.shell.onModal = [&](QDialog& d) {
        window = d.objectName();
        mainEnabled = h.form->isEnabled();
        QVERIFY(qobject_cast<FrmChannelSetup*>(&d) != nullptr);
        d.reject();
    };
    h.form->findChild<QAction*>("mnuChannelSetup")->trigger();
    QCOMPARE(h.shell.modals, 1);
    QCOMPARE(window, QString("frmChannelSetup"));
    QVERIFY(!mainEnabled);
    QVERIFY(h.form->isEnabled());
    // Nothing of the scan routine: the transmit controls stay as they were.
    QVERIFY(!h.c->state().ps.gScanActive);
    QVERIFY(h.ui()->cmdXmit->isEnabled());
}

QTEST_MAIN(TestWindowBandWiring)
#include "test_window_band_wiring.moc"
