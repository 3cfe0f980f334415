// A printer's description as the server sends it for ASKPRN: all 31 keys, in
// their fixed order, one "KEY=value" line each.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zentserver {

using DescriptionLines = std::vector<std::pair<std::string, std::string>>;

// Fills in every key from the JSON object (keys missing from it get the
// value a client assumes when the key is absent). Values may be strings,
// numbers, booleans (1/0), and lists for MARGINS (joined by ",") and the four
// charging keys (joined by ";"). Raises ConfigError for unknown keys, other
// value kinds, or values that would break the line format.
DescriptionLines buildDescription(const std::string& printerName, const nlohmann::json& description);

// The ASKPRN answer text: "KEY=value\r\n" per key.
std::string formatDescription(const DescriptionLines& lines);

const std::string& descriptionValue(const DescriptionLines& lines, const std::string& key);

// The client's reading of a flag (surrounding blanks ignored): first
// character one of "YyTt1" true, one of "NnFf0" false, anything else the
// fallback.
bool descriptionFlag(const std::string& value, bool fallback);

}  // namespace zentserver
