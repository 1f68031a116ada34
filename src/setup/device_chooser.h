// The device chooser beside the port number of Port Setup and CAT Setup: the
// serial devices present (listSerialDevices), a "Link" button that makes the
// chosen device the port number in the box (the ports/COMn link), and a note
// line for a device this user may not open.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/serial_devices.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace tolvane::setupui {

class DeviceChooser : public QWidget {
  public:
    // portText: the port box's text now. linked: after a link was written.
    // reportError: where a failed link is said.
    DeviceChooser(std::string folder, std::function<std::string()> portText,
                  std::function<void()> linked, std::function<void(const std::string&)> reportError,
                  QWidget* parent);

    // Reads the devices again (lister: the devices present; default: /dev).
    void refresh();
    void setLister(std::function<std::vector<SerialDevice>()> lister);
    void link();

    QComboBox* cmbDevice = nullptr;
    QPushButton* cmdLink = nullptr;
    QLabel* lblDeviceNote = nullptr;

  private:
    void showNote();

    std::string folder_;
    std::function<std::string()> portText_;
    std::function<void()> linked_;
    std::function<void(const std::string&)> reportError_;
    std::function<std::vector<SerialDevice>()> lister_;
    std::vector<SerialDevice> devices_;
};

}  // namespace tolvane::setupui
