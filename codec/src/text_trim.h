// Trimming as the wire formats define it: every byte up to and including the
// space counts as white space (spaces and control characters); bytes of the
// upper half of the code page never do.
#pragma once

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

}  // namespace encdec::detail
