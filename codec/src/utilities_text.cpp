// Trimming and number parsing shared by the settings and data-file readers.
#include <zcodec/utilities.h>

#include "text_trim.h"

#include <charconv>

namespace encdec {

std::string Trim(std::string_view text) { return std::string(detail::trim(text)); }

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::string_view digits = detail::trim(text);
    // from_chars takes '-' but not '+'.
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') return std::nullopt;
    }
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace encdec
