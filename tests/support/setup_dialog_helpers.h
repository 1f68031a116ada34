// Shared pieces of the setup dialog window tests: the generated forms of the
// three dialogs (included here so that the tests' own builds do not generate
// them a second time; they belong to tolvane_ui), file helpers, and the
// operator's actions (click, pick from a list, type into a box).
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "files_test_helpers.h"
#include "ui_frmAudioSetup.h"
#include "ui_frmCATSetup.h"
#include "ui_frmPortSetup.h"

namespace tolvane::test {

using filetest::readBytes;
using filetest::writeBytes;

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

inline QStringList qsl(const std::vector<std::string>& v) {
    QStringList out;
    for (const auto& s : v) out << qs(s);
    return out;
}

inline QStringList items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

// The probe of a machine on which exactly `ports` can be opened.
inline std::function<bool(int)> present(const QList<int>& ports) {
    return [ports](int n) { return ports.contains(n); };
}

inline void showDialog(QDialog& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

// A click where the operator clicks: on an option button or check box that is
// its indicator and caption, not the empty space a layout may add beside them.
inline void click(QAbstractButton* button) {
    QPoint where = button->rect().center();
    QStyle::SubElement clickRect = QStyle::SE_CustomBase;
    if (qobject_cast<QRadioButton*>(button)) clickRect = QStyle::SE_RadioButtonClickRect;
    if (qobject_cast<QCheckBox*>(button)) clickRect = QStyle::SE_CheckBoxClickRect;
    if (clickRect != QStyle::SE_CustomBase) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.iconSize = button->iconSize();
        where = button->style()->subElementRect(clickRect, &option, button).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

// Picking an item from the drop-down list, as the operator does.
inline void pick(QComboBox* box, const QString& item) {
    int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable("no item '" + item + "'"));
    box->setCurrentIndex(index);
}

// Typing into the box, replacing what it shows.
inline void type(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), text);
}

inline const QByteArray kPortComments =
    "Line 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\n"
    "Line 2: Baud,Parity,Bits,Stop\r\n"
    "Line 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\n";
inline const QString kNoFolderError = "Err 2. No such file or directory";

}  // namespace tolvane::test
