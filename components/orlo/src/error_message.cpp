#include <orlo/orlofunction.h>

#include <zplatform/prompter.h>

#include <cerrno>
#include <cstring>

namespace {

// errno must be read before anything else can change it.
std::string describe(int code) {
    const char* text = code != 0 ? std::strerror(code) : nullptr;
    if (text && *text && std::strncmp(text, "Unknown error", 13) != 0) return text;
    return "System error " + std::to_string(code);
}

}  // namespace

std::string TOrloFunction::GetErrorMessage(int /*code*/) {
    return describe(errno);
}

std::string TOrloFunction::GetErrorMessage(platform::WindowHandle /*owner*/, const std::string& caption, int /*code*/) {
    std::string text = describe(errno);
    platform::prompter().error(caption.empty() ? "Error" : caption.substr(0, 2048), text.substr(0, 2048));
    return text;
}
