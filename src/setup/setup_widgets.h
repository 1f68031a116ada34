// Widget helpers shared by the setup dialogs: option buttons in an exclusive
// group that may have none selected, combo boxes filled from plain lists, and
// the controls the two port dialogs have in common.
#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/setup_forms.h"

class QLabel;
class QLineEdit;

namespace tolvane::setupui {

class DeviceChooser;

// A modal dialog opened over a window that its opener disables: every way out
// of the dialog (its buttons, Escape, the title bar) enables that window again.
// The dialog itself stays usable even when the window was disabled after the
// dialog was made (a disabled window otherwise disables its child windows).
class OwnedDialog : public QDialog {
  public:
    explicit OwnedDialog(QWidget* owner);
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPointer<QWidget> owner_;
};

// An exclusive group of option buttons whose ids are their indexes; none is
// selected until code or the operator selects one.
QButtonGroup* makeOptionGroup(QObject* parent, const QList<QAbstractButton*>& buttons);
// Selects option `index`, or leaves no option selected for an index that is
// not in the group. Runs no click handling.
void selectOption(QButtonGroup* group, int index);
// The selected option's index, or -1 when none is selected.
int selectedOption(const QButtonGroup* group);

// A box the operator may type into: what is typed is taken as it stands (no
// completion from the list, nothing added to the list).
void makeTypable(QComboBox* box);
// Replaces the list and sets the text. A box that cannot be typed into shows
// the last list item equal to `text` (none when there is none).
void setCombo(QComboBox* box, const std::vector<std::string>& items, const std::string& text);
std::vector<std::string> comboItems(const QComboBox* box);
std::string comboText(const QComboBox* box);
// Gives every item of a port list a tool tip naming the device of its number.
void setPortToolTips(QComboBox* box, const std::function<std::string(int)>& devicePath);

// What the Port Setup and CAT Setup dialogs share: the port probe and the
// device lookup (by default those of the ports in `folder`), the port box with
// the "Device:" line beside it, the "Available Ports" box, the baud box, the
// four handshake options, and where a failed save is reported.
class PortDialog : public OwnedDialog {
  public:
    QButtonGroup* optHandShake = nullptr;

  protected:
    // portAvailable, devicePath: empty for the ports of `folder`.
    PortDialog(std::function<bool(int)> portAvailable, std::function<std::string(int)> devicePath,
               std::function<void(const std::string&)> reportError, std::string folder,
               QWidget* owner);

    // Takes the shared controls once the dialog's form is set up: the port
    // and baud boxes become typable, the handshake options a group with none
    // selected, and the device line follows the port box.
    void takePortControls(QComboBox* port, QLineEdit* found, QComboBox* baud, QLabel* device,
                          const QList<QAbstractButton*>& handshake);
    // The ports the probe reports now.
    PortListing availablePorts() const;
    void readPortControls(PortForm& form) const;
    // Shows the shared part of a form and the device line of its port.
    void showPortControls(const PortForm& form);
    // Puts the message of a failed save of `fileName` on the information line;
    // a save that worked reports nothing.
    void reportSaveError(std::string_view fileName, const WriteResult& result) const;
    // Where the settings file and the "ports" links are.
    const std::string& folder() const { return folder_; }

  public:
    // The serial devices present and the "Link" button, under the port box.
    DeviceChooser* deviceChooser() const { return chooser_; }

  private:
    void updateDeviceLine();

    std::function<bool(int)> portAvailable_;
    std::function<std::string(int)> devicePath_;
    std::function<void(const std::string&)> reportError_;
    std::string folder_;
    QComboBox* port_ = nullptr;
    QLineEdit* found_ = nullptr;
    QComboBox* baud_ = nullptr;
    QLabel* device_ = nullptr;
    DeviceChooser* chooser_ = nullptr;
};

}  // namespace tolvane::setupui
