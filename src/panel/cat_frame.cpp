// The CAT frame of the main window.
#include "panel/cat_frame.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::caption;
using vb::setCaption;

namespace {
// Station software may send any byte: show control characters as "?".
std::string printable(std::string t) {
    for (char& ch : t)
        if (static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) > 126) ch = '?';
    return t;
}
}  // namespace

std::string CatFrame::digitalMode() {
    return caption(form_.ui->cmbDig);
}

bool CatFrame::selectDigitalMode(const std::string& preset) {
    int index = form_.ui->cmbDig->findText(QString::fromStdString(preset));
    if (index < 0) return false;
    form_.ui->cmbDig->setCurrentIndex(index);
    return true;
}

void CatFrame::showCatInput(const std::string& t) {
    setCaption(form_.ui->txtInCat, printable(t));
}

void CatFrame::showCatOutput(const std::string& t) {
    setCaption(form_.ui->txtOutCAT, printable(t));
}

void CatFrame::setComStat(mapping::LinkStatus status) {
    setCaption(form_.ui->lblComStat, mapping::linkStatusCaption(status));
}

void CatFrame::showNoCatPort() {
    setCaption(form_.ui->txtInCat, "No CAT Port");
    setCaption(form_.ui->txtOutCAT, "No CAT Port");
}

void CatFrame::clearCatText() {
    setCaption(form_.ui->txtInCat, "");
    setCaption(form_.ui->txtOutCAT, "");
}

}  // namespace tolvane
