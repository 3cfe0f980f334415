// The streaming page producer: copies text and hands complete tags to the
// handler.
#include <zentcore/pageproducer.h>

#include "pageproducer_tag.h"

namespace zentcore {

PageProducer::PageProducer(PageTagHandler handler) : handler_(std::move(handler)) {}

void PageProducer::Feed(std::string_view chunk, std::string& out) {
    size_t at = 0;
    while (at < chunk.size()) {
        switch (state_) {
        case State::Text: {
            const size_t open = chunk.find('<', at);
            out.append(chunk.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at));
            if (open == std::string_view::npos) return;
            at = open + 1;
            state_ = State::Open;
            break;
        }
        case State::Open:
            if (chunk[at] == '#') {
                pending_ = "<#";
                quote_ = 0;
                state_ = State::Tag;
                ++at;
            } else {
                out += '<';  // the next character is looked at afresh: it may open a tag
                state_ = State::Text;
            }
            break;
        case State::Tag: {
            const char c = chunk[at++];
            if (quote_ != 0) {
                if (c == quote_) quote_ = 0;
            } else if (c == '>') {
                pending_ += c;
                endTag(out);
                break;
            } else if (detail::opensQuote(c, pending_.back())) {
                quote_ = c;
            }
            pending_ += c;
            if (pending_.size() >= MaxTagLength) {
                out += pending_;  // too long for a tag: plain text
                pending_.clear();
                state_ = State::Text;
            }
            break;
        }
        }
    }
}

void PageProducer::Finish(std::string& out) {
    if (state_ == State::Open) out += '<';
    if (state_ == State::Tag) out += pending_;  // never closed: plain text
    pending_.clear();
    state_ = State::Text;
}

void PageProducer::endTag(std::string& out) {
    PageTag tag = detail::ParsePageTag(std::move(pending_));
    pending_.clear();
    state_ = State::Text;
    std::optional<std::string> replacement = handler_ ? handler_(tag) : std::nullopt;
    out += replacement ? *replacement : tag.Source;
}

std::string PageProducer::Content(std::string_view document, const PageTagHandler& handler) {
    PageProducer producer(handler);
    std::string out;
    out.reserve(document.size());
    producer.Feed(document, out);
    producer.Finish(out);
    return out;
}

}  // namespace zentcore
