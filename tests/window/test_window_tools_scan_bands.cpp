// The Scan Bands window on the fake port and the radio model in virtual
// time: a 40 m scan at 1 kHz through its wrap, the band buttons, invalid
// limits, pause and stop, a changed upper limit.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "scan_bands_window.h"
#include "tools/frm_scan_bands.h"
#include "tools/tool_widgets.h"

using namespace tolvane;
using namespace tolvane::test;
using namespace tolvane::test::scanbands;

class ScanBandsTest : public QObject {
    Q_OBJECT

  private slots:
    void formControls() {
        ToolHarness h;
        FrmScanBands f(h.link, h.host);
        QCOMPARE(f.objectName(), QString("frmScanBands"));
        QCOMPARE(f.windowTitle(), QString("Scan Bands"));
        const QList<QPair<QString, QString>> captions{
            {"cmdScanUp", "Scan"},      {"cmdStop", "Stop"},    {"cmdPauseCont", "Pause"},
            {"Option1_0", "10Hz"},      {"Option1_1", "50Hz"},  {"Option1_2", "100Hz"},
            {"Option1_3", "500Hz"},     {"Option1_4", "1KHz"},  {"Option2_0", "Fast Scan"},
            {"Option2_1", "Slow Scan"}, {"cmd160M", "160"},     {"cmd75M", "75"},
            {"cmd40M", "40"},           {"cmd30M", "30 "},      {"cmd20M", "20"},
            {"cmd17M", "17"},           {"cmd15M", "15"},       {"cmd12M", "12"},
            {"cmd10M", "10"},           {"lblLower", "Lower"},  {"lblUpper", "Upper Limit"},
            {"lblLowerUnit", "MHz"},    {"lblUpperUnit", "MHz"}};
        for (const auto& [name, caption] : captions) QCOMPARE(q(toolui::text(w(f, name))), caption);
        QVERIFY(f.findChild<QLineEdit*>("txtFreq"));
        QVERIFY(f.findChild<QLineEdit*>("txtScanLow"));
        QVERIFY(f.findChild<QLineEdit*>("txtScanHi"));
        QVERIFY(!f.findChild<QPushButton*>("cmd60M"));
        // "100Hz" and "Fast Scan" shown selected; the dwell starts at 0.4 s.
        QVERIFY(w<QRadioButton>(f, "Option1_2")->isChecked());
        QVERIFY(w<QRadioButton>(f, "Option2_0")->isChecked());
        QCOMPARE(f.scan().step(), 10);
        QCOMPARE(f.scan().dwell(), 0.4);
        QVERIFY(!f.scan().paused());
    }

    void opening() {
        ToolHarness h;
        h.host.boxVisible = false;
        h.host.labelVisible = true;
        {
            FrmScanBands f(h.link, h.host);
            QCOMPARE(f.pos(), toolWindowPosition(QRect(100, 50, 800, 600), 200,
                                                 f.frameGeometry().size(), {}, false));
            QCOMPARE(f.pos(), QPoint(700, 50));
            QVERIFY(!h.host.labelVisible);
            QVERIFY(h.host.boxVisible);
            QCOMPARE(h.host.txControls, std::vector<bool>{false});
            f.show();
            f.close();
            QVERIFY(f.isHidden());
            // Closing gives the main window its label and box back.
            QVERIFY(h.host.labelVisible);
            QVERIFY(!h.host.boxVisible);
            QVERIFY(h.host.mainEnabled);
        }
        QCOMPARE(h.port.takeWritten(), std::string());
    }

    void options_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("step");
        QTest::addColumn<double>("dwell");
        QTest::newRow("10Hz") << "Option1_0" << 1 << 0.4;
        QTest::newRow("50Hz") << "Option1_1" << 5 << 0.4;
        QTest::newRow("100Hz") << "Option1_2" << 10 << 0.4;
        QTest::newRow("500Hz") << "Option1_3" << 50 << 0.4;
        QTest::newRow("1KHz") << "Option1_4" << 100 << 0.4;
        QTest::newRow("Fast Scan") << "Option2_0" << 10 << 0.5;
        QTest::newRow("Slow Scan") << "Option2_1" << 10 << 1.5;
    }
    void options() {
        QFETCH(QString, option);
        QFETCH(int, step);
        QFETCH(double, dwell);
        ToolHarness h;
        FrmScanBands f(h.link, h.host);
        f.show();
        QTest::mouseClick(w(f, option), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.scan().step(), step);
        QCOMPARE(f.scan().dwell(), dwell);
    }

    void bandButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("first");
        QTest::newRow("160") << "cmd160M"
                             << "1.800"
                             << "2.000"
                             << "F0180000";
        QTest::newRow("75") << "cmd75M"
                            << "3.500"
                            << "4.000"
                            << "F0350000";
        QTest::newRow("40") << "cmd40M"
                            << "7.000"
                            << "7.300"
                            << "F0700000";
        QTest::newRow("30") << "cmd30M"
                            << "10.100"
                            << "10.150"
                            << "F1010000";
        QTest::newRow("20, two decimals") << "cmd20M"
                                          << "14.00"
                                          << "14.350"
                                          << "F1400000";
        QTest::newRow("17") << "cmd17M"
                            << "18.068"
                            << "18.168"
                            << "F1806800";
        QTest::newRow("15") << "cmd15M"
                            << "21.000"
                            << "21.450"
                            << "F2100000";
        QTest::newRow("12") << "cmd12M"
                            << "24.890"
                            << "24.990"
                            << "F2489000";
        QTest::newRow("10") << "cmd10M"
                            << "28.000"
                            << "29.700"
                            << "F2800000";
    }
    void bandButtons() {
        QFETCH(QString, button);
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QFETCH(QString, first);
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        // A red "Error" from before turns black again.
        toolui::setTextColour(w(s.f, "txtScanLow"), toolui::kRed);
        toolui::setTextColour(w(s.f, "txtScanHi"), toolui::kRed);
        QTest::mouseClick(w(s.f, button), Qt::LeftButton);
        QCOMPARE(w<QLineEdit>(s.f, "txtScanLow")->text(), lower);
        QCOMPARE(w<QLineEdit>(s.f, "txtScanHi")->text(), upper);
        QCOMPARE(toolui::textColour(w(s.f, "txtScanLow")), toolui::kBlack);
        QCOMPARE(toolui::textColour(w(s.f, "txtScanHi")), toolui::kBlack);
        h.host.onYield = [&] { s.f.cmdStop_Click(); };
        s.scan();
        QCOMPARE(frequencyCommands(h.port).commands, QStringList{first});
        QCOMPARE(w<QLineEdit>(s.f, "txtFreq")->text(), first + "0");
        QCOMPARE(q(h.model.state.freq), first.mid(1));
        QCOMPARE(h.host.shownFreqs, std::vector<std::string>{first.toStdString()});
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
    }

    void band40At1kHzWraps() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        QTest::mouseClick(w(s.f, "Option1_4"), Qt::LeftButton, {}, QPoint(5, 5));
        bool disabledWhileScanning = true;
        h.host.onYield = [&] {
            disabledWhileScanning =
                disabledWhileScanning && !w<QPushButton>(s.f, "cmdScanUp")->isEnabled();
            // Stop once the scan has started over and made its first step.
            if (count(frequencyCommands(h.port).commands, "F0700000") == 2) s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        QVERIFY(disabledWhileScanning);
        const Sent sent = frequencyCommands(h.port);
        QCOMPARE(sent.commands.size(), 302);
        for (int i = 0; i <= 300; ++i)
            QCOMPARE(sent.commands[i], QString("F%1").arg(700000 + 100 * i, 7, 10, QChar('0')));
        QCOMPARE(sent.commands.last(), QString("F0700000"));
        // Every command goes out with its LF, and nothing else but the status
        // request before the window opened.
        std::string all = h.port.allWritten();
        QCOMPARE(all.substr(0, 2), std::string("?\n"));
        QCOMPARE(all.substr(2, 9), std::string("F0700000\n"));
        QCOMPARE(all.size(), std::size_t{2 + 302 * 9});
        // One beep at the wrap, then two seconds before the lower limit again.
        QCOMPARE(h.host.beeps, 1);
        QVERIFY(h.host.beepTimes[0] > sent.times[300]);
        const double wrapGap = sent.times[301] - sent.times[300];
        QVERIFY2(wrapGap >= 0.1 + 0.4 + 2.0 && wrapGap < 3.5, qPrintable(QString::number(wrapGap)));
        for (int i = 1; i <= 300; ++i) {
            const double gap = sent.times[static_cast<std::size_t>(i)] -
                               sent.times[static_cast<std::size_t>(i - 1)];
            QVERIFY2(gap >= 0.1 + 0.4 && gap < 1.0, qPrintable(QString::number(i)));
        }
        QCOMPARE(h.host.shownFreqs.size(), std::size_t{302});
        QCOMPARE(h.host.shownFreqs[300], std::string("F0730000"));
        QCOMPARE(w<QLineEdit>(s.f, "txtFreq")->text(), QString("F07000000"));
        QCOMPARE(h.model.state.freq, std::string("0700000"));
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
        QVERIFY(!s.f.isHidden());
        QCOMPARE(s.f.scan().steps(), 302L);
    }

    void invalidLimits_data() {
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("errorIn");  // "lower", "upper" or "none"
        QTest::newRow("lower 1.5") << "1.5"
                                   << "7.300"
                                   << "lower";
        QTest::newRow("upper 30") << "7.000"
                                  << "30"
                                  << "upper";
        QTest::newRow("both wrong: the lower marked") << "1.5"
                                                      << "30"
                                                      << "lower";
        QTest::newRow("empty lower") << ""
                                     << "7.300"
                                     << "none";
        QTest::newRow("empty upper") << "7.000"
                                     << ""
                                     << "upper";
        QTest::newRow("lower too long") << "7.0000000"
                                        << "7.300"
                                        << "lower";
        QTest::newRow("upper too long") << "7.000"
                                        << "7.30000000"
                                        << "upper";
        QTest::newRow("lower not a number") << "abc"
                                            << "7.300"
                                            << "lower";
        QTest::newRow("lower Error left from before") << "Error"
                                                      << "7.300"
                                                      << "lower";
    }
    void invalidLimits() {
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QFETCH(QString, errorIn);
        ToolHarness h;
        ScanWindow s(h);
        w<QLineEdit>(s.f, "txtScanLow")->setText(lower);
        w<QLineEdit>(s.f, "txtScanHi")->setText(upper);
        s.scan();
        QCOMPARE(h.port.allWritten(), std::string());
        QCOMPARE(h.host.yields, 0);
        for (const QString& which : {QString("lower"), QString("upper")}) {
            QWidget* box = w(s.f, which == "lower" ? "txtScanLow" : "txtScanHi");
            const QString typed = which == "lower" ? lower : upper;
            QCOMPARE(toolui::textColour(box), which == errorIn ? toolui::kRed : toolui::kBlack);
            QCOMPARE(w<QLineEdit>(s.f, box->objectName())->text(),
                     which == errorIn ? QString("Error") : typed);
        }
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
    }

    void pauseContinueStop() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd40M"), Qt::LeftButton);
        int phase = 0;
        double pausedAt = 0;
        int pauseYields = 0;
        std::size_t sentWhenPaused = 0;
        h.host.onYield = [&] {
            const std::size_t sent = frequencyCommands(h.port).commands.size();
            if (phase == 0 && sent == 3) {
                QTest::mouseClick(w(s.f, "cmdPauseCont"), Qt::LeftButton);
                QCOMPARE(w<QPushButton>(s.f, "cmdPauseCont")->text(), QString("Continue"));
                QVERIFY(!w<QPushButton>(s.f, "cmdStop")->isEnabled());
                pausedAt = h.clock.elapsed();
                sentWhenPaused = sent;
                phase = 1;
            } else if (phase == 1) {
                ++pauseYields;
                if (h.clock.elapsed() > pausedAt + 6.0) {
                    QTest::mouseClick(w(s.f, "cmdPauseCont"), Qt::LeftButton);
                    QCOMPARE(w<QPushButton>(s.f, "cmdPauseCont")->text(), QString("Pause"));
                    QVERIFY(w<QPushButton>(s.f, "cmdStop")->isEnabled());
                    phase = 2;
                }
            } else if (phase == 2 && sent == sentWhenPaused + 2) {
                QTest::mouseClick(w(s.f, "cmdStop"), Qt::LeftButton);
                phase = 3;
            }
        };
        s.scan();
        QCOMPARE(phase, 3);
        QVERIFY(!s.overran);
        // Paused: a yield every 0.3 s, the heartbeat "U" when due, no tuning.
        QVERIFY(pauseYields >= 19 && pauseYields <= 21);
        std::vector<double> syncs;
        for (const auto& wr : h.port.writes())
            if (wr.text == "U") syncs.push_back(wr.at);
        QVERIFY(syncs.size() >= 2);
        for (double t : syncs) QVERIFY(t > pausedAt && t < pausedAt + 6.5);
        for (std::size_t i = 1; i < syncs.size(); ++i) QVERIFY(syncs[i] - syncs[i - 1] > 2.0);
        QCOMPARE(frequencyCommands(h.port).commands,
                 (QStringList{"F0700000", "F0700010", "F0700020", "F0700030", "F0700040"}));
        QVERIFY(w<QPushButton>(s.f, "cmdScanUp")->isEnabled());
    }

    void closingWhilePaused() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        QTest::mouseClick(w(s.f, "cmd20M"), Qt::LeftButton);
        int pausedYields = 0;
        h.host.onYield = [&] {
            if (!s.f.scan().paused()) {
                QTest::mouseClick(w(s.f, "cmdPauseCont"), Qt::LeftButton);
            } else if (++pausedYields == 5) {
                s.f.close();
            }
        };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(pausedYields, 5);
        QVERIFY(s.f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QVERIFY(!s.f.scan().running());
        QCOMPARE(frequencyCommands(h.port).commands, QStringList{"F1400000"});
    }

    void changedUpperLimit_data() {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<int>("afterSteps");
        QTest::addColumn<QString>("newUpper");
        QTest::addColumn<QStringList>("commands");  // until the first step after a wrap
        QTest::addColumn<bool>("error");
        QTest::newRow("lowered below the frequency: wrap at once")
            << "7.300" << 4 << "7.002"
            << QStringList{"F0700000", "F0700100", "F0700200", "F0700300", "F0700000"} << false;
        QTest::newRow("lowered ahead of the frequency")
            << "7.300" << 2 << "7.003"
            << QStringList{"F0700000", "F0700100", "F0700200", "F0700300", "F0700000"} << false;
        QTest::newRow("raised at the end extends the scan")
            << "7.001" << 2 << "7.004"
            << QStringList{"F0700000", "F0700100", "F0700200", "F0700300", "F0700400", "F0700000"}
            << false;
        QTest::newRow("made invalid: the scan ends")
            << "7.300" << 2 << "x" << QStringList{"F0700000", "F0700100"} << true;
    }
    void changedUpperLimit() {
        QFETCH(QString, upper);
        QFETCH(int, afterSteps);
        QFETCH(QString, newUpper);
        QFETCH(QStringList, commands);
        QFETCH(bool, error);
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        w<QLineEdit>(s.f, "txtScanLow")->setText("7.000");
        w<QLineEdit>(s.f, "txtScanHi")->setText(upper);
        QTest::mouseClick(w(s.f, "Option1_4"), Qt::LeftButton, {}, QPoint(5, 5));
        h.host.onYield = [&] {
            const QStringList sent = frequencyCommands(h.port).commands;
            if (sent.size() == afterSteps) w<QLineEdit>(s.f, "txtScanHi")->setText(newUpper);
            if (count(sent, "F0700000") == 2) s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(frequencyCommands(h.port).commands, commands);
        QCOMPARE(h.host.beeps, error ? 0 : 1);
        QCOMPARE(w<QLineEdit>(s.f, "txtScanHi")->text(), error ? QString("Error") : newUpper);
        QCOMPARE(toolui::textColour(w(s.f, "txtScanHi")), error ? toolui::kRed : toolui::kBlack);
    }

    void wrapWithInvalidLower() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        w<QLineEdit>(s.f, "txtScanLow")->setText("7.000");
        w<QLineEdit>(s.f, "txtScanHi")->setText("7.001");
        QTest::mouseClick(w(s.f, "Option1_4"), Qt::LeftButton, {}, QPoint(5, 5));
        h.host.onYield = [&] { w<QLineEdit>(s.f, "txtScanLow")->setText("1.0"); };
        s.scan();
        QCOMPARE(frequencyCommands(h.port).commands, (QStringList{"F0700000", "F0700100"}));
        QCOMPARE(h.host.beeps, 1);
        QCOMPARE(w<QLineEdit>(s.f, "txtScanLow")->text(), QString("Error"));
        QCOMPARE(toolui::textColour(w(s.f, "txtScanLow")), toolui::kRed);
    }
};

QTEST_MAIN(ScanBandsTest)
#include "test_window_tools_scan_bands.moc"
