#include "dsc_pages.h"

#include <charconv>

namespace zentro {

namespace {

// Every comment this counter reads is far shorter; DSC lines are at most 255.
constexpr std::size_t kKeptPerLine = 64;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The number after "%%Pages:"; -1 for "(atend)" or anything else.
int announcedPages(std::string_view rest) {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    int n = -1;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
    if (error != std::errc() || n < 0) return -1;
    // "%%Pages: 3 1" carries a page order after the count.
    if (end != rest.data() + rest.size() && *end != ' ' && *end != '\t') return -1;
    return n;
}

}  // namespace

void DscPageCounter::feed(std::string_view data) {
    for (const char c : data) {
        if (c == '\n' || c == '\r') {
            endLine();
            continue;
        }
        if (line_.size() < kKeptPerLine) line_.push_back(c);
        else lineTooLong_ = true;
    }
}

void DscPageCounter::endLine() {
    const std::string_view line = line_;
    if (startsWith(line, "%%BeginDocument")) {
        ++depth_;
    } else if (startsWith(line, "%%EndDocument")) {
        if (depth_ > 0) --depth_;
    } else if (depth_ == 0 && startsWith(line, "%%Pages:")) {
        if (!lineTooLong_)
            if (const int n = announcedPages(line.substr(8)); n >= 0) announced_ = n;
    } else if (depth_ == 0 && startsWith(line, "%%Page:")) {
        ++pageComments_;
    }
    line_.clear();
    lineTooLong_ = false;
}

int DscPageCounter::pages() const {
    if (announced_ >= 0) return announced_;
    // A last comment without its line feed still counts.
    DscPageCounter rest = *this;
    rest.endLine();
    return rest.announced_ >= 0 ? rest.announced_ : rest.pageComments_;
}

}  // namespace zentro
