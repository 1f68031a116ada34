// The Frequency Select window frmBandSelect: a band's list of fourteen
// favourite frequencies with mode and note. Choosing a row tunes the radio;
// Get Freq copies the radio's frequency into the last row; Sort orders the
// rows; Write File saves the band's list file. While the window is open the
// main loop is suspended, so the window's own timer keeps the radio link
// alive and the panel up to date.
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <string>

#include "tools/list_files.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace Ui {
class frmBandSelect;
}

namespace tolvane {

class RadioLink;
class ToolHost;

// Sort of the band list rows: rows with a frequency other than 0 ascending
// (equal frequencies: the lower row last), then rows that hold a mode or a
// note but no frequency, in their order, then empty rows. The frequency is
// the leading number of its text, compared in single precision.
std::array<ListRow, kBandListRows> sortBandRows(const std::array<ListRow, kBandListRows>& rows);

class FrmBandSelect : public QDialog {
    Q_OBJECT

  public:
    // bandName: gBandName, the band key of the button ("160" ... "MARS").
    // Opening reads the band's list file from the working folder, fills the
    // last row from the radio's frequency and starts the keep-alive timer.
    FrmBandSelect(RadioLink& link, ToolHost& host, const std::string& bandName,
                  QWidget* parent = nullptr);
    ~FrmBandSelect() override;
    FrmBandSelect(const FrmBandSelect&) = delete;
    FrmBandSelect& operator=(const FrmBandSelect&) = delete;

    void SyncTimer_Timer();
    void Option1_Click(int index);
    void cmdGetFreq_Click();
    void cmdSort_Click();
    void cmdWriteFile_Click();
    void cmdExit_Click();

    ListRow row(int index) const;
    void setRow(int index, const ListRow& row);
    // The list file chosen at opening ("M40List.txt"); empty for an unknown band.
    const std::string& listFile() const { return listFile_; }
    // SyncTimer runs (paused while a row is being chosen).
    bool syncTimerEnabled() const { return timerEnabled_; }
    static constexpr int kTimerIntervalMs = 100;
    // The sync character goes out when this long has passed since the last.
    static constexpr double kKeepAliveSeconds = 3.1;

    // Tests tick the keep-alive themselves in virtual time: the timer then
    // only keeps its enabled state and never fires.
    void useManualTicks();

  protected:
    // Every way of closing (Exit, the title bar, Escape) ends here.
    void done(int result) override;

  private:
    void Form_Load(const std::string& bandName);
    void setTimerEnabled(bool enabled);
    void setListButtonsEnabled(bool enabled);

    Ui::frmBandSelect* ui;
    RadioLink& link_;
    ToolHost& host_;
    std::string listFile_;
    QTimer* syncTimer_;
    QButtonGroup* options_;
    std::array<QRadioButton*, kBandListRows> option_{};
    std::array<QLineEdit*, kBandListRows> freq_{}, mode_{}, info_{};
    bool timerEnabled_ = false;
    bool manualTicks_ = false;
    double lastKeepAlive_ = 0.0;
};

}  // namespace tolvane
