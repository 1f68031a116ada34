#include "radio/errors.h"

#include <system_error>

#include "platform/serial_port.h"

namespace tolvane {

int errNumber(const std::exception& e) {
    if (auto* p = dynamic_cast<const PortError*>(&e)) return p->number();
    if (auto* r = dynamic_cast<const RunError*>(&e)) return r->number();
    if (auto* s = dynamic_cast<const std::system_error*>(&e)) return s->code().value();
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return 7;     // out of memory
    if (dynamic_cast<const std::out_of_range*>(&e) != nullptr) return 9;  // subscript out of range
    if (dynamic_cast<const std::invalid_argument*>(&e) != nullptr) return 13;  // type mismatch
    return 5;  // invalid procedure call
}

std::string errText(const std::exception& e) {
    return std::to_string(errNumber(e)) + ". " + e.what();
}

}  // namespace tolvane
