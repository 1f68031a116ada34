// The serial port on a POSIX terminal device (termios).
//
// The port keeps its own receive buffer of PortConfig::inBufferSize
// characters. The device is read without blocking whenever the program
// asks about input (inBufferCount, input, waitReadable, dispatchEvents).
// Input is read with PARMRK so that a break and a character received with
// a parity or framing error can be told from data: decodeMarked turns the
// marked byte stream into characters and events.
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
#include <string>
#include <string_view>
#include <vector>

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
//   "\377\0\0"        a break: event 1001, no character
//                     (a NUL received with an error looks the same)
//   "\377\0" X        X received with a parity or framing error: event 1009
//                     and `parityReplace` in its place (X itself when
//                     parityReplace is NUL)
//   "\377" Y          (any other Y; not produced by the terminal driver)
//                     0xFF taken as data, Y decoded normally
//   NUL               dropped when `discardNull`
// A trailing "\377" or "\377\0" is left in `carry` for the next read.
void decodeMarked(std::string_view raw, std::string& carry, char parityReplace, bool discardNull,
                  MarkedDecode& out);

class PosixSerialPort final : public SerialPort {
  public:
    // `folder` is the working folder whose ports/COM<n> entries name devices.
    explicit PosixSerialPort(std::string folder = ".");
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

    // Device path the port was opened on ("" when closed).
    const std::string& devicePath() const { return path_; }
    // True once the device has gone away while open.
    bool vanished() const { return vanished_; }

  private:
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
    std::string path_;
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
