// A serial port in virtual time for tests: records every write, delivers the
// characters of an attached device (the radio model) or injected by the
// test when the virtual clock reaches them, and raises the same events as
// the termios port (receive threshold, break, overflow, modem lines).
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "fake_device.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace tolvane {

class FakePort final : public SerialPort {
public:
    explicit FakePort(VirtualClock& clock, FakeDevice* device = nullptr);
    ~FakePort() override;

    void attach(FakeDevice* device) { device_ = device; }

    // --- SerialPort ---
    void open(const PortConfig& config) override;
    void close() override;
    bool isOpen() const override { return open_; }
    int portNumber() const override { return config_.portNumber; }
    std::string settingsText() const override { return config_.settings; }
    FlowControl flowControl() const override { return config_.flow; }
    void write(std::string_view text) override;
    std::string input() override;
    int inBufferCount() override;
    void clearInput() override;
    int outBufferCount() override;
    void setDtr(bool on) override { dtr_ = on; }
    void setRts(bool on) override { rts_ = on; }
    bool cdHolding() override { return cd_; }
    bool ctsHolding() override { return cts_; }
    bool dsrHolding() override { return dsr_; }
    int commEvent() const override { return lastEvent_; }
    void setEventHandler(EventHandler handler) override { handler_ = std::move(handler); }
    void dispatchEvents() override;
    void waitReadable(double) override {}
    LostDeviceState lostDevice() override;
    void reopenLost() override;

    // --- test controls ---
    // Everything written since the last takeWritten(), and all writes ever.
    std::string takeWritten();
    const std::string& allWritten() const { return all_; }
    struct Write {
        double at;  // clock elapsed seconds
        std::string text;
    };
    const std::vector<Write>& writes() const { return writes_; }
    // Characters that arrive `delay` seconds from now, `spacing` apart.
    void inject(std::string_view text, double delay = 0.0, double spacing = 0.0);
    // A transmit buffer that never empties: writes are dropped by the sender.
    void setStuckTransmit(bool stuck) { stuckTx_ = stuck; }
    // The next open() fails as a port that is in use.
    void setOpenFails(bool fails) { openFails_ = fails; }
    // The device vanished (adapter pulled): every operation throws until reopened.
    void setVanished(bool vanished) { vanished_ = vanished; }
    // The device the port's number leads to ("" none; "/dev/ttyFAKE0" at
    // first). An opening records it; a lost port comes back only while its
    // number leads to the device it had.
    void setDevice(std::string target) { target_ = std::move(target); }
    const std::string& device() const { return target_; }
    // Openings are refused this line setting (as a device that cannot do
    // it), until cleared with "".
    void setRefusedSetting(std::string setting) { refused_ = std::move(setting); }
    void setDsr(bool level);
    void setCd(bool level);
    void setCts(bool level);
    // Queue an event for the next dispatch (1001 break, 1004 frame error, ...).
    void raiseEvent(int event);
    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }
    const PortConfig& config() const { return config_; }
    int openCount() const { return openCount_; }

private:
    void pump();  // move due characters into the receive buffer
    void check() const;

    VirtualClock& clock_;
    FakeDevice* device_;
    PortConfig config_;
    bool open_ = false;
    bool openFails_ = false;
    std::string target_ = "/dev/ttyFAKE0";
    std::string openedTarget_;  // the device of the last successful opening
    std::string refused_;
    bool vanished_ = false;
    bool stuckTx_ = false;
    bool dtr_ = false, rts_ = false, cd_ = false, cts_ = false, dsr_ = true;
    int lastEvent_ = 0;
    int openCount_ = 0;
    bool receivePending_ = false;
    EventHandler handler_;
    std::string inbuf_;
    std::deque<std::pair<double, char>> scheduled_;  // injected characters
    std::deque<int> events_;
    std::string written_, all_;
    std::vector<Write> writes_;
};

}  // namespace tolvane
