// Lookups and edits of keys and values in a parsed hive document.
#include "registry_document.h"

#include <zplatform/text.h>

#include <algorithm>
#include <utility>

namespace platform::detail {

namespace {

bool names(const KeySection& s, std::string_view path) { return s.valid && equalsNoCase(s.path, path); }

struct Location {
    size_t section;
    size_t line;
};

// Every value line of the key, in file order; with `name`, only that value.
std::vector<Location> locate(const HiveDocument& doc, std::string_view path,
                             std::optional<std::string_view> name = std::nullopt) {
    std::vector<Location> found;
    for (size_t s = 0; s < doc.sections.size(); ++s) {
        if (!names(doc.sections[s], path)) continue;
        const auto& lines = doc.sections[s].lines;
        for (size_t l = 0; l < lines.size(); ++l)
            if (lines[l].value && (!name || equalsNoCase(lines[l].value->name, *name))) found.push_back({s, l});
    }
    return found;
}

// Erases from the back so that earlier locations stay valid.
void erase(HiveDocument& doc, const std::vector<Location>& where) {
    for (auto it = where.rbegin(); it != where.rend(); ++it) {
        auto& lines = doc.sections[it->section].lines;
        lines.erase(lines.begin() + std::ptrdiff_t(it->line));
    }
}

}  // namespace

bool storable(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

std::optional<std::string> normalizeKeyPath(std::string_view path) {
    if (!storable(path)) return std::nullopt;
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.find("\\\\") != std::string_view::npos) return std::nullopt;
    return std::string(path);
}

bool keyExists(const HiveDocument& doc, std::string_view path) {
    if (path.empty()) return true;
    const std::string below = std::string(path) + "\\";
    return std::any_of(doc.sections.begin(), doc.sections.end(), [&](const KeySection& s) {
        return s.valid && (equalsNoCase(s.path, path) || startsWithNoCase(s.path, below));
    });
}

// Should a value appear twice (a hand edit), the later line wins, as it would
// on import.
const RegValue* findValue(const HiveDocument& doc, std::string_view path, std::string_view name) {
    auto found = locate(doc, path, name);
    if (found.empty()) return nullptr;
    return &*doc.sections[found.back().section].lines[found.back().line].value;
}

std::vector<const RegValue*> keyValues(const HiveDocument& doc, std::string_view path) {
    std::vector<const RegValue*> values;
    for (auto [s, l] : locate(doc, path)) {
        const RegValue* v = &*doc.sections[s].lines[l].value;
        auto same = std::find_if(values.begin(), values.end(),
                                 [&](const RegValue* seen) { return equalsNoCase(seen->name, v->name); });
        if (same != values.end()) *same = v;
        else values.push_back(v);
    }
    return values;
}

bool setValue(HiveDocument& doc, std::string_view root, std::string_view path, RegValue value) {
    auto found = locate(doc, path, value.name);
    if (!found.empty()) {
        // Overwriting keeps the name as first written and drops dead duplicates.
        RegValue& existing = *doc.sections[found.back().section].lines[found.back().line].value;
        value.name = existing.name;
        bool changed = !(existing == value) || found.size() > 1;
        existing = std::move(value);
        found.pop_back();
        erase(doc, found);
        return changed;
    }
    addKey(doc, root, path);
    auto section = std::find_if(doc.sections.rbegin(), doc.sections.rend(),
                                [&](const KeySection& s) { return names(s, path); });
    auto& lines = section->lines;
    // New values go after the key's last value, before trailing comments.
    auto lastValue = std::find_if(lines.rbegin(), lines.rend(), [](const KeyLine& l) { return l.value.has_value(); });
    auto at = lastValue == lines.rend() ? lines.end() : lastValue.base();
    lines.insert(at, KeyLine{std::move(value), {}});
    return true;
}

size_t removeValue(HiveDocument& doc, std::string_view path, std::string_view name) {
    auto found = locate(doc, path, name);
    erase(doc, found);
    return found.size();
}

size_t removeAllValues(HiveDocument& doc, std::string_view path) {
    auto found = locate(doc, path);
    erase(doc, found);
    return found.size();
}

bool addKey(HiveDocument& doc, std::string_view root, std::string_view path) {
    if (std::any_of(doc.sections.begin(), doc.sections.end(), [&](const KeySection& s) { return names(s, path); }))
        return false;
    KeySection s;
    s.header = root;
    if (!path.empty()) {
        s.header += '\\';
        s.header += path;
    }
    s.path = std::string(path);
    doc.sections.push_back(std::move(s));
    return true;
}

}  // namespace platform::detail
