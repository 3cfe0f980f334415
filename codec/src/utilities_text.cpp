// Trimming and number parsing shared by the settings and data-file readers.
#include <zcodec/utilities.h>

#include "text_trim.h"


namespace encdec {

std::string Trim(std::string_view text) { return std::string(detail::trim(text)); }

std::optional<std::int32_t> ParseInt(std::string_view text) { return detail::parseDecimal(detail::trim(text)); }

}  // namespace encdec
