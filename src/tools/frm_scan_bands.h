// The Scan Bands window frmScanBands: the band scan with its limits, nine
// band buttons, step and speed options, Scan, Pause/Continue and Stop.
#pragma once

#include <QDialog>
#include <array>

#include "tools/band_scan.h"

class QButtonGroup;
class QPushButton;

namespace Ui {
class frmScanBands;
}

namespace tolvane {

class RadioLink;
class ToolHost;

// A band button of the window: caption and the limits it fills in (MHz).
struct ScanBandButton {
    const char* name;     // object name, "cmd160M"
    const char* caption;  // "160"
    const char* lower;    // "1.800"
    const char* upper;    // "2.000"
};
extern const std::array<ScanBandButton, 9> kScanBandButtons;
// Step options (10 Hz units) and speed options (dwell seconds) by index.
inline constexpr std::array<int, 5> kScanSteps{1, 5, 10, 50, 100};
inline constexpr std::array<double, 2> kScanDwells{0.5, 1.5};

class FrmScanBands : public QDialog, private BandScanView {
    Q_OBJECT

  public:
    // Opening places the window beside the main window's band frame, hides
    // the main window's lblInfo, shows its txtInfo and disables the
    // transmit controls.
    FrmScanBands(RadioLink& link, ToolHost& host, QWidget* parent = nullptr);
    ~FrmScanBands() override;
    FrmScanBands(const FrmScanBands&) = delete;
    FrmScanBands& operator=(const FrmScanBands&) = delete;

    // cmd160M_Click ... cmd10M_Click by index of kScanBandButtons.
    void cmdBand_Click(int index);
    void Option1_Click(int index);
    void Option2_Click(int index);
    void cmdScanUp_Click();
    void cmdPauseCont_Click();
    void cmdStop_Click();
    void HideScanWindow() override;

    BandScan& scan() { return scan_; }

  protected:
    // Every way of closing (the title bar, Escape, the radio going local)
    // ends here: the scan stops, also while paused.
    void done(int result) override;

  private:
    // --- BandScanView ---
    std::string limitText(Limit limit) override;
    void markLimitError(Limit limit) override;
    void clearLimitMarks() override;
    void setScanButtonEnabled(bool enabled) override;
    void showCommand(const std::string& text) override;
    void closeWindow() override;

    QWidget* limitBox(Limit limit);

    Ui::frmScanBands* ui;
    RadioLink& link_;
    ToolHost& host_;
    BandScan scan_;
    QButtonGroup* steps_;
    QButtonGroup* speeds_;
    std::array<QPushButton*, 9> bands_{};
    bool savedInfoVisible_ = false;
    bool savedLabelVisible_ = false;
    bool closing_ = false;
};

}  // namespace tolvane
