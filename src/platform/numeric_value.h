// The numeric value of a text, as the panel reads numbers from its files
// and settings (port numbers, window positions, flags).
#pragma once

#include <string_view>

namespace tolvane {

// The numeric value of a text as the panel reads numbers from its files:
// leading blanks and tabs are skipped, then an optional sign, digits and an
// optional decimal part ("12.5", "12.", ".5") are taken up to the first
// character that cannot belong to the number. Text that does not start with a
// number is 0: " 1234 " -> 1234, "-2880" -> -2880, "12abc" -> 12, "abc" -> 0.
// A value beyond the range of double is the largest finite double of its sign.
double numericValue(std::string_view text);

}  // namespace tolvane
