// The Channel Setup window frmChannelSetup: moves the radio's channel table
// between the radio and channel list files. Load reads slots 00 to 99 from
// the radio (with a progress bar and Cancel), Store writes the list into the
// radio, Open File and Save File read and write a channel list file, Find
// File picks the file to read.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

namespace Ui {
class frmChannelSetup;
}

namespace tolvane {

class RadioLink;
class ToolHost;

class FrmChannelSetup : public QDialog {
    Q_OBJECT

  public:
    // Opening remembers the working folder; closing goes back to it.
    FrmChannelSetup(RadioLink& link, ToolHost& host, QWidget* parent = nullptr);
    ~FrmChannelSetup() override;
    FrmChannelSetup(const FrmChannelSetup&) = delete;
    FrmChannelSetup& operator=(const FrmChannelSetup&) = delete;

    void cmdBrowse_Click();
    void cmdOpenFile_Click();
    void cmdSaveFile_Click();
    void cmdLoad_Click();
    void cmdStore_Click();
    void cmdOK_Click();
    // Ends a running Load after the channel being read.
    void cmdCancelLoad_Click();

    // The entries of lsbChList, ten characters each.
    std::vector<std::string> entries() const;
    void setEntries(const std::vector<std::string>& entries);
    bool loading() const { return loading_; }

    static constexpr int kChannels = 100;
    static constexpr double kChannelPause = 0.25;

  protected:
    // Every way of closing ends here; during a Load it waits for the
    // channel being read, then closes.
    void done(int result) override;

  private:
    void showLoading(bool loading);
    // Reads slots 00 to 99 (or up to a Cancel) into the list.
    void readChannels();

    Ui::frmChannelSetup* ui;
    RadioLink& link_;
    ToolHost& host_;
    QString folder_;
    bool loading_ = false;
    bool cancel_ = false;
    bool closeAfterLoad_ = false;
    int closeResult_ = 0;
};

}  // namespace tolvane
