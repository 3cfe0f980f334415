// ASCII comparison without regard to case, independent of the locale.
#pragma once

#include <algorithm>
#include <string_view>

namespace zentcore::detail {

inline char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

inline bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

}  // namespace zentcore::detail
