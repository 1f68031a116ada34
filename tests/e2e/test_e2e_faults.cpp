// Faults on the radio line, one at a time, each with its recovery: the real
// panel (its window, main loop, shell, termios port and clock, run in this
// process so that its captions can be read) against tolvane-sim over a
// pseudo-terminal, in real time. What the panel sends after a recovery is
// read from the simulator's trace; what it shows from its window.
#include <fcntl.h>
#include <unistd.h>

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "app/controller.h"
#include "app/real_shell.h"
#include "form_access.h"
#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "platform/clock.h"
#include "platform/posix_serial_port.h"

using namespace tolvane;

namespace {

constexpr long kGreen = 65280;
constexpr long kRed = 255;
constexpr long kWhite = 16777215;

// The panel and the simulator in a temporary working folder.
struct Session {
    Session() {
        QDir::setCurrent(dir.path());
        QFile f("PortSetup.txt");
        if (f.open(QIODevice::WriteOnly)) f.write("1\r\n9600,O,7,1\r\ncomNone\r\n0\r\n");
    }
    ~Session() {
        c.reset();
        shell.reset();
        form.reset();
        radio.reset();
        cat.reset();
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(3000);
        }
        QDir::setCurrent(QDir::tempPath());
    }

    bool startSim() {
        sim.setProgram(qEnvironmentVariable("TOLVANE_BUILD_DIR") + "/tolvane-sim");
        sim.setArguments({"--folder", dir.path(), "--port", "1", "--firmware", "v601", "--trace"});
        sim.setProcessChannelMode(QProcess::MergedChannels);
        const int from = trace.size();
        sim.start();
        if (!sim.waitForStarted(3000)) return false;
        // The banner names the device: "tolvane-sim: v601 radio on /dev/pts/N linked as ...".
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && !trace.mid(from).contains(" linked as ")) {
            sim.waitForReadyRead(50);
            pump();
        }
        const QString banner = trace.mid(from);
        const qsizetype on = banner.indexOf(" on "), linked = banner.indexOf(" linked as ");
        if (on < 0 || linked < on) return false;
        device = banner.mid(on + 4, linked - on - 4);
        return true;
    }

    void startPanel() {
        radio = std::make_unique<PosixSerialPort>(".");
        cat = std::make_unique<PosixSerialPort>(".");
        form = std::make_unique<FrmTolvane>();
        shell = std::make_unique<RealShell>(form.get(), *radio, *cat);
        c = std::make_unique<Controller>(*form, *shell, clock, *radio, *cat);
    }

    void pump() { trace += QString::fromLatin1(sim.readAll()); }

    // Runs the panel until `until` holds or `seconds` have passed.
    bool runUntil(const std::function<bool()>& until, double seconds) {
        QElapsedTimer t;
        t.start();
        c->runUntil(
            [&] {
                pump();
                return until() || t.elapsed() > seconds * 1000.0;
            },
            INT_MAX);
        return until();
    }
    void runFor(double seconds) {
        runUntil([] { return false; }, seconds);
    }
    // Trace position after `needle` from `from` on, or -1.
    qsizetype at(const QString& needle, qsizetype from) const {
        const qsizetype i = trace.indexOf(needle, from);
        return i < 0 ? -1 : i + needle.size();
    }
    bool traceHas(const QString& needle, qsizetype from) const { return at(needle, from) >= 0; }
    // Runs until the trace shows `needle` after `from`; the position after it.
    qsizetype waitTrace(const QString& needle, qsizetype from, double seconds) {
        runUntil([&] { return traceHas(needle, from); }, seconds);
        return at(needle, from);
    }
    // The heartbeat sent and answered after `from`: the position after the answer.
    qsizetype waitHeartbeat(qsizetype from, double seconds) {
        const qsizetype sent = waitTrace("  panel> U\n", from, seconds);
        return sent < 0 ? -1 : waitTrace("  radio> U\n", sent, 5.0);
    }
    // REMOTE initialisations after `from`: each sets the BFO offset, "B100",
    // twice in a row (the radio's answers may come in between).
    int initialisations(qsizetype from) const {
        int n = 0;
        bool previous = false;
        for (const QString& line : trace.mid(from).split('\n')) {
            if (!line.startsWith("  panel> ")) continue;
            const bool bfo = line == "  panel> B100";
            if (bfo && !previous) ++n;
            previous = bfo;
        }
        return n;
    }

    Ui::frmTolvane* ui() { return test::FormAccess::ui(*form); }
    std::string cap(QWidget* w) { return vb::caption(w); }

    QTemporaryDir dir;
    QProcess sim;
    QString trace;
    QString device;
    RealClock clock;
    std::unique_ptr<PosixSerialPort> radio, cat;
    std::unique_ptr<FrmTolvane> form;
    std::unique_ptr<RealShell> shell;
    std::unique_ptr<Controller> c;
};

}  // namespace

class TestE2eFaults : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void cleanupTestCase();
    void silentSpell();
    void babble();
    void faultCode();
    void localAndBack();
    void killAndRestart();

  private:
    std::unique_ptr<Session> s_;
};

// Every case starts from a panel in REMOTE with its heartbeat answered. Each
// case ends so (that is its recovery), so the next one goes on with the same
// panel and simulator; after a failed case both are started afresh.
void TestE2eFaults::init() {
    if (qEnvironmentVariableIsEmpty("TOLVANE_BUILD_DIR")) QSKIP("TOLVANE_BUILD_DIR not set");
    if (s_) {
        QVERIFY2(s_->waitHeartbeat(s_->trace.size(), 5.0) >= 0, qPrintable(s_->trace));
        return;
    }
    s_ = std::make_unique<Session>();
    QVERIFY(s_->startSim());
    s_->startPanel();
    QVERIFY2(s_->waitHeartbeat(0, 20.0) >= 0, qPrintable(s_->trace));
    QCOMPARE(s_->initialisations(0), 1);
    QCOMPARE(s_->cap(s_->ui()->lblREMOTE), std::string("REMOTE"));
    QCOMPARE(s_->cap(s_->ui()->lblFWType), std::string("F/W: v601"));
}

void TestE2eFaults::cleanup() {
    if (QTest::currentTestFailed()) s_.reset();
}

void TestE2eFaults::cleanupTestCase() {
    s_.reset();
}

// Six unanswered heartbeats: the panel says so and queries the radio; once
// the radio talks again the heartbeat resumes without a second initialisation.
void TestE2eFaults::silentSpell() {
    Session& s = *s_;
    s.sim.write("silent\n");
    const qsizetype silent = s.trace.size();
    QVERIFY2(
        s.runUntil([&] { return s.ui()->txtInfo->text() == "No Sync Response: Restarting..."; },
                   20.0),
        qPrintable(s.trace.mid(silent)));
    QCOMPARE(vb::backColour(s.ui()->lblU), kWhite);  // sent, not answered
    const qsizetype query = s.waitTrace("  panel> ?\n", silent, 3.0);
    QVERIFY2(query >= 0, qPrintable(s.trace.mid(silent)));
    // Six heartbeats went unanswered before the radio was queried again.
    const QString spell = s.trace.left(query);
    const qsizetype lastAnswer = spell.lastIndexOf("  radio> U\n");
    QVERIFY(lastAnswer >= 0);
    QCOMPARE(static_cast<int>(spell.mid(lastAnswer).count("  panel> U\n")), 6);

    s.sim.write("talk\n");
    const qsizetype talk = s.trace.size();
    // The status requests are answered, then the heartbeat runs again.
    const qsizetype status = s.waitTrace("  radio> .\n", talk, 5.0);
    QVERIFY2(status >= 0, qPrintable(s.trace.mid(talk)));
    QVERIFY2(s.waitHeartbeat(status, 5.0) >= 0, qPrintable(s.trace.mid(talk)));
    QVERIFY(s.runUntil([&] { return s.c->stage() == Controller::Stage::Pass; }, 2.0));
    s.runFor(2.5);
    const QString after = s.trace.mid(s.trace.indexOf("  panel> U\n", status));
    QVERIFY2(!after.contains("  panel> ?\n"), qPrintable(after));
    QCOMPARE(s.initialisations(talk), 0);
    QCOMPARE(s.cap(s.ui()->lblComStat), std::string("Com OK"));
    QCOMPARE(s.cap(s.ui()->lblREMOTE), std::string("REMOTE"));
    QCOMPARE(vb::backColour(s.ui()->lblU), kGreen);
}

// Junk lines between the reports: nothing the panel shows changes, the
// heartbeat goes on answered and the radio is never queried again.
void TestE2eFaults::babble() {
    Session& s = *s_;
    auto shown = [&] {
        std::string all;
        for (QPushButton* d : s.form->cmdF) all += s.cap(d);
        for (QWidget* w : std::initializer_list<QWidget*>{s.ui()->cmbMode, s.ui()->cmbAGC,
                                                          s.ui()->lblFault, s.ui()->lblREMOTE,
                                                          s.ui()->lblPTTEn, s.ui()->lblFWType})
            all += "|" + s.cap(w);
        return all;
    };
    const std::string before = shown();
    QCOMPARE(before.substr(0, 7), std::string("1407400"));
    const qsizetype from = s.trace.size();
    s.sim.write("babble\n");
    QVERIFY(s.waitTrace("babble on\n", from, 2.0) >= 0);
    const qsizetype on = s.trace.size();
    QVERIFY2(s.waitHeartbeat(on, 5.0) >= 0, qPrintable(s.trace.mid(on)));
    QVERIFY2(s.waitHeartbeat(s.trace.size(), 5.0) >= 0, qPrintable(s.trace.mid(on)));
    s.sim.write("babble\n");
    QVERIFY(s.waitTrace("babble off\n", on, 2.0) >= 0);
    // Junk reached the panel in between, reports with parity marks among it.
    QVERIFY2(s.trace.mid(on).count("  radio> ") > 8, qPrintable(s.trace.mid(on)));
    s.runFor(1.0);
    QVERIFY2(!s.trace.mid(from).contains("  panel> ?\n"), qPrintable(s.trace.mid(from)));
    QCOMPARE(shown(), before);
    QCOMPARE(s.cap(s.ui()->lblComStat), std::string("Com OK"));
    QCOMPARE(vb::backColour(s.ui()->lblU), kGreen);
    // The panel still follows the radio: a frequency tuned at the radio is shown.
    const qsizetype tune = s.trace.size();
    s.sim.write("freq 0707400\n");
    QVERIFY(s.waitTrace("  radio> F0707400\n", tune, 2.0) >= 0);
    QVERIFY(s.runUntil([&] { return shown().substr(0, 7) == "0707400"; }, 3.0));
}

// A fault code is shown while the radio reports it and cleared with it; the
// link is not disturbed.
void TestE2eFaults::faultCode() {
    Session& s = *s_;
    QCOMPARE(s.cap(s.ui()->lblFault), std::string("OK"));
    const qsizetype from = s.trace.size();
    s.sim.write("fault 3\n");
    QVERIFY(s.waitTrace("  radio> Z3\n", from, 2.0) >= 0);
    QVERIFY(s.runUntil([&] { return s.cap(s.ui()->lblFault) == "FAULT"; }, 3.0));
    QCOMPARE(vb::backColour(s.ui()->lblFault), kRed);
    QVERIFY(s.waitHeartbeat(s.trace.size(), 5.0) >= 0);
    s.sim.write("clear\n");
    QVERIFY(s.waitTrace("  radio> Z0\n", from, 2.0) >= 0);
    QVERIFY(s.runUntil([&] { return s.cap(s.ui()->lblFault) == "OK"; }, 3.0));
    QVERIFY(s.waitHeartbeat(s.trace.size(), 5.0) >= 0);
    const QString after = s.trace.mid(from);
    QVERIFY2(!after.contains("  panel> ?\n"), qPrintable(after));
    QCOMPARE(s.initialisations(from), 0);
}

// The radio taken to front-panel control: the panel only monitors it (no
// heartbeat, transmit controls off); back under remote control it takes
// charge again with a full initialisation.
void TestE2eFaults::localAndBack() {
    Session& s = *s_;
    const qsizetype from = s.trace.size();
    s.sim.write("local\n");
    QVERIFY(s.runUntil([&] { return s.cap(s.ui()->lblFWType) == "F/W: v601C"; }, 5.0));
    QCOMPARE(s.cap(s.ui()->lblREMOTE), std::string("LOCAL"));
    QVERIFY(!s.ui()->cmdXmit->isEnabled());
    QVERIFY(!s.ui()->lblU->isVisible());
    // The trace of the status that completed the LOCAL initialisation may
    // still be on its way here.
    s.runFor(0.5);
    const qsizetype local = s.at("  radio> .\n", s.trace.lastIndexOf("  panel> ?\n"));
    QVERIFY2(local > from, qPrintable(s.trace.mid(from)));
    s.runFor(4.5);  // two heartbeat periods
    QVERIFY2(!s.trace.mid(local).contains("  panel> "), qPrintable(s.trace.mid(local)));
    QVERIFY(s.traceHas("  panel> ?\n", from));  // the LOCAL initialisation's status request

    const qsizetype remote = s.trace.size();
    s.sim.write("remote\n");
    QVERIFY2(s.waitHeartbeat(remote, 15.0) >= 0, qPrintable(s.trace.mid(remote)));
    QCOMPARE(s.initialisations(remote), 1);
    QVERIFY(s.runUntil([&] { return s.cap(s.ui()->lblREMOTE) == "REMOTE"; }, 2.0));
    QCOMPARE(s.cap(s.ui()->lblFWType), std::string("F/W: v601"));
    QVERIFY(s.ui()->cmdXmit->isEnabled());
    QVERIFY(s.runUntil([&] { return vb::backColour(s.ui()->lblU) == kGreen; }, 3.0));
}

// The simulator killed: the panel says the port is lost and lets go of it;
// started again on the same device, the new radio is queried and
// initialised and the heartbeat runs.
void TestE2eFaults::killAndRestart() {
    Session& s = *s_;
    const QString device = s.device;
    s.sim.kill();
    QVERIFY(s.sim.waitForFinished(3000));
    QVERIFY(s.runUntil([&] { return s.cap(s.ui()->lblComStat) == "No Com"; }, 5.0));
    QCOMPARE(s.ui()->txtInfo->text(), QString("Radio port lost: waiting for it to come back..."));
    QVERIFY(!s.radio->isOpen());
    // The kernel hands out the lowest free pseudo-terminal number; other
    // programs may have freed lower ones meanwhile. Holding those makes it
    // hand the simulator its old number back.
    std::vector<int> held;
    for (;;) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString name = QString::fromLatin1(::ptsname(master));
        if (name == device) {
            ::close(master);
            break;
        }
        held.push_back(master);
        if (name.mid(9).toInt() > device.mid(9).toInt()) break;  // taken by someone else
    }
    const bool started = s.startSim();
    for (int fd : held) ::close(fd);
    QVERIFY(started);
    if (s.device != device) {
        QSKIP(qPrintable("the system gave the new simulator " + s.device + ", not " + device +
                         "; the panel reopens only the device it had"));
    }
    const qsizetype from = s.trace.lastIndexOf("tolvane-sim:");
    const qsizetype query = s.waitTrace("  panel> ?\n", from, 5.0);
    QVERIFY2(query >= 0, qPrintable(s.trace.mid(from)));
    QVERIFY2(s.waitHeartbeat(query, 15.0) >= 0, qPrintable(s.trace.mid(from)));
    QCOMPARE(s.initialisations(from), 1);  // a new radio
    QCOMPARE(s.cap(s.ui()->lblComStat), std::string("Com OK"));
    QCOMPARE(s.cap(s.ui()->lblREMOTE), std::string("REMOTE"));
    QVERIFY(!s.ui()->txtInfo->isVisible());
    QVERIFY(s.runUntil([&] { return vb::backColour(s.ui()->lblU) == kGreen; }, 3.0));
}

QTEST_MAIN(TestE2eFaults)
#include "test_e2e_faults.moc"
