// Reading one complete page producer tag.
#pragma once

#include <string>

#include <zentcore/pageproducer.h>

namespace zentcore::detail {

inline bool isTagBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// A quote opens a value only where a parameter or its value begins, so a
// quote inside a word is an ordinary character.
inline bool opensQuote(char c, char previous) {
    return (c == '"' || c == '\'') && (previous == '=' || isTagBlank(previous));
}

// source runs from "<#" to the closing ">".
PageTag ParsePageTag(std::string source);

}  // namespace zentcore::detail
