// Error reports: the text of the calling thread's last error, optionally shown.
#include <orlo/orlofunction.h>

#include <zplatform/prompter.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr size_t maxShownCharacters = 2048;

// strerror_r comes in a GNU form (returns the text) and a POSIX form (fills
// the buffer); overloads pick whichever the C library declares.
[[maybe_unused]] const char* errorText(const char* text, const char*) { return text; }
[[maybe_unused]] const char* errorText(int rc, const char* buffer) { return rc == 0 ? buffer : nullptr; }

// No error (0) has no text worth showing in a failure report.
std::string describe(int code) {
    char buffer[256] = {};
    const char* text = code != 0 ? errorText(strerror_r(code, buffer, sizeof buffer), buffer) : nullptr;
    if (text && *text && std::strncmp(text, "Unknown error", 13) != 0) return text;
    return "System error " + std::to_string(code);
}

// At most maxShownCharacters characters, never splitting a UTF-8 sequence.
std::string shown(const std::string& text) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && ++characters > maxShownCharacters) return text.substr(0, i);
    }
    return text;
}

}  // namespace

std::string TOrloFunction::GetErrorMessage(int /*code*/) {
    return describe(errno);
}

std::string TOrloFunction::GetErrorMessage(platform::WindowHandle /*owner*/, const std::string& caption, int /*code*/) {
    std::string text = describe(errno);
    platform::prompter().error(caption.empty() ? std::string("Error") : shown(caption), shown(text));
    return text;
}
