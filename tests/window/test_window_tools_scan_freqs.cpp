// The Scan Freq window on the fake port and the radio model in virtual
// time: reading "ScanFreqs.txt", the scan over ticked rows with its delay
// count, wrong frequencies, the delay corrections, Write File and closing.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tool_harness.h"
#include "tools/frm_scan_freqs.h"
#include "tools/tool_widgets.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename W = QWidget>
W* w(QWidget& form, const QString& name) {
    W* found = form.findChild<W*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
}

QString rowText(const FrmScanFreqs& f, int i) {
    const ListRow r = f.row(i);
    return q(r.freq + "|" + r.mode + "|" + r.info);
}

// Commands written, without the heartbeat.
QStringList commands(ToolHarness& h) {
    QStringList out;
    for (const std::string& c : h.writtenCommands())
        if (c != "U") out << q(c);
    return out;
}

struct ScanWindow {
    explicit ScanWindow(ToolHarness& harness) : h(harness), f(h.link, h.host) { f.show(); }
    void tick(int row) { w<QCheckBox>(f, QString("Check1_%1").arg(row))->setChecked(true); }
    QString delay() { return w<QLineEdit>(f, "txtDelay")->text(); }
    // Runs the scan; a scan that runs past `maxYields` yields is stopped.
    void scan(int maxYields = 5000) {
        auto inner = h.host.onYield;
        h.host.onYield = [this, inner, maxYields] {
            if (inner) inner();
            if (h.host.yields > maxYields) {
                overran = true;
                f.cmdStop_Click();
            }
        };
        QTest::mouseClick(w(f, "cmdScan"), Qt::LeftButton);
        h.host.onYield = inner;
    }
    ToolHarness& h;
    FrmScanFreqs f;
    bool overran = false;
};

}  // namespace

class ScanFreqsTest : public QObject {
    Q_OBJECT

  private slots:
    void formControls() {
        ToolHarness h;
        FrmScanFreqs f(h.link, h.host);
        QCOMPARE(f.objectName(), QString("frmScanFreqs"));
        QCOMPARE(f.windowTitle(), QString("Scan Freq"));
        QCOMPARE(w<QGroupBox>(f, "fraBand")->title(), QString("Freqs"));
        for (int i = 0; i < 13; ++i) {
            QCOMPARE(w<QCheckBox>(f, QString("Check1_%1").arg(i))->text(), QString());
            for (const char* box : {"txtFreq", "txtMode", "txtInfo"})
                QVERIFY(f.findChild<QLineEdit*>(QString("%1_%2").arg(box).arg(i)));
        }
        QVERIFY(!f.findChild<QCheckBox*>("Check1_13"));
        QCOMPARE(w<QPushButton>(f, "cmdScan")->text(), QString("Scan"));
        QCOMPARE(w<QPushButton>(f, "cmdStop")->text(), QString("Stop"));
        QCOMPARE(w<QPushButton>(f, "cmdWriteFile")->text(), QString("Write File"));
        QCOMPARE(w<QLabel>(f, "lblDelay")->text(), QString("Delay Secs"));
        QCOMPARE(w<QLineEdit>(f, "txtDelay")->text(), QString("3"));
        QCOMPARE(w<QLabel>(f, "lblError")->text(), QString("Frequency Error"));
        QVERIFY(w(f, "lblError")->isHidden());
        QCOMPARE(toolui::textColour(w(f, "lblError")), toolui::kRed);
        QVERIFY(w(f, "cmdStop")->isHidden());
        QVERIFY(!w(f, "cmdScan")->isHidden());
        QCOMPARE(f.pos(), QPoint(700, 50));
    }

    void opening_data() {
        QTest::addColumn<QByteArray>("file");   // "none": no file
        QTest::addColumn<QStringList>("rows");  // leading rows
        QTest::addColumn<QString>("delay");
        QByteArray full = "7.0 USB two words\r\n\r\n14.2 am\r\n";
        for (int i = 3; i < 13; ++i) full += "  \r\n";
        QTest::newRow("full file") << full + "5\r\n"
                                   << QStringList{"7.0|USB|two words", "||", "14.2|am|"} << "5";
        QTest::newRow("delay beyond 16 bits") << full + "100000\r\n"
                                              << QStringList{"7.0|USB|two words"} << "32767";
        QTest::newRow("delay half to even") << full + "4.5\r\n"
                                            << QStringList{"7.0|USB|two words"} << "4";
        QTest::newRow("short file keeps the delay")
            << QByteArray("7.0 USB a\r\n14.2 LSB b\r\n") << QStringList{"7.0|USB|a", "14.2|LSB|b"}
            << "3";
        QTest::newRow("delay not a number") << full + "soon\r\n"
                                            << QStringList{"7.0|USB|two words"} << "3";
        QTest::newRow("no file") << QByteArray("none") << QStringList{"||"} << "3";
    }
    void opening() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        QFETCH(QString, delay);
        ToolHarness h;
        if (file != "none") h.writeFile("ScanFreqs.txt", file);
        FrmScanFreqs f(h.link, h.host);
        for (int i = 0; i < rows.size(); ++i) QCOMPARE(rowText(f, i), rows[i]);
        QCOMPARE(w<QLineEdit>(f, "txtDelay")->text(), delay);
        QCOMPARE(h.port.allWritten(), std::string());
        QCOMPARE(h.panel.info, std::string());
    }

    void tickedRowsWithTheDelayCount() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(2, {"7.0", "USB", "two"});
        s.f.setRow(5, {"14.2", "LSB", "five"});
        s.f.setRow(7, {"21.0", "CW", "not ticked"});
        s.tick(2);
        s.tick(5);
        // What the window shows at each yield of a dwell: the visited row,
        // the delay box and the main window's label.
        QStringList shown;
        h.host.onYield = [&] {
            int red = -1;
            for (int i = 0; i < 13; ++i) {
                const QColor c = toolui::backColour(w(s.f, QString("Check1_%1").arg(i)));
                if (c == toolui::kRed) {
                    QCOMPARE(red, -1);
                    red = i;
                } else {
                    QCOMPARE(c, toolui::kCheckGrey);
                }
            }
            const QString entry =
                QString("%1:%2:%3").arg(red).arg(s.delay()).arg(q(h.host.infoLabel));
            if (shown.isEmpty() || shown.last() != entry) shown << entry;
            QVERIFY(s.f.scan().running());
            QVERIFY(w(s.f, "cmdScan")->isHidden());
            QVERIFY(!w(s.f, "cmdStop")->isHidden());
            if (shown.size() == 7) QTest::mouseClick(w(s.f, "cmdStop"), Qt::LeftButton);
        };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(shown, (QStringList{"2:0:two", "2:1:two", "2:2:two", "5:0:five", "5:1:five",
                                     "5:2:five", "2:0:two"}));
        // Row 5 wants LSB (one mode key on v601 from USB), row 2 USB again.
        QCOMPARE(commands(h), (QStringList{"F0700000", "M", "F1420000", "MMM", "F0700000"}));
        QCOMPARE(h.model.state.freq, std::string("0700000"));
        QCOMPARE(h.model.state.mode, 1);
        QCOMPARE(s.delay(), QString("3"));
        QVERIFY(!w(s.f, "cmdScan")->isHidden());
        QVERIFY(w(s.f, "cmdStop")->isHidden());
        QCOMPARE(s.f.scan().visits(), 3L);
        QCOMPARE(h.host.shownFreqs, (std::vector<std::string>{"F0700000", "F1420000", "F0700000"}));
        // The heartbeat is kept up during the dwells.
        int syncs = 0;
        for (const auto& wr : h.port.writes()) syncs += wr.text == "U";
        QVERIFY(syncs >= 2);
    }

    void dwellLastsTheDelay() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.f.setRow(1, {"7.1", "", ""});
        s.tick(0);
        s.tick(1);
        w<QLineEdit>(s.f, "txtDelay")->setText("5");
        h.host.onYield = [&] {
            if (h.model.state.freq == "0700000" && s.f.scan().visits() == 3) s.f.cmdStop_Click();
        };
        s.scan();
        std::vector<double> at;
        for (const auto& wr : h.port.writes())
            if (wr.text.rfind("F07", 0) == 0) at.push_back(wr.at);
        QCOMPARE(at.size(), std::size_t{3});
        for (std::size_t i = 1; i < at.size(); ++i) {
            const double gap = at[i] - at[i - 1];
            QVERIFY2(gap >= 5.0 && gap < 7.0, qPrintable(QString::number(gap)));
        }
    }

    void rowFrequency_data() {
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("ending");  // "stopped", "error" (label shown), "empty"
        QTest::newRow("7.0") << "7.0"
                             << "" << QStringList{"F0700000"} << "stopped";
        QTest::newRow("14.2") << "14.2"
                              << "usb" << QStringList{"F1420000"} << "stopped";
        QTest::newRow("am is AME here") << "3.5"
                                        << "am" << QStringList{"MM", "F0350000"} << "stopped";
        QTest::newRow("FM keeps the mode") << "3.5"
                                           << "FM" << QStringList{"F0350000"} << "stopped";
        QTest::newRow("1.5 too low") << "1.5"
                                     << "USB" << QStringList{} << "error";
        QTest::newRow("30 too high") << "30"
                                     << "USB" << QStringList{} << "error";
        QTest::newRow("letter") << "7.0x"
                                << "USB" << QStringList{} << "error";
        QTest::newRow("more digits than cells") << "7.074000"
                                                << "USB" << QStringList{} << "error";
        QTest::newRow("blank") << " "
                               << "USB" << QStringList{} << "error";
        QTest::newRow("empty frequency") << ""
                                         << "LSB" << QStringList{} << "empty";
    }
    void rowFrequency() {
        QFETCH(QString, freq);
        QFETCH(QString, mode);
        QFETCH(QStringList, sent);
        QFETCH(QString, ending);
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(4, {freq.toStdString(), mode.toStdString(), "info"});
        s.f.setRow(6, {"7.2", "", "next"});
        s.tick(4);
        s.tick(6);
        h.host.onYield = [&] { s.f.cmdStop_Click(); };
        s.scan();
        QCOMPARE(commands(h), sent);
        QCOMPARE(!w(s.f, "lblError")->isHidden(), ending == "error");
        // The visited row stays red: Stop ends the dwell at once.
        QCOMPARE(toolui::backColour(w(s.f, "Check1_4")), toolui::kRed);
        QCOMPARE(toolui::backColour(w(s.f, "Check1_6")), toolui::kCheckGrey);
        QCOMPARE(q(h.host.infoLabel),
                 ending == "stopped" ? QString("info") : QString("Frequency Label"));
        QVERIFY(!w(s.f, "cmdScan")->isHidden());
        // The label goes again when the next scan starts.
        if (ending == "error") {
            s.f.setRow(4, {"7.0", "", ""});
            s.scan();
            QVERIFY(w(s.f, "lblError")->isHidden());
        }
    }

    void noTickedRow() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "USB", ""});
        s.scan();
        QCOMPARE(h.port.takeWritten(), std::string());
        QCOMPARE(h.host.yields, 0);
        QVERIFY(!w(s.f, "cmdScan")->isHidden());
        QVERIFY(w(s.f, "cmdStop")->isHidden());
        for (int i = 0; i < 13; ++i)
            QCOMPARE(toolui::backColour(w(s.f, QString("Check1_%1").arg(i))), toolui::kCheckGrey);
    }

    void delayCorrections_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("0") << "0"
                           << "1";
        QTest::newRow("not a number") << "abc"
                                      << "1";
        QTest::newRow("empty") << ""
                               << "1";
        QTest::newRow("below one") << "0.9"
                                   << "1";
        QTest::newRow("half to even") << "2.5"
                                      << "2";
        QTest::newRow("beyond 16 bits") << "100000"
                                        << "32767";
        QTest::newRow("4") << "4"
                           << "4";
    }
    void delayCorrections() {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.tick(0);
        w<QLineEdit>(s.f, "txtDelay")->setText(typed);
        h.host.onYield = [&] { QTest::mouseClick(w(s.f, "cmdStop"), Qt::LeftButton); };
        s.scan();
        QCOMPARE(s.delay(), after);
        QCOMPARE(*s.f.scan().delay(), after.toInt());
    }

    void writeFileKeepsTheDelay_data() {
        QTest::addColumn<bool>("duringDwell");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("delayLine");
        QTest::newRow("during a dwell: the configured delay") << true << "3" << QByteArray("3");
        QTest::newRow("during a dwell: as the scan took it") << true << "2.5" << QByteArray("2");
        QTest::newRow("idle: the box as typed") << false << "3.0" << QByteArray("3.0");
    }
    void writeFileKeepsTheDelay() {
        QFETCH(bool, duringDwell);
        QFETCH(QString, typed);
        QFETCH(QByteArray, delayLine);
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "USB", "a  b"});
        s.f.setRow(12, {"14.2", "", ""});
        s.tick(0);
        w<QLineEdit>(s.f, "txtDelay")->setText(typed);
        if (duringDwell) {
            h.host.onYield = [&] {
                if (s.delay() == "1") {
                    QTest::mouseClick(w(s.f, "cmdWriteFile"), Qt::LeftButton);
                    s.f.cmdStop_Click();
                }
            };
            s.scan();
        } else {
            QTest::mouseClick(w(s.f, "cmdWriteFile"), Qt::LeftButton);
        }
        QByteArray expected = "7.0 USB a  b\r\n";
        for (int i = 1; i < 12; ++i) expected += "  \r\n";
        expected += "14.2  \r\n" + delayLine + "\r\n";
        QCOMPARE(h.readFile("ScanFreqs.txt"), expected);
    }

    void writeFileFails() {
        ToolHarness h;
        QVERIFY(QDir::current().mkdir("ScanFreqs.txt"));
        FrmScanFreqs f(h.link, h.host);
        f.show();
        QTest::mouseClick(w(f, "cmdWriteFile"), Qt::LeftButton);
        QCOMPARE(h.panel.info, std::string("ScanFreqs.txt: Err 21. Is a directory"));
        QVERIFY(h.panel.infoVisible);
    }

    void radioDisagrees() {
        ToolHarness h;
        StubbornRadio radio;
        h.port.attach(&radio);
        h.state.gModeReport = "M1";
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.f.setRow(1, {"7.1", "", ""});
        s.tick(0);
        s.tick(1);
        h.host.onYield = [&] {
            if (radio.seen.size() == 4) s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(radio.seen,
                 (std::vector<std::string>{"F0700000", "F0700000", "F0700000", "F0710000"}));
        QCOMPARE(h.panel.info, std::string("Radio did not tune to 7.00000"));
        QVERIFY(h.host.shownFreqs.empty());
    }

    void portVanishes() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.tick(0);
        h.host.onYield = [&] { h.port.setVanished(true); };
        s.scan();
        QVERIFY(!s.overran);
        QCOMPARE(h.panel.info, std::string("cmdScan_Click: Err 5. Input/output error"));
        QVERIFY(!w(s.f, "cmdScan")->isHidden());
        QVERIFY(w(s.f, "cmdStop")->isHidden());
        QVERIFY(!s.f.scan().running());
    }

    void portClosedDwellDoesNotSpin() {
        ToolHarness h;
        h.queryStatus();
        h.port.close();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.tick(0);
        w<QLineEdit>(s.f, "txtDelay")->setText("2");
        h.host.onYield = [&] {
            if (h.panel.info == "Radio did not tune to 7.00000" && s.delay() == "1")
                s.f.cmdStop_Click();
        };
        s.scan();
        QVERIFY(!s.overran);
        // Three tries with a yield between, then a dwell served once per
        // read of the silent port (0.8 s) rather than as fast as the
        // processor goes: "1" is shown after the second or third pass.
        QVERIFY2(h.host.yields >= 2 + 2 && h.host.yields <= 2 + 3,
                 qPrintable(QString::number(h.host.yields)));
    }

    void closingStopsTheScan() {
        ToolHarness h;
        h.queryStatus();
        ScanWindow s(h);
        s.f.setRow(0, {"7.0", "", ""});
        s.tick(0);
        h.host.onYield = [&] {
            if (s.delay() == "1") s.f.close();
        };
        s.scan();
        QVERIFY(!s.overran);
        QVERIFY(s.f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QVERIFY(!s.f.scan().running());
        QCOMPARE(s.delay(), QString("3"));
        QCOMPARE(commands(h), QStringList{"F0700000"});
    }
};

QTEST_MAIN(ScanFreqsTest)
#include "test_window_tools_scan_freqs.moc"
