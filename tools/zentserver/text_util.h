// Small text readings shared by the handlers and the configuration.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zentserver {

// Without surrounding blanks and control characters.
std::string_view trimBlank(std::string_view text);

// A whole decimal integer (surrounding blanks allowed), else the fallback.
long long parseNumber(std::string_view text, long long fallback);

// "YYYY-MM-DDThh:mm:ssZ".
std::string utcTimeText(std::int64_t secondsSince1970);

}  // namespace zentserver
