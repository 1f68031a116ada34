// The real tolvane and tolvane-sim over a pseudo-terminal, in real time, on
// a virtual X display: XMT (its access key) keys the simulated radio and
// pressed again unkeys it; the panel ended by SIGTERM while XMT holds the
// key leaves the radio unkeyed, also when the signal comes just after TUNE
// keyed. The keys are pressed by xdotool as a person would; the test skips
// itself where Xvfb or xdotool is not installed.
#include <QtTest>
#include <csignal>

#include "xvfb_desktop.h"

class TestE2eTransmit : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (const QString why = XvfbDesktop::missingTools(); !why.isEmpty()) QSKIP(qPrintable(why));
        desk_ = std::make_unique<XvfbDesktop>();
    }
    void cleanup() { desk_.reset(); }
    void xmitKeysAndSigtermUnkeys();
    void sigtermJustAfterTuneKeysUnkeys();

  private:
    bool pressXmit(const QString& window, const char* key = "alt+x");

    std::unique_ptr<XvfbDesktop> desk_;
};

// XMT by its access key (Alt+X), as the operator may press it.
bool TestE2eTransmit::pressXmit(const QString& window, const char* key) {
    return desk_->xdotool({"windowfocus", "--sync", window}) &&
           desk_->xdotool({"key", "--window", window, key});
}

void TestE2eTransmit::xmitKeysAndSigtermUnkeys() {
    QVERIFY2(desk_->startDisplay(), "the virtual X display did not start");
    QVERIFY(desk_->startRadioAndPanel());
    // Under remote control, initialised, in the main loop: the heartbeat
    // runs, on 14.074 MHz (inside the 20 m band).
    QVERIFY2(desk_->waitTrace("panel> U", 20000), qPrintable(desk_->trace()));
    QVERIFY2(desk_->waitTrace("radio> F1407400", 1000), qPrintable(desk_->trace()));
    QString found;
    QVERIFY(
        desk_->xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");

    // XMT: keyed, and the heartbeat keeps it keyed.
    int from = desk_->trace().size();
    QVERIFY(pressXmit(window));
    QVERIFY2(desk_->waitTrace("panel> K", 5000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY2(desk_->waitTrace("radio> K", 3000, from), qPrintable(desk_->trace().mid(from)));
    from = desk_->trace().size();
    QVERIFY2(desk_->waitTrace("radio> K", 4000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY2(!desk_->trace().mid(from).contains("panel> U"), qPrintable(desk_->trace().mid(from)));

    // XMT again: unkeyed.
    from = desk_->trace().size();
    QVERIFY(pressXmit(window));
    QVERIFY2(desk_->waitTrace("panel> U", 5000, from), qPrintable(desk_->trace().mid(from)));
    QVERIFY2(desk_->waitTrace("radio> U", 3000, from), qPrintable(desk_->trace().mid(from)));

    // Keyed once more, then SIGTERM: "U" before "G00", the radio unkeyed.
    from = desk_->trace().size();
    QVERIFY(pressXmit(window));
    QVERIFY2(desk_->waitTrace("radio> K", 5000, from), qPrintable(desk_->trace().mid(from)));
    from = desk_->trace().size();
    ::kill(static_cast<pid_t>(desk_->panel()->processId()), SIGTERM);
    QVERIFY(desk_->panel()->waitForFinished(5000));
    QCOMPARE(desk_->panel()->exitStatus(), QProcess::NormalExit);
    QCOMPARE(desk_->panel()->exitCode(), 0);
    QVERIFY2(desk_->waitTrace("panel> G00", 3000, from), qPrintable(desk_->trace().mid(from)));
    // The radio's answer to the unkey comes after the panel has gone.
    QVERIFY2(desk_->waitTrace("radio> U", 3000, from), qPrintable(desk_->trace().mid(from)));
    const QString after = desk_->trace().mid(from);
    const int unkey = after.indexOf("panel> U");
    QVERIFY2(unkey >= 0 && unkey < after.indexOf("panel> G00"),
             qPrintable(desk_->trace().mid(std::max(0, from - 600))));
    QVERIFY2(after.lastIndexOf("radio> U") > after.lastIndexOf("radio> K"), qPrintable(after));
}

// TUNE (Alt+U) keys, and SIGTERM arrives while the key's send still pauses
// (the program serves a termination inside its waits): still "U" first.
void TestE2eTransmit::sigtermJustAfterTuneKeysUnkeys() {
    QVERIFY2(desk_->startDisplay(), "the virtual X display did not start");
    QVERIFY(desk_->startRadioAndPanel());
    QVERIFY2(desk_->waitTrace("panel> U", 20000), qPrintable(desk_->trace()));
    QString found;
    QVERIFY(
        desk_->xdotool({"search", "--sync", "--onlyvisible", "--name", "Tolvane"}, &found, 10000));
    const QString window = found.section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "the panel's window was not found");
    int from = desk_->trace().size();
    QVERIFY(pressXmit(window, "alt+u"));
    QVERIFY2(desk_->waitTrace("radio> K", 5000, from), qPrintable(desk_->trace().mid(from)));
    from = desk_->trace().size();
    ::kill(static_cast<pid_t>(desk_->panel()->processId()), SIGTERM);
    QVERIFY(desk_->panel()->waitForFinished(5000));
    QCOMPARE(desk_->panel()->exitCode(), 0);
    QVERIFY2(desk_->waitTrace("panel> G00", 3000, from), qPrintable(desk_->trace().mid(from)));
    // The radio's answer to the unkey comes after the panel has gone.
    QVERIFY2(desk_->waitTrace("radio> U", 3000, from), qPrintable(desk_->trace().mid(from)));
    const QString after = desk_->trace().mid(from);
    const int unkey = after.indexOf("panel> U");
    QVERIFY2(unkey >= 0 && unkey < after.indexOf("panel> G00"), qPrintable(after));
    QVERIFY2(after.contains("radio> U"), qPrintable(after));
}

QTEST_MAIN(TestE2eTransmit)
#include "test_e2e_transmit.moc"
