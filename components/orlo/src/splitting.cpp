// Splitting text at delimiter characters (single bytes).
#include <orlo/orlofunction.h>

namespace {

// Leading delimiters are always skipped. With keepEmpty every further
// delimiter of a run ends an empty part; without it a run counts as one.
// Once maxParts - 1 parts are taken the rest of the text, delimiters
// included, is the last part, so there are never more than maxParts parts.
void splitText(const std::string& text, const std::string& delimiters, TOrloFunction::StringList& parts,
               int maxParts, bool keepEmpty) {
    parts.clear();
    const auto isDelimiter = [&](char c) { return delimiters.find(c) != std::string::npos; };
    const auto lastPartDue = [&] { return maxParts > 0 && parts.size() + 1 >= static_cast<size_t>(maxParts); };
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && isDelimiter(text[i])) ++i;
    while (i < n) {
        if (lastPartDue()) {
            parts.push_back(text.substr(i));
            return;
        }
        size_t end = i;
        while (end < n && !isDelimiter(text[end])) ++end;
        parts.push_back(text.substr(i, end - i));
        i = end < n ? end + 1 : n;  // past the delimiter that ended the part
        for (; i < n && isDelimiter(text[i]); ++i) {
            if (!keepEmpty) continue;
            if (lastPartDue()) break;  // the rest starts at this delimiter
            parts.emplace_back();
        }
    }
}

}  // namespace

void TOrloFunction::AnsiSplit(const std::string& text, const std::string& delimiters, StringList& parts,
                              int maxParts) {
    splitText(text, delimiters, parts, maxParts, false);
}

void TOrloFunction::AnsiSplit2(const std::string& text, const std::string& delimiters, StringList& parts,
                               int maxParts) {
    splitText(text, delimiters, parts, maxParts, true);
}
