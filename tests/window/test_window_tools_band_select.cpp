// The Frequency Select window on the fake port and the radio model in
// virtual time: opening a band's list, choosing rows, Get Freq, Sort, Write
// File, the keep-alive timer and closing.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tool_harness.h"
#include "tools/frm_band_select.h"
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

QString rowText(const FrmBandSelect& f, int i) {
    const ListRow r = f.row(i);
    return q(r.freq + "|" + r.mode + "|" + r.info);
}

}  // namespace

class BandSelectTest : public QObject {
    Q_OBJECT

  private slots:
    void formControls() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        // Placed at the main window's right edge less the band frame, kept on the screen.
        QCOMPARE(f.pos(), toolWindowPosition(QRect(100, 50, 800, 600), 200,
                                             f.frameGeometry().size(), f.screen()->size(), true));
        QCOMPARE(f.objectName(), QString("frmBandSelect"));
        QCOMPARE(f.windowTitle(), QString("Frequency Select"));
        for (int i = 0; i < 14; ++i) {
            QVERIFY(f.findChild<QRadioButton*>(QString("Option1_%1").arg(i)));
            for (const char* box : {"txtFreq", "txtMode", "txtInfo"})
                QVERIFY(f.findChild<QLineEdit*>(QString("%1_%2").arg(box).arg(i)));
        }
        QVERIFY(!f.findChild<QRadioButton*>("Option1_14"));
        QCOMPARE(w<QPushButton>(f, "cmdGetFreq")->text(), QString("Get Freq"));
        QCOMPARE(w<QPushButton>(f, "cmdSort")->text(), QString("Sort"));
        QCOMPARE(w<QPushButton>(f, "cmdWriteFile")->text(), QString("Write File"));
        QCOMPARE(w<QPushButton>(f, "cmdExit")->text(), QString("Exit"));
        QCOMPARE(w<QLabel>(f, "lblError")->text(), QString("Frequency Error"));
        QVERIFY(w<QLabel>(f, "lblError")->isHidden());
        QCOMPARE(toolui::textColour(w(f, "lblError")), toolui::kRed);
        QVERIFY(f.findChild<QTimer*>("SyncTimer"));
        QCOMPARE(f.findChild<QTimer*>("SyncTimer")->interval(), 100);
    }

    void opening_data() {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("file");
        QTest::newRow("160") << "160"
                             << "160 Meters"
                             << "M160List.txt";
        QTest::newRow("60") << "60"
                            << "60 Meters"
                            << "M60List.txt";
        QTest::newRow("40") << "40"
                            << "40 Meters"
                            << "M40List.txt";
        QTest::newRow("10") << "10"
                            << "10 Meters"
                            << "M10List.txt";
        QTest::newRow("WWV") << "WWV"
                             << "WWV"
                             << "WWVList.txt";
        QTest::newRow("MARS") << "MARS"
                              << "MARS"
                              << "MarsList.txt";
    }
    void opening() {
        QFETCH(QString, band);
        QFETCH(QString, caption);
        QFETCH(QString, file);
        ToolHarness h;
        h.queryStatus();
        h.writeFile(file, "7.074 USB FT8 calling\r\n\r\n7.1  LSB   net  \r\n14.074\r\n");
        FrmBandSelect f(h.link, h.host, band.toStdString());
        f.useManualTicks();
        f.show();
        QCOMPARE(w<QGroupBox>(f, "fraBand")->title(), caption);
        QCOMPARE(q(f.listFile()), file);
        QCOMPARE(f.windowTitle(), QDir::current().filePath(file));
        QCOMPARE(rowText(f, 0), QString("7.074|USB|FT8 calling"));
        QCOMPARE(rowText(f, 1), QString("||"));
        QCOMPARE(rowText(f, 2), QString("7.1|LSB|net  "));
        QCOMPARE(rowText(f, 3), QString("14.074||"));
        for (int i = 4; i < 13; ++i) QCOMPARE(rowText(f, i), QString("||"));
        // Row 13 shows the radio's frequency and mode (14.074 USB).
        QCOMPARE(rowText(f, 13), QString("14.07400|USB|"));
        QVERIFY(f.syncTimerEnabled());
        // Opening sends nothing.
        QCOMPARE(h.port.takeWritten(), std::string());
    }

    void openingWithoutFile() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "20");
        f.useManualTicks();
        f.show();
        QCOMPARE(f.windowTitle(), QString("Frequency Select"));
        QCOMPARE(w<QGroupBox>(f, "fraBand")->title(), QString("20 Meters"));
        // No frequency report yet: nothing to copy into the last row.
        for (int i = 0; i < 14; ++i) QCOMPARE(rowText(f, i), QString("||"));
        QCOMPARE(h.panel.info, std::string());
        QVERIFY(!h.panel.infoVisible);
    }

    void openingUnknownBand() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "60 ");
        f.useManualTicks();
        f.show();
        QCOMPARE(w<QGroupBox>(f, "fraBand")->title(), QString("60 "));
        QCOMPARE(f.listFile(), std::string());
        QVERIFY(!w<QPushButton>(f, "cmdWriteFile")->isEnabled());
        f.cmdWriteFile_Click();
        QCOMPARE(QDir::current().entryList(QDir::Files), QStringList{});
    }

    void chooseRow_data() {
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("wire");
        QTest::addColumn<QString>("radioFreq");
        QTest::addColumn<int>("radioMode");
        QTest::addColumn<bool>("error");
        QTest::newRow("7.074 LSB")
            << "7.074"
            << "LSB" << QStringList{"F0707400", "M"} << "0707400" << 2 << false;
        QTest::newRow("1.6 usb, mode kept")
            << "1.6"
            << "usb" << QStringList{"F0160000"} << "0160000" << 1 << false;
        // On the v601 a change to CW switches PTT enable; the link switches it back.
        QTest::newRow("14.07400 CW")
            << "14.07400"
            << "CW" << QStringList{"F1407400", "MMM", "'"} << "1407400" << 4 << false;
        QTest::newRow("FM keeps the mode")
            << "29.99999"
            << "FM" << QStringList{"F2999999"} << "2999999" << 1 << false;
        QTest::newRow("am is no band list mode")
            << "3.5"
            << "am" << QStringList{"F0350000"} << "0350000" << 1 << false;
        QTest::newRow("30.0 too high") << "30.0"
                                       << "USB" << QStringList{} << "1407400" << 1 << true;
        QTest::newRow("1.59999 too low") << "1.59999"
                                         << "USB" << QStringList{} << "1407400" << 1 << true;
        QTest::newRow("more digits than positions")
            << "14.074000"
            << "USB" << QStringList{} << "1407400" << 1 << true;
        QTest::newRow("no digits") << "abc"
                                   << "USB" << QStringList{} << "1407400" << 1 << true;
    }
    void chooseRow() {
        QFETCH(QString, freq);
        QFETCH(QString, mode);
        QFETCH(QStringList, wire);
        QFETCH(QString, radioFreq);
        QFETCH(int, radioMode);
        QFETCH(bool, error);
        ToolHarness h;
        h.queryStatus();
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        f.setRow(4, {freq.toStdString(), mode.toStdString(), "my note"});
        const int updates = h.host.updates;
        QTest::mouseClick(w(f, "Option1_4"), Qt::LeftButton);
        QStringList sent;
        for (const std::string& c : h.writtenCommands()) sent << q(c);
        QCOMPARE(sent, wire);
        QCOMPARE(q(h.model.state.freq), radioFreq);
        QCOMPARE(h.model.state.mode, radioMode);
        QCOMPARE(w<QLabel>(f, "lblError")->isHidden(), !error);
        QCOMPARE(w<QRadioButton>(f, "Option1_4")->isChecked(), !error);
        QCOMPARE(toolui::textColour(w(f, "txtFreq_4")),
                 error ? toolui::kRed : toolui::windowTextColour());
        for (const char* b : {"cmdGetFreq", "cmdSort", "cmdWriteFile"})
            QCOMPARE(w<QPushButton>(f, b)->isEnabled(), !error);
        QCOMPARE(q(h.host.infoLabel), error ? QString("Frequency Label") : QString("my note"));
        QCOMPARE(h.host.updates, updates + (error ? 0 : 1));
        QVERIFY(f.syncTimerEnabled());
        if (!error) {
            // The panel learnt the new frequency from the radio's answer.
            QCOMPARE(q(h.state.gFreqReport), "F" + radioFreq);
        }
    }

    void validRowAfterAnError() {
        ToolHarness h;
        h.queryStatus();
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        f.setRow(0, {"30.0", "USB", ""});
        f.setRow(1, {"7.2", "", "next"});
        QTest::mouseClick(w(f, "Option1_0"), Qt::LeftButton);
        QVERIFY(!w<QLabel>(f, "lblError")->isHidden());
        QVERIFY(!w<QPushButton>(f, "cmdSort")->isEnabled());
        QTest::mouseClick(w(f, "Option1_1"), Qt::LeftButton);
        QVERIFY(w<QLabel>(f, "lblError")->isHidden());
        QVERIFY(w<QPushButton>(f, "cmdSort")->isEnabled());
        QVERIFY(w<QRadioButton>(f, "Option1_1")->isChecked());
        QCOMPARE(h.writtenCommands(), std::vector<std::string>{"F0720000"});
        // The rejected row keeps its red text until it is chosen again.
        QCOMPARE(toolui::textColour(w(f, "txtFreq_0")), toolui::kRed);
    }

    void portVanishes() {
        ToolHarness h;
        h.queryStatus();
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        f.setRow(0, {"7.1", "LSB", "x"});
        h.port.setVanished(true);
        QTest::mouseClick(w(f, "Option1_0"), Qt::LeftButton);
        QCOMPARE(h.panel.info, std::string("Option1_Click: Err 5. Input/output error"));
        QVERIFY(h.panel.infoVisible);
        QVERIFY(f.syncTimerEnabled());
        h.panel.info.clear();
        f.SyncTimer_Timer();
        QCOMPARE(h.panel.info, std::string("SyncTimer_Timer: Err 5. Input/output error"));
    }

    void emptyRowChangesNothing() {
        ToolHarness h;
        h.queryStatus();
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        QTest::mouseClick(w(f, "Option1_7"), Qt::LeftButton);
        QCOMPARE(h.port.takeWritten(), std::string());
        QVERIFY(w<QLabel>(f, "lblError")->isHidden());
        QCOMPARE(h.host.infoLabel, std::string("Frequency Label"));
        QVERIFY(f.syncTimerEnabled());
    }

    void sort_data() {
        QTest::addColumn<QStringList>("rows");    // "freq|mode|info" per row, from row 0
        QTest::addColumn<QStringList>("sorted");  // the 14 rows after Sort
        auto fill = [](QStringList l) {
            while (l.size() < 14) l << "||";
            return l;
        };
        QTest::newRow("ties: the lower row last")
            << fill({"14.2|USB|first", "||", "7.1|LSB|x", "14.2|CW|fourth"})
            << fill({"7.1|LSB|x", "14.2|CW|fourth", "14.2|USB|first"});
        QTest::newRow("notes without a frequency kept after the sorted rows")
            << fill({"||note a", "14.2|USB|", "|CW|", "0|USB|zero", "7.0||", "abc||words"})
            << fill({"7.0||", "14.2|USB|", "||note a", "|CW|", "0|USB|zero", "abc||words"});
        QTest::newRow("blank boxes are empty rows")
            << fill({" | | ", "7.0||", "  ||"}) << fill({"7.0||"});
        QTest::newRow("single precision ties")
            << fill({"14.2000001|USB|a", "14.2|USB|b"}) << fill({"14.2|USB|b", "14.2000001|USB|a"});
        QTest::newRow("leading number")
            << fill({"14.2 MHz|USB|", "7.1abc||"}) << fill({"7.1abc||", "14.2 MHz|USB|"});
        QTest::newRow("full list with the last row")
            << QStringList{"29|", "28|", "27|", "26|", "25|", "24|", "23|",
                           "22|", "21|", "20|", "19|", "18|", "17|", "16|"}
            << QStringList{"16|", "17|", "18|", "19|", "20|", "21|", "22|",
                           "23|", "24|", "25|", "26|", "27|", "28|", "29|"};
    }
    void sort() {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, sorted);
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "20");
        f.useManualTicks();
        f.show();
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList p = rows[i].split('|');
            f.setRow(
                i, {p.value(0).toStdString(), p.value(1).toStdString(), p.value(2).toStdString()});
        }
        QTest::mouseClick(w(f, "cmdSort"), Qt::LeftButton);
        for (int i = 0; i < 14; ++i) {
            QStringList p = sorted[i].split('|');
            while (p.size() < 3) p << "";
            QCOMPARE(rowText(f, i), p.join('|'));
        }
        QCOMPARE(h.port.takeWritten(), std::string());
    }

    void getFreq_data() {
        QTest::addColumn<QString>("radioFreq");
        QTest::addColumn<int>("radioMode");
        QTest::addColumn<QString>("row13");
        QTest::newRow("3.5 AME") << "0350000" << 3 << "3.50000|AME|kept";
        QTest::newRow("7.074 LSB") << "0707400" << 2 << "7.07400|LSB|kept";
        QTest::newRow("14.074 CW") << "1407400" << 4 << "14.07400|CW|kept";
        QTest::newRow("29.99999 USB") << "2999999" << 1 << "29.99999|USB|kept";
    }
    void getFreq() {
        QFETCH(QString, radioFreq);
        QFETCH(int, radioMode);
        QFETCH(QString, row13);
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "80");
        f.useManualTicks();
        f.show();
        f.setRow(13, {"old", "old", "kept"});
        h.model.state.freq = radioFreq.toStdString();
        h.model.state.mode = radioMode;
        h.queryStatus();
        QTest::mouseClick(w(f, "cmdGetFreq"), Qt::LeftButton);
        QCOMPARE(rowText(f, 13), row13);
        QCOMPARE(h.port.takeWritten(), std::string());
    }

    void getFreqWithoutAReport() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "80");
        f.useManualTicks();
        f.show();
        f.setRow(13, {"7.1", "LSB", "x"});
        h.state.gModeReport = "M9";
        h.state.gFreqReport = "F07     ";
        QTest::mouseClick(w(f, "cmdGetFreq"), Qt::LeftButton);
        QCOMPARE(rowText(f, 13), QString("7.1|LSB|x"));
    }

    void writeFile() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "MARS");
        f.useManualTicks();
        f.show();
        f.setRow(0, {"7.074", "USB", "FT8  calling "});
        f.setRow(13, {"", "", "last"});
        QTest::mouseClick(w(f, "cmdWriteFile"), Qt::LeftButton);
        QByteArray expected = "7.074 USB FT8  calling \r\n";
        for (int i = 1; i < 13; ++i) expected += "  \r\n";
        expected += "  last\r\n";
        QCOMPARE(h.readFile("MarsList.txt"), expected);
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden),
                 QStringList{"MarsList.txt"});
        // The next opening reads the same rows back.
        FrmBandSelect again(h.link, h.host, "MARS");
        again.useManualTicks();
        QCOMPARE(rowText(again, 0), QString("7.074|USB|FT8  calling "));
        QCOMPARE(rowText(again, 13), QString("|last|"));
    }

    void writeFileFails() {
        ToolHarness h;
        QVERIFY(QDir::current().mkdir("M40List.txt"));
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        f.setRow(0, {"7.074", "USB", ""});
        QTest::mouseClick(w(f, "cmdWriteFile"), Qt::LeftButton);
        QCOMPARE(h.panel.info, std::string("M40List.txt: Err 21. Is a directory"));
        QVERIFY(h.panel.infoVisible);
    }

    void keepAlive_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("syncChar");
        QTest::newRow("live radio") << false << "U";
        QTest::newRow("silent radio") << true << "U";
        QTest::newRow("local heartbeat") << false << " ";
    }
    void keepAlive() {
        QFETCH(bool, silent);
        QFETCH(QString, syncChar);
        ToolHarness h;
        h.queryStatus();
        h.state.gSyncChar = syncChar.toStdString();
        h.model.setSilent(silent);
        // The last heartbeat went out long ago.
        h.state.gSyncTime = h.clock.now() - 10.0;
        h.state.gLastSync = h.state.gSyncChar;
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        const double opened = h.clock.elapsed();
        int ticks = 0;
        while (h.clock.elapsed() < opened + 20.0) {
            h.clock.advance(0.1);  // the timer's interval
            f.SyncTimer_Timer();
            ++ticks;
        }
        QCOMPARE(h.host.updates, ticks);
        std::vector<double> sent;
        for (const auto& wr : h.port.writes())
            if (wr.text == syncChar.toStdString()) sent.push_back(wr.at);
        // The first goes out 3.1 s after opening, then every 3.1 s and a
        // tick at most (a tick is 0.1 s and a read of up to 0.8 s).
        QVERIFY(sent.size() >= 5);
        QVERIFY(sent[0] >= opened + 3.1);
        QVERIFY(sent[0] < opened + 3.1 + 1.0);
        for (std::size_t i = 1; i < sent.size(); ++i) {
            QVERIFY2(sent[i] - sent[i - 1] >= 3.1 - 1e-9, qPrintable(QString::number(i)));
            QVERIFY2(sent[i] - sent[i - 1] < 3.1 + 1.0, qPrintable(QString::number(i)));
        }
        // Nothing but the heartbeat goes out.
        for (const auto& wr : h.port.writes())
            if (wr.at >= opened) QCOMPARE(q(wr.text), syncChar);
    }

    void keepAliveAcrossMidnight() {
        ToolHarness h;
        h.clock.setTimeOfDay(86398.0);
        h.state.gSyncTime = 86390.0;
        h.state.gLastSync = "U";
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        for (int i = 0; i < 24; ++i) {
            h.clock.advance(0.1);
            f.SyncTimer_Timer();
        }
        QVERIFY(h.clock.now() < 100.0);
        // After midnight the heartbeat goes on every 3.1 s, not a day later.
        std::vector<double> sent;
        for (const auto& wr : h.port.writes())
            if (wr.text == "U") sent.push_back(wr.at);
        QVERIFY(sent.size() >= 3);
        for (std::size_t i = 1; i < sent.size(); ++i) QVERIFY(sent[i] - sent[i - 1] < 4.1);
    }

    void timerRunsAtItsInterval() {
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "40");
        QTimer* t = f.findChild<QTimer*>("SyncTimer");
        QVERIFY(t->isActive());
        QCOMPARE(t->interval(), 100);
        f.cmdExit_Click();
        QVERIFY(!t->isActive());
    }

    void exitEnablesTheMainWindow_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Exit") << 0;
        QTest::newRow("title bar") << 1;
        QTest::newRow("Escape") << 2;
    }
    void exitEnablesTheMainWindow() {
        QFETCH(int, how);
        ToolHarness h;
        FrmBandSelect f(h.link, h.host, "40");
        f.useManualTicks();
        f.show();
        f.show();
        if (how == 0) QTest::mouseClick(w(f, "cmdExit"), Qt::LeftButton);
        if (how == 1) f.close();
        if (how == 2) QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QVERIFY(!f.syncTimerEnabled());
    }
};

QTEST_MAIN(BandSelectTest)
#include "test_window_tools_band_select.moc"
