// Option groups, combo box helpers and the shared port controls of the setup
// dialogs.
#include "setup/setup_widgets.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

#include "platform/port_map.h"
#include "setup/device_chooser.h"

namespace tolvane::setupui {

OwnedDialog::OwnedDialog(QWidget* owner) : QDialog(owner), owner_(owner) {
    setModal(true);
}

void OwnedDialog::done(int result) {
    QDialog::done(result);
    if (owner_ != nullptr) owner_->setEnabled(true);
}

void OwnedDialog::showEvent(QShowEvent* event) {
    if (!isEnabled()) setEnabled(true);
    QDialog::showEvent(event);
}

QButtonGroup* makeOptionGroup(QObject* parent, const QList<QAbstractButton*>& buttons) {
    auto* group = new QButtonGroup(parent);
    group->setExclusive(true);
    int id = 0;
    for (QAbstractButton* button : buttons) {
        button->setChecked(false);
        group->addButton(button, id++);
    }
    return group;
}

void selectOption(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; clearing needs it off a moment.
    QAbstractButton* checked = group->checkedButton();
    if (checked == nullptr) return;
    group->setExclusive(false);
    checked->setChecked(false);
    group->setExclusive(true);
}

int selectedOption(const QButtonGroup* group) {
    return group->checkedId();
}

void makeTypable(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
}

void setCombo(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
    box->clear();
    for (const auto& item : items) box->addItem(QString::fromStdString(item));
    const QString wanted = QString::fromStdString(text);
    if (box->isEditable()) {
        box->setEditText(wanted);
        return;
    }
    int shown = -1;
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == wanted) shown = i;
    box->setCurrentIndex(shown);
}

std::vector<std::string> comboItems(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
    return items;
}

std::string comboText(const QComboBox* box) {
    return box->currentText().toStdString();
}

void setPortToolTips(QComboBox* box, const std::function<std::string(int)>& devicePath) {
    // Changing the current item's data makes the box show the item's text again.
    const QString shown = box->currentText();
    for (int i = 0; i < box->count(); ++i) {
        int n = portNumberValue(box->itemText(i).toStdString());
        std::string device = n > 0 && devicePath ? devicePath(n) : std::string();
        box->setItemData(i, QString::fromStdString(device), Qt::ToolTipRole);
    }
    if (box->isEditable()) box->setEditText(shown);
}

PortDialog::PortDialog(std::function<bool(int)> portAvailable,
                       std::function<std::string(int)> devicePath,
                       std::function<void(const std::string&)> reportError, std::string folder,
                       QWidget* owner)
    : OwnedDialog(owner),
      portAvailable_(std::move(portAvailable)),
      devicePath_(std::move(devicePath)),
      reportError_(std::move(reportError)),
      folder_(std::move(folder)) {
    if (!portAvailable_) portAvailable_ = [f = folder_](int n) { return ComPortAvailable(n, f); };
    if (!devicePath_) devicePath_ = [f = folder_](int n) { return portDeviceTarget(n, f); };
}

void PortDialog::takePortControls(QComboBox* port, QLineEdit* found, QComboBox* baud,
                                  QLabel* device, const QList<QAbstractButton*>& handshake) {
    port_ = port;
    found_ = found;
    baud_ = baud;
    device_ = device;
    makeTypable(port_);
    makeTypable(baud_);
    optHandShake = makeOptionGroup(this, handshake);
    connect(port_, &QComboBox::currentTextChanged, this, &PortDialog::updateDeviceLine);
    chooser_ = new DeviceChooser(
        folder_, [this] { return comboText(port_); },
        [this] {
            setPortToolTips(port_, devicePath_);
            updateDeviceLine();
        },
        reportError_, this);
    // Beside the port number: under the device line in the port box's grid.
    for (auto* grid : findChildren<QGridLayout*>()) {
        const int at = grid->indexOf(port_);
        if (at < 0) continue;
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(at, &row, &column, &rows, &columns);
        grid->addWidget(chooser_, grid->rowCount(), column, 1, grid->columnCount() - column);
        return;
    }
    if (layout() != nullptr) layout()->addWidget(chooser_);
}

PortListing PortDialog::availablePorts() const {
    return tolvane::ListAvailablePorts(portAvailable_);
}

void PortDialog::readPortControls(PortForm& form) const {
    form.portList = comboItems(port_);
    form.port = comboText(port_);
    form.found = found_->text().toStdString();
    form.baudList = comboItems(baud_);
    form.baud = comboText(baud_);
    form.handshake = selectedOption(optHandShake);
}

void PortDialog::showPortControls(const PortForm& form) {
    setCombo(port_, form.portList, form.port);
    setPortToolTips(port_, devicePath_);
    found_->setText(QString::fromStdString(form.found));
    setCombo(baud_, form.baudList, form.baud);
    selectOption(optHandShake, form.handshake);
    updateDeviceLine();
}

void PortDialog::reportSaveError(std::string_view fileName, const WriteResult& result) const {
    if (!result.ok && reportError_) reportError_(saveErrorText(fileName, result));
}

void PortDialog::updateDeviceLine() {
    device_->setText(QString::fromStdString(portDeviceLine(comboText(port_), devicePath_)));
}

}  // namespace tolvane::setupui
