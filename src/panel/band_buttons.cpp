// The band frame of the main window.
#include "panel/band_buttons.h"

#include <QPushButton>

#include "panel/frm_tolvane.h"
#include "ui_frmTolvane.h"

namespace tolvane {

namespace {
struct BandRow {
    const char* key;
    bool Requests::*flag;
};

const std::array<BandRow, BandButtons::kBandCount> kBands = {{
    {"160", &Requests::reqBand160},
    {"75", &Requests::reqBand75},
    {"60", &Requests::reqBand60},
    {"40", &Requests::reqBand40},
    {"30", &Requests::reqBand30},
    {"20", &Requests::reqBand20},
    {"17", &Requests::reqBand17},
    {"15", &Requests::reqBand15},
    {"12", &Requests::reqBand12},
    {"10", &Requests::reqBand10},
    {"WWV", &Requests::reqBandWWV},
    {"MARS", &Requests::reqBandMARS},
}};
}  // namespace

BandButtons::BandButtons(FrmTolvane& form, const PanelContext& context) : form_(form), c_(context) {
    auto* ui = form_.ui;
    buttons_ = {ui->cmd160M, ui->cmd75M, ui->cmd60M, ui->cmd40M, ui->cmd30M, ui->cmd20M,
                ui->cmd17M,  ui->cmd15M, ui->cmd12M, ui->cmd10M, ui->cmdWWV, ui->cmdMARS};
}

void BandButtons::connectHandlers() {
    for (int i = 0; i < kBandCount; ++i) {
        QObject::connect(buttons_[i], &QPushButton::clicked, &form_,
                         [this, i] { c_.req.*(kBands[i].flag) = true; });
    }
}

std::string BandButtons::bandKey(Band band) {
    return kBands[band].key;
}

bool Requests::*BandButtons::requestFlag(Band band) {
    return kBands[band].flag;
}

void BandButtons::BandListCmd(Band band) {
    form_.setEnabled(false);
    c_.ps.gBandName = bandKey(band);
    if (open_) {
        open_(c_.ps.gBandName);
    } else {
        form_.setEnabled(true);
    }
    c_.req.*(kBands[band].flag) = false;
}

}  // namespace tolvane
