// Trimming as the wire formats define it: every byte up to and including the
// space counts as white space (spaces and control characters); bytes of the
// upper half of the code page never do.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace encdec::detail {

inline bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

inline std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return trimRight(text);
}

// A decimal integer with an optional sign that fits 32 bits, and nothing
// else (no blanks: callers trim as their format says).
inline std::optional<std::int32_t> parseDecimal(std::string_view text) {
    // from_chars takes '-' but not '+'.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace encdec::detail
