// The band buttons, the Scan menu and the Channels entry on the running
// panel: which window each opens, what the main window shows meanwhile and
// afterwards, and a band list row tuning the radio.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
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
    void bandScanFromTheMenu();
    void bandScanStopsWhenTheRadioGoesLocal();
    void listScanFromTheMenu();
};

namespace {

template <typename W = QWidget>
W* child(QWidget& form, const QString& name) {
    W* found = form.findChild<W*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
}

// The text written to the radio port from write `from` on.
std::string writtenSince(const FakePort& port, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < port.writes().size(); ++i) out += port.writes()[i].text;
    return out;
}

// The frequency commands among the writes from `from` on.
std::vector<std::string> frequencyCommandsSince(const FakePort& port, std::size_t from) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < port.writes().size(); ++i) {
        const std::string& t = port.writes()[i].text;
        if (!t.empty() && t[0] == 'F' && t.back() == '\n') out.push_back(t.substr(0, t.size() - 1));
    }
    return out;
}

}  // namespace

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

void TestWindowBandWiring::bandScanFromTheMenu() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    const std::size_t before = h.radio.writes().size();
    bool overran = false;
    bool activeWhileScanning = false;
    std::string inBandWhileScanning;
    h.shell.onModal = [&](QDialog& d) {
        auto* f = qobject_cast<FrmScanBands*>(&d);
        QVERIFY(f != nullptr);
        f->show();
        QTest::mouseClick(child(*f, "cmd40M"), Qt::LeftButton);
        QTest::mouseClick(child(*f, "Option1_4"), Qt::LeftButton, {}, QPoint(5, 5));
        h.shell.onYield = [&] {
            activeWhileScanning = h.c->state().ps.gScanActive;
            inBandWhileScanning = h.cap(h.ui()->lblInBand);
            if (frequencyCommandsSince(h.radio, before).size() == 3 || h.shell.yields > 5000) {
                overran = h.shell.yields > 5000;
                f->cmdStop_Click();
            }
        };
        QTest::mouseClick(child(*f, "cmdScanUp"), Qt::LeftButton);
        h.shell.onYield = nullptr;
        f->reject();
    };
    h.form->findChild<QAction*>("mnuScanBands")->trigger();
    QVERIFY(!overran);
    QVERIFY(activeWhileScanning);
    QCOMPARE(inBandWhileScanning, std::string("Scanning"));
    // The scan alone talks to the radio meanwhile: three 1 kHz steps from
    // the lower limit of 40 m, each with its LF, and nothing else. The
    // radio's PTT enable is switched off for the scan and on again after it.
    QCOMPARE(writtenSince(h.radio, before), std::string("'F0700000\nF0700100\nF0700200\n'"));
    QCOMPARE(h.model.state.pttEnable, 1);
    QCOMPARE(h.model.state.freq, std::string("0700200"));
    QCOMPARE(h.c->state().st.gFreqReport, std::string("F0700200"));
    QVERIFY(!h.c->state().ps.gScanActive);
    QVERIFY(h.form->isEnabled());
    QVERIFY(h.ui()->cmdXmit->isEnabled());
    // The main loop goes on from there.
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.cap(h.form->cmdF[1]) + h.cap(h.form->cmdF[2]) + h.cap(h.form->cmdF[3]) +
                 h.cap(h.form->cmdF[4]),
             std::string("7002"));
}

void TestWindowBandWiring::bandScanStopsWhenTheRadioGoesLocal() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    const std::size_t before = h.radio.writes().size();
    bool overran = false;
    bool hidden = false;
    h.shell.onModal = [&](QDialog& d) {
        auto* f = qobject_cast<FrmScanBands*>(&d);
        QVERIFY(f != nullptr);
        f->show();
        QTest::mouseClick(child(*f, "cmd40M"), Qt::LeftButton);
        bool switched = false;
        h.shell.onYield = [&] {
            if (!switched && frequencyCommandsSince(h.radio, before).size() == 2) {
                h.model.setRemote(false, h.clock.elapsed());
                switched = true;
            }
            if (h.shell.yields > 5000) {
                overran = true;
                f->cmdStop_Click();
            }
        };
        QTest::mouseClick(child(*f, "cmdScanUp"), Qt::LeftButton);
        h.shell.onYield = nullptr;
        hidden = f->isHidden();
    };
    h.form->findChild<QAction*>("mnuScanBands")->trigger();
    QVERIFY(!overran);
    // The local report is read while the third step waits for its answer:
    // no step goes out after it, and the window has closed by itself.
    QCOMPARE(frequencyCommandsSince(h.radio, before),
             (std::vector<std::string>{"F0700000", "F0700010", "F0700020"}));
    QVERIFY(hidden);
    QVERIFY(h.form->isEnabled());
    QVERIFY(!h.c->state().ps.gScanActive);
}

void TestWindowBandWiring::listScanFromTheMenu() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    writeLines("ScanFreqs.txt",
               {"7.074 USB FT8", "14.2 USB net", "", "", "", "", "", "", "", "", "", "", "", "2"});
    const std::size_t before = h.radio.writes().size();
    bool overran = false;
    std::string infoDuringSecond;
    h.shell.onModal = [&](QDialog& d) {
        auto* f = qobject_cast<FrmScanFreqs*>(&d);
        QVERIFY(f != nullptr);
        f->show();
        QCOMPARE(child<QLineEdit>(*f, "txtDelay")->text(), QString("2"));
        child<QCheckBox>(*f, "Check1_0")->setChecked(true);
        child<QCheckBox>(*f, "Check1_1")->setChecked(true);
        h.shell.onYield = [&] {
            if (frequencyCommandsSince(h.radio, before).size() == 2) {
                infoDuringSecond = h.cap(h.ui()->lblInfo);
                f->cmdStop_Click();
            }
            if (h.shell.yields > 20000) {
                overran = true;
                f->cmdStop_Click();
            }
        };
        QTest::mouseClick(child(*f, "cmdScan"), Qt::LeftButton);
        h.shell.onYield = nullptr;
        f->reject();
    };
    h.form->findChild<QAction*>("mnuScanFreqs")->trigger();
    QVERIFY(!overran);
    // The first row, then its dwell of 2 s kept alive with the sync
    // character, then the second row; the modes match the radio's.
    // PTT enable goes off for the scan and on after it (as above).
    const std::string sent = writtenSince(h.radio, before);
    QCOMPARE(sent.substr(0, 10), std::string("'F0707400\n"));
    QCOMPARE(sent.substr(sent.size() - 10), std::string("F1420000\n'"));
    const std::string dwell = sent.substr(10, sent.size() - 20);
    QVERIFY(!dwell.empty());
    QCOMPARE(dwell.find_first_not_of('U'), std::string::npos);
    QCOMPARE(infoDuringSecond, std::string("net"));
    QCOMPARE(h.model.state.freq, std::string("1420000"));
    QVERIFY(!h.c->state().ps.gScanActive);
    QVERIFY(h.form->isEnabled());
}

QTEST_MAIN(TestWindowBandWiring)
#include "test_window_band_wiring.moc"
