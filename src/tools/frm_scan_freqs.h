// The Scan Freq window frmScanFreqs: thirteen rows of frequency, mode, note
// and a tick, kept in "ScanFreqs.txt", and the scan over the ticked rows.
#pragma once

#include <QDialog>
#include <array>

#include "tools/list_scan.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class frmScanFreqs;
}

namespace tolvane {

class RadioLink;
class ToolHost;

class FrmScanFreqs : public QDialog, private ListScanView {
    Q_OBJECT

  public:
    // Opening places the window beside the main window's band frame and
    // reads "ScanFreqs.txt" from the working folder when it is there.
    FrmScanFreqs(RadioLink& link, ToolHost& host, QWidget* parent = nullptr);
    ~FrmScanFreqs() override;
    FrmScanFreqs(const FrmScanFreqs&) = delete;
    FrmScanFreqs& operator=(const FrmScanFreqs&) = delete;

    void cmdScan_Click();
    void cmdStop_Click();
    void cmdWriteFile_Click();

    ListRow row(int index) const;
    void setRow(int index, const ListRow& row);
    ListScan& scan() { return scan_; }

  protected:
    // Every way of closing ends here: a running scan stops.
    void done(int result) override;

  private:
    // --- ListScanView ---
    bool rowTicked(int row) override;
    ListRow rowTexts(int row) override { return this->row(row); }
    void paintRow(int row, bool visiting) override;
    void showScanning(bool scanning) override;
    void showFrequencyError(bool shown) override;
    std::string delayText() override;
    void setDelayText(const std::string& text) override;

    Ui::frmScanFreqs* ui;
    RadioLink& link_;
    ToolHost& host_;
    ListScan scan_;
    std::array<QCheckBox*, kScanListRows> check_{};
    std::array<QLineEdit*, kScanListRows> freq_{}, mode_{}, info_{};
    bool closing_ = false;
};

}  // namespace tolvane
