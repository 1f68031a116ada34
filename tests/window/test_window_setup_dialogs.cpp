// The Port and CAT Setup dialogs, driven by clicks and typing: what they show
// when they open from the live port, what Apply hands to the settings and
// request flags, the exact bytes Save writes, what Load shows, the port lists,
// the device a port number maps to, and the information line text of a failed
// save.
#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include "app/setup_results.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_port_setup.h"
#include "setup/setup_forms.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::test;

class SetupDialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string folder() const { return dir_.path().toStdString(); }
    QString file(const char* name) const { return dir_.filePath(name); }

  private slots:

    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {kPortSetupFileName, kCatSetupFileName, kAudioSetupFileName})
            QFile::remove(file(name));
    }

    // ---------------------------------------------------------------- port lists

    void listAvailablePorts_data() {
        QTest::addColumn<QList<int>>("available");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("found");
        QTest::newRow("none") << QList<int>{} << QStringList{} << "No Ports";
        QTest::newRow("ports 1 and 3") << QList<int>{3, 1} << QStringList{"1", "3"} << "1, 3, ";
        QTest::newRow("one port") << QList<int>{16} << QStringList{"16"} << "16, ";
        QTest::newRow("only 0 and 17, never probed")
            << QList<int>{0, 17} << QStringList{} << "No Ports";
        QList<int> all;
        QStringList allText;
        QString allFound;
        for (int n = 1; n <= 16; ++n) {
            all << n;
            allText << QString::number(n);
            allFound += QString::number(n) + ", ";
        }
        QTest::newRow("all sixteen") << all << allText << allFound;
    }

    void listAvailablePorts() {
        QFETCH(QList<int>, available);
        QFETCH(QStringList, ports);
        QFETCH(QString, found);
        PortListing listing = tolvane::ListAvailablePorts(present(available));
        QCOMPARE(qsl(listing.ports), ports);
        QCOMPARE(qs(listing.found), found);

        // Both dialogs show the same, with the radio and CAT ports closed.
        Settings set;
        bool ext = false;
        FrmPortSetup port({}, radioPortSettings(set, ext), present(available), {}, {}, folder());
        QCOMPARE(items(port.ui->cmbSelectPort), ports);
        QCOMPARE(port.ui->txtFound->text(), found);
        QCOMPARE(port.ui->cmbSelectPort->currentText(), QString());
        FrmCATSetup cat({}, catPortSettings(set), present(available), {}, {}, folder());
        QCOMPARE(items(cat.ui->cmbSelectPort), ports);
        QCOMPARE(cat.ui->txtFound->text(), found);
    }

    void relistingClearsThePortBox() {
        QList<int> available{2};
        Settings set;
        bool ext = false;
        FrmPortSetup d(
            {true, 5, "9600,O,7,1", 0}, radioPortSettings(set, ext),
            [&](int n) { return available.contains(n); }, {}, {}, folder());
        QCOMPARE(items(d.ui->cmbSelectPort), (QStringList{"2", "5"}));
        available = {4, 7};
        d.ListAvailablePorts();
        QCOMPARE(items(d.ui->cmbSelectPort), (QStringList{"4", "7"}));
        QCOMPARE(d.ui->cmbSelectPort->currentText(), QString());
        QCOMPARE(d.ui->txtFound->text(), QString("4, 7, "));
    }

    // ---------------------------------------------------------------- device of a port

    void portDeviceLine_data() {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("line");
        QTest::newRow("port 3") << "3"
                                << "Device: fake3";
        QTest::newRow("two digits") << "12"
                                    << "Device: fake12";
        QTest::newRow("blank before") << " 7"
                                      << "Device: fake7";
        QTest::newRow("empty") << ""
                               << "Device: none";
        QTest::newRow("zero") << "0"
                              << "Device: none";
        QTest::newRow("negative") << "-2"
                                  << "Device: none";
        QTest::newRow("letters") << "COM1"
                                 << "Device: none";
    }

    void portDeviceLine() {
        QFETCH(QString, portText);
        QFETCH(QString, line);
        auto fake = [](int n) { return "fake" + std::to_string(n); };
        QCOMPARE(qs(tolvane::portDeviceLine(portText.toStdString(), fake)), line);
    }

    void portDeviceTargetFollowsTheFolderLinks() {
        QVERIFY(QDir(dir_.path()).mkpath("ports"));
        const QString link = dir_.filePath("ports/COM3");
        QFile::remove(link);
        QCOMPARE(::symlink("/dev/pts/77", link.toLocal8Bit().constData()), 0);
        const QString plain = dir_.filePath("ports/COM4");
        writeBytes(plain, "");
        QCOMPARE(qs(portDeviceTarget(3, folder())), QString("/dev/pts/77"));
        QCOMPARE(qs(portDeviceTarget(4, folder())), plain);
        QCOMPARE(qs(portDeviceTarget(5, folder())), QString("/dev/ttyS4"));
        QCOMPARE(qs(portDeviceTarget(1, folder())), QString("/dev/ttyS0"));
        QCOMPARE(qs(portDeviceTarget(0, folder())), QString());

        // The Port Setup dialog names the device in the port list's tool tips
        // and on the line beside the port box, following what is typed.
        Settings set;
        bool ext = false;
        FrmPortSetup d({true, 3, "9600,O,7,1", 2}, radioPortSettings(set, ext), present({1}), {},
                       {}, folder());
        showDialog(d);
        QCOMPARE(d.ui->cmbSelectPort->itemData(0, Qt::ToolTipRole).toString(), "/dev/ttyS0");
        QCOMPARE(d.ui->cmbSelectPort->itemData(1, Qt::ToolTipRole).toString(), "/dev/pts/77");
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: /dev/pts/77"));
        type(d.ui->cmbSelectPort, "5");
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: /dev/ttyS4"));
        pick(d.ui->cmbSelectPort, "1");
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: /dev/ttyS0"));
        type(d.ui->cmbSelectPort, "");
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: none"));
        QFile::remove(link);
        QFile::remove(plain);
    }

    void catSetupShowsTheDeviceToo() {
        Settings set;
        FrmCATSetup d(
            {true, 2, "4800,N,8,1", 0}, catPortSettings(set), present({6}),
            [](int n) { return "/dev/ttyUSB" + std::to_string(n); }, {}, folder());
        showDialog(d);
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: /dev/ttyUSB2"));
        QCOMPARE(d.ui->cmbSelectPort->itemData(0, Qt::ToolTipRole).toString(), "/dev/ttyUSB6");
        type(d.ui->cmbSelectPort, "9");
        QCOMPARE(d.ui->lblPortDevice->text(), QString("Device: /dev/ttyUSB9"));
    }

    // ---------------------------------------------------------------- Port Setup

    void portSetupControls() {
        Settings set;
        bool ext = false;
        FrmPortSetup d({}, radioPortSettings(set, ext), present({}), {}, {}, folder());
        QCOMPARE(d.windowTitle(), QString("Port Setup"));
        QCOMPARE(items(d.ui->cmbSelectBaudRate),
                 (QStringList{"19200 ", "9600 ", "4800 ", "2400", "600", "300"}));
        QVERIFY(d.ui->cmbSelectPort->isEditable());
        QVERIFY(d.ui->cmbSelectBaudRate->isEditable());
        QCOMPARE(d.ui->fraHandShake->title(), QString("Handshake Mode"));
        QCOMPARE(d.ui->optHandShake_3->text(), QString("RTS  XON"));
        QCOMPARE(d.optHandShake->button(3), d.ui->optHandShake_3);
        QCOMPARE(d.ui->chkExtPTTEna->text(), QString("Enable DSR as External PTT"));
        QCOMPARE(d.ui->lable2->text(), QString("Only Ports 1 through 16 are useable."));
        QCOMPARE(d.ui->txtDefaultSettings->text(),
                 QString(" Default Settings:  7 Data Bits, Odd Parity, 1 Stop Bit"));
        QCOMPARE(d.ui->cmdLoadPortSettings->text(), QString("Load"));
        QCOMPARE(d.ui->cmdSavePortSettings->text(), QString("Save"));
    }

    void portSetupOpensFromTheLivePort_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("extPtt");
        QTest::addColumn<QList<int>>("available");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("option");
        // Port 3 is present but held open by the program, so the probe misses it.
        QTest::newRow("radio open on 3, ports 1 and 3 present")
            << true << 3 << "9600,O,7,1" << 2 << false << QList<int>{1} << QStringList{"1", "3"}
            << "3"
            << "1, "
            << "9600" << 2;
        QTest::newRow("closed port, external PTT on")
            << false << 4 << "4800,O,7,1" << 0 << true << QList<int>{2, 5} << QStringList{"2", "5"}
            << ""
            << "2, 5, "
            << "4800" << 0;
        QTest::newRow("no ports at all")
            << false << 0 << "19200 ,O,7,1" << 1 << false << QList<int>{} << QStringList{} << ""
            << "No Ports"
            << "19200 " << 1;
        QTest::newRow("RTS and XON")
            << true << 12 << "300,O,7,1" << 3 << false << QList<int>{} << QStringList{"12"} << "12"
            << "No Ports"
            << "300" << 3;
        QTest::newRow("handshaking outside the table selects nothing")
            << true << 1 << "2400,O,7,1" << 7 << false << QList<int>{} << QStringList{"1"} << "1"
            << "No Ports"
            << "2400" << -1;
    }

    void portSetupOpensFromTheLivePort() {
        QFETCH(bool, open);
        QFETCH(int, number);
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(bool, extPtt);
        QFETCH(QList<int>, available);
        Settings set;
        bool ext = extPtt;
        FrmPortSetup d({open, number, settings.toStdString(), handshaking},
                       radioPortSettings(set, ext), present(available), {}, {}, folder());
        QTEST(items(d.ui->cmbSelectPort), "ports");
        QTEST(d.ui->cmbSelectPort->currentText(), "port");
        QTEST(d.ui->txtFound->text(), "found");
        QTEST(d.ui->cmbSelectBaudRate->currentText(), "baud");
        QTEST(d.optHandShake->checkedId(), "option");
        QCOMPARE(d.ui->chkExtPTTEna->isChecked(), extPtt);
    }

    void portSetupApply_data() {
        QTest::addColumn<QString>("typedPort");
        QTest::addColumn<QString>("pickedBaud");
        QTest::addColumn<QString>("typedBaud");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("radioSettings");
        QTest::addColumn<QString>("handshake");
        QTest::addColumn<QString>("port");
        QTest::newRow("picked 9600 keeps its blank") << "4"
                                                     << "9600 "
                                                     << "" << 1 << true << "9600 ,O,7,1"
                                                     << "comXonXoff"
                                                     << "4";
        QTest::newRow("typed 9600 has none") << "11"
                                             << ""
                                             << "9600" << 3 << false << "9600,O,7,1"
                                             << "comRTSXonXoff"
                                             << "11";
        QTest::newRow("as opened") << ""
                                   << ""
                                   << "" << -1 << false << "2400,O,7,1"
                                   << "comRTS"
                                   << "3";
    }

    void portSetupApply() {
        QFETCH(QString, typedPort);
        QFETCH(QString, pickedBaud);
        QFETCH(QString, typedBaud);
        QFETCH(int, option);
        QFETCH(bool, tick);
        Settings set;
        set.gRadioHandshake = "comNone";
        Requests req;
        bool ext = false;
        QWidget owner;
        owner.setEnabled(false);
        FrmPortSetup d({true, 3, "2400,O,7,1", 2}, radioPortSettings(set, ext), present({1}), {},
                       {}, folder(), &owner);
        showDialog(d);
        QVERIFY(d.isEnabled());
        if (!typedPort.isEmpty()) type(d.ui->cmbSelectPort, typedPort);
        if (!pickedBaud.isEmpty()) pick(d.ui->cmbSelectBaudRate, pickedBaud);
        if (!typedBaud.isEmpty()) type(d.ui->cmbSelectBaudRate, typedBaud);
        if (option >= 0) click(d.optHandShake->button(option));
        if (tick) click(d.ui->chkExtPTTEna);
        QVERIFY(!req.reqPortReopen);
        click(d.ui->cmdApply);
        takePortSetup(d.applied(), set, req, ext);
        QTEST(qs(set.gRadioSettings), "radioSettings");
        QTEST(qs(set.gRadioHandshake), "handshake");
        QTEST(qs(set.gRadioPort), "port");
        QVERIFY(req.reqPortReopen);
        QCOMPARE(ext, tick);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(owner.isEnabled());
        QVERIFY(!QFile::exists(file(kPortSetupFileName)));  // Apply writes no file
    }

    void portSetupApplyWithoutOptionKeepsTheHandshake() {
        Settings set;
        set.gRadioHandshake = "comRTS";
        Requests req;
        bool ext = true;
        FrmPortSetup d({true, 2, "600,O,7,1", 9}, radioPortSettings(set, ext), present({}), {}, {},
                       folder());
        showDialog(d);
        QCOMPARE(d.optHandShake->checkedId(), -1);
        click(d.ui->cmdApply);
        takePortSetup(d.applied(), set, req, ext);
        QCOMPARE(qs(set.gRadioHandshake), QString("comRTS"));
        QCOMPARE(qs(set.gRadioSettings), QString("600,O,7,1"));
        QVERIFY(ext);  // the box opened ticked from gExtPttEnabled
    }

    void portSetupLeavingWithoutApply_data() {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("Cancel") << false;
        QTest::newRow("title-bar close") << true;
    }

    void portSetupLeavingWithoutApply() {
        QFETCH(bool, titleBar);
        Settings set;
        set.gRadioPort = "2";
        set.gRadioSettings = "9600,O,7,1";
        set.gRadioHandshake = "comNone";
        Requests req;
        bool ext = false;
        QWidget owner;
        owner.setEnabled(false);
        FrmPortSetup d({true, 2, "9600,O,7,1", 0}, radioPortSettings(set, ext), present({5}), {},
                       {}, folder(), &owner);
        showDialog(d);
        type(d.ui->cmbSelectPort, "5");
        pick(d.ui->cmbSelectBaudRate, "300");
        click(d.ui->optHandShake_2);
        click(d.ui->chkExtPTTEna);
        if (titleBar)
            d.close();
        else
            click(d.ui->cmdCancel);
        takePortSetup(d.applied(), set, req, ext);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(owner.isEnabled());
        QCOMPARE(qs(set.gRadioPort), QString("2"));
        QCOMPARE(qs(set.gRadioSettings), QString("9600,O,7,1"));
        QCOMPARE(qs(set.gRadioHandshake), QString("comNone"));
        QVERIFY(!req.reqPortReopen);
        QVERIFY(!ext);
    }

    void portSetupRunsModally() {
        Settings set;
        Requests req;
        bool ext = false;
        QWidget owner;
        FrmPortSetup d({true, 1, "4800,O,7,1", 0}, radioPortSettings(set, ext), present({}), {}, {},
                       folder(), &owner);
        owner.setEnabled(false);  // the opener disables the window after making the dialog
        bool enabledWhileOpen = false;
        QTimer::singleShot(0, &d, [&] {
            enabledWhileOpen = d.isEnabled() && d.ui->cmdApply->isEnabled();
            click(d.ui->optHandShake_2);
            click(d.ui->cmdApply);
            takePortSetup(d.applied(), set, req, ext);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QVERIFY(enabledWhileOpen);
        QVERIFY(owner.isEnabled());
        QCOMPARE(qs(set.gRadioSettings), QString("4800,O,7,1"));
        QCOMPARE(qs(set.gRadioHandshake), QString("comRTS"));
        QCOMPARE(qs(set.gRadioPort), QString("1"));
    }

    void portSetupSaveExactBytes() {
        Settings set;
        Requests req;
        bool ext = true;
        FrmPortSetup d({true, 2, "19200,O,7,1", 0}, radioPortSettings(set, ext), present({}), {},
                       {}, folder());
        showDialog(d);
        pick(d.ui->cmbSelectBaudRate, "9600 ");
        click(d.ui->optHandShake_2);
        click(d.ui->chkExtPTTEna);  // untick
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(readBytes(file(kPortSetupFileName)),
                 "2\r\n9600 ,O,7,1\r\ncomRTS\r\n0\r\n" + kPortComments +
                     "Line 4: External PTT Enable: Enabled =  1 \r\n");
        // Save neither applies nor closes.
        QVERIFY(d.isVisible());
        QVERIFY(!req.reqPortReopen);
        QCOMPARE(qs(set.gRadioSettings), QString());
        QVERIFY(ext);

        type(d.ui->cmbSelectPort, "12");
        type(d.ui->cmbSelectBaudRate, "19200");
        click(d.ui->optHandShake_3);
        click(d.ui->chkExtPTTEna);
        click(d.ui->cmdSavePortSettings);
        QVERIFY(readBytes(file(kPortSetupFileName))
                    .startsWith("12\r\n19200,O,7,1\r\ncomRTSXonXoff\r\n1\r\nLine 1"));
    }

    void portSetupSaveThenLoad() {
        Settings set;
        Requests req;
        bool ext = false;
        {
            FrmPortSetup a({true, 3, "9600,O,7,1", 0}, radioPortSettings(set, ext), present({}), {},
                           {}, folder());
            showDialog(a);
            type(a.ui->cmbSelectPort, "14");
            pick(a.ui->cmbSelectBaudRate, "4800 ");
            click(a.ui->optHandShake_3);
            click(a.ui->chkExtPTTEna);
            click(a.ui->cmdSavePortSettings);
        }
        FrmPortSetup b({true, 1, "300,O,7,1", 1}, radioPortSettings(set, ext), present({}), {}, {},
                       folder());
        showDialog(b);
        click(b.ui->cmdLoadPortSettings);
        QCOMPARE(b.ui->cmbSelectPort->currentText(), QString("14"));
        QCOMPARE(b.ui->cmbSelectBaudRate->currentText(), QString("4800 "));
        QCOMPARE(b.optHandShake->checkedId(), 3);
        QVERIFY(b.ui->chkExtPTTEna->isChecked());
        // Load changes only the dialog.
        QVERIFY(!req.reqPortReopen);
        QVERIFY(!ext);
        QCOMPARE(qs(set.gRadioPort), QString());
        click(b.ui->cmdApply);
        takePortSetup(b.applied(), set, req, ext);
        QCOMPARE(qs(set.gRadioSettings), QString("4800 ,O,7,1"));
        QCOMPARE(qs(set.gRadioPort), QString("14"));
        QVERIFY(ext);
    }

    void portSetupLoad_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("extPtt");
        // The dialog opens on port 3, "9600", "RTS", external PTT off.
        QTest::newRow("three-digit port cut, unknown handshake")
            << true << QByteArray("123\r\n300,O,7,1\r\ncomBogus\r\n1\r\n") << "12"
            << "300" << 0 << true;
        QTest::newRow("LF endings, RTS XON")
            << true << QByteArray("7\n2400,O,7,1\ncomRTSXonXoff\n0\n") << "7"
            << "2400" << 3 << false;
        QTest::newRow("baud with blank, XON")
            << true << QByteArray("5\r\n9600 ,O,7,1\r\ncomXonXoff\r\n1 \r\n") << "5"
            << "9600 " << 1 << true;
        QTest::newRow("line 2 without comma")
            << true << QByteArray("6\r\n600\r\ncomNone\r\n0\r\n") << "6"
            << "600" << 0 << false;
        QTest::newRow("short file keeps the dialog")
            << true << QByteArray("9\r\n300,O,7,1\r\ncomNone\r\n") << "3"
            << "9600" << 2 << false;
        QTest::newRow("empty file keeps the dialog") << true << QByteArray() << "3"
                                                     << "9600" << 2 << false;
        QTest::newRow("missing file keeps the dialog") << false << QByteArray() << "3"
                                                       << "9600" << 2 << false;
    }

    void portSetupLoad() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        if (exists) writeBytes(file(kPortSetupFileName), bytes);
        Settings set;
        bool ext = false;
        FrmPortSetup d({true, 3, "9600,O,7,1", 2}, radioPortSettings(set, ext), present({}), {}, {},
                       folder());
        showDialog(d);
        click(d.ui->cmdLoadPortSettings);
        QTEST(d.ui->cmbSelectPort->currentText(), "port");
        QTEST(d.ui->cmbSelectBaudRate->currentText(), "baud");
        QTEST(d.optHandShake->checkedId(), "option");
        QTEST(d.ui->chkExtPTTEna->isChecked(), "extPtt");
        QCOMPARE(items(d.ui->cmbSelectPort), QStringList{"3"});  // Load adds no port
        QVERIFY(d.isVisible());
    }

    void portSetupSaveFailureIsReported() {
        Settings set;
        Requests req;
        bool ext = false;
        QStringList info;
        FrmPortSetup d(
            {true, 3, "9600,O,7,1", 2}, radioPortSettings(set, ext), present({}), {},
            [&](const std::string& m) { info << qs(m); }, folder() + "/missing");
        showDialog(d);
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(info, QStringList{"PortSetup.txt: " + kNoFolderError});
        QVERIFY(d.isVisible());
        QVERIFY(!req.reqPortReopen);
    }

    // ---------------------------------------------------------------- CAT Setup

    void catSetupControls() {
        Settings set;
        FrmCATSetup d({}, catPortSettings(set), present({}), {}, {}, folder());
        QCOMPARE(d.windowTitle(), QString("CAT Setup"));
        QCOMPARE(items(d.ui->cmbSelectBaudRate),
                 (QStringList{"19200 ", "9600 ", "4800 ", "2400", "600", "300"}));
        QCOMPARE(items(d.ui->cmbBits), (QStringList{"N, 8, 1", "O, 7, 1", "E, 7, 1"}));
        QCOMPARE(items(d.ui->cmbRigType), (QStringList{"Kenwood", "Elecraft", "FT-450"}));
        QCOMPARE(d.ui->lblAvailablePorts->text(), QString("Available Ports Found"));
        QCOMPARE(d.ui->lblBits->text(), QString("Parity, Bits, Stops"));
        QCOMPARE(d.ui->lblRigType->text(), QString("Rig Type"));
        QCOMPARE(d.ui->optHandShake_0->text(), QString("NONE"));
        QCOMPARE(d.ui->optHandShake_3->text(), QString("RTS  XON"));
    }

    void catSetupOpensFromTheLivePort_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("baudCount");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<int>("bitsCount");
        QTest::addColumn<int>("option");
        QTest::newRow("open on 5 at 9600,N,8,1 with RTS")
            << true << "9600,N,8,1" << 2 << QStringList{"1", "5"} << "5"
            << "9600" << 7 << "N,8,1" << 4 << 2;
        QTest::newRow("blanks kept")
            << true << "19200, E, 7, 1" << 0 << QStringList{"1", "5"} << "5"
            << "19200" << 7 << " E, 7, 1" << 4 << 0;
        QTest::newRow("more than four fields")
            << true << "4800,O,7,1,x" << 1 << QStringList{"1", "5"} << "5"
            << "4800" << 7 << "O,7,1" << 4 << 1;
        QTest::newRow("settings without fields keep the bits box")
            << true << "1200" << 3 << QStringList{"1", "5"} << "5"
            << "1200" << 7 << "N, 8, 1" << 3 << 3;
        QTest::newRow("closed port keeps the design texts")
            << false << "9600,N,8,1" << 2 << QStringList{"1"} << ""
            << "19200 " << 6 << "N, 8, 1" << 3 << -1;
    }

    void catSetupOpensFromTheLivePort() {
        QFETCH(bool, open);
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(QString, baud);
        Settings set;
        FrmCATSetup d({open, 5, settings.toStdString(), handshaking}, catPortSettings(set),
                      present({1}), {}, {}, folder());
        QTEST(items(d.ui->cmbSelectPort), "ports");
        QTEST(d.ui->cmbSelectPort->currentText(), "port");
        QTEST(d.ui->cmbSelectBaudRate->currentText(), "baud");
        QTEST(d.ui->cmbSelectBaudRate->count(), "baudCount");
        if (open) QCOMPARE(d.ui->cmbSelectBaudRate->itemText(6), baud);
        QTEST(d.ui->cmbBits->currentText(), "bits");
        QTEST(d.ui->cmbBits->count(), "bitsCount");
        QTEST(d.optHandShake->checkedId(), "option");
        QCOMPARE(d.ui->cmbRigType->currentText(), QString("Kenwood"));
        QCOMPARE(d.ui->txtFound->text(), QString("1, "));
    }

    void catSetupApply_data() {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("catSettings");
        QTest::addColumn<QString>("handshake");
        QTest::addColumn<QString>("port");
        QTest::newRow("picked from the lists") << true << "4800 ,E, 7, 1"
                                               << "comXonXoff"
                                               << "6";
        QTest::newRow("as opened") << false << "9600,N,8,1"
                                   << "comRTS"
                                   << "5";
    }

    void catSetupApply() {
        QFETCH(bool, change);
        Settings set;
        QWidget owner;
        owner.setEnabled(false);
        FrmCATSetup d({true, 5, "9600,N,8,1", 2}, catPortSettings(set), present({}), {}, {},
                      folder(), &owner);
        showDialog(d);
        if (change) {
            type(d.ui->cmbSelectPort, "6");
            pick(d.ui->cmbSelectBaudRate, "4800 ");
            pick(d.ui->cmbBits, "E, 7, 1");
            pick(d.ui->cmbRigType, "FT-450");
            click(d.ui->optHandShake_1);
        }
        click(d.ui->cmdApply);
        takeCatSetup(d.applied(), set);
        QTEST(qs(set.gCatSettings), "catSettings");
        QTEST(qs(set.gCatHandshake), "handshake");
        QTEST(qs(set.gCatPort), "port");
        QVERIFY(set.gCatSetupApplied);
        QVERIFY(!d.isVisible());
        QVERIFY(owner.isEnabled());
        QVERIFY(!QFile::exists(file(kCatSetupFileName)));
    }

    void catSetupCancelWithdrawsOnlyThePendingReopen() {
        Settings set;
        set.gCatHandshake = "comNone";
        {
            FrmCATSetup first({false, 0, "", 0}, catPortSettings(set), present({}), {}, {},
                              folder());
            showDialog(first);
            type(first.ui->cmbSelectPort, "4");
            click(first.ui->cmdApply);  // no option selected: the handshake stays
            takeCatSetup(first.applied(), set);
        }
        QVERIFY(set.gCatSetupApplied);
        QCOMPARE(qs(set.gCatSettings), QString("19200 ,N, 8, 1"));
        QCOMPARE(qs(set.gCatHandshake), QString("comNone"));
        {
            FrmCATSetup titleBar({true, 4, "19200,N,8,1", 0}, catPortSettings(set), present({}), {},
                                 {}, folder());
            showDialog(titleBar);
            titleBar.close();  // the title-bar close leaves the request as it is
            QVERIFY(!titleBar.isVisible());
            QVERIFY(!titleBar.applied());  // it returns nothing
        }
        QVERIFY(set.gCatSetupApplied);
        {
            FrmCATSetup second({true, 4, "19200,N,8,1", 0}, catPortSettings(set), present({}), {},
                               {}, folder());
            showDialog(second);
            type(second.ui->cmbSelectPort, "8");
            click(second.ui->optHandShake_3);
            click(second.ui->cmdCancel);
            takeCatSetup(second.applied(), set);
            QVERIFY(!second.isVisible());
        }
        QVERIFY(!set.gCatSetupApplied);
        // The earlier Apply is not undone.
        QCOMPARE(qs(set.gCatPort), QString("4"));
        QCOMPARE(qs(set.gCatSettings), QString("19200 ,N, 8, 1"));
        QCOMPARE(qs(set.gCatHandshake), QString("comNone"));
    }

    void catSetupSaveExactBytes() {
        Settings set;
        FrmCATSetup d({}, catPortSettings(set), present({}), {}, {}, folder());
        showDialog(d);
        type(d.ui->cmbSelectPort, "4");
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(readBytes(file(kCatSetupFileName)),
                 "4\r\n19200 ,N, 8, 1\r\ncomNone\r\nKenwood\r\n" + kPortComments +
                     "Line 4: RigType\r\n");
        QVERIFY(d.isVisible());
        QVERIFY(!set.gCatSetupApplied);

        pick(d.ui->cmbSelectBaudRate, "4800 ");
        pick(d.ui->cmbBits, "E, 7, 1");
        pick(d.ui->cmbRigType, "Elecraft");
        click(d.ui->optHandShake_1);
        click(d.ui->cmdSavePortSettings);
        QVERIFY(readBytes(file(kCatSetupFileName))
                    .startsWith("4\r\n4800 ,E, 7, 1\r\ncomXonXoff\r\nElecraft\r\nLine 1"));

        // Opened from the live port the texts have no blanks.
        FrmCATSetup live({true, 5, "9600,N,8,1", 2}, catPortSettings(set), present({}), {}, {},
                         folder());
        showDialog(live);
        click(live.ui->cmdSavePortSettings);
        QVERIFY(readBytes(file(kCatSetupFileName))
                    .startsWith("5\r\n9600,N,8,1\r\ncomRTS\r\nKenwood\r\nLine 1"));
    }

    void catSetupSaveThenLoad() {
        Settings set;
        {
            FrmCATSetup a({true, 5, "9600,N,8,1", 2}, catPortSettings(set), present({}), {}, {},
                          folder());
            showDialog(a);
            type(a.ui->cmbSelectPort, "7");
            pick(a.ui->cmbSelectBaudRate, "4800 ");
            pick(a.ui->cmbBits, "E, 7, 1");
            pick(a.ui->cmbRigType, "FT-450");
            click(a.ui->optHandShake_1);
            click(a.ui->cmdSavePortSettings);
        }
        FrmCATSetup b({true, 2, "300,N,8,1", 0}, catPortSettings(set), present({}), {}, {},
                      folder());
        showDialog(b);
        click(b.ui->cmdLoadPortSettings);
        QCOMPARE(b.ui->cmbSelectPort->currentText(), QString("7"));
        QCOMPARE(b.ui->cmbSelectBaudRate->currentText(), QString("4800 "));
        QCOMPARE(b.ui->cmbBits->currentText(), QString("E, 7, 1"));
        QCOMPARE(b.ui->cmbRigType->currentText(), QString("FT-450"));
        QCOMPARE(b.optHandShake->checkedId(), 1);
        QVERIFY(!set.gCatSetupApplied);  // Load changes only the dialog
        click(b.ui->cmdApply);
        takeCatSetup(b.applied(), set);
        QCOMPARE(qs(set.gCatSettings), QString("4800 ,E, 7, 1"));
        QCOMPARE(qs(set.gCatHandshake), QString("comXonXoff"));
        QCOMPARE(qs(set.gCatPort), QString("7"));
    }

    void catSetupLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("rig");
        QTest::addColumn<int>("rigCount");
        // The dialog opens on port 5, "9600", "N,8,1", "RTS", "Kenwood".
        QTest::newRow("blanks survive, XON")
            << QByteArray("4\r\n4800 ,E, 7, 1\r\ncomXonXoff\r\nElecraft\r\nLine 1\r\n") << "4"
            << "4800 "
            << "E, 7, 1" << 1 << "Elecraft" << 4;
        QTest::newRow("three-digit port, unknown handshake")
            << QByteArray("100\r\n2400,O,7,1\r\ncomBogus\r\nFT-450\r\n") << "10"
            << "2400"
            << "O,7,1" << 0 << "FT-450" << 4;
        QTest::newRow("more commas stay in the bits")
            << QByteArray("2\n300,N,8,1,9\ncomRTSXonXoff\nKenwood\n") << "2"
            << "300"
            << "N,8,1,9" << 3 << "Kenwood" << 4;
        QTest::newRow("short file keeps the dialog")
            << QByteArray("4\r\n4800,E,7,1\r\ncomXonXoff\r\n") << "5"
            << "9600"
            << "N,8,1" << 2 << "Kenwood" << 3;
        QTest::newRow("line 2 of three fields keeps the dialog")
            << QByteArray("4\r\n4800,E,7\r\ncomXonXoff\r\nElecraft\r\n") << "5"
            << "9600"
            << "N,8,1" << 2 << "Kenwood" << 3;
    }

    void catSetupLoad() {
        QFETCH(QByteArray, bytes);
        writeBytes(file(kCatSetupFileName), bytes);
        Settings set;
        FrmCATSetup d({true, 5, "9600,N,8,1", 2}, catPortSettings(set), present({}), {}, {},
                      folder());
        showDialog(d);
        click(d.ui->cmdLoadPortSettings);
        QTEST(d.ui->cmbSelectPort->currentText(), "port");
        QTEST(d.ui->cmbSelectBaudRate->currentText(), "baud");
        QTEST(d.ui->cmbBits->currentText(), "bits");
        QTEST(d.optHandShake->checkedId(), "option");
        QTEST(d.ui->cmbRigType->currentText(), "rig");
        QTEST(d.ui->cmbRigType->count(), "rigCount");
        QVERIFY(!set.gCatSetupApplied);
        QCOMPARE(qs(set.gCatSettings), QString());
    }

    void catSetupLoadAddsTheRigTypeEveryTime() {
        writeBytes(file(kCatSetupFileName), "3\r\n19200 ,N, 8, 1\r\ncomNone\r\nElecraft\r\n");
        Settings set;
        FrmCATSetup d({}, catPortSettings(set), present({}), {}, {}, folder());
        showDialog(d);
        click(d.ui->cmdLoadPortSettings);
        click(d.ui->cmdLoadPortSettings);
        QCOMPARE(items(d.ui->cmbRigType),
                 (QStringList{"Kenwood", "Elecraft", "FT-450", "Elecraft", "Elecraft"}));
        QCOMPARE(d.ui->cmbRigType->currentText(), QString("Elecraft"));
        QCOMPARE(d.optHandShake->checkedId(), 0);
        click(d.ui->cmdSavePortSettings);  // and saves back what it loaded
        QVERIFY(readBytes(file(kCatSetupFileName))
                    .startsWith("3\r\n19200 ,N, 8, 1\r\ncomNone\r\nElecraft\r\nLine 1"));
    }

    void catSetupSaveFailureIsReported() {
        Settings set;
        QStringList info;
        FrmCATSetup d(
            {}, catPortSettings(set), present({}), {}, [&](const std::string& m) { info << qs(m); },
            folder() + "/missing");
        showDialog(d);
        click(d.ui->cmdSavePortSettings);
        QCOMPARE(info, QStringList{"CATSetup.txt: " + kNoFolderError});
        QVERIFY(d.isVisible());
    }
};

QTEST_MAIN(SetupDialogsTest)
#include "test_window_setup_dialogs.moc"
