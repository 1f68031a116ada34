// The About box.
#include "panel/frm_help.h"

#include <QPushButton>
#include <QShowEvent>

#include "ui_frmHelp.h"

namespace tolvane {

FrmHelp::FrmHelp(const QString& programTitle, QWidget* owner)
    : QDialog(nullptr), ui(new Ui::frmHelp), owner_(owner) {
    ui->setupUi(this);
    ui->lblTitle->setText(programTitle);
    setWindowModality(Qt::ApplicationModal);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

FrmHelp::~FrmHelp() {
    delete ui;
}

void FrmHelp::showEvent(QShowEvent* event) {
    if (owner_ != nullptr && !event->spontaneous()) {
        const QRect frame = owner_->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void FrmHelp::done(int result) {
    QDialog::done(result);
    if (owner_ != nullptr) owner_->setEnabled(true);
}

}  // namespace tolvane
