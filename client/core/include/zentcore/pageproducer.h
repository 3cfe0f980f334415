// The page producer: replaces the tags of an HTML template by a handler's
// text. A tag is "<#" name, blank-separated parameters, ">"; a parameter is a
// word, name=value, or name="value with blanks" (single quotes work too; a
// quoted ">" does not end the tag). Everything outside tags is copied as it is.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

struct PageTagParam {
    std::string Name;
    std::string Value;      // without its quotes
    bool HasValue = false;  // written as name=value
};

struct PageTag {
    std::string Name;
    std::vector<PageTagParam> Params;
    std::string Source;  // the tag as written, "<#" to ">"

    // True when the parameter list holds the bare word name (exact case).
    bool HasWord(std::string_view name) const;
};

// The replacement of a tag; nullopt keeps the tag as written.
using PageTagHandler = std::function<std::optional<std::string>(const PageTag&)>;

// Streaming: text may come in chunks of any size, cut anywhere, and goes out
// as soon as it is known not to belong to a tag. Linear in the input; only an
// unfinished tag is held back, and one longer than MaxTagLength, or one still
// open at the end, is not a tag and is copied as it is.
class PageProducer {
public:
    static constexpr std::size_t MaxTagLength = 8192;

    explicit PageProducer(PageTagHandler handler);

    void Feed(std::string_view chunk, std::string& out);
    void Finish(std::string& out);

    // A whole document at once.
    static std::string Content(std::string_view document, const PageTagHandler& handler);

private:
    enum class State { Text, Open, Tag };
    void endTag(std::string& out);

    PageTagHandler handler_;
    State state_ = State::Text;
    std::string pending_;  // "<" or the tag read so far
    char quote_ = 0;       // the quote a value is open with, or 0
};

// Text made safe to put into a page, between tags or inside a quoted
// attribute: "&", "<", ">", '"' and "'" become character references.
std::string HtmlEscape(std::string_view text);

}  // namespace zentcore
