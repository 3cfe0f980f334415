// The stored form of the administrator password.
#include <zentcore/settings.h>

#include <zcodec/utilities.h>

#include <cstdio>

namespace zentcore {

std::string EncodeAdminPassword(std::string_view password) {
    std::string stored;
    for (unsigned char c : encdec::Trim(password)) {
        // A control character inside the text gives a negative number; it is
        // stored as its 32-bit two's complement.
        auto code = static_cast<std::uint32_t>((static_cast<int>(c) - 32) * 3 + 1);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%x", code);
        stored += hex;
    }
    return stored;
}

}  // namespace zentcore
