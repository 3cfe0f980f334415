// Conversions of database values.
#include <zcodec/dbvariant.h>

#include "text_trim.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace encdec {

std::optional<std::int64_t> VarToInt(const DBVariant& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* d = std::get_if<double>(&v)) {
        // Out-of-range reals have no integer value (the cast would be undefined).
        if (!std::isfinite(*d) || std::fabs(*d) >= 9.2e18) return std::nullopt;
        return static_cast<std::int64_t>(*d);
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        std::string_view text = detail::trim(*s);
        if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

std::string VarToStr(const DBVariant& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&v)) {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *d);
        return error == std::errc() ? std::string(buffer, end) : std::string();
    }
    return {};
}

}  // namespace encdec
