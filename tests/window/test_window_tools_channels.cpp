// The Channel Setup window on the fake port and the radio model in virtual
// time: Load from a radio that answers channels 00 to 09 only, its progress
// bar and Cancel, Store, Find/Open/Save File through the file dialogs, and
// the working folder on closing.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tool_harness.h"
#include "tools/frm_channel_setup.h"

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

QStringList listed(FrmChannelSetup& f) {
    QStringList out;
    for (const std::string& e : f.entries()) out << q(e);
    return out;
}

// A radio whose slots from `first` on are empty, the others filled with
// channel n on (7000 + n) kHz, mode n % 4 + 1.
void fillChannels(RadioModel& model, int first) {
    for (int n = 0; n < 100; ++n) {
        auto& ch = model.state.channels[static_cast<std::size_t>(n)];
        ch.freq = QString("%1").arg(700000 + n * 100, 7, 10, QChar('0')).toStdString();
        ch.mode = n % 4 + 1;
        ch.empty = n >= first;
    }
}

QString entryOf(int n) {
    return QString("%1%2%3")
        .arg(n, 2, 10, QChar('0'))
        .arg(700000 + n * 100, 7, 10, QChar('0'))
        .arg(n % 4 + 1);
}

}  // namespace

class ChannelSetupTest : public QObject {
    Q_OBJECT

  private slots:
    void formControls() {
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        QCOMPARE(f.objectName(), QString("frmChannelSetup"));
        QCOMPARE(f.windowTitle(), QString("Channel Setup"));
        const QList<QStringList> buttons{{"cmdBrowse", "Find File", "Browse to Select File"},
                                         {"cmdOpenFile", "Open File", "Read File into List"},
                                         {"cmdSaveFile", "Save File", "Write List into File"},
                                         {"cmdLoad", "Load", "Get Channel Data from Radio"},
                                         {"cmdStore", "Store", "Put Channel Data in radio."},
                                         {"cmdOK", "OK", "Exit Setup"}};
        for (const QStringList& b : buttons) {
            QCOMPARE(w<QPushButton>(f, b[0])->text(), b[1]);
            QCOMPARE(w<QPushButton>(f, b[0])->toolTip(), b[2]);
        }
        QCOMPARE(w<QLineEdit>(f, "txtFilename")->text(), QString("Channel List.txt"));
        QCOMPARE(w<QLineEdit>(f, "txtFilename")->toolTip(), QString("Directory"));
        QCOMPARE(w<QLineEdit>(f, "txtSaveFilename")->toolTip(), QString("File Name"));
        QCOMPARE(w<QLineEdit>(f, "txtResp")->text(), QString("OK"));
        QCOMPARE(w<QListWidget>(f, "lsbChList")->count(), 0);
        QVERIFY(w(f, "pbLoad")->isHidden());
        QVERIFY(w(f, "cmdCancelLoad")->isHidden());
    }

    void loadFromARadioWithTenChannels() {
        ToolHarness h;
        fillChannels(h.model, 10);
        FrmChannelSetup f(h.link, h.host);
        f.show();
        f.setEntries({"stale"});
        QStringList progress;
        bool othersDisabled = true;
        h.host.onYield = [&] {
            auto* bar = w<QProgressBar>(f, "pbLoad");
            QVERIFY(!bar->isHidden());
            QVERIFY(!w(f, "cmdCancelLoad")->isHidden());
            progress << bar->format();
            for (const char* b :
                 {"cmdBrowse", "cmdOpenFile", "cmdSaveFile", "cmdLoad", "cmdStore", "cmdOK"})
                othersDisabled = othersDisabled && !w(f, b)->isEnabled();
        };
        const double start = h.clock.elapsed();
        QTest::mouseClick(w(f, "cmdLoad"), Qt::LeftButton);
        // Exactly ten entries: the silent slots are left out.
        QStringList expected;
        for (int n = 0; n < 10; ++n) expected << entryOf(n);
        QCOMPARE(listed(f), expected);
        QCOMPARE(w<QLineEdit>(f, "txtResp")->text(), "P" + entryOf(9));
        // The radio traffic: "L00" to "L99", each with LF, at least 0.25 s apart.
        std::string wire;
        for (int n = 0; n < 100; ++n)
            wire += "L" + QString("%1").arg(n, 2, 10, QChar('0')).toStdString() + "\n";
        QCOMPARE(h.port.allWritten(), wire);
        const auto& writes = h.port.writes();
        QCOMPARE(writes.size(), std::size_t{100});
        for (std::size_t i = 1; i < writes.size(); ++i)
            QVERIFY(writes[i].at - writes[i - 1].at >= 0.25);
        QVERIFY(h.clock.elapsed() - start >= 25.0);
        // One yield per channel, the bar naming the channel being read.
        QCOMPARE(progress.size(), 100);
        QCOMPARE(progress.first(), QString("Reading channel 00"));
        QCOMPARE(progress.last(), QString("Reading channel 99"));
        QVERIFY(othersDisabled);
        QVERIFY(w(f, "pbLoad")->isHidden());
        QVERIFY(w(f, "cmdLoad")->isEnabled());
        QVERIFY(!f.loading());
        // The report is consumed: the panel does not redraw it as a channel.
        QVERIFY(!h.state.gChanReportNew);
    }

    void cancelEndsAfterTheCurrentChannel() {
        ToolHarness h;
        fillChannels(h.model, 100);
        FrmChannelSetup f(h.link, h.host);
        f.show();
        h.host.onYield = [&] {
            if (h.port.writes().size() == 5)
                QTest::mouseClick(w(f, "cmdCancelLoad"), Qt::LeftButton);
        };
        QTest::mouseClick(w(f, "cmdLoad"), Qt::LeftButton);
        QCOMPARE(h.port.allWritten(), std::string("L00\nL01\nL02\nL03\nL04\n"));
        QCOMPARE(listed(f),
                 (QStringList{entryOf(0), entryOf(1), entryOf(2), entryOf(3), entryOf(4)}));
        QVERIFY(w(f, "pbLoad")->isHidden());
        QVERIFY(w(f, "cmdStore")->isEnabled());
    }

    void closingDuringLoad() {
        ToolHarness h;
        fillChannels(h.model, 100);
        const QString folder = QDir::currentPath();
        FrmChannelSetup f(h.link, h.host);
        f.show();
        h.host.onYield = [&] {
            if (h.port.writes().size() == 3) f.close();
            QVERIFY(!h.host.mainEnabled || h.port.writes().size() > 3);
        };
        QTest::mouseClick(w(f, "cmdLoad"), Qt::LeftButton);
        QCOMPARE(h.port.allWritten(), std::string("L00\nL01\nL02\n"));
        QVERIFY(f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QCOMPARE(QDir::currentPath(), folder);
    }

    void portVanishesDuringLoad() {
        ToolHarness h;
        fillChannels(h.model, 100);
        FrmChannelSetup f(h.link, h.host);
        f.show();
        h.host.onYield = [&] {
            if (h.port.writes().size() == 3) h.port.setVanished(true);
        };
        QTest::mouseClick(w(f, "cmdLoad"), Qt::LeftButton);
        QCOMPARE(h.panel.info, std::string("cmdLoad_Click: Err 5. Input/output error"));
        QCOMPARE(listed(f), (QStringList{entryOf(0), entryOf(1), entryOf(2)}));
        QVERIFY(!f.loading());
        QVERIFY(w(f, "cmdLoad")->isEnabled());
        QVERIFY(w(f, "pbLoad")->isHidden());
    }

    void aStaleReportDoesNotCount() {
        ToolHarness h;
        fillChannels(h.model, 0);  // every slot silent
        h.state.gChanReport = "P0514074001";
        h.state.gChanReportNew = true;
        FrmChannelSetup f(h.link, h.host);
        f.cmdLoad_Click();
        QCOMPARE(listed(f), QStringList{});
        QCOMPARE(w<QLineEdit>(f, "txtResp")->text(), QString("OK"));
    }

    void store_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("two entries") << QStringList{"0114074001", "0203573503"};
        QTest::newRow("empty list sends nothing") << QStringList{};
        QTest::newRow("one entry") << QStringList{"9929999994"};
    }
    void store() {
        QFETCH(QStringList, entries);
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        f.show();
        std::vector<std::string> list;
        std::string wire;
        for (const QString& e : entries) {
            list.push_back(e.toStdString());
            wire += "P" + e.toStdString() + "\n";
        }
        f.setEntries(list);
        QTest::mouseClick(w(f, "cmdStore"), Qt::LeftButton);
        QCOMPARE(h.port.allWritten(), wire);
        const auto& writes = h.port.writes();
        for (std::size_t i = 1; i < writes.size(); ++i)
            QVERIFY(writes[i].at - writes[i - 1].at >= 0.25);
        for (const QString& e : entries) {
            const auto& ch = h.model.state.channels[static_cast<std::size_t>(e.left(2).toInt())];
            QCOMPARE(q(ch.freq), e.mid(2, 7));
            QCOMPARE(ch.mode, e.mid(9, 1).toInt());
        }
        QCOMPARE(w<QLineEdit>(f, "txtResp")->text(),
                 entries.isEmpty() ? QString("OK") : entries.last());
        QCOMPARE(listed(f), entries);
    }

    void openFile_data() {
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<QString>("dialogAnswer");  // "cancel" or a file name
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("the default file in the working folder")
            << true << "cancel" << QStringList{"0707074002", "0114074001"} << 0;
        QTest::newRow("missing: the dialog picks another")
            << false << "other.txt" << QStringList{"0203573503"} << 1;
        QTest::newRow("missing: the dialog is cancelled")
            << false << "cancel" << QStringList{"kept"} << 1;
        QTest::newRow("missing: the dialog names a missing file")
            << false << "gone.txt" << QStringList{"kept"} << 1;
    }
    void openFile() {
        QFETCH(bool, fileThere);
        QFETCH(QString, dialogAnswer);
        QFETCH(QStringList, entries);
        QFETCH(int, dialogs);
        ToolHarness h;
        if (fileThere)
            h.writeFile("Channel List.txt", "7 7074.00 LSB\r\n12,1500.00,AM\r\n1,14074.00,USB\r\n");
        h.writeFile("other.txt", "02,03573.50,AM\r\n");
        if (dialogAnswer != "cancel")
            h.host.fileAnswers.push_back(QDir::current().filePath(dialogAnswer).toStdString());
        FrmChannelSetup f(h.link, h.host);
        f.show();
        f.setEntries({"kept"});
        QTest::mouseClick(w(f, "cmdOpenFile"), Qt::LeftButton);
        QCOMPARE(listed(f), entries);
        QCOMPARE(static_cast<int>(h.host.openRequests.size()), dialogs);
        if (dialogs > 0) {
            const FileDialogRequest& r = h.host.openRequests[0];
            QCOMPARE(r.title, std::string("Select a source file "));
            QCOMPARE(r.filter, std::string("Text files|*.txt"));
            QCOMPARE(r.filterIndex, 1);
            QCOMPARE(r.defaultExtension, std::string("txt"));
        }
        QCOMPARE(w<QLineEdit>(f, "txtFilename")->text(),
                 dialogAnswer == "cancel" ? QString("Channel List.txt")
                                          : QDir::current().filePath(dialogAnswer));
        QCOMPARE(h.port.allWritten(), std::string());
        QCOMPARE(h.panel.info, std::string());
    }

    void findFile() {
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        f.show();
        h.host.fileAnswers.push_back(std::string("/somewhere/list.txt"));
        QTest::mouseClick(w(f, "cmdBrowse"), Qt::LeftButton);
        QCOMPARE(w<QLineEdit>(f, "txtFilename")->text(), QString("/somewhere/list.txt"));
        QTest::mouseClick(w(f, "cmdBrowse"), Qt::LeftButton);  // cancelled
        QCOMPARE(w<QLineEdit>(f, "txtFilename")->text(), QString("/somewhere/list.txt"));
        QCOMPARE(h.host.openRequests.size(), std::size_t{2});
        QCOMPARE(h.panel.info, std::string());
    }

    void saveFile() {
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        f.show();
        f.setEntries({"0114074001", "0203573503", "0307074009"});
        const std::string path = QDir::current().filePath("saved.txt").toStdString();
        h.host.fileAnswers.push_back(path);
        QTest::mouseClick(w(f, "cmdSaveFile"), Qt::LeftButton);
        QCOMPARE(h.readFile("saved.txt"),
                 QByteArray("01,14074.00,USB\r\n02,03573.50,AM\r\n03,07074.00,\r\n"));
        QCOMPARE(w<QLineEdit>(f, "txtSaveFilename")->text(), q(path));
        QCOMPARE(h.panel.info, "Saved to " + path);
        const FileDialogRequest& r = h.host.saveRequests.at(0);
        QCOMPARE(r.title, std::string("Select the Destination File."));
        QCOMPARE(r.filter, std::string("All Files|*.*|Text Files|*.txt|"));
        QCOMPARE(r.filterIndex, 2);
        QCOMPARE(r.defaultExtension, std::string("txt"));
        QCOMPARE(r.initialName, std::string("Channel List.txt"));
        // Open File reads back what was saved (the entry without a mode name is dropped).
        w<QLineEdit>(f, "txtFilename")->setText(q(path));
        QTest::mouseClick(w(f, "cmdOpenFile"), Qt::LeftButton);
        QCOMPARE(listed(f), (QStringList{"0114074001", "0203573503"}));
    }

    void saveCancelled() {
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        f.show();
        f.setEntries({"0114074001"});
        h.panel.info = "before";
        QTest::mouseClick(w(f, "cmdSaveFile"), Qt::LeftButton);
        QCOMPARE(h.host.saveRequests.size(), std::size_t{1});
        QCOMPARE(h.panel.info, std::string("before"));
        QVERIFY(!h.panel.infoVisible);
        QCOMPARE(w<QLineEdit>(f, "txtSaveFilename")->text(), QString());
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    void saveFails() {
        ToolHarness h;
        FrmChannelSetup f(h.link, h.host);
        f.show();
        f.setEntries({"0114074001"});
        const std::string path = QDir::current().filePath("no/such/folder.txt").toStdString();
        h.host.fileAnswers.push_back(path);
        QTest::mouseClick(w(f, "cmdSaveFile"), Qt::LeftButton);
        // The message names the file being written.
        QCOMPARE(h.panel.info, path + ": Err 2. No such file or directory");
        QVERIFY(h.panel.infoVisible);
    }

    void okGoesBackToTheWorkingFolder() {
        ToolHarness h;
        const QString folder = QDir::currentPath();
        FrmChannelSetup f(h.link, h.host);
        f.show();
        QDir::setCurrent(QDir::tempPath());
        QTest::mouseClick(w(f, "cmdOK"), Qt::LeftButton);
        QCOMPARE(QDir::currentPath(), folder);
        QVERIFY(f.isHidden());
        QVERIFY(h.host.mainEnabled);
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(ChannelSetupTest)
#include "test_window_tools_channels.moc"
