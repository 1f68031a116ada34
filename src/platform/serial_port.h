// The serial port seam: the operations the program needs from a port, the
// line settings it is opened with, and the communication events it raises.
// Implementations: PosixSerialPort (termios) and FakePort (tests, radio model).
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane {

// Communication event codes, as the radio and CAT port handlers know them.
namespace comm {
constexpr int kEvSend = 1;
constexpr int kEvReceive = 2;
constexpr int kEvCts = 3;
constexpr int kEvDsr = 4;
constexpr int kEvCd = 5;
constexpr int kEvRing = 6;
constexpr int kEvEof = 7;
constexpr int kErBreak = 1001;
constexpr int kErCtsTimeout = 1002;
constexpr int kErDsrTimeout = 1003;
constexpr int kErFrame = 1004;
constexpr int kErOverrun = 1006;
constexpr int kErCdTimeout = 1007;
constexpr int kErRxOver = 1008;
constexpr int kErRxParity = 1009;
constexpr int kErTxFull = 1010;
constexpr int kErDcb = 1011;
}  // namespace comm

enum class FlowControl { None, RtsCts };

enum class Parity { None, Odd, Even, Mark, Space };

// "speed,parity,data bits,stop bits", blanks around fields tolerated.
struct LineSettings {
    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;
};
// Parses a settings text such as "9600,O,7,1", "9600 ,O,7,1" or "19200,N, 8, 1".
// Returns nothing when the text cannot be used.
std::optional<LineSettings> parseLineSettings(std::string_view text);
// Why a settings text cannot be used, naming every refused field
// ("speed 12345, parity Q, data bits 9, stop bits 3"); empty when it can.
std::string lineSettingsFault(std::string_view text);
// Bits one character takes on the line: start, data, parity and stop bits.
int bitsPerCharacter(const LineSettings& line);

// Everything applied to a port before it opens.
struct PortConfig {
    int portNumber = 0;
    std::string settings = "9600,N,8,1";  // line settings text
    FlowControl flow = FlowControl::None;
    int inBufferSize = 4096;
    int outBufferSize = 256;
    int receiveThreshold = 0;  // 0: no receive events; n: event 2 once n or more are waiting
    bool discardNull = true;
    char parityReplace = ':';
    bool rts = true;
};

// What kind of failure a port reports, so that callers can say what went
// wrong without reading error numbers.
enum class PortFault {
    Gone,            // the device is missing or went away
    Busy,            // another program (or this one) holds the port
    RefusedSetting,  // a line setting the port or its device cannot take
    Other,
};

// A failing port operation (the original's run-time error from the port).
// what() reads "<device>: <reason>" when the device is known.
class PortError : public std::runtime_error {
public:
    PortError(int number, const std::string& what, PortFault fault = PortFault::Other)
        : std::runtime_error(what), number_(number), fault_(fault), reason_(what) {}
    PortError(int number, PortFault fault, const std::string& device, const std::string& reason)
        : std::runtime_error(device.empty() ? reason : device + ": " + reason),
          number_(number),
          fault_(fault),
          device_(device),
          reason_(reason) {}
    int number() const { return number_; }
    PortFault fault() const { return fault_; }
    const std::string& device() const { return device_; }
    const std::string& reason() const { return reason_; }

private:
    int number_;
    PortFault fault_;
    std::string device_;
    std::string reason_;
};

// Where the device of a port's last successful opening stands once that
// device went away and the port was closed. A port number is resolved
// afresh only when the operator applies new settings (or at start-up); a
// lost port comes back only on the device it had.
enum class LostDevice {
    Missing,   // its path leads nowhere (yet)
    Back,      // the same device is there again, and free
    Busy,      // the same device is there, held by someone
    Replaced,  // its path now leads to another device
};
struct LostDeviceState {
    LostDevice where = LostDevice::Missing;
    std::string path;  // the path the port was opened by ("ports/COM1")
    std::string had;   // the device it led to then ("/dev/pts/3")
    std::string now;   // the device it leads to now, when Replaced
};

class SerialPort {
public:
    using EventHandler = std::function<void(int event)>;

    virtual ~SerialPort() = default;

    // Opens with the given configuration; throws PortError when the port does
    // not exist, is in use (locked) or the line settings are unusable.
    virtual void open(const PortConfig& config) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Number and settings the port was last configured with (0 / "" before).
    virtual int portNumber() const = 0;
    virtual std::string settingsText() const = 0;
    virtual FlowControl flowControl() const = 0;

    // One write of the whole text; throws PortError when the port is closed.
    virtual void write(std::string_view text) = 0;
    // All received characters not yet taken (and takes them). Throws when closed.
    virtual std::string input() = 0;
    // Characters received and not yet taken. Throws when closed.
    virtual int inBufferCount() = 0;
    // Discards the received characters ("InBufferCount = 0").
    virtual void clearInput() = 0;
    // Characters still waiting to be sent.
    virtual int outBufferCount() = 0;

    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    virtual bool cdHolding() = 0;
    virtual bool ctsHolding() = 0;
    virtual bool dsrHolding() = 0;

    // Last communication event (0 before the first).
    virtual int commEvent() const = 0;
    // Handler for events; called only from dispatchEvents().
    virtual void setEventHandler(EventHandler handler) = 0;
    // Delivers pending events to the handler. Called only when the program
    // yields to the window system.
    virtual void dispatchEvents() = 0;

    // Blocks up to `seconds` until received characters are waiting (used by
    // the real clock; the fake port returns at once).
    virtual void waitReadable(double seconds) = 0;
    // File descriptor to watch for input while the program yields, or -1.
    virtual int notifyFd() const { return -1; }

    // After the device went away and the port was closed: where the device
    // of the last successful opening stands now. Never opens the device.
    virtual LostDeviceState lostDevice() { return {}; }
    // Opens the device of the last successful opening again, with the same
    // configuration, and only that device: throws PortError (Gone) when its
    // path now leads elsewhere or nowhere, (Busy) when it is held.
    virtual void reopenLost() {
        throw PortError(0, PortFault::Gone, "", "no device to open again");
    }
};

}  // namespace tolvane
