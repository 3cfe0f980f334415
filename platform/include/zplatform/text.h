// ASCII text helpers that never depend on the locale: names, keys and tags of
// the system's formats compare the same whatever language the desktop speaks.
#pragma once

#include <string_view>

namespace platform {

inline constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Equal when they differ at most in the case of ASCII letters.
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace platform
