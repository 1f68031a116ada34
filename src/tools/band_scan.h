// The band scan: steps the radio's frequency upward from the lower limit to
// the upper limit, dwelling on each step, and starts again at the lower
// limit when it passes the upper one, until it is stopped. It can pause.
// The Scan Bands window drives it and shows what it does through
// BandScanView; the waits run on the radio link's clock.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

class RadioLink;
class ToolHost;

// What the scan reads from and shows on its window.
class BandScanView {
  public:
    enum class Limit { Lower, Upper };
    virtual ~BandScanView() = default;
    // txtScanLow / txtScanHi.
    virtual std::string limitText(Limit limit) = 0;
    // The limit box shows "Error" in red.
    virtual void markLimitError(Limit limit) = 0;
    // Both limit boxes back to black text.
    virtual void clearLimitMarks() = 0;
    // cmdScanUp enabled.
    virtual void setScanButtonEnabled(bool enabled) = 0;
    // txtFreq: the command sent at this step with one more "0" (Hz).
    virtual void showCommand(const std::string& text) = 0;
    // Hides the window and gives the main window's txtInfo its visibility back.
    virtual void HideScanWindow() = 0;
    // Closes the window (the radio went to local control).
    virtual void closeWindow() = 0;
};

class BandScan {
  public:
    BandScan(RadioLink& link, ToolHost& host, BandScanView& view);

    // The scan of cmdScanUp: returns when it ends (Stop, closing, an
    // invalid limit, the radio under local control). A failing port ends
    // it with its error.
    void run();
    bool running() const { return running_; }

    // cmdStop: the scan ends at its next check.
    void requestStop() { stop_ = true; }
    // The window is closing: ends the scan, also while paused.
    void requestClose() { close_ = true; }
    bool closing() const { return close_; }

    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }

    // Step in 10 Hz units (10 at first: 100 Hz) and dwell in seconds (0.4
    // at first); both apply from the next step.
    void setStep(int tenHz) { step_ = tenHz; }
    int step() const { return step_; }
    void setDwell(double seconds) { dwell_ = seconds; }
    double dwell() const { return dwell_; }

    // Steps taken since the window opened (a command sent per step).
    long steps() const { return steps_; }

    // A limit lies within the radio's range.
    static bool limitValid(std::int32_t tenHz);

  private:
    enum class Pass { Ended, Wrapped };
    Pass scanPass();
    bool radioWentLocal();

    RadioLink& link_;
    ToolHost& host_;
    BandScanView& view_;
    bool stop_ = false;
    bool close_ = false;
    bool paused_ = false;
    bool running_ = false;
    bool local_ = false;
    int step_ = 10;
    double dwell_ = 0.4;
    long steps_ = 0;
};

}  // namespace tolvane
