// The two splitting rules used throughout: runs of separators as one
// (split), or every separator ending a field (split2).
#include <zcodec/utilities.h>

#include <cstring>

namespace encdec {

void split(const std::string& text, const std::string& separators, StringList& fields, int maxFields) {
    fields.clear();
    std::size_t pos = 0;
    int count = 0;
    while (true) {
        std::size_t start = text.find_first_not_of(separators, pos);
        if (start == std::string::npos) return;
        std::size_t end = (maxFields != 0 && count == maxFields - 1) ? std::string::npos
                                                                       : text.find_first_of(separators, start);
        std::string field = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // Fields are handed on as C texts: an embedded zero byte ends one.
        field.resize(std::strlen(field.c_str()));
        fields.push_back(std::move(field));
        ++count;
        if (end == std::string::npos) return;
        pos = end + 1;
    }
}

void split2(const std::string& text, const std::string& separators, StringList& fields, int maxFields) {
    fields.clear();
    std::size_t pos = 0;
    int count = 0;
    while (pos < text.size()) {
        std::size_t sep = text.find_first_of(separators, pos);
        if ((maxFields != 0 && count + 1 == maxFields) || sep == std::string::npos) {
            fields.push_back(text.substr(pos));
            return;
        }
        fields.push_back(text.substr(pos, sep - pos));
        pos = sep + 1;
        ++count;
    }
}

}  // namespace encdec
