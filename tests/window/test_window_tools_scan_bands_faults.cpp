// The Scan Bands window on the fake port and the radio model in virtual
// time: a radio that disagrees or stays silent, a port that vanishes or is
// closed, a radio under local control, and the Scan menu's routine around
// the window.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "scan_bands_window.h"
#include "tools/tool_widgets.h"

using namespace tolvane;
using namespace tolvane::test;
using namespace tolvane::test::scanbands;

class ScanBandsFaultsTest : public QObject {
    Q_OBJECT

  private slots:
    void radioDisagrees_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("ignoreFirst");
        QTest::addColumn<QStringList>("firstStep");  // commands of the first step
        QTest::addColumn<QString>("info");
        // A yield before each retry and one per dwell; Stop is clicked at the
        // first yield after the second step's command.
        QTest::addColumn<int>("yields");
        QTest::newRow("answers another frequency")
            << false << 1000 << QStringList{"F0700000", "F0700000", "F0700000"}
            << "Radio did not tune to 7.00000" << 2 + 1 + 1;
        QTest::newRow("silent") << true << 1000
                                << QStringList{"F0700000", "?", "F0700000", "?", "F0700000", "?"}
                                << "Radio did not tune to 7.00000" << 2 + 1 + 1;
        QTest::newRow("follows on the second try")
            << false << 1 << QStringList{"F0700000", "F0700000"} << "" << 1 + 1 + 1;
    }
    void radioDisagrees() {
        QFETCH(bool, silent);
        QFETCH(int, ignoreFirst);
        QFETCH(QStringList, firstStep);
        QFETCH(QString, info);
        QFETCH(int, yields);
        ToolHarness h;
        StubbornRadio radio;
        radio.silent = silent;
        radio.ignoreFirst = ignoreFirst;
        h.port.attach(&radio);
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        h.host.onYield = [&] {
            if (count(frequencyCommands(h.port).commands, "F0700010") > 0) s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        QStringList seen;
        for (const std::string& line : radio.seen) seen << q(line);
        // The first step's tries, a yield before each retry, then the next step.
        QCOMPARE(seen.mid(0, firstStep.size()), firstStep);
        QCOMPARE(seen.value(firstStep.size()), QString("F0700010"));
        QCOMPARE(h.host.yields, yields);
        QCOMPARE(q(h.panel.info), info);
        QCOMPARE(h.panel.infoVisible, !info.isEmpty());
        QCOMPARE(h.host.shownFreqs.empty(), ignoreFirst != 1);
    }

    void stopWhileRetrying() {
        ToolHarness h;
        StubbornRadio radio;
        h.port.attach(&radio);
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        h.host.onYield = [&] { QTest::mouseClick(w(s.f, "cmdStop"), Qt::LeftButton); };
        s.scan();
        QCOMPARE(h.host.yields, 1);
        QCOMPARE(radio.seen, (std::vector<std::string>{"F0700000"}));
        QCOMPARE(h.panel.info, std::string());
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
    }

    void portVanishes() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        h.host.onYield = [&] {
            if (frequencyCommands(h.port).commands.size() == 2) h.port.setVanished(true);
        };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(h.panel.info, std::string("cmdScanUp_Click: Err 5. Input/output error"));
        QVERIFY(h.panel.infoVisible);
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
        QVERIFY(!s.f.scan().running());
    }

    void portClosed() {
        // Nothing can be sent or read: every try waits as for a silent
        // radio, then the scan moves on with the message.
        ToolHarness h;
        h.port.close();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        const double start = h.clock.elapsed();
        h.host.onYield = [&] {
            if (s.f.scan().steps() == 2) s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        // Stopped while the second step retries.
        QCOMPARE(h.panel.info, std::string("Radio did not tune to 7.00000"));
        QCOMPARE(w<QLineEdit>(s.f, "txtFreq")->text(), QString("F07000100"));
        // A try: the command's 0.1 s, two reads of 0.8 s for the answer,
        // then the status request's 0.4 s and its read of 0.8 s.
        const double took = h.clock.elapsed() - start;
        QVERIFY2(took >= 4 * 2.9 + 0.4 && took < 4 * 2.9 + 0.4 + 0.5,
                 qPrintable(QString::number(took)));
        QCOMPARE(h.port.allWritten(), std::string());
    }

    void localAtStart() {
        ToolHarness h;
        h.queryStatus();
        h.host.localCaption = true;
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        s.scan();
        QCOMPARE(h.port.allWritten(), std::string("?\n"));
        QVERIFY(s.f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QVERIFY(!h.host.boxVisible);
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
        QCOMPARE(s.f.result(), int(QDialog::Rejected));
    }

    void radioGoesLocal() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        bool switched = false;
        h.host.onYield = [&] {
            if (!switched && frequencyCommands(h.port).commands.size() == 3) {
                h.model.setRemote(false, h.clock.elapsed());
                switched = true;
            }
        };
        s.scan();
        QVERIFY(!s.overran);
        // The report "R0" is read while the fourth step waits for its answer;
        // the scan stops there and the window closes.
        QCOMPARE(frequencyCommands(h.port).commands,
                 (QStringList{"F0700000", "F0700010", "F0700020", "F0700030"}));
        QVERIFY(s.f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QVERIFY(!s.f.scan().running());
        QCOMPARE(h.panel.info, std::string());
    }

    void scanWindowRoutine() {
        ToolHarness h;
        FrmScanBands f(h.link, h.host);
        h.host.txControls.clear();
        h.host.inBand = false;
        bool activeInside = false;
        h.host.onModal = [&](QDialog&) { activeInside = h.host.scanActive; };
        runScanWindow(h.host, f);
        QVERIFY(activeInside);
        QVERIFY(!h.host.scanActive);
        QCOMPARE(h.host.txControls, (std::vector<bool>{false, false}));
        QCOMPARE(h.host.calls,
                 (std::vector<std::string>{"scanActive", "showModal", "scanInactive"}));
        h.host.inBand = true;
        runScanWindow(h.host, f);
        QCOMPARE(h.host.txControls.back(), true);
        // A window that ends in an error leaves the flag down too.
        h.host.onModal = [](QDialog&) { throw std::runtime_error("gone"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, runScanWindow(h.host, f));
        QVERIFY(!h.host.scanActive);
    }
};

QTEST_MAIN(ScanBandsFaultsTest)
#include "test_window_tools_scan_bands_faults.moc"
