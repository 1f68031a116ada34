// The PTT-enable interlock decision: one toggle per change of the permission
// or of the radio's report, one warning when the radio does not follow.
#include <QtTest>

#include "radio/ptt_interlock.h"

using namespace tolvane;

Q_DECLARE_METATYPE(tolvane::PttInterlockMemory)

namespace {

PttInterlockMemory sent(bool allowed, const char* report, int passes = 0, bool warned = false) {
    PttInterlockMemory m;
    m.outstanding = true;
    m.allowed = allowed;
    m.report = report;
    m.passes = passes;
    m.warned = warned;
    return m;
}

// One band check per entry of `reports`, the permission fixed; returns the
// decisions as "T" (toggle), "W" (warning), "-" (nothing).
QString run(bool allowed, const QStringList& reports, PttInterlockMemory& m) {
    QString out;
    for (const QString& r : reports) {
        PttInterlockDecision d = decidePttInterlock(allowed, r.toStdString(), m);
        m = d.memory;
        out += d.toggle ? (d.warning.empty() ? "T" : "?") : (d.warning.empty() ? "-" : "W");
    }
    return out;
}

}  // namespace

class TestRadioInterlock : public QObject {
    Q_OBJECT
  private slots:
    void decide_data();
    void decide();
    void sequences_data();
    void sequences();
    void permissionChangeTogglesAgain();
};

void TestRadioInterlock::decide_data() {
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("report");
    QTest::addColumn<PttInterlockMemory>("memory");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<PttInterlockMemory>("after");
    const PttInterlockMemory none;
    const QString off = "Radio did not switch PTT enable off";
    const QString on = "Radio did not switch PTT enable on";
    QTest::newRow("allowed, enabled") << true << "'1" << none << false << "" << none;
    QTest::newRow("refused, disabled") << false << "'0" << none << false << "" << none;
    QTest::newRow("allowed, disabled: toggle on")
        << true << "'0" << none << true << "" << sent(true, "'0");
    QTest::newRow("refused, enabled: toggle off")
        << false << "'1" << none << true << "" << sent(false, "'1");
    QTest::newRow("unknown report") << false << "  " << none << false << "" << none;
    QTest::newRow("odd report") << true << "'7" << none << false << "" << none;
    QTest::newRow("unknown report forgets")
        << false << "  " << sent(false, "'1", 2, true) << false << "" << none;
    QTest::newRow("first pass without following")
        << false << "'1" << sent(false, "'1") << false << "" << sent(false, "'1", 1);
    QTest::newRow("second pass: warn off")
        << false << "'1" << sent(false, "'1", 1) << false << off << sent(false, "'1", 2, true);
    QTest::newRow("second pass: warn on")
        << true << "'0" << sent(true, "'0", 1) << false << on << sent(true, "'0", 2, true);
    QTest::newRow("warned: quiet")
        << false << "'1" << sent(false, "'1", 2, true) << false << "" << sent(false, "'1", 2, true);
    QTest::newRow("followed: settled")
        << false << "'0" << sent(false, "'1", 1) << false << "" << none;
    QTest::newRow("followed after warning")
        << false << "'0" << sent(false, "'1", 2, true) << false << "" << none;
    QTest::newRow("new permission: toggle")
        << true << "'0" << sent(false, "'1", 2, true) << true << "" << sent(true, "'0");
    QTest::newRow("new report: toggle")
        << false << "'1" << sent(false, "'0", 2, true) << true << "" << sent(false, "'1");
}

void TestRadioInterlock::decide() {
    QFETCH(bool, allowed);
    QFETCH(QString, report);
    QFETCH(PttInterlockMemory, memory);
    QFETCH(bool, toggle);
    QFETCH(QString, warning);
    QFETCH(PttInterlockMemory, after);
    PttInterlockDecision d = decidePttInterlock(allowed, report.toStdString(), memory);
    QCOMPARE(d.toggle, toggle);
    QCOMPARE(QString::fromStdString(d.warning), warning);
    QVERIFY(d.memory == after);
}

// Reports seen on successive band checks with the permission fixed.
void TestRadioInterlock::sequences_data() {
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QString>("decisions");
    QTest::newRow("radio follows at once")
        << false << QStringList{"'1", "'0", "'0", "'0"} << "T---";
    QTest::newRow("radio never follows") << false << QStringList(8, "'1") << "T-W-----";
    QTest::newRow("radio never follows, allowed") << true << QStringList(5, "'0") << "T-W--";
    QTest::newRow("follows on the second pass")
        << false << QStringList{"'1", "'1", "'0", "'0"} << "T---";
    QTest::newRow("switched back by hand")
        << false << QStringList{"'1", "'0", "'1", "'0"} << "T-T-";
    QTest::newRow("report changes after warning")
        << false << QStringList{"'1", "'1", "'1", "'1", "'0", "'1", "'1", "'1"} << "T-W--T-W";
    QTest::newRow("blank until the status")
        << true << QStringList{"  ", "  ", "'0", "'1"} << "--T-";
}

void TestRadioInterlock::sequences() {
    QFETCH(bool, allowed);
    QFETCH(QStringList, reports);
    QFETCH(QString, decisions);
    PttInterlockMemory m;
    QCOMPARE(run(allowed, reports, m), decisions);
}

void TestRadioInterlock::permissionChangeTogglesAgain() {
    // A radio under its front panel's control: nothing follows.
    PttInterlockMemory m;
    QCOMPARE(run(false, QStringList(4, "'1"), m), QString("T-W-"));
    // Into the band the report agrees: settled.
    QCOMPARE(run(true, {"'1", "'1"}, m), QString("--"));
    QVERIFY(m == PttInterlockMemory{});
    // Out again: one more toggle, one more warning.
    QCOMPARE(run(false, QStringList(4, "'1"), m), QString("T-W-"));
    // Permission flips while the radio disagrees the other way round.
    QCOMPARE(run(true, QStringList(3, "'0"), m), QString("T-W"));
}

QTEST_GUILESS_MAIN(TestRadioInterlock)
#include "test_radio_interlock.moc"
