// The device chooser of Port Setup and CAT Setup: the devices listed under
// the port box, the dialout note of a device this user may not open, and
// "Link" writing ports/COMn for the number in the box (and refusing a number
// that is no port).
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "app/setup_results.h"
#include "platform/port_map.h"
#include "setup/device_chooser.h"
#include "setup/frm_cat_setup.h"
#include "setup/frm_port_setup.h"
#include "setup_dialog_helpers.h"

using namespace tolvane;
using namespace tolvane::setupui;

namespace {

std::vector<SerialDevice> twoDevices() {
    SerialDevice usb;
    usb.path = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    SerialDevice locked;
    locked.path = "/dev/ttyS0";
    locked.accessible = false;
    return {usb, locked};
}

std::string readLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

class TestWindowDeviceChooser : public QObject {
    Q_OBJECT

  private slots:
    void dialogs_data();
    void dialogs();
};

void TestWindowDeviceChooser::dialogs_data() {
    QTest::addColumn<bool>("cat");
    QTest::newRow("Port Setup") << false;
    QTest::newRow("CAT Setup") << true;
}

void TestWindowDeviceChooser::dialogs() {
    QFETCH(bool, cat);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const std::string folder = tmp.path().toStdString();
    std::vector<std::string> errors;
    auto report = [&errors](const std::string& e) { errors.push_back(e); };
    Settings set;
    std::unique_ptr<PortDialog> dialog;
    QComboBox* portBox = nullptr;
    QLabel* deviceLine = nullptr;
    if (cat) {
        auto* d = new FrmCATSetup(
            {}, catPortSettings(set), [](int) { return false; }, {}, report, folder);
        portBox = d->ui->cmbSelectPort;
        deviceLine = d->ui->lblPortDevice;
        dialog.reset(d);
    } else {
        auto* d = new FrmPortSetup(
            {}, radioPortSettings(set, false), [](int) { return false; }, {}, report, folder);
        portBox = d->ui->cmbSelectPort;
        deviceLine = d->ui->lblPortDevice;
        dialog.reset(d);
    }
    DeviceChooser* chooser = dialog->deviceChooser();
    QVERIFY(chooser != nullptr);
    QCOMPARE(chooser->parentWidget(), dialog.get());
    QCOMPARE(chooser->cmdLink->text(), QString("Link"));

    chooser->setLister([] { return std::vector<SerialDevice>{}; });
    QCOMPARE(chooser->cmbDevice->count(), 0);
    QVERIFY(!chooser->cmdLink->isEnabled());
    QCOMPARE(chooser->lblDeviceNote->text(), QString("No serial device found."));

    chooser->setLister(twoDevices);
    QCOMPARE(chooser->cmbDevice->count(), 2);
    QCOMPARE(chooser->cmbDevice->itemText(0),
             QString("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
    QCOMPARE(chooser->cmbDevice->itemText(1), QString("/dev/ttyS0 (no permission)"));
    QVERIFY(chooser->cmdLink->isEnabled());
    QCOMPARE(chooser->lblDeviceNote->text(), QString());
    chooser->cmbDevice->setCurrentIndex(1);
    QVERIFY(chooser->lblDeviceNote->text().contains("dialout"));
    QVERIFY(chooser->lblDeviceNote->text().startsWith("You may not open /dev/ttyS0"));

    // Link writes the number in the port box; the device line follows.
    chooser->cmbDevice->setCurrentIndex(0);
    portBox->setEditText("3");
    QTest::mouseClick(chooser->cmdLink, Qt::LeftButton);
    QCOMPARE(readLink(folder + "/ports/COM3"),
             std::string("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
    QCOMPARE(portDeviceTarget(3, folder),
             std::string("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
    QVERIFY(deviceLine->text().contains("usb-FTDI_FT232R-if00-port0"));
    QVERIFY(errors.empty());

    // A box without a port number writes nothing and says why.
    portBox->setEditText("none");
    QTest::mouseClick(chooser->cmdLink, Qt::LeftButton);
    QCOMPARE(errors, std::vector<std::string>{"Link: port number 0 is not 1 to 255"});
    QCOMPARE(chooser->lblDeviceNote->text(), QString("Link: port number 0 is not 1 to 255"));
    QCOMPARE(QDir(tmp.path() + "/ports")
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList{"COM3"});
}

QTEST_MAIN(TestWindowDeviceChooser)
#include "test_window_device_chooser.moc"
