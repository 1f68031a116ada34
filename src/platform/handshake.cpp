// Handshake name to flow control.
#include "platform/handshake.h"

namespace tolvane {

FlowControl handshakeFlow(const std::string& name) {
    if (name == "comRTS" || name == "comRTSXOnXOff") return FlowControl::RtsCts;
    return FlowControl::None;
}

int handshakingValue(FlowControl flow) {
    return flow == FlowControl::RtsCts ? 2 : 0;
}

}  // namespace tolvane
