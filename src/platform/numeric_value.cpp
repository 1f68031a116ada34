#include "platform/numeric_value.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>
#include <system_error>

namespace tolvane {

double numericValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    bool nonZeroWhole = false;
    std::size_t wholeDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (text[i] != '0') nonZeroWhole = true;
        ++i;
        ++wholeDigits;
    }
    std::size_t fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            ++j;
            ++fractionDigits;
        }
        if (wholeDigits > 0 || fractionDigits > 0) i = j;
    }
    if (wholeDigits == 0 && fractionDigits == 0) return 0.0;

    // from_chars takes no plus sign and is independent of the locale.
    std::string_view number = text.substr(digitsStart, i - digitsStart);
    double value = 0.0;
    const auto ec = std::from_chars(number.data(), number.data() + number.size(), value,
                                    std::chars_format::fixed)
                        .ec;
    if (ec == std::errc::result_out_of_range)
        value = nonZeroWhole ? DBL_MAX : 0.0;
    else if (ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

}  // namespace tolvane
