// TS-2000 compatible answers of the CAT dialect: ignored while they are
// off, the answers from the panel snapshot when on, TX and RX as keying
// requests, and the bridge handing them to the app.
#include <QtTest>

#include "cat/cat_bridge.h"
#include "cat/cat_ts2000.h"
#include "fake_rig.h"

using namespace tolvane;
using namespace tolvane::cat;
using namespace tolvane::test;

class TestCatTs2000 : public QObject {
    Q_OBJECT
  private slots:
    void parse_data();
    void parse();
    void answers_data();
    void answers();
    void statusLayout();
};

void TestCatTs2000::parse_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("off");  // understood with the answers off
    QTest::addColumn<int>("kind");  // with them on; -1 none
    QTest::addColumn<QString>("value");
    using K = CatAction::Kind;
    QTest::newRow("ID") << "ID" << false << int(K::IdQuery) << "";
    QTest::newRow("IF") << "IF" << false << int(K::StatusQuery) << "";
    QTest::newRow("FB") << "FB" << false << int(K::VfoBQuery) << "";
    QTest::newRow("FR") << "FR" << false << int(K::RxVfoQuery) << "";
    QTest::newRow("FT") << "FT" << false << int(K::TxVfoQuery) << "";
    QTest::newRow("AI") << "AI" << false << int(K::AutoInfoQuery) << "";
    QTest::newRow("PS") << "PS" << false << int(K::PowerQuery) << "";
    QTest::newRow("TX") << "TX" << false << int(K::PttSet) << "1";
    QTest::newRow("TX0") << "TX0" << false << int(K::PttSet) << "1";
    QTest::newRow("TX1") << "TX1" << false << int(K::PttSet) << "1";
    QTest::newRow("TX3") << "TX3" << false << -1 << "";
    QTest::newRow("RX") << "RX" << false << int(K::PttSet) << "0";
    QTest::newRow("RX0") << "RX0" << false << -1 << "";
    QTest::newRow("AI0 set ignored") << "AI0" << false << -1 << "";
    QTest::newRow("FR0 set ignored") << "FR0" << false << -1 << "";
    QTest::newRow("id lower case") << "id" << false << -1 << "";
    QTest::newRow("FA still the dialect") << "FA" << true << int(K::FreqQuery) << "";
    QTest::newRow("MD still the dialect") << "MD1" << true << int(K::ModeSet) << "M2";
}

void TestCatTs2000::parse() {
    QFETCH(QString, command);
    QFETCH(bool, off);
    QFETCH(int, kind);
    QFETCH(QString, value);
    QCOMPARE(parseCatCommand(command.toStdString()).has_value(), off);
    std::optional<CatAction> a = parseCatCommand(command.toStdString(), true);
    QCOMPARE(a ? int(a->kind) : -1, kind);
    if (a) QCOMPARE(QString::fromStdString(a->value), value);
}

void TestCatTs2000::answers_data() {
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("identity") << "ID;"
                              << "usual" << QStringList{"ID019;"};
    QTest::newRow("status") << "IF;"
                            << "usual" << QStringList{"IF00014074000     +000000000020000000;"};
    QTest::newRow("status split keyed lsb")
        << "IF;"
        << "split-keyed" << QStringList{"IF00007050000     +000000000110010000;"};
    QTest::newRow("status psk") << "IF;"
                                << "psk" << QStringList{"IF00014074000     +0000000000A0000000;"};
    QTest::newRow("status no report") << "IF;"
                                      << "no-report" << QStringList{};
    QTest::newRow("VFO B") << "FB;"
                           << "usual" << QStringList{"FB00014080000;"};
    QTest::newRow("VFO B not digits") << "FB;"
                                      << "no-report" << QStringList{};
    QTest::newRow("receive VFO") << "FR;"
                                 << "split-keyed" << QStringList{"FR0;"};
    QTest::newRow("transmit VFO") << "FT;"
                                  << "usual" << QStringList{"FT0;"};
    QTest::newRow("transmit VFO split") << "FT;"
                                        << "split-keyed" << QStringList{"FT1;"};
    QTest::newRow("auto info") << "AI;"
                               << "usual" << QStringList{"AI0;"};
    QTest::newRow("power") << "PS;"
                           << "usual" << QStringList{"PS1;"};
    QTest::newRow("Hamlib opening")
        << "ID;PS;AI;AI0;FB;FA;MD;"
        << "usual" << QStringList{"ID019;", "PS1;", "AI0;", "FB00014080000;"};
}

void TestCatTs2000::answers() {
    QFETCH(QString, received);
    QFETCH(QString, setup);
    QFETCH(QStringList, answers);
    RigSnapshot s = usualSnapshot();
    if (setup == "split-keyed")
        s.split = true, s.keyed = true, s.freqReport = "F0705000", s.modeReport = "M2";
    if (setup == "psk") s.digitalPreset = "PSK";
    if (setup == "no-report") s.freqReport = "        ", s.vfoB = "";
    CatInputBuffer input;
    QStringList got;
    for (const CatAction& a : parseCatInput(input, received.toStdString(), true))
        if (std::optional<std::string> text = ts2000Answer(a, s))
            got << QString::fromStdString(*text);
    QCOMPARE(got, answers);
}

void TestCatTs2000::statusLayout() {
    RigSnapshot s = usualSnapshot();
    std::optional<std::string> st = ts2000Status(s);
    QVERIFY(st);
    QCOMPARE(st->size(), std::size_t{38});
    // Where Hamlib's Kenwood models read: frequency, transmitting, mode, split.
    QCOMPARE(QString::fromStdString(st->substr(2, 11)), QString("00014074000"));
    QCOMPARE(st->at(28), '0');
    QCOMPARE(st->at(29), '2');
    QCOMPARE(st->at(32), '0');
    s.keyed = true;
    s.split = true;
    st = ts2000Status(s);
    QCOMPARE(st->at(28), '1');
    QCOMPARE(st->at(32), '1');
    s.modeReport = "M9";
    QVERIFY(!ts2000Status(s));
}

QTEST_GUILESS_MAIN(TestCatTs2000)
#include "test_cat_ts2000.moc"
