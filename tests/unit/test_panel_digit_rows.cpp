// The arithmetic of the digit rows: steps per position, reading and
// writing a row, VFO A steps with their refusals, VFO B clamps, channel
// steps and the keyboard step sizes.
#include <QtTest>

#include "panel/digit_rows.h"

using namespace tolvane;

class TestPanelDigitRows : public QObject {
    Q_OBJECT
  private slots:
    void freqStep_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<long>("step");
        QTest::newRow("10 MHz") << 0 << 1000000L;
        QTest::newRow("1 MHz") << 1 << 100000L;
        QTest::newRow("100 kHz") << 2 << 10000L;
        QTest::newRow("10 kHz") << 3 << 1000L;
        QTest::newRow("1 kHz") << 4 << 100L;
        QTest::newRow("100 Hz") << 5 << 10L;
        QTest::newRow("10 Hz") << 6 << 1L;
        QTest::newRow("below the row") << -1 << 0L;
        QTest::newRow("past the row") << 7 << 0L;
    }
    void freqStep() {
        QFETCH(int, position);
        QFETCH(long, step);
        QCOMPARE(digits::freqStep(position), step);
    }

    void freqValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<long>("value");  // -1: no value
        QTest::newRow("7 MHz") << "0700000" << 700000L;
        QTest::newRow("top") << "2999999" << 2999999L;
        QTest::newRow("zeros") << "0000000" << 0L;
        QTest::newRow("six digits") << "700000" << -1L;
        QTest::newRow("eight digits") << "07000000" << -1L;
        QTest::newRow("a blank") << "07 0000" << -1L;
        QTest::newRow("a sign") << "-700000" << -1L;
        QTest::newRow("empty") << "" << -1L;
    }
    void freqValue() {
        QFETCH(QString, text);
        QFETCH(long, value);
        const std::optional<long> v = digits::freqValue(text.toStdString());
        QCOMPARE(v.has_value(), value >= 0);
        if (v) QCOMPARE(*v, value);
    }

    void freqText_data() {
        QTest::addColumn<long>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("six digits get a zero") << 950000L << "0950000";
        QTest::newRow("seven digits") << 1407400L << "1407400";
        QTest::newRow("bottom") << 160000L << "0160000";
    }
    void freqText() {
        QFETCH(long, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(digits::freqText(value)), text);
    }

    void stepVfoA_data() {
        QTest::addColumn<long>("value");
        QTest::addColumn<long>("step");
        QTest::addColumn<int>("button");
        QTest::addColumn<long>("result");
        QTest::addColumn<bool>("beep");
        QTest::newRow("up") << 709999L << 1L << 1 << 710000L << false;
        QTest::newRow("down") << 1050000L << 100000L << 2 << 950000L << false;
        QTest::newRow("up to the top") << 2999998L << 1L << 1 << 2999999L << false;
        QTest::newRow("up past the top") << 2999999L << 1L << 1 << 2999999L << true;
        QTest::newRow("down to the bottom") << 170000L << 10000L << 2 << 160000L << false;
        QTest::newRow("down past the bottom") << 700000L << 1000000L << 2 << 700000L << true;
        QTest::newRow("middle button") << 1407400L << 1000L << 4 << 1407400L << false;
        QTest::newRow("no button") << 1407400L << 1000L << 0 << 1407400L << false;
        // A value outside the range: up is added (the caller sends nothing
        // while the result is still outside), down is refused.
        QTest::newRow("zeros up") << 0L << 1L << 1 << 1L << false;
        QTest::newRow("zeros down") << 0L << 1L << 2 << 0L << true;
    }
    void stepVfoA() {
        QFETCH(long, value);
        QFETCH(long, step);
        QFETCH(int, button);
        QFETCH(long, result);
        QFETCH(bool, beep);
        const digits::VfoAStep s = digits::stepVfoA(value, step, button);
        QCOMPARE(s.value, result);
        QCOMPARE(s.beep, beep);
    }

    void stepVfoB_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<long>("step");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("result");
        QTest::newRow("up") << "1425000" << 1000L << 1 << "1426000";
        QTest::newRow("down keeps the zero") << "1050000" << 100000L << 2 << "0950000";
        QTest::newRow("stays at the bottom") << "0160000" << 1L << 2 << "0160000";
        QTest::newRow("stays at the top") << "2999999" << 1000000L << 1 << "2999999";
        QTest::newRow("step past the top refused") << "2500000" << 1000000L << 1 << "2500000";
        QTest::newRow("zeros clamped up") << "0000000" << 1L << 1 << "0160001";
        QTest::newRow("zeros clamped down") << "0000000" << 1L << 2 << "0160000";
        QTest::newRow("high clamped down") << "9999999" << 1L << 2 << "2999998";
        QTest::newRow("not a number clamped") << "abc" << 10L << 1 << "0160010";
        QTest::newRow("middle button clamps only") << "3100000" << 10L << 4 << "2999999";
    }
    void stepVfoB() {
        QFETCH(QString, row);
        QFETCH(long, step);
        QFETCH(int, button);
        QFETCH(QString, result);
        QCOMPARE(QString::fromStdString(digits::stepVfoB(row.toStdString(), step, button)), result);
    }

    void channel_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("beep");
        QTest::newRow("units up") << "09" << 1 << 1 << "10" << false;
        QTest::newRow("tens down") << "42" << 0 << 2 << "32" << false;
        QTest::newRow("99 up") << "99" << 1 << 1 << "99" << true;
        QTest::newRow("90 tens up") << "90" << 0 << 1 << "90" << true;
        QTest::newRow("05 tens down") << "05" << 0 << 2 << "05" << true;
        QTest::newRow("10 tens down") << "10" << 0 << 2 << "00" << false;
        QTest::newRow("empty reads 0") << "" << 1 << 1 << "01" << false;
        QTest::newRow("letters read 0") << "x7" << 1 << 2 << "00" << true;
        QTest::newRow("middle button") << "42" << 1 << 4 << "42" << false;
    }
    void channel() {
        QFETCH(QString, row);
        QFETCH(int, index);
        QFETCH(int, button);
        QFETCH(QString, result);
        QFETCH(bool, beep);
        const digits::ChanStep s = digits::stepChannel(digits::chanValue(row.toStdString()),
                                                       digits::chanStep(index), button);
        QCOMPARE(QString::fromStdString(digits::chanText(s.value)), result);
        QCOMPARE(s.beep, beep);
    }

    void chanStep() {
        QCOMPARE(digits::chanStep(0), 10);
        QCOMPARE(digits::chanStep(1), 1);
        QCOMPARE(digits::chanStep(2), 0);
        QCOMPARE(digits::chanStep(-1), 0);
    }

    void keyStepPosition_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");  // -1: none
        QTest::newRow("10Hz") << "10Hz" << 6;
        QTest::newRow("100Hz") << "100Hz" << 5;
        QTest::newRow("1KHz") << "1KHz" << 4;
        QTest::newRow("10KHz") << "10KHz" << 3;
        QTest::newRow("OFF") << "OFF" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("other spelling") << "1kHz" << -1;
    }
    void keyStepPosition() {
        QFETCH(QString, text);
        QFETCH(int, position);
        const std::optional<int> p = digits::keyStepPosition(text.toStdString());
        QCOMPARE(p.value_or(-1), position);
    }
};

QTEST_MAIN(TestPanelDigitRows)
#include "test_panel_digit_rows.moc"
