#include "setup/device_chooser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/port_map.h"

namespace tolvane::setupui {

DeviceChooser::DeviceChooser(std::string folder, std::function<std::string()> portText,
                             std::function<void()> linked,
                             std::function<void(const std::string&)> reportError, QWidget* parent)
    : QWidget(parent),
      folder_(std::move(folder)),
      portText_(std::move(portText)),
      linked_(std::move(linked)),
      reportError_(std::move(reportError)) {
    setObjectName("deviceChooser");
    cmbDevice = new QComboBox(this);
    cmbDevice->setObjectName("cmbDevice");
    cmbDevice->setToolTip("Serial devices present; Link makes the chosen one the port number");
    cmbDevice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmdLink = new QPushButton("Link", this);
    cmdLink->setObjectName("cmdLink");
    cmdLink->setToolTip("Write the ports/COMn link of the port number to the chosen device");
    lblDeviceNote = new QLabel(this);
    lblDeviceNote->setObjectName("lblDeviceNote");
    lblDeviceNote->setWordWrap(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(cmbDevice, 0, 0);
    grid->addWidget(cmdLink, 0, 1);
    grid->addWidget(lblDeviceNote, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    lister_ = [f = folder_] { return listSerialDevices(f); };
    connect(cmdLink, &QPushButton::clicked, this, &DeviceChooser::link);
    connect(cmbDevice, &QComboBox::currentIndexChanged, this, &DeviceChooser::showNote);
    refresh();
}

void DeviceChooser::setLister(std::function<std::vector<SerialDevice>()> lister) {
    lister_ = std::move(lister);
    refresh();
}

void DeviceChooser::refresh() {
    devices_ = lister_();
    cmbDevice->clear();
    for (const SerialDevice& d : devices_)
        cmbDevice->addItem(QString::fromStdString(serialDeviceLabel(d)));
    cmdLink->setEnabled(!devices_.empty());
    showNote();
}

void DeviceChooser::showNote() {
    const int i = cmbDevice->currentIndex();
    if (devices_.empty()) {
        lblDeviceNote->setText("No serial device found.");
        return;
    }
    if (i < 0 || i >= static_cast<int>(devices_.size())) {
        lblDeviceNote->clear();
        return;
    }
    lblDeviceNote->setText(QString::fromStdString(serialDeviceAccessNote(devices_[i])));
}

void DeviceChooser::link() {
    const int i = cmbDevice->currentIndex();
    if (i < 0 || i >= static_cast<int>(devices_.size())) return;
    const int n = portNumberValue(portText_());
    std::string error;
    if (!writePortLink(folder_, n, devices_[i].path, error)) {
        const std::string message = "Link: " + error;
        lblDeviceNote->setText(QString::fromStdString(message));
        if (reportError_) reportError_(message);
        return;
    }
    lblDeviceNote->setText(
        QString::fromStdString("ports/COM" + std::to_string(n) + " -> " + devices_[i].path));
    if (linked_) linked_();
}

}  // namespace tolvane::setupui
