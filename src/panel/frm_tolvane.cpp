// The main window frmTolvane: form set-up, control arrays, option groups and
// the raw mouse, key and close events that the panel routines act on.
#include "panel/frm_tolvane.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <algorithm>

#include "panel/amplifier_control.h"
#include "panel/channel_memory.h"
#include "panel/frequency_entry.h"
#include "panel/receiver_controls.h"
#include "panel/transmit_control.h"
#include "panel/vfo_b_split.h"
#include "ui_frmTolvane.h"

namespace tolvane {

namespace {

int buttonCode(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return FrmTolvane::kLeftButton;
        case Qt::RightButton:
            return FrmTolvane::kRightButton;
        case Qt::MiddleButton:
            return FrmTolvane::kMiddleButton;
        default:
            return 0;
    }
}

// Slot in the table of presses in progress, by mouse button.
int heldSlot(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return 0;
        case Qt::RightButton:
            return 1;
        case Qt::MiddleButton:
            return 2;
        default:
            return -1;
    }
}

int shiftBits(Qt::KeyboardModifiers m) {
    int bits = 0;
    if (m & Qt::ShiftModifier) bits |= FrmTolvane::kShiftBit;
    if (m & Qt::ControlModifier) bits |= FrmTolvane::kCtrlBit;
    if (m & Qt::AltModifier) bits |= FrmTolvane::kAltBit;
    return bits;
}

// vscBFO and vscRFG carry their larger value at the top (inverted
// appearance). Qt still maps the upper arrow and the page area above the
// thumb to "decrease", which would move the thumb away from the click; this
// style swaps the two ends so that every click moves the thumb towards it.
class UpsideDownScrollStyle : public QProxyStyle {
  public:
    SubControl hitTestComplexControl(ComplexControl cc, const QStyleOptionComplex* opt,
                                     const QPoint& pos, const QWidget* widget) const override {
        const SubControl sc = QProxyStyle::hitTestComplexControl(cc, opt, pos, widget);
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(opt);
        if (cc != CC_ScrollBar || slider == nullptr || !slider->upsideDown) return sc;
        switch (sc) {
            case SC_ScrollBarAddLine:
                return SC_ScrollBarSubLine;
            case SC_ScrollBarSubLine:
                return SC_ScrollBarAddLine;
            case SC_ScrollBarAddPage:
                return SC_ScrollBarSubPage;
            case SC_ScrollBarSubPage:
                return SC_ScrollBarAddPage;
            default:
                return sc;
        }
    }
};

template <std::size_t N, typename T>
void fillGroup(QButtonGroup* group, const std::array<T*, N>& buttons) {
    group->setExclusive(true);
    for (std::size_t i = 0; i < N; ++i) group->addButton(buttons[i], static_cast<int>(i));
}

}  // namespace

class FrmTolvane::AppEvents : public QObject {
  public:
    explicit AppEvents(FrmTolvane* owner) : QObject(owner), owner_(owner) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return owner_->appEventFilter(watched, event);
    }

  private:
    FrmTolvane* owner_;
};

FrmTolvane::FrmTolvane(QWidget* parent)
    : QMainWindow(parent),
      grpTXVFO(new QButtonGroup(this)),
      grpChan(new QButtonGroup(this)),
      grpMeter(new QButtonGroup(this)),
      ui(new Ui::frmTolvane) {
    ui->setupUi(this);

    cmdF = {ui->cmdF_0, ui->cmdF_1, ui->cmdF_2, ui->cmdF_3, ui->cmdF_4, ui->cmdF_5, ui->cmdF_6};
    cmdVFOB = {ui->cmdVFOB_0, ui->cmdVFOB_1, ui->cmdVFOB_2, ui->cmdVFOB_3,
               ui->cmdVFOB_4, ui->cmdVFOB_5, ui->cmdVFOB_6};
    cmdM = {ui->cmdM_0, ui->cmdM_1};
    optTXVFO = {ui->optTXVFO_0, ui->optTXVFO_1};
    optChan = {ui->optChan_0, ui->optChan_1};
    optMeter = {ui->optMeter_0, ui->optMeter_1, ui->optMeter_2,
                ui->optMeter_3, ui->optMeter_4, ui->optMeter_5};
    lblMeter = {ui->lblMeter_0, ui->lblMeter_1, ui->lblMeter_2,
                ui->lblMeter_3, ui->lblMeter_4, ui->lblMeter_5};
    cmdBand = {ui->cmd160M, ui->cmd75M, ui->cmd60M, ui->cmd40M, ui->cmd30M, ui->cmd20M,
               ui->cmd17M,  ui->cmd15M, ui->cmd12M, ui->cmd10M, ui->cmdWWV, ui->cmdMARS};

    fillGroup(grpTXVFO, optTXVFO);
    fillGroup(grpChan, optChan);
    fillGroup(grpMeter, optMeter);

    // The meter scales are 38-character texts whose marks line up with the
    // bar only in a fixed-pitch font; ask the platform for its own.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(ui->lblMeterScale->font().pointSize());
    ui->lblMeterScale->setFont(fixed);
    fixed.setPointSize(ui->txtInData->font().pointSize());
    ui->txtInData->setFont(fixed);

    auto* upsideDown = new UpsideDownScrollStyle;
    upsideDown->setParent(this);
    ui->vscBFO->setStyle(upsideDown);
    ui->vscRFG->setStyle(upsideDown);

    for (QPushButton* b : cmdF) b->installEventFilter(this);
    for (QPushButton* b : cmdVFOB) b->installEventFilter(this);
    for (QPushButton* b : cmdM) b->installEventFilter(this);
    ui->cmdPTT->installEventFilter(this);

    // Key preview and releases outside the pressed button: every event of
    // the application passes here first.
    appEvents_ = new AppEvents(this);
    qApp->installEventFilter(appEvents_);
}

FrmTolvane::~FrmTolvane() {
    qApp->removeEventFilter(appEvents_);
    delete ui;
}

ReceiverWidgets FrmTolvane::receiverWidgets() const {
    return ReceiverWidgets{ui->cmbMode, ui->cmbAGC, ui->cmbSource, ui->cmbDig,      ui->cmdBFO,
                           ui->vscBFO,  ui->txtBFO, ui->lblBFOOn,  ui->lblPorM,     ui->vscRFG,
                           ui->txtRFG,  ui->cmdVOX, ui->cmdPTTEn,  ui->cmdSideTone, ui->cmdClipping,
                           ui->cmdMute, ui->lblMute};
}

FrequencyEntryWidgets FrmTolvane::frequencyEntryWidgets() const {
    return FrequencyEntryWidgets{cmdF, ui->lblInfo, ui->cmbStepSize};
}

VfoBWidgets FrmTolvane::vfoBWidgets() const {
    return VfoBWidgets{cmdVFOB,         cmdF,         optTXVFO,   ui->cmbMode,
                       ui->cmbVFOBMode, ui->lblSplit, ui->cmdA2B, ui->cmdSwap};
}

ChannelWidgets FrmTolvane::channelWidgets() const {
    return ChannelWidgets{cmdM, optChan, cmdF, ui->lblInfo, ui->cmdM2V, ui->cmdV2M};
}

TransmitWidgets FrmTolvane::transmitWidgets() const {
    return TransmitWidgets{ui->cmdPTT, ui->cmdXmit, ui->cmdTune,     cmdF,        cmdVFOB,
                           optTXVFO,   ui->cmbMode, ui->cmbVFOBMode, ui->lblSplit};
}

AmplifierWidgets FrmTolvane::amplifierWidgets() const {
    return AmplifierWidgets{ui->cmdAmpPwr, ui->cmdAmpOpr,    ui->cmdTuneAmp,
                            ui->lblAmpPwr, ui->lblAmpOpStby, ui->lblAmpTuned};
}

void FrmTolvane::clearGroup(QButtonGroup* group) {
    if (group == nullptr) return;
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(exclusive);
}

FrmTolvane::Place FrmTolvane::placeOf(const QObject* obj) const {
    for (std::size_t i = 0; i < cmdF.size(); ++i)
        if (obj == cmdF[i]) return {kRowVfoA, static_cast<int>(i)};
    for (std::size_t i = 0; i < cmdVFOB.size(); ++i)
        if (obj == cmdVFOB[i]) return {kRowVfoB, static_cast<int>(i)};
    for (std::size_t i = 0; i < cmdM.size(); ++i)
        if (obj == cmdM[i]) return {kRowChannel, static_cast<int>(i)};
    if (obj == ui->cmdPTT) return {kPttRow, 0};
    return {};
}

void FrmTolvane::release(Held& held) {
    if (held.place.row < 0) return;
    const Held done = held;
    held = Held{};
    if (done.button != nullptr) done.button->setDown(false);
    if (done.place.row == kPttRow)
        emit pttMouseUp();
    else
        emit digitMouseUp(done.place.row, done.place.index);
}

void FrmTolvane::releaseAll() {
    for (Held& h : held_) release(h);
}

// The digit buttons and cmdPTT: the press is reported with its mouse button
// (a plain button ignores the right one) and the button is drawn pressed
// until the release.
bool FrmTolvane::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
        return QMainWindow::eventFilter(watched, event);
    const Place place = placeOf(watched);
    if (place.row < 0) return QMainWindow::eventFilter(watched, event);
    auto* button = static_cast<QAbstractButton*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    // The release was reported by the application filter, which sees it first.
    if (type == QEvent::MouseButtonRelease) return true;
    // A disabled button takes no press. A second click in quick succession
    // arrives as a double click instead of a press; it is a press like any
    // other.
    if (!button->isEnabled()) return false;
    const int slot = heldSlot(mouse->button());
    if (slot >= 0) {
        Held& h = held_[static_cast<std::size_t>(slot)];
        release(h);  // a press whose release never arrived
        h = Held{button, place};
    }
    button->setDown(true);
    // The routine behind the signal may run until the release, which arrives
    // while it yields.
    const int code = buttonCode(mouse->button());
    if (place.row == kPttRow)
        emit pttMouseDown(code);
    else
        emit digitMouseDown(place.row, place.index, code);
    return true;
}

void FrmTolvane::handleKeyPreview(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        std::erase_if(keys_, [](const KeyInFlight& k) { return !k.reporting; });
        return;
    }
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr || w->window() != this) return;
    // A press a control ignores climbs to its parent widgets; report it once.
    for (KeyInFlight& k : keys_) {
        if (k.event == event && k.at != nullptr && k.at->parent() == watched) {
            k.at = watched;
            return;
        }
    }
    // Presses whose release went to another window are dropped in time.
    constexpr std::size_t kMaxKeys = 8;
    if (keys_.size() >= kMaxKeys) {
        auto done = std::find_if(keys_.begin(), keys_.end(),
                                 [](const KeyInFlight& k) { return !k.reporting; });
        if (done != keys_.end()) keys_.erase(done);
    }
    keys_.push_back({event, watched, true});
    auto* key = static_cast<QKeyEvent*>(event);
    emit keyDown(key->key(), shiftBits(key->modifiers()));
    // The record may have moved while the routine ran; find it again.
    for (KeyInFlight& k : keys_)
        if (k.event == event && k.reporting) k.reporting = false;
}

bool FrmTolvane::appEventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (watched->isWidgetType()) handleKeyPreview(watched, event);
            break;
        case QEvent::MouseButtonRelease: {
            // Ends the press of that mouse button wherever the release lands.
            const int slot = heldSlot(static_cast<QMouseEvent*>(event)->button());
            if (slot >= 0) release(held_[static_cast<std::size_t>(slot)]);
            break;
        }
        case QEvent::WindowBlocked:
            // A modal window opened while a button was held: the release
            // will not reach this window any more.
            if (watched == this) releaseAll();
            break;
        default:
            break;
    }
    return false;
}

void FrmTolvane::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

}  // namespace tolvane
