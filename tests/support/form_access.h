// The window tests click and read the main window's controls by name.
#pragma once

#include "panel/frm_tolvane.h"
#include "ui_frmTolvane.h"

namespace tolvane::test {

struct FormAccess {
    static Ui::frmTolvane* ui(FrmTolvane& form) { return form.ui; }
};

}  // namespace tolvane::test
