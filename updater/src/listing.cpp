#include "listing.h"

#include <zplatform/text.h>

#include <charconv>
#include <ctime>

namespace zsync {

namespace {

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) out.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}

template <typename T>
bool number(std::string_view s, T& out) {
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::optional<std::int64_t> parseFtpTime(std::string_view text) {
    text = text.substr(0, text.find('.'));
    int y, mo, d, h, mi, s;
    if (text.size() != 14 || !number(text.substr(0, 4), y) || !number(text.substr(4, 2), mo) ||
        !number(text.substr(6, 2), d) || !number(text.substr(8, 2), h) || !number(text.substr(10, 2), mi) ||
        !number(text.substr(12, 2), s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return std::int64_t(::timegm(&tm));
}

// "fact=value;fact=value; name": the facts end at the first blank, the name
// is everything after it (blanks and ';' included).
std::vector<RemoteEntry> parseMlsd(std::string_view listing) {
    std::vector<RemoteEntry> entries;
    for (auto line : lines(listing)) {
        const auto blank = line.find(' ');
        if (blank == std::string_view::npos) continue;
        RemoteEntry entry;
        entry.name = std::string(line.substr(blank + 1));
        std::string_view facts = line.substr(0, blank);
        std::string_view type;
        while (!facts.empty()) {
            const auto semi = facts.find(';');
            const auto fact = facts.substr(0, semi);
            facts = semi == std::string_view::npos ? std::string_view() : facts.substr(semi + 1);
            const auto eq = fact.find('=');
            if (eq == std::string_view::npos) continue;
            const auto name = fact.substr(0, eq), value = fact.substr(eq + 1);
            if (platform::equalsNoCase(name, "type")) type = value;
            else if (platform::equalsNoCase(name, "size")) number(value, entry.size);
            else if (platform::equalsNoCase(name, "modify")) entry.modified = parseFtpTime(value).value_or(0);
        }
        if (platform::equalsNoCase(type, "dir")) entry.directory = true;
        else if (!platform::equalsNoCase(type, "file")) continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// "drwxr-xr-x 2 owner group 4096 Jan 01 12:00 name": nine fields, the name
// the rest of the line; its time is too coarse to compare and is asked for
// separately.
std::vector<RemoteEntry> parseUnixList(std::string_view listing) {
    std::vector<RemoteEntry> entries;
    for (auto line : lines(listing)) {
        if (line.empty() || (line[0] != '-' && line[0] != 'd')) continue;
        std::string_view rest = line;
        std::string_view fields[8];
        bool ok = true;
        for (auto& field : fields) {
            const auto start = rest.find_first_not_of(' ');
            if (start == std::string_view::npos) {
                ok = false;
                break;
            }
            rest.remove_prefix(start);
            const auto end = rest.find(' ');
            if (end == std::string_view::npos) {
                ok = false;
                break;
            }
            field = rest.substr(0, end);
            rest.remove_prefix(end);
        }
        if (!ok || rest.size() < 2) continue;
        RemoteEntry entry;
        entry.name = std::string(rest.substr(1));
        entry.directory = line[0] == 'd';
        if (!number(fields[4], entry.size)) continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace zsync
