// Handshake names of the port settings and the flow control they select.
#pragma once

#include <string>

#include "platform/serial_port.h"

namespace tolvane {

// Flow control applied for a handshake name. The comparison is exact and
// case-sensitive: "comRTS" and "comRTSXOnXOff" select RTS/CTS; every other
// name ("comXOnXOff", "comNone", "comRTSXonXoff", "", ...) selects none.
// XON/XOFF flow control is never applied.
FlowControl handshakeFlow(const std::string& name);

// The port's handshaking value as a dialog shows it, reflecting what was
// applied: 0 for none, 2 for RTS/CTS.
int handshakingValue(FlowControl flow);

}  // namespace tolvane
