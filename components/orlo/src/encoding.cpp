// Form-data encoding and decoding (application/x-www-form-urlencoded).
#include <orlo/orlofunction.h>

#include "hexdigit.h"

#include <cstring>

namespace {

using orlo::detail::hexValue;

// The code of two hex digits, or -1 when either is not one.
int hexPair(char high, char low) {
    const int h = hexValue(high), l = hexValue(low);
    return h < 0 || l < 0 ? -1 : h * 16 + l;
}

// ASCII letters and digits only: the encoding must not vary with the locale.
bool isSafe(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr("*$!@._',()-", c) != nullptr;
}

}  // namespace

void TOrloFunction::plus2space(char* text) {
    if (!text) return;
    for (; *text; ++text)
        if (*text == '+') *text = ' ';
}

std::string TOrloFunction::replace_hex(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        // A truncated escape ends the text.
        if (text.size() - i < 3) break;
        const int code = hexPair(text[i + 1], text[i + 2]);
        if (code < 0) {
            out += '%';
            continue;
        }
        out += static_cast<char>(code);
        i += 2;
    }
    return out;
}

void TOrloFunction::replace_hex(char* text) {
    if (!text) return;
    size_t length = std::strlen(text);
    for (size_t i = 0; i + 2 < length; ++i) {
        if (text[i] != '%') continue;
        // Only a complete pair is decoded, so "%4z" keeps its "z".
        const int code = hexPair(text[i + 1], text[i + 2]);
        if (code < 0) continue;
        text[i] = static_cast<char>(code);
        if (code == 0) return;  // "%00" ends a C string
        std::memmove(text + i + 1, text + i + 3, length - i - 2);  // with the terminator
        length -= 2;
    }
}

std::string TOrloFunction::iHTMLDecode(const std::string& text) {
    std::string plain = text;
    for (char& c : plain)
        if (c == '+') c = ' ';
    return replace_hex(plain);
}

std::string TOrloFunction::iHTMLEncode(const std::string& text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if (isSafe(c)) {
            out += ch;
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        }
    }
    return out;
}
