// Number reading and big-endian byte order as the exchange's texts and
// packages use them.
#pragma once

#include <zcodec/byteorder.h>

#include "text_trim.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace encdec::exchange {

inline std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// The whole text (leading blanks allowed) as a signed 32-bit decimal number,
// or the fallback when it is not one.
inline std::int32_t DecimalOr(std::string_view text, std::int32_t fallback) {
    auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return fallback;
    return detail::parseDecimal(text.substr(first)).value_or(fallback);
}

// The decimal number at the start of the text (blanks and a sign allowed
// before it), 0 when there is none; values beyond 32 bits saturate.
inline std::int32_t LeadingDecimal(std::string_view text) {
    auto first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return 0;
    text.remove_prefix(first);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX + std::int64_t(1)) break;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return std::int32_t(value);
}

}  // namespace encdec::exchange
