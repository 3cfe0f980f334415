// Reading one complete page producer tag into its name and parameters.
#include "pageproducer_tag.h"

#include <algorithm>
#include <string_view>

namespace zentcore {

namespace detail {

namespace {

// Reads a word, or a quoted text when at is at an opening quote; at ends
// after it. A quote left open runs to the end.
std::string readPart(std::string_view body, size_t& at, bool stopAtEquals) {
    if (at < body.size() && (body[at] == '"' || body[at] == '\'')) {
        const char quote = body[at++];
        const size_t close = body.find(quote, at);
        const size_t end = close == std::string_view::npos ? body.size() : close;
        std::string part(body.substr(at, end - at));
        at = close == std::string_view::npos ? end : end + 1;
        return part;
    }
    const size_t start = at;
    while (at < body.size() && !isTagBlank(body[at]) && !(stopAtEquals && body[at] == '=')) ++at;
    return std::string(body.substr(start, at - start));
}

}  // namespace

PageTag ParsePageTag(std::string source) {
    PageTag tag;
    const std::string_view body = std::string_view(source).substr(2, source.size() - 3);
    size_t at = 0;
    while (at < body.size() && !isTagBlank(body[at])) ++at;
    tag.Name.assign(body.substr(0, at));
    while (true) {
        while (at < body.size() && isTagBlank(body[at])) ++at;
        if (at >= body.size()) break;
        PageTagParam param;
        param.Name = readPart(body, at, true);
        if (at < body.size() && body[at] == '=') {
            ++at;
            param.HasValue = true;
            param.Value = readPart(body, at, false);
        }
        tag.Params.push_back(std::move(param));
    }
    tag.Source = std::move(source);
    return tag;
}

}  // namespace detail

bool PageTag::HasWord(std::string_view name) const {
    return std::any_of(Params.begin(), Params.end(),
                       [name](const PageTagParam& p) { return !p.HasValue && p.Name == name; });
}

}  // namespace zentcore
