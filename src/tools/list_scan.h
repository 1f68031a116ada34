// The frequency-list scan: visits the ticked rows of the scan list in turn,
// tuning the radio to each and dwelling the set number of seconds, over and
// over until stopped. The Scan Freq window drives it through ListScanView;
// the waits run on the radio link's clock.
#pragma once

#include <optional>
#include <string>

#include "tools/list_files.h"

namespace tolvane {

class RadioLink;
class ToolHost;

// What the scan reads from and shows on its window.
class ListScanView {
  public:
    virtual ~ListScanView() = default;
    // Check1(row) ticked.
    virtual bool rowTicked(int row) = 0;
    // txtFreq(row), txtMode(row), txtInfo(row).
    virtual ListRow rowTexts(int row) = 0;
    // Check1(row) painted red while visited, light grey otherwise.
    virtual void paintRow(int row, bool visiting) = 0;
    // Scanning: cmdScan hidden and cmdStop shown; idle: the other way round.
    virtual void showScanning(bool scanning) = 0;
    // lblError "Frequency Error".
    virtual void showFrequencyError(bool shown) = 0;
    // txtDelay.
    virtual std::string delayText() = 0;
    virtual void setDelayText(const std::string& text) = 0;
};

class ListScan {
  public:
    ListScan(RadioLink& link, ToolHost& host, ListScanView& view);

    // The scan of cmdScan: returns when it ends (Stop, closing, no ticked
    // row, an empty or wrong frequency in a ticked row). A failing port
    // ends it with its error.
    void run();
    bool running() const { return running_; }

    // cmdStop: the delay box shows the delay again, the scan ends at its
    // next check.
    void requestStop();

    // The delay in seconds the scan works with (the box shows the elapsed
    // seconds during a dwell); nothing before the first scan.
    std::optional<int> delay() const { return delay_; }

    // Rows visited since the window opened.
    long visits() const { return visits_; }

  private:
    bool pass();
    // False when the scan must end at this row.
    bool visit(int row);

    RadioLink& link_;
    ToolHost& host_;
    ListScanView& view_;
    bool stop_ = false;
    bool running_ = false;
    std::optional<int> delay_;
    long visits_ = 0;
};

}  // namespace tolvane
