// Clocks and the busy wait: the virtual clock's time of day and midnight,
// waits across midnight, waits that end at a port's next scheduled
// character, and the real clock's range.
#include <QTest>
#include <QTime>

#include <cmath>
#include <limits>

#include "platform/clock.h"
#include "platform/posix_serial_port.h"

using namespace tolvane;

class TestPlatformClock : public QObject {
    Q_OBJECT

  private slots:
    void virtualTimeOfDay_data();
    void virtualTimeOfDay();
    void virtualNowStaysInDay();
    void setTimeOfDayKeepsElapsed();
    void delayAcrossMidnight_data();
    void delayAcrossMidnight();
    void delayZeroReturnsAtOnce();
    void midnightCorrection_data();
    void midnightCorrection();
    void idleStopsAtNextEvent();
    void idleIgnoresOtherSources();
    void realClockInDay();
};

static bool near(double a, double b, double tolerance = 1e-6) {
    return std::fabs(a - b) <= tolerance;
}

void TestPlatformClock::virtualTimeOfDay_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("advance");
    QTest::addColumn<double>("now");
    QTest::newRow("ten o'clock") << 36000.0 << 0.0 << 36000.0;
    QTest::newRow("plain advance") << 36000.0 << 1.25 << 36001.25;
    QTest::newRow("midnight wrap") << 86399.9 << 0.2 << 0.1;
    QTest::newRow("exactly midnight") << 86399.5 << 0.5 << 0.0;
    QTest::newRow("more than a day") << 100.0 << 86400.0 + 5.0 << 105.0;
    QTest::newRow("start past a day") << 86400.0 + 10.0 << 0.0 << 10.0;
    QTest::newRow("negative advance ignored") << 500.0 << -3.0 << 500.0;
}

void TestPlatformClock::virtualTimeOfDay() {
    QFETCH(double, start);
    QFETCH(double, advance);
    QFETCH(double, now);
    VirtualClock clock(start);
    clock.advance(advance);
    QVERIFY2(near(clock.now(), now), qPrintable(QString::number(clock.now(), 'f', 9)));
    QVERIFY(clock.now() >= 0.0 && clock.now() < 86400.0);
}

void TestPlatformClock::virtualNowStaysInDay() {
    VirtualClock clock(86399.0);
    for (int i = 0; i < 2000; ++i) {
        clock.advance(0.001 * (i % 7) + 0.0005);
        double t = clock.now();
        QVERIFY(t >= 0.0 && t < 86400.0);
    }
    QVERIFY(clock.now() < 86399.0);  // wrapped
}

void TestPlatformClock::setTimeOfDayKeepsElapsed() {
    VirtualClock clock(1000.0);
    clock.advance(3.0);
    clock.setTimeOfDay(86399.9);
    QVERIFY(near(clock.elapsed(), 3.0));
    QVERIFY(near(clock.now(), 86399.9));
    clock.advance(0.2);
    QVERIFY(near(clock.now(), 0.1));
    QVERIFY(near(clock.elapsed(), 3.2));
}

void TestPlatformClock::delayAcrossMidnight_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("seconds");
    QTest::newRow("midday") << 43200.0 << 0.45;
    QTest::newRow("half second before midnight") << 86399.5 << 1.0;
    QTest::newRow("tenth before midnight") << 86399.9 << 0.3;
    QTest::newRow("just before midnight") << 86399.99 << 2.5;
    QTest::newRow("at midnight") << 0.0 << 0.2;
    QTest::newRow("ends at midnight") << 86399.0 << 1.0;
}

// A wait spanning midnight ends after the requested time, not a day later.
void TestPlatformClock::delayAcrossMidnight() {
    QFETCH(double, start);
    QFETCH(double, seconds);
    VirtualClock clock(start);
    delayOn(clock, seconds);
    QVERIFY2(clock.elapsed() >= seconds - 1e-9, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(clock.elapsed() < seconds + 0.01, qPrintable(QString::number(clock.elapsed())));
}

void TestPlatformClock::delayZeroReturnsAtOnce() {
    VirtualClock clock(86399.9);
    delayOn(clock, 0.0);
    QCOMPARE(clock.elapsed(), 0.0);
    delayOn(clock, -1.0);
    QCOMPARE(clock.elapsed(), 0.0);
}

void TestPlatformClock::midnightCorrection_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("corrected");
    QTest::newRow("same day") << 100.0 << 100.5 << 100.0;
    QTest::newRow("equal") << 86399.9 << 86399.9 << 86399.9;
    QTest::newRow("after midnight") << 86399.9 << 0.1 << 86399.9 - 86400.0;
    // Within single precision the start is not later: no correction.
    QTest::newRow("single precision tie") << 86399.901 << 86399.9005 << 86399.901;
}

void TestPlatformClock::midnightCorrection() {
    QFETCH(double, start);
    QFETCH(double, now);
    QFETCH(double, corrected);
    QCOMPARE(midnightCorrected(start, now), corrected);
}

void TestPlatformClock::idleStopsAtNextEvent() {
    VirtualClock clock(86399.0);
    PosixSerialPort port;  // only its identity matters to the clock
    double nextAt = 5.0;
    clock.addEventSource(&port, [&nextAt]() { return nextAt; });
    clock.idle(10.0, &port);
    QVERIFY(near(clock.elapsed(), 5.0));
    QVERIFY(near(clock.now(), 4.0));  // across midnight
    nextAt = 5.0;                     // already due: time still moves, a little
    clock.idle(10.0, &port);
    QVERIFY(clock.elapsed() > 5.0 && clock.elapsed() < 5.001);
    nextAt = 100.0;  // later than the wait: the full wait passes
    double before = clock.elapsed();
    clock.idle(2.0, &port);
    QVERIFY(near(clock.elapsed(), before + 2.0));
    nextAt = std::numeric_limits<double>::infinity();
    clock.idle(1.0, &port);
    QVERIFY(near(clock.elapsed(), before + 3.0));
    nextAt = before + 3.5;
    clock.idle(3.0);  // without a port to wake on, events do not matter
    QVERIFY(near(clock.elapsed(), before + 6.0));
    clock.removeEventSource(&port);
    nextAt = before + 6.5;
    clock.idle(3.0, &port);
    QVERIFY(near(clock.elapsed(), before + 9.0));
}

void TestPlatformClock::idleIgnoresOtherSources() {
    VirtualClock clock;
    PosixSerialPort radio;
    PosixSerialPort cat;
    clock.addEventSource(&cat, []() { return 0.5; });
    clock.addEventSource(&radio, []() { return 2.0; });
    clock.idle(4.0, &radio);
    QVERIFY(near(clock.elapsed(), 2.0));
    clock.addEventSource(&radio, []() { return 3.0; });  // replaces the first source
    clock.idle(4.0, &radio);
    QVERIFY(near(clock.elapsed(), 3.0));
}

void TestPlatformClock::realClockInDay() {
    RealClock clock;
    for (int i = 0; i < 100; ++i) {
        double t = clock.now();
        QVERIFY(t >= 0.0 && t < 86400.0);
    }
    double local = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    double diff = std::fabs(clock.now() - local);
    QVERIFY2(diff < 5.0 || diff > 86400.0 - 5.0, qPrintable(QString::number(diff)));
    clock.idle(0.0);
    clock.idle(-1.0);
}

QTEST_GUILESS_MAIN(TestPlatformClock)
#include "test_platform_clock.moc"
