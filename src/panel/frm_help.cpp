// The About box.
#include "panel/frm_help.h"

#include <QPushButton>

#include "ui_frmHelp.h"

namespace tolvane {

FrmHelp::FrmHelp(const QString& programTitle, QWidget* owner)
    : QDialog(owner), ui(new Ui::frmHelp), owner_(owner) {
    ui->setupUi(this);
    ui->lblTitle->setText(programTitle);
    setModal(true);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

FrmHelp::~FrmHelp() { delete ui; }

void FrmHelp::done(int result) {
    QDialog::done(result);
    if (owner_ != nullptr) owner_->setEnabled(true);
}

}  // namespace tolvane
