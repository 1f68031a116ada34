// The serial port on a POSIX terminal device (termios).
//
// The port keeps its own receive buffer of PortConfig::inBufferSize
// characters. The device is read without blocking whenever the program
// asks about input (inBufferCount, input, waitReadable, dispatchEvents).
// Input is read with PARMRK so that a break and a character received with
// a parity or framing error can be told from data: decodeMarked turns the
// marked byte stream into characters and events.
//
// Opening never touches a device that the probe (device_probe.h) finds
// missing, held by someone or not a serial port. The port remembers the
// device of its last successful opening: after that device went away,
// lostDevice() tells whether it is back and reopenLost() opens it, and only
// it, again; a path that now leads to another device is not opened.
//
// A device that goes away while open (an adapter pulled, the simulator's
// pseudo-terminal closed) is noticed on the next read. Characters received
// before that are still delivered; once they are taken, inBufferCount(),
// input() and write() throw PortError with the errno of the failure (EIO
// when the device reports end of file). The port stays "open" until
// close(), but notifyFd() returns -1 and waitReadable() sleeps instead of
// returning at once, so nobody spins on the dead device.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_probe.h"
#include "platform/serial_port.h"

namespace tolvane {

// Result of decoding a PARMRK-marked byte stream.
struct MarkedDecode {
    std::string chars;
    std::vector<int> events;  // comm::kErBreak, comm::kErRxParity, in order of arrival
};

// Decodes `raw`, preceded by `carry` (an incomplete mark left from the last
// read), appending to `out`:
//   "\377\377"        one character 0xFF
//   "\377\0\0"        a break (event 1001, no character) while `breaks`,
//                     the breaks the driver counted and not yet matched, is
//                     above 0 (it is counted down); otherwise a NUL received
//                     with a parity or framing error, as below. The two
//                     look the same under PARMRK.
//   "\377\0" X        X received with a parity or framing error: event 1009
//                     and `parityReplace` in its place (X itself when
//                     parityReplace is NUL, then dropped if a NUL and
//                     `discardNull`)
//   "\377" Y          (any other Y; not produced by the terminal driver)
//                     0xFF taken as data, Y decoded normally
//   NUL               dropped when `discardNull`
// A trailing "\377" or "\377\0" is left in `carry` for the next read.
void decodeMarked(std::string_view raw, std::string& carry, char parityReplace, bool discardNull,
                  int& breaks, MarkedDecode& out);

// The breaks the driver counted (TIOCGICOUNT) whose marks have not been
// read yet. The counter moves before the break's mark can be read, so a
// mark is a break only while a counted break waits for it. A counted break
// whose mark is not in data read more than kMatchWindow seconds after it
// was counted (lost in an overflow) is forgotten, so that it cannot claim a
// later NUL received with an error. A driver without the counter (a
// pseudo-terminal, some adapters) never confirms a break.
class BreakCounter {
  public:
    static constexpr double kMatchWindow = 0.5;
    static constexpr std::size_t kMaxPending = 64;
    // At opening: the counter as it stands (nothing when the driver has none).
    void reset(std::optional<int> counter);
    // The counter as read at `now` (seconds), after a read; returns the
    // breaks that marks may take.
    int update(std::optional<int> counter, double now);
    // Marks took `n` of them (oldest first), in data read at `readAt`; the
    // others counted more than kMatchWindow before that are forgotten.
    void consumed(int n, double readAt);

  private:
    std::optional<int> last_;
    std::deque<double> pending_;  // when each counted break was seen counted
};

class PosixSerialPort final : public SerialPort {
  public:
    // `folder` is the working folder whose ports/COM<n> entries name devices;
    // `tables` where the device probe finds the kernel's tables.
    explicit PosixSerialPort(std::string folder = ".", SystemTables tables = {});
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    void open(const PortConfig& config) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int portNumber() const override { return config_.portNumber; }
    std::string settingsText() const override { return config_.settings; }
    FlowControl flowControl() const override { return config_.flow; }

    void write(std::string_view text) override;
    std::string input() override;
    int inBufferCount() override;
    void clearInput() override;
    int outBufferCount() override;

    void setDtr(bool on) override;
    void setRts(bool on) override;
    bool cdHolding() override;
    bool ctsHolding() override;
    bool dsrHolding() override;

    int commEvent() const override { return lastEvent_; }
    void setEventHandler(EventHandler handler) override;
    void dispatchEvents() override;
    void waitReadable(double seconds) override;
    int notifyFd() const override { return vanished_ ? -1 : fd_; }
    LostDeviceState lostDevice() override;
    void reopenLost() override;

    // Device path the port was opened on ("" when closed).
    const std::string& devicePath() const { return path_; }
    // The device of the last successful opening (kept after closing; empty
    // after an opening that failed).
    const DeviceIdentity& openedDevice() const { return identity_; }
    // True once the device has gone away while open.
    bool vanished() const { return vanished_; }

  private:
    // Opens `path` with config_; with `pin`, only when it still leads to
    // that device.
    void openDevice(const std::string& path, const DeviceIdentity* pin);
    std::optional<int> readBreakCounter() const;
    void requireOpen() const;
    void throwIfGone() const;
    // Reads everything the device holds into the receive buffer; returns the
    // number of characters added. Notes a vanished device instead of throwing.
    int pump();
    void accept(const MarkedDecode& decoded);
    void queueEvent(int event);
    // Refreshes knownLines_ from the device; false when it has no modem lines.
    bool readModemLines();
    void modemBits(int set, int clear);

    std::string folder_;
    SystemTables tables_;
    std::string path_;
    std::string openedPath_;   // path of the last successful opening
    DeviceIdentity identity_;  // the device it led to
    BreakCounter breaks_;
    bool hasBreakCounter_ = false;
    int fd_ = -1;
    bool vanished_ = false;
    int vanishedErrno_ = 0;
    PortConfig config_;
    std::string rx_;
    std::string carry_;
    std::deque<int> events_;
    bool receivePending_ = false;
    int lastEvent_ = 0;
    EventHandler handler_;
    // Last known modem line bits (TIOCM_*); a pseudo-terminal has none, so
    // DSR reads as held (an external push-to-talk switch on it reads as
    // released). eventLines_ is the state the last change events reflect.
    int knownLines_ = 0;
    int eventLines_ = 0;
};

}  // namespace tolvane
