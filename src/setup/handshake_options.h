// The handshake options of the radio port and CAT port setup dialogs: option
// button index, caption, and the name stored in the settings and files. The
// index equals the port's handshaking value that selects the option.
#pragma once

#include <array>
#include <string_view>

namespace tolvane {

struct HandshakeOption {
    int index;
    std::string_view caption;
    std::string_view name;
};

inline constexpr std::array<HandshakeOption, 4> kHandshakeOptions{{
    {0, "NONE", "comNone"},
    {1, "XON", "comXonXoff"},
    {2, "RTS", "comRTS"},
    {3, "RTS  XON", "comRTSXonXoff"},
}};

// No handshake option selected in a dialog.
inline constexpr int kNoHandshakeOption = -1;

// Option index of a handshake name; a name not in the table selects "NONE" (0).
constexpr int handshakeIndexForName(std::string_view name) {
    for (const auto& option : kHandshakeOptions)
        if (option.name == name) return option.index;
    return 0;
}

// Name stored for an option index; no option (or an index outside the table)
// stores "comNone".
constexpr std::string_view handshakeNameForIndex(int index) {
    for (const auto& option : kHandshakeOptions)
        if (option.index == index) return option.name;
    return kHandshakeOptions[0].name;
}

}  // namespace tolvane
