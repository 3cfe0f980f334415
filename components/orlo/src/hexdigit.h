// The value of one hexadecimal digit, shared by the URL and form-data codes.
#pragma once

namespace orlo::detail {

// 0-15, or -1 when c is not a hexadecimal digit.
inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace orlo::detail
