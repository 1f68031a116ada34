// The radio model's channel slots as the Channel Setup window meets them:
// an empty slot does not answer a read, a store fills it; a radio under
// local control answers reads and ignores stores.
#include <QtTest>

#include "radio_model.h"

using namespace tolvane;

namespace {

// Sends `bytes` at `t` and returns everything answered within half a second.
std::string ask(RadioModel& radio, std::string_view bytes, double& t) {
    radio.received(bytes, t);
    std::vector<std::pair<double, char>> out;
    radio.produce(t + 0.5, out);
    t += 0.5;
    std::string s;
    for (const auto& timed : out) s.push_back(timed.second);
    return s;
}

}  // namespace

class TestSimChannels : public QObject {
    Q_OBJECT

  private slots:
    void emptySlot_data() {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<QString>("afterStore");
        QTest::newRow("remote: a store fills the slot") << true << "P4214074001\n";
        QTest::newRow("local: the store is ignored") << false << "";
    }
    void emptySlot() {
        QFETCH(bool, remote);
        QFETCH(QString, afterStore);
        RadioModel radio(Firmware::Adapt);
        radio.state.remote = remote;
        radio.state.channels[42].empty = true;
        double t = 0.0;
        QCOMPARE(ask(radio, "L42\n", t), std::string());
        QCOMPARE(ask(radio, "L41\n", t), std::string("P4107000001\n"));
        QCOMPARE(ask(radio, "P4214074001\n", t), std::string());
        QCOMPARE(QString::fromStdString(ask(radio, "L42\n", t)), afterStore);
        QCOMPARE(radio.state.channels[42].empty, !remote);
        QCOMPARE(radio.commandsSeen(),
                 (std::vector<std::string>{"L42", "L41", "P4214074001", "L42"}));
    }

    void readTimingOfAnswer() {
        // The answer starts after the model's answer delay, one character
        // time apart: well inside the 0.25 s pause of a channel read.
        RadioModel radio(Firmware::V601);
        radio.received("L05\n", 1.0);
        std::vector<std::pair<double, char>> out;
        radio.produce(2.0, out);
        QCOMPARE(out.size(), std::size_t{12});
        QVERIFY(out.front().first >= 1.0 + radio.answerDelay);
        QVERIFY(out.back().first < 1.25);
    }
};

QTEST_APPLESS_MAIN(TestSimChannels)
#include "test_sim_channels.moc"
