// What the web wrapper shows for a text or a file.
#include <orlo/webrules.h>

#include "webrules_read.h"

#include <string_view>
#include <vector>

namespace {

constexpr std::string_view goHref = "GO_HREF#";

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Lines end at CR LF, LF or CR; a final line break starts no further line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        const size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        text.remove_prefix(next);
    }
    return lines;
}

}  // namespace

TContentsResult TWebWrapperRules::SetContents(const std::string& text) const {
    const std::string document = producerActive() ? producer_(text) : text;
    const std::vector<std::string_view> lines = splitLines(document);
    TContentsResult result;
    if (lines.size() == 1) {
        const std::string_view line = trim(lines.front());
        if (line.starts_with(goHref)) {
            result.GoHref = true;
            result.Url = LoadUrl(std::string(trim(line.substr(goHref.size()))));
            return result;
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) result.Html += '\n';
        result.Html += trim(lines[i]);
    }
    return result;
}

std::optional<TContentsResult> TWebWrapperRules::SetContentsFile(const std::string& path) const {
    const std::optional<std::string> text = orlo::ReadWholeFile(path);
    if (!text) return std::nullopt;
    return SetContents(*text);
}
