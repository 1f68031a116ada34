// Data box, status request, test button and meter options.
#include "panel/utility_controls.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "panel/frm_tolvane.h"
#include "panel/vb.h"
#include "radio/errors.h"
#include "ui_frmTolvane.h"

namespace tolvane {

using vb::setCaption;

UtilityControls::UtilityControls(FrmTolvane& form, const PanelContext& context)
    : form_(form), c_(context) {}

void UtilityControls::connectHandlers() {
    auto* ui = form_.ui;
    Requests& req = c_.req;
    QObject::connect(ui->cmdViewInData, &QPushButton::clicked, ui->cmdViewInData,
                     [&req] { req.reqViewData = true; });
    QObject::connect(ui->cmdGetStatus, &QPushButton::clicked, ui->cmdGetStatus,
                     [&req] { req.reqGetStatus = true; });
    QObject::connect(ui->cmdTest, &QPushButton::clicked, ui->cmdTest, [this] { cmdTest_Click(); });
    // Selecting an option from code runs its click handling too.
    for (int i = 0; i < 6; ++i) {
        QRadioButton* option = form_.optMeter[static_cast<size_t>(i)];
        QObject::connect(option, &QRadioButton::toggled, option, [this, i](bool on) {
            if (!on) return;
            c_.ps.gMeterOption = i;
            c_.req.reqMeter = true;
        });
    }
}

void UtilityControls::GetStatusCmd() {
    c_.link.SendRadioCmd("?", true, 0.6);
    c_.req.reqGetStatus = false;
}

void UtilityControls::ViewDataCmd() {
    auto* ui = form_.ui;
    if (ui->txtInData->isHidden()) {
        ui->txtInData->setVisible(true);
        ui->txtInData->clear();
        setCaption(ui->cmdViewInData, "Hide Data");
    } else {
        ui->txtInData->setVisible(false);
        setCaption(ui->cmdViewInData, "Show Data");
    }
    c_.req.reqViewData = false;
}

void UtilityControls::MeterCmd() {
    c_.req.reqMeter = false;
    int i = c_.ps.gMeterOption;
    if (i < 0 || i > 5) return;
    c_.link.SelectMeter("D" + std::to_string(i + 1));
}

void UtilityControls::cmdTest_Click() {
    try {
        c_.link.writeDirect("Z\n");
    } catch (const std::exception& e) {
        c_.link.ReportError("cmdTest_Click: Err " + errText(e));
    }
}

}  // namespace tolvane
