// The status display: brings the main window in line with the radio state
// record (each new report drawn by its display routine), the band check
// that enables the transmit controls, and the meter bar and scale.
// It is also the panel the radio layer reports to.
#pragma once

#include <string>

#include "panel/panel_state.h"
#include "radio/ptt_interlock.h"
#include "radio/radio_panel.h"
#include "radio/radio_state.h"

namespace tolvane {

class FrmTolvane;
class RadioLink;

class StatusDisplay final : public RadioPanel {
  public:
    StatusDisplay(FrmTolvane& form, RadioState& state, PanelFlags& panel, Settings& settings);
    void setLink(RadioLink* link) { link_ = link; }

    // --- RadioPanel ---
    void setLamp(Lamp lamp) override;
    void setComStat(mapping::LinkStatus status) override;
    void reportError(const std::string& message) override;
    void setInfoText(const std::string& text) override;
    bool dataBoxShown() override;
    void setDataBox(const std::string& text) override;
    void displayMeterData(const std::string& line) override { gDisplayMeterData(line); }
    void setSyncCaption(const std::string& caption) override;
    void setSyncColour(long colour) override;
    void ShowMode() override;
    void ShowSideTone() override;
    void ShowSource() override;
    void ShowPttEnable() override;
    void greyMeterLabels() override;

    // --- status display ---
    void gUpdateDisplay();
    // True when transmitting on the frequency text is allowed: "F" + seven
    // digits, or the last seven characters holding the frequency in 10 Hz.
    // Text that is not a number is not allowed.
    bool IsInBand(const std::string& text) const;
    void SetTxControlsEnabled(bool& allowed);
    void ShowRemoteState();
    void ShowAgc();
    void ShowFreqDigits();
    void ShowLocRem();
    void ShowClipping();
    void ShowSpeaker();
    void ShowVox();
    void ShowAmpState();
    void ShowAmpTune();

    // --- meters ---
    void gDisplayMeterData(const std::string& line);
    void ShowMeterSelection();
    // The four meter scales, 38 characters each.
    static const char* const kScaleAudio;
    static const char* const kScalePower;
    static const char* const kScaleVswr;
    static const char* const kScaleSMeter;

    // "F" followed by the seven VFO B digit captions.
    std::string vfoBText() const;

    // What the PTT-enable interlock remembers of its last toggle.
    const PttInterlockMemory& pttInterlock() const { return pttInterlock_; }

  private:
    // Holds the radio's PTT enable to the permission: decides, sends the
    // toggle and tells the operator when the radio does not follow.
    void holdPttEnable(bool allowed);

    FrmTolvane& form_;
    RadioState& st_;
    PanelFlags& ps_;
    Settings& set_;
    RadioLink* link_ = nullptr;
    PttInterlockMemory pttInterlock_;
    ControlMode pttInterlockMode_ = ControlMode::None;  // mode the memory was taken under
};

}  // namespace tolvane
