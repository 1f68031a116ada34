// Option groups and combo box helpers of the setup dialogs.
#include "setup/setup_widgets.h"

#include <QAbstractButton>
#include <QVariant>

#include "platform/port_map.h"

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

}  // namespace tolvane::setupui
