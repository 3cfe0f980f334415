#include "text_util.h"

#include <charconv>
#include <ctime>

namespace zentserver {

std::string_view trimBlank(std::string_view v) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; };
    while (!v.empty() && blank(v.front())) v.remove_prefix(1);
    while (!v.empty() && blank(v.back())) v.remove_suffix(1);
    return v;
}

long long parseNumber(std::string_view text, long long fallback) {
    const std::string_view v = trimBlank(text);
    if (v.empty()) return fallback;
    const char* begin = v.data();
    if (*begin == '+') ++begin;   // from_chars takes no plus sign
    long long n = 0;
    const auto [end, ec] = std::from_chars(begin, v.data() + v.size(), n);
    return ec == std::errc() && end == v.data() + v.size() ? n : fallback;
}

std::string utcTimeText(std::int64_t secondsSince1970) {
    const std::time_t t = std::time_t(secondsSince1970);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

}  // namespace zentserver
