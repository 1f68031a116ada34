// Widget helpers shared by the setup dialogs: option buttons in an exclusive
// group that may have none selected, and combo boxes filled from plain lists.
#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::setupui {

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

}  // namespace tolvane::setupui
