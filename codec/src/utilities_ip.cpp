// Dotted IPv4 addresses to numbers and back.
#include <zcodec/utilities.h>

namespace encdec {

void FormatIP(std::string& text, std::uint32_t address) {
    text = std::to_string((address >> 24) & 0xFF) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string ip2long(const std::string& dotted) {
    StringList fields;
    split2(dotted, ".", fields);
    if (fields.size() != 4) return {};
    std::uint32_t result = 0;
    for (const auto& field : fields) {
        auto byte = ParseInt(field);
        // A negative field is no more an address byte than 256 is.
        if (!byte || *byte < 0 || *byte > 255) return {};
        result = (result << 8) | static_cast<std::uint32_t>(*byte);
    }
    return std::to_string(result);
}

}  // namespace encdec
