// The Frequency Select window.
#include "tools/frm_band_select.h"

#include <QButtonGroup>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

#include "platform/numeric_value.h"
#include "radio/errors.h"
#include "radio/radio_link.h"
#include "tools/tool_host.h"
#include "tools/tool_text.h"
#include "tools/tool_widgets.h"
#include "ui_frmBandSelect.h"

namespace tolvane {

namespace {

bool blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

bool isFrequencyReport(const std::string& report) {
    return report.size() == 8 && report[0] == 'F' &&
           std::all_of(report.begin() + 1, report.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

template <typename W>
W* child(QWidget* parent, const char* name, int index) {
    return parent->findChild<W*>(QString("%1_%2").arg(name).arg(index));
}

}  // namespace

std::array<ListRow, kBandListRows> sortBandRows(const std::array<ListRow, kBandListRows>& rows) {
    struct Keyed {
        float value;
        std::size_t index;
    };
    std::vector<Keyed> tuned;
    std::vector<std::size_t> notes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const float value = static_cast<float>(numericValue(rows[i].freq));
        if (value != 0.0f)
            tuned.push_back({value, i});
        else if (!blank(rows[i].freq) || !blank(rows[i].mode) || !blank(rows[i].info))
            notes.push_back(i);
    }
    // Among equal frequencies the row further down comes first.
    std::sort(tuned.begin(), tuned.end(), [](const Keyed& a, const Keyed& b) {
        return a.value != b.value ? a.value < b.value : a.index > b.index;
    });
    std::array<ListRow, kBandListRows> out{};
    std::size_t k = 0;
    for (const Keyed& t : tuned) out[k++] = rows[t.index];
    for (std::size_t i : notes) out[k++] = rows[i];
    return out;
}

FrmBandSelect::FrmBandSelect(RadioLink& link, ToolHost& host, const std::string& bandName,
                             QWidget* parent)
    : QDialog(parent), ui(new Ui::frmBandSelect), link_(link), host_(host) {
    ui->setupUi(this);
    syncTimer_ = new QTimer(this);
    syncTimer_->setObjectName("SyncTimer");
    options_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(kBandListRows); ++i) {
        const auto n = static_cast<std::size_t>(i);
        option_[n] = child<QRadioButton>(this, "Option1", i);
        freq_[n] = child<QLineEdit>(this, "txtFreq", i);
        mode_[n] = child<QLineEdit>(this, "txtMode", i);
        info_[n] = child<QLineEdit>(this, "txtInfo", i);
        options_->addButton(option_[n], i);
    }
    toolui::setTextColour(ui->lblError, toolui::kRed);

    connect(options_, &QButtonGroup::idClicked, this, &FrmBandSelect::Option1_Click);
    connect(ui->cmdGetFreq, &QPushButton::clicked, this, &FrmBandSelect::cmdGetFreq_Click);
    connect(ui->cmdSort, &QPushButton::clicked, this, &FrmBandSelect::cmdSort_Click);
    connect(ui->cmdWriteFile, &QPushButton::clicked, this, &FrmBandSelect::cmdWriteFile_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &FrmBandSelect::cmdExit_Click);
    connect(syncTimer_, &QTimer::timeout, this, &FrmBandSelect::SyncTimer_Timer);

    Form_Load(bandName);
}

FrmBandSelect::~FrmBandSelect() {
    delete ui;
}

void FrmBandSelect::Form_Load(const std::string& bandName) {
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->size() : QSize(1 << 20, 1 << 20);
    move(toolWindowPosition(host_.mainWindowFrame(), host_.bandFrameWidth(), frameGeometry().size(),
                            screenSize, true));

    const std::optional<BandList> band = bandListFor(bandName);
    ui->fraBand->setTitle(QString::fromStdString(band ? std::string(band->caption) : bandName));
    listFile_ = band ? std::string(band->file) : std::string();
    ui->cmdWriteFile->setEnabled(band.has_value());

    if (!listFile_.empty()) {
        // A missing list is no error: the rows stay empty.
        if (auto rows = readBandListFile(listFile_)) {
            setWindowTitle(QDir::current().filePath(QString::fromStdString(listFile_)));
            for (std::size_t i = 0; i < kBandListRows; ++i)
                if ((*rows)[i]) setRow(static_cast<int>(i), *(*rows)[i]);
        }
    }
    cmdGetFreq_Click();
    syncTimer_->setInterval(kTimerIntervalMs);
    lastKeepAlive_ = link_.clock().now();
    setTimerEnabled(true);
}

void FrmBandSelect::useManualTicks() {
    manualTicks_ = true;
    syncTimer_->stop();
}

void FrmBandSelect::setTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    if (manualTicks_) return;
    if (enabled)
        syncTimer_->start();
    else
        syncTimer_->stop();
}

void FrmBandSelect::SyncTimer_Timer() {
    // The keep-alive goes by the clock, not by ticks: a tick lasts as long as
    // its read waits for the radio, up to 0.8 s with a silent radio.
    Clock& clock = link_.clock();
    const double now = clock.now();
    lastKeepAlive_ = midnightCorrected(lastKeepAlive_, now);
    if (now - lastKeepAlive_ >= kKeepAliveSeconds) {
        lastKeepAlive_ = now;
        link_.gSendSync(link_.state().gSyncChar);
    }
    try {
        link_.ReadRadio();
    } catch (const std::exception& e) {
        link_.ReportError("SyncTimer_Timer: Err " + errText(e));
    }
    host_.gUpdateDisplay();
}

ListRow FrmBandSelect::row(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return {toolui::text(freq_[i]), toolui::text(mode_[i]), toolui::text(info_[i])};
}

void FrmBandSelect::setRow(int index, const ListRow& r) {
    const auto i = static_cast<std::size_t>(index);
    toolui::setText(freq_[i], r.freq);
    toolui::setText(mode_[i], r.mode);
    toolui::setText(info_[i], r.info);
}

void FrmBandSelect::setListButtonsEnabled(bool enabled) {
    ui->cmdGetFreq->setEnabled(enabled);
    ui->cmdSort->setEnabled(enabled);
    ui->cmdWriteFile->setEnabled(enabled && !listFile_.empty());
}

void FrmBandSelect::Option1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(kBandListRows)) return;
    const auto i = static_cast<std::size_t>(index);
    const bool wasEnabled = timerEnabled_;
    setTimerEnabled(false);
    const ListRow chosen = row(index);
    if (!chosen.freq.empty()) {
        toolui::setTextColour(freq_[i], toolui::windowTextColour());
        ui->lblError->hide();
        setListButtonsEnabled(true);
        RadioState& st = link_.state();
        const std::optional<std::string> digits = bandRowDigits(chosen.freq);
        const std::string mode = modeCodeFor(chosen.mode, st.gModeReport, false);
        if (digits && isRadioFrequency(*digits)) {
            try {
                link_.SetFreqCmd(*digits);
                if (st.gModeReport != mode) link_.SetMode(mode);
                link_.ReadRadio();
                host_.gUpdateDisplay();
                host_.setInfoLabel(chosen.info);
            } catch (const std::exception& e) {
                link_.ReportError("Option1_Click: Err " + errText(e));
            }
        } else {
            // The option of an exclusive group can only be cleared with the
            // group's exclusiveness lifted for the moment.
            options_->setExclusive(false);
            option_[i]->setChecked(false);
            options_->setExclusive(true);
            toolui::setTextColour(freq_[i], toolui::kRed);
            toolui::setTextColour(ui->lblError, toolui::kRed);
            ui->lblError->show();
            setListButtonsEnabled(false);
        }
    }
    setTimerEnabled(wasEnabled);
}

void FrmBandSelect::cmdGetFreq_Click() {
    const RadioState& st = link_.state();
    constexpr std::size_t last = kBandListRows - 1;
    // Before the radio has reported a frequency there is nothing to copy.
    if (isFrequencyReport(st.gFreqReport)) toolui::setText(freq_[last], reportMHz(st.gFreqReport));
    if (auto name = modeNameOf(st.gModeReport)) toolui::setText(mode_[last], *name);
}

void FrmBandSelect::cmdSort_Click() {
    std::array<ListRow, kBandListRows> rows;
    for (std::size_t i = 0; i < kBandListRows; ++i) rows[i] = row(static_cast<int>(i));
    rows = sortBandRows(rows);
    for (std::size_t i = 0; i < kBandListRows; ++i) setRow(static_cast<int>(i), rows[i]);
}

void FrmBandSelect::cmdWriteFile_Click() {
    if (listFile_.empty()) return;
    std::array<ListRow, kBandListRows> rows;
    for (std::size_t i = 0; i < kBandListRows; ++i) rows[i] = row(static_cast<int>(i));
    const WriteResult result = writeBandListFile(listFile_, rows);
    if (!result.ok) link_.ReportError(fileErrorText(listFile_, result.err, result.message));
}

void FrmBandSelect::cmdExit_Click() {
    done(QDialog::Accepted);
}

void FrmBandSelect::done(int result) {
    setTimerEnabled(false);
    host_.setMainWindowEnabled(true);
    QDialog::done(result);
}

}  // namespace tolvane
