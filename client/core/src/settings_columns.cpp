// Column widths of the list windows, kept per user.
#include <zentcore/settings.h>

#include <zplatform/registry.h>

#include <algorithm>

namespace zentcore {

namespace {

constexpr int kMinWidth = 10;
constexpr int kMaxWidth = 200;

}  // namespace

std::string FormatColumnWidths(const std::vector<int>& widths) {
    std::string text;
    for (int width : widths) text += std::to_string(width) + ":";
    return text;
}

std::vector<int> ParseColumnWidths(std::string_view text, std::size_t columns) {
    std::vector<int> widths;
    while (widths.size() < columns && !text.empty()) {
        int width = 0;
        for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            width = std::min(width * 10 + (text[i] - '0'), kMaxWidth + 1);   // saturates: no overflow
        widths.push_back(std::clamp(width, kMinWidth, kMaxWidth));
        std::size_t colon = text.find(':');
        if (colon == std::string_view::npos) break;
        text.remove_prefix(colon + 1);
    }
    return widths;
}

std::vector<int> ReadColumnWidths(std::string_view valueName, std::size_t columns) {
    auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, kClientKey);
    if (!key) return {};
    return ParseColumnWidths(key->readString(valueName), columns);
}

bool WriteColumnWidths(std::string_view valueName, const std::vector<int>& widths) {
    auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, kClientKey);
    return key && key->writeString(valueName, FormatColumnWidths(widths));
}

}  // namespace zentcore
