// The text of one hive file as a document: keys, their values, and every line
// that is not understood, kept verbatim so that a rewrite never loses it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

struct RegValue {
    enum class Type { String, Dword };
    std::string name;   // "" is the key's default value, written @=
    Type type = Type::String;
    std::string text;
    std::uint32_t dword = 0;

    bool operator==(const RegValue&) const = default;
};

// One line under a key: a value, or (no value) a line kept as it was written:
// a comment, or a line that could not be parsed.
struct KeyLine {
    std::optional<RegValue> value;
    std::string raw;
};

struct KeySection {
    std::string header;   // valid: the text between the brackets; otherwise the whole line
    std::string path;     // key path below the hive root, as written; "" for the root
    bool valid = true;    // false: the header names no key of this hive, every line is kept raw
    std::vector<KeyLine> lines;
};

struct HiveDocument {
    std::vector<std::string> preamble;   // lines before the first key
    std::vector<KeySection> sections;
    std::vector<std::string> problems;   // "FILE:LINE: reason: text"
};

// Parses hive text; `root` is "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER",
// `fileName` only labels the problems.
HiveDocument parseHive(std::string_view text, std::string_view root, const std::string& fileName);
std::string serializeHive(const HiveDocument& doc);

// `"Name"="text"` or `"Name"=dword:0000000a`, as the file holds it.
std::string formatValueLine(const RegValue& value);

// A key path with any leading or trailing '\' removed; nullopt when it has
// an empty component or a character a hive file cannot hold (CR, LF, NUL).
std::optional<std::string> normalizeKeyPath(std::string_view path);
// Whether a text can be stored on one line of a hive file.
bool storable(std::string_view text);

// Lookups and edits of one key (all sections of the document that name it).
bool keyExists(const HiveDocument& doc, std::string_view path);
const RegValue* findValue(const HiveDocument& doc, std::string_view path, std::string_view name);
std::vector<const RegValue*> keyValues(const HiveDocument& doc, std::string_view path);
// Sets a value, adding the key when needed; false when nothing changed.
bool setValue(HiveDocument& doc, std::string_view root, std::string_view path, RegValue value);
// Both return the number of values removed.
size_t removeValue(HiveDocument& doc, std::string_view path, std::string_view name);
size_t removeAllValues(HiveDocument& doc, std::string_view path);
// Adds an empty key section unless one names the key; false when it existed.
bool addKey(HiveDocument& doc, std::string_view root, std::string_view path);

}  // namespace platform::detail
