// The Network Setup dialog and its menu entry, and the TS-2000 check box of
// CAT Setup, in the running panel: what the dialogs show and return, what
// the program saves, and that the endpoint and the CAT bridge follow.
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "cat/cat_bridge.h"
#include "panel_harness.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_network_setup.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

// A port nothing listens on just now.
int freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

void typeLine(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

QByteArray networkFile(const QByteArray& enabled, const QByteArray& address, int port,
                       const QByteArray& hosts) {
    return enabled + "\r\n" + address + "\r\n" + QByteArray::number(port) + "\r\n" + hosts +
           "\r\n"
           "Line 1: Network Rig Control, 1 = on, 0 = off\r\n"
           "Line 2: Listen Address, 127.0.0.1 = this computer only\r\n"
           "Line 3: TCP Port, 4532 = rigctld\r\n"
           "Line 4: Allowed Hosts beyond this computer, comma separated\r\n";
}

// Sends `line` to the endpoint and runs the loop until a line comes back.
QByteArray ask(PanelHarness& h, QTcpSocket& client, const QByteArray& line) {
    client.write(line + "\n");
    client.flush();
    QByteArray reply;
    h.run(
        [&] {
            reply += client.readAll();
            return reply.contains('\n');
        },
        200000);
    return reply;
}

// The Network Setup entry opens the dialog; `fill` plays the operator.
void chooseNetworkSetup(PanelHarness& h, const std::function<void(FrmNetworkSetup&)>& fill) {
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmNetworkSetup*>(&d);
        QVERIFY(dlg != nullptr);
        fill(*dlg);
    };
    h.ui()->mnuNetworkSetup->trigger();
    h.shell.onModal = nullptr;
}

}  // namespace

class TestWindowNetworkSetup : public QObject {
    Q_OBJECT
  private slots:
    void dialogShowsTheSettingsInForce();
    void applyReturns_data();
    void applyReturns();
    void cancelReturnsNothing();
    void menuEntry();
    void menuApplySavesAndListens();
    void menuCancelChangesNothing();
    void listenFailureOnTheInformationLine();
    void startsFromTheFile();
    void catSetupTs2000Box();
    void ts2000AnswersFromTheFile_data();
    void ts2000AnswersFromTheFile();
    void catSetupSavesAndLoadsTheTs2000Line();
};

void TestWindowNetworkSetup::dialogShowsTheSettingsInForce() {
    FrmNetworkSetup d(NetworkSettings{true, "0.0.0.0", 4600, {"192.168.1.0/24", "10.0.0.7"}});
    QCOMPARE(d.windowTitle(), QString("Network Setup"));
    QVERIFY(d.chkEnable->isChecked());
    QCOMPARE(d.txtAddress->text(), QString("0.0.0.0"));
    QCOMPARE(d.txtPort->text(), QString("4600"));
    QCOMPARE(d.txtAllowedHosts->text(), QString("192.168.1.0/24,10.0.0.7"));
    QCOMPARE(d.cmdApply->text(), QString("Apply"));
    QCOMPARE(d.cmdCancel->text(), QString("Cancel"));
    FrmNetworkSetup off(NetworkSettings{});
    QVERIFY(!off.chkEnable->isChecked());
    QCOMPARE(off.txtAddress->text(), QString("127.0.0.1"));
    QCOMPARE(off.txtPort->text(), QString("4532"));
    QCOMPARE(off.txtAllowedHosts->text(), QString());
}

void TestWindowNetworkSetup::applyReturns_data() {
    QTest::addColumn<bool>("enable");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("result");  // hosts joined with "|", or the problem
    QTest::newRow("loopback") << true << "127.0.0.1"
                              << "4532"
                              << "" << true << "";
    QTest::newRow("all addresses, two hosts")
        << true << "0.0.0.0"
        << "4533"
        << "192.168.1.0/24, 10.0.0.7" << true << "192.168.1.0/24|10.0.0.7";
    QTest::newRow("blanks and empty entries") << false << " ::1 "
                                              << " 65535 "
                                              << " , 10.0.0.7 ,," << true << "10.0.0.7";
    QTest::newRow("localhost") << true << "localhost"
                               << "1"
                               << "" << true << "";
    QTest::newRow("not an address") << true << "radio.local"
                                    << "4532"
                                    << "" << false << "Not an address: \"radio.local\"";
    QTest::newRow("empty address") << true << ""
                                   << "4532"
                                   << "" << false << "Not an address: \"\"";
    QTest::newRow("port 0") << true << "127.0.0.1"
                            << "0"
                            << "" << false << "The port is a number from 1 to 65535";
    QTest::newRow("port 65536") << true << "127.0.0.1"
                                << "65536"
                                << "" << false << "The port is a number from 1 to 65535";
    QTest::newRow("port text") << true << "127.0.0.1"
                               << "45x2"
                               << "" << false << "The port is a number from 1 to 65535";
    QTest::newRow("bad host") << true << "0.0.0.0"
                              << "4532"
                              << "10.0.0.7, everyone" << false
                              << "Not an address or subnet: \"everyone\"";
}

void TestWindowNetworkSetup::applyReturns() {
    QFETCH(bool, enable);
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, hosts);
    QFETCH(bool, taken);
    QFETCH(QString, result);
    FrmNetworkSetup d(NetworkSettings{true, "127.0.0.1", 4540, {"10.1.1.1"}});
    showDialog(d);
    if (d.chkEnable->isChecked() != enable) click(d.chkEnable);
    typeLine(d.txtAddress, address);
    typeLine(d.txtPort, port);
    typeLine(d.txtAllowedHosts, hosts);
    click(d.cmdApply);
    QCOMPARE(d.applied().has_value(), taken);
    QCOMPARE(d.isVisible(), !taken);  // a problem keeps the dialog open to mend it
    if (!taken) {
        QCOMPARE(d.lblProblem->text(), result);
        return;
    }
    QCOMPARE(d.lblProblem->text(), QString());
    QCOMPARE(d.applied()->enabled, enable);
    QCOMPARE(QString::fromStdString(d.applied()->address), address.trimmed());
    QCOMPARE(d.applied()->port, port.trimmed().toInt());
    QCOMPARE(qsl(d.applied()->allowedHosts).join('|'), result);
}

void TestWindowNetworkSetup::cancelReturnsNothing() {
    FrmNetworkSetup d(NetworkSettings{});
    showDialog(d);
    click(d.chkEnable);
    typeLine(d.txtPort, "4600");
    click(d.cmdCancel);
    QVERIFY(!d.applied());
    QVERIFY(!d.isVisible());
}

void TestWindowNetworkSetup::menuEntry() {
    PanelHarness h;
    QAction* entry = h.ui()->mnuNetworkSetup;
    QCOMPARE(entry->text(), QString("Network Setup"));
    QVERIFY(entry->isEnabled());
    QList<QAction*> setup = h.ui()->mnuSetup->actions();
    QCOMPARE(setup.indexOf(entry), setup.indexOf(h.ui()->mnuCATSetup) + 1);
}

void TestWindowNetworkSetup::menuApplySavesAndListens() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->network().port, 0);
    const int port = freePort();
    QVERIFY(port > 0);
    chooseNetworkSetup(h, [&](FrmNetworkSetup& d) {
        QVERIFY(!d.chkEnable->isChecked());  // off until the operator turns it on
        d.chkEnable->setChecked(true);
        d.txtPort->setText(QString::number(port));
        d.cmdApply->click();
    });
    QCOMPARE(readBytes(kNetworkSetupFileName), networkFile("1", "127.0.0.1", port, ""));
    QCOMPARE(h.c->network().port, port);
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(port));
    QVERIFY(client.waitForConnected(2000));
    QCOMPARE(ask(h, client, "f"), QByteArray("14074000\n"));

    // Turned off again: saved, and the endpoint no longer listens.
    chooseNetworkSetup(h, [&](FrmNetworkSetup& d) {
        QVERIFY(d.chkEnable->isChecked());
        QCOMPARE(d.txtPort->text(), QString::number(port));
        d.chkEnable->setChecked(false);
        d.cmdApply->click();
    });
    QCOMPARE(readBytes(kNetworkSetupFileName), networkFile("0", "127.0.0.1", port, ""));
    QCOMPARE(h.c->network().port, 0);
    QTcpSocket late;
    late.connectToHost("127.0.0.1", static_cast<quint16>(port));
    QVERIFY(!late.waitForConnected(500));
}

void TestWindowNetworkSetup::menuCancelChangesNothing() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    chooseNetworkSetup(h, [](FrmNetworkSetup& d) {
        d.chkEnable->setChecked(true);
        d.cmdCancel->click();
    });
    QVERIFY(!QFile::exists(kNetworkSetupFileName));
    QCOMPARE(h.c->network().port, 0);
    QCOMPARE(h.shell.modals, 1);
}

void TestWindowNetworkSetup::listenFailureOnTheInformationLine() {
    PanelHarness h(Firmware::V601, true);
    QVERIFY(h.runPasses(3));
    QTcpServer holder;  // another program holds the port
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    const int port = holder.serverPort();
    chooseNetworkSetup(h, [&](FrmNetworkSetup& d) {
        d.chkEnable->setChecked(true);
        d.txtPort->setText(QString::number(port));
        d.cmdApply->click();
    });
    QCOMPARE(h.c->network().port, 0);
    const std::string expected = "Network rig control on 127.0.0.1:" + std::to_string(port) + ": ";
    std::string info = h.cap(h.ui()->txtInfo);
    QVERIFY2(info.rfind(expected, 0) == 0 && info.size() > expected.size(), info.c_str());
    // The settings are kept all the same, for a later start.
    QCOMPARE(readBytes(kNetworkSetupFileName), networkFile("1", "127.0.0.1", port, ""));
}

void TestWindowNetworkSetup::startsFromTheFile() {
    const int port = freePort();
    QVERIFY(port > 0);
    PanelHarness h(Firmware::V601, true);
    writeLines(kNetworkSetupFileName, {"1", "127.0.0.1", std::to_string(port), ""});
    QVERIFY(h.runPasses(3));
    QCOMPARE(h.c->network().port, port);
    QCOMPARE(h.c->network().settings.port, port);
}

// CAT Setup's check box turns the TS-2000 answers on and off; the bridge
// follows on Apply.
void TestWindowNetworkSetup::catSetupTs2000Box() {
    PanelHarness h(Firmware::V601, true);
    writeLines("CATSetup.txt", {"2", "9600,N,8,1", "comNone", "Kenwood"});
    h.available = [](int n) { return n == 1 || n == 2; };
    QVERIFY(h.runPasses(3));
    QVERIFY(!h.c->cat().ts2000Answers);
    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QCOMPARE(dlg->ui->chkTs2000->text(), QString("TS-2000 compatible answers"));
        QVERIFY(!dlg->ui->chkTs2000->isChecked());
        dlg->ui->chkTs2000->setChecked(true);
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QVERIFY(h.c->cat().ts2000Answers);
    h.runFor(0.3);
    h.cat.takeWritten();
    h.cat.inject("ID;PS;", 0.0, 0.002);
    h.runFor(1.0);
    QCOMPARE(QByteArray::fromStdString(h.cat.takeWritten()), QByteArray("ID019;PS1;"));

    h.shell.onModal = [&](QDialog& d) {
        auto* dlg = qobject_cast<FrmCATSetup*>(&d);
        QVERIFY(dlg != nullptr);
        QVERIFY(dlg->ui->chkTs2000->isChecked());
        dlg->ui->chkTs2000->setChecked(false);
        dlg->ui->cmdApply->click();
    };
    h.ui()->mnuCATSetup->trigger();
    QVERIFY(!h.c->cat().ts2000Answers);
    h.runFor(0.3);
    h.cat.takeWritten();
    h.cat.inject("ID;PS;", 0.0, 0.002);
    h.runFor(1.0);
    QCOMPARE(QByteArray::fromStdString(h.cat.takeWritten()), QByteArray());
}

void TestWindowNetworkSetup::ts2000AnswersFromTheFile_data() {
    QTest::addColumn<QString>("line9");  // "-": no ninth line
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("older file") << "-" << QByteArray();
    QTest::newRow("off") << "0" << QByteArray();
    QTest::newRow("on") << "1" << QByteArray("ID019;AI0;");
    QTest::newRow("on with blanks") << " 1 " << QByteArray("ID019;AI0;");
    QTest::newRow("damaged") << "yes" << QByteArray();
}

void TestWindowNetworkSetup::ts2000AnswersFromTheFile() {
    QFETCH(QString, line9);
    QFETCH(QByteArray, answer);
    PanelHarness h(Firmware::V601, true);
    std::vector<std::string> lines{"2",      "9600,N,8,1", "comNone", "Kenwood",
                                   "Line 1", "Line 2",     "Line 3",  "Line 4"};
    if (line9 != "-") lines.push_back(line9.toStdString());
    writeLines("CATSetup.txt", lines);
    h.available = [](int n) { return n == 1 || n == 2; };
    QVERIFY(h.runPasses(3));
    QVERIFY(h.cat.isOpen());
    h.runFor(0.3);
    h.cat.takeWritten();
    h.cat.inject("ID;AI;", 0.0, 0.002);
    h.runFor(1.0);
    QCOMPARE(QByteArray::fromStdString(h.cat.takeWritten()), answer);
}

void TestWindowNetworkSetup::catSetupSavesAndLoadsTheTs2000Line() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const QString path = dir.filePath(kCatSetupFileName);
    auto present = [](int) { return false; };
    {
        FrmCATSetup d({}, CatPortSettings{}, present, {}, {}, folder);
        showDialog(d);
        type(d.ui->cmbSelectPort, "4");
        click(d.ui->chkTs2000);
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(readBytes(path), "4\r\n19200 ,N, 8, 1\r\ncomNone\r\nKenwood\r\n" + kPortComments +
                                      "Line 4: RigType\r\n1\r\n");
        // Off again, the file is the older one byte for byte.
        click(d.ui->chkTs2000);
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(readBytes(path), "4\r\n19200 ,N, 8, 1\r\ncomNone\r\nKenwood\r\n" + kPortComments +
                                      "Line 4: RigType\r\n");
    }
    writeBytes(path, "4\r\n19200 ,N, 8, 1\r\ncomNone\r\nKenwood\r\n" + kPortComments +
                         "Line 4: RigType\r\n1\r\n");
    FrmCATSetup d({}, CatPortSettings{}, present, {}, {}, folder);
    showDialog(d);
    QVERIFY(!d.ui->chkTs2000->isChecked());  // opens on the settings in force
    click(d.ui->cmdLoadPortSettings);
    QVERIFY(d.ui->chkTs2000->isChecked());
    click(d.ui->cmdApply);
    QVERIFY(d.applied().has_value());
    QVERIFY(d.applied()->ts2000Answers);
    QCOMPARE(QString::fromStdString(d.applied()->port), QString("4"));
}

QTEST_MAIN(TestWindowNetworkSetup)
#include "test_window_network_setup.moc"
