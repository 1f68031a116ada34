// Hamlib's own rigctl against the panel's station-software endpoints, in
// real time: rig model 2 (NET rigctl) against the rigctld endpoint hosted
// here with a rig that follows its sets, and rig model 2014 (TS-2000) on a
// pseudo-terminal against the CAT dialect with the TS-2000 compatible
// answers on. Skipped with a message when rigctl is not installed.
#include <QtTest>

#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "cat/cat_dialect.h"
#include "cat/cat_ts2000.h"
#include "cat/rigctl_server.h"
#include "fake_rig.h"

using namespace tolvane;
using namespace tolvane::cat;
using namespace tolvane::test;

namespace {

// Runs rigctl with `args` while the event loop serves the endpoints; its
// standard output, or "<timeout>".
QString runRigctl(const QStringList& args, int timeoutMs = 60000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start("rigctl", args);
    QDeadlineTimer deadline(timeoutMs);
    while (p.state() != QProcess::NotRunning && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
        return "<timeout>";
    }
    return QString::fromLatin1(p.readAllStandardOutput());
}

// Station software's view of a TS-2000: the CAT dialect with the TS-2000
// answers, on the master side of a pseudo-terminal, answering from the
// rig's snapshot as the CAT bridge does and applying sets to it.
class Ts2000Port {
  public:
    explicit Ts2000Port(FakeRig& rig) : rig_(rig) {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) return;
        device_ = QString::fromLatin1(ptsname(fd_));
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { serve(); });
    }
    ~Ts2000Port() {
        notifier_.reset();
        if (fd_ >= 0) ::close(fd_);
    }
    const QString& device() const { return device_; }
    QStringList commands;

  private:
    void serve() {
        char buf[256];
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) return;
        for (const CatAction& a : parseCatInput(input_, std::string_view(buf, size_t(n)), true)) {
            commands << describeAction(a);
            RigSnapshot s = rig_.snapshot();
            RadioState st;
            st.gFreqReport = s.freqReport;
            st.gModeReport = s.modeReport;
            std::optional<std::string> answer = catAnswer(a, st, s.digitalPreset);
            if (!answer) answer = ts2000Answer(a, s);
            if (answer) {
                ssize_t w = ::write(fd_, answer->data(), answer->size());
                Q_UNUSED(w);
            }
            RigRequest r;
            if (a.kind == CatAction::Kind::FreqSet) {
                r.kind = RigRequest::Kind::Frequency, r.freq = a.value;
                rig_.request(r);
            } else if (a.kind == CatAction::Kind::ModeSet) {
                r.kind = RigRequest::Kind::Mode, r.modeCode = a.value;
                rig_.request(r);
            } else if (a.kind == CatAction::Kind::PttSet) {
                r.kind = RigRequest::Kind::Ptt, r.on = a.value == "1";
                rig_.request(r);
            }
        }
    }
    static QString describeAction(const CatAction& a) {
        return QString::number(int(a.kind)) + ":" + QString::fromStdString(a.value);
    }

    FakeRig& rig_;
    int fd_ = -1;
    QString device_;
    CatInputBuffer input_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

class TestE2eRigctl : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void netRigctlAgainstTheEndpoint();
    void netRigctlSeesTheCapabilities();
    void ts2000OverPseudoTerminal();
};

void TestE2eRigctl::init() {
    if (QStandardPaths::findExecutable("rigctl").isEmpty())
        QSKIP(
            "rigctl is not installed (Debian package libhamlib-utils); skipping the "
            "end-to-end check with Hamlib");
}

void TestE2eRigctl::netRigctlAgainstTheEndpoint() {
    FakeRig rig;
    rig.follows = true;
    RigctlServer server(rig);
    QVERIFY(server.listen("127.0.0.1", 0));
    QString address = "127.0.0.1:" + QString::number(server.port());
    // The acceptance list, in one session of rigctl.
    QString out = runRigctl({"-m", "2",    "-r", address, "f",        "F", "7074000", "f", "m",
                             "M",  "LSB",  "0",  "m",     "s",        "X", "LSB",     "0", "S",
                             "1",  "VFOB", "s",  "I",     "7080000",  "i", "T",       "1", "t",
                             "T",  "0",    "t",  "F",     "14074055", "f"});
    QCOMPARE(out, QString("14074000\n"   // f
                          "7074000\n"    // f after F 7074000
                          "USB\n2400\n"  // m
                          "LSB\n2400\n"  // m after M LSB 0
                          "0\nVFOA\n"    // s
                          "1\nVFOB\n"    // s after S 1 VFOB
                          "7080000\n"    // i after I 7080000
                          "1\n"          // t after T 1
                          "0\n"          // t after T 0
                          "14074060\n"   // the odd frequency, on the radio's 10 Hz steps
                          ));
    QCOMPARE(rig.requests, (QStringList{"F A 0707400", "M A M2", "M B M2", "SPLIT 1", "F B 0708000",
                                        "PTT 1", "PTT 0", "F A 1407406"}));
    // Digital-mode programs set their mode this way.
    rig.requests.clear();
    out = runRigctl({"-m", "2", "-r", address, "M", "PKTUSB", "-1", "m", "V", "VFOB", "f"});
    QCOMPARE(out, QString("PKTUSB\n2400\n7080000\n"));
    QCOMPARE(rig.requests.first(), QString("M A M1 PSK"));
    QCOMPARE(server.refusedCount(), std::size_t{0});
}

void TestE2eRigctl::netRigctlSeesTheCapabilities() {
    FakeRig rig;
    RigctlServer server(rig);
    QVERIFY(server.listen("127.0.0.1", 0));
    QString address = "127.0.0.1:" + QString::number(server.port());
    // rigctl -m 2 lists what the endpoint's \dump_state told it.
    QString modes = runRigctl({"-m", "2", "-r", address, "M", "?", "0"}).trimmed();
    QCOMPARE(modes.split(' ', Qt::SkipEmptyParts),
             (QStringList{"AM", "CW", "USB", "LSB", "RTTY", "PKTLSB", "PKTUSB"}));
    QString levels = runRigctl({"-m", "2", "-r", address, "l", "?"}).trimmed();
    QCOMPARE(levels, QString("STRENGTH"));
    QCOMPARE(runRigctl({"-m", "2", "-r", address, "l", "STRENGTH"}), QString("1\n"));
    // A refused keying is said as such.
    rig.status = RigStatus::Rejected;
    QString refused = runRigctl({"-m", "2", "-r", address, "T", "1", "t"});
    QVERIFY2(refused.startsWith("set_ptt: error"), qPrintable(refused));
    QVERIFY(refused.endsWith("\n0\n"));
    QCOMPARE(rig.requests.filter("PTT"), QStringList{"PTT 1"});  // refused: nothing keyed
}

void TestE2eRigctl::ts2000OverPseudoTerminal() {
    FakeRig rig;
    rig.follows = true;
    Ts2000Port port(rig);
    QVERIFY(!port.device().isEmpty());
    QString out =
        runRigctl({"-m", "2014", "-r", port.device(), "-s", "9600", "f", "F", "7074000", "f", "m",
                   "M",  "LSB",  "0",  "m",           "T",  "1",    "t", "T", "0",       "t"});
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines[0], QString("14074000"));
    QCOMPARE(lines[1], QString("7074000"));
    QCOMPARE(lines[2], QString("USB"));  // the Kenwood models add their own passband
    QCOMPARE(lines[4], QString("LSB"));
    QCOMPARE(lines[6], QString("1"));
    QCOMPARE(lines[7], QString("0"));
    QVERIFY(rig.requests.contains("F A 0707400"));
    QVERIFY(rig.requests.contains("M A M2"));
    QCOMPARE(rig.requests.filter("PTT"), (QStringList{"PTT 1", "PTT 0"}));
}

QTEST_GUILESS_MAIN(TestE2eRigctl)
#include "test_e2e_rigctl.moc"
