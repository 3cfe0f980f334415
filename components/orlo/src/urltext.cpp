// Percent-encoding of URL parts and local file URLs.
#include <orlo/urltext.h>

#include "hexdigit.h"

#include <zplatform/text.h>

namespace orlo {

namespace {

using orlo::detail::hexValue;

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string UrlDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string UrlEncode(std::string_view text, std::string_view keep) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (isUnreserved(ch) || keep.find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            const auto c = static_cast<unsigned char>(ch);
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        }
    }
    return out;
}

bool HasScheme(std::string_view url, std::string_view scheme) {
    return url.size() > scheme.size() && url[scheme.size()] == ':' && platform::startsWithNoCase(url, scheme);
}

std::string FileUrl(const std::string& absolutePath) { return "file://" + UrlEncode(absolutePath, "/"); }

std::optional<std::string> LocalPathOfUrl(std::string_view url) {
    if (!url.empty() && url.front() == '/') return std::string(url);
    if (!platform::startsWithNoCase(url, "file:")) return std::nullopt;
    url.remove_prefix(5);
    url = url.substr(0, url.find_first_of("?#"));
    if (url.starts_with("//")) {
        url.remove_prefix(2);
        const size_t slash = url.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = url.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && platform::startsWithNoCase(host, "localhost"))) return std::nullopt;
        url.remove_prefix(slash);
    }
    if (url.empty() || url.front() != '/') return std::nullopt;
    return UrlDecode(url);
}

}  // namespace orlo
