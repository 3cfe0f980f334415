// Reading and writing the REGEDIT4 text of a hive file.
#include "registry_document.h"

#include <zplatform/text.h>

#include <cstdio>

namespace platform::detail {

namespace {

constexpr std::string_view kFirstLine = "REGEDIT4";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

void skipBlanks(std::string_view s, size_t& pos) {
    while (pos < s.size() && isBlank(s[pos])) ++pos;
}

// A double-quoted text starting at s[pos]; only \\ and \" are escapes.
std::optional<std::string> parseQuoted(std::string_view s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') return std::nullopt;
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            c = s[++i];
        }
        out += c;
    }
    return std::nullopt;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::optional<std::uint32_t> parseHexDword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
              : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + std::uint32_t(d);
    }
    return v;
}

std::optional<RegValue> parseValueLine(std::string_view t) {
    RegValue v;
    size_t pos = 0;
    if (t.front() == '@') {
        pos = 1;
    } else {
        auto name = parseQuoted(t, pos);
        if (!name) return std::nullopt;
        v.name = std::move(*name);
    }
    skipBlanks(t, pos);
    if (pos >= t.size() || t[pos] != '=') return std::nullopt;
    ++pos;
    skipBlanks(t, pos);
    constexpr std::string_view dwordTag = "dword:";
    if (pos < t.size() && t[pos] == '"') {
        auto text = parseQuoted(t, pos);
        if (!text) return std::nullopt;
        v.text = std::move(*text);
    } else if (equalsNoCase(t.substr(pos, dwordTag.size()), dwordTag)) {
        pos += dwordTag.size();
        size_t end = pos;
        while (end < t.size() && !isBlank(t[end])) ++end;
        auto d = parseHexDword(t.substr(pos, end - pos));
        if (!d) return std::nullopt;
        v.type = RegValue::Type::Dword;
        v.dword = *d;
        pos = end;
    } else {
        return std::nullopt;
    }
    skipBlanks(t, pos);
    if (pos != t.size()) return std::nullopt;
    return v;
}

// "[HKEY_LOCAL_MACHINE\A\B]": valid when it is well formed and names a key
// of this hive; otherwise `reason` says why and the line is kept as written.
KeySection parseSectionHeader(std::string_view line, std::string_view root, std::string& reason) {
    KeySection s;
    s.valid = false;
    s.header = std::string(line);
    std::string_view t = trim(line);
    if (t.size() < 2 || t.back() != ']') {
        reason = "bad key";
        return s;
    }
    std::string_view full = t.substr(1, t.size() - 2);
    auto sep = full.find('\\');
    if (!equalsNoCase(full.substr(0, sep), root)) {
        reason = "key outside " + std::string(root);
        return s;
    }
    std::string_view rest = sep == std::string_view::npos ? std::string_view{} : full.substr(sep + 1);
    if (sep != std::string_view::npos && normalizeKeyPath(rest) != std::string(rest)) {
        reason = "bad key";
        return s;
    }
    s.header = std::string(full);
    s.path = std::string(rest);
    s.valid = true;
    return s;
}

}  // namespace

HiveDocument parseHive(std::string_view text, std::string_view root, const std::string& fileName) {
    HiveDocument doc;
    // The key being read; nullptr while still before the first key.
    auto current = [&]() -> KeySection* { return doc.sections.empty() ? nullptr : &doc.sections.back(); };
    bool seenFirstLine = false;
    size_t lineNo = 0;

    auto keepRaw = [&](std::string raw) {
        if (KeySection* s = current()) s->lines.push_back({std::nullopt, std::move(raw)});
        else doc.preamble.push_back(std::move(raw));
    };
    auto problem = [&](std::string_view reason, std::string_view line) {
        doc.problems.push_back(fileName + ":" + std::to_string(lineNo) + ": " + std::string(reason) + ": " +
                               std::string(line));
    };

    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNo;

        std::string_view t = trim(line);
        if (t.empty()) continue;   // blank lines are layout, written anew
        if (!seenFirstLine) {
            seenFirstLine = true;
            if (equalsNoCase(t, kFirstLine)) continue;
            problem("missing REGEDIT4 first line", line);
        }
        if (t.front() == ';') {
            keepRaw(std::string(line));
        } else if (t.front() == '[') {
            std::string reason;
            doc.sections.push_back(parseSectionHeader(line, root, reason));
            if (!doc.sections.back().valid) problem(reason, line);
        } else if (current() && !current()->valid) {
            keepRaw(std::string(line));   // lines of a key we do not understand stay with it
        } else if (auto value = (t.front() == '"' || t.front() == '@') ? parseValueLine(t) : std::nullopt) {
            if (KeySection* s = current()) {
                s->lines.push_back({std::move(value), {}});
            } else {
                problem("value outside any key", line);
                keepRaw(std::string(line));
            }
        } else {
            problem("not a setting", line);
            keepRaw(std::string(line));
        }
    }
    return doc;
}

std::string serializeHive(const HiveDocument& doc) {
    std::string out(kFirstLine);
    out += '\n';
    for (const auto& raw : doc.preamble) out += raw + '\n';
    for (const auto& s : doc.sections) {
        out += s.valid ? "\n[" + s.header + "]\n" : "\n" + s.header + "\n";
        for (const auto& line : s.lines) out += (line.value ? formatValueLine(*line.value) : line.raw) + '\n';
    }
    if (!doc.sections.empty()) out += '\n';
    return out;
}

std::string formatValueLine(const RegValue& value) {
    std::string out = value.name.empty() ? std::string("@") : quote(value.name);
    out += '=';
    if (value.type == RegValue::Type::String) {
        out += quote(value.text);
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "dword:%08x", unsigned(value.dword));
        out += hex;
    }
    return out;
}

}  // namespace platform::detail
