// Remote directory listings: MLSD lines (names, kinds, sizes, times), and
// the Unix-style LIST lines of servers without MLSD (names, kinds, sizes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zsync {

struct RemoteEntry {
    std::string name;
    bool directory = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;   // seconds since 1970, UTC; 0 when not known
};

// Entries of a listing in the server's order; lines that are not entries
// (the directory itself, its parent, links, garbage) are left out.
std::vector<RemoteEntry> parseMlsd(std::string_view listing);
std::vector<RemoteEntry> parseUnixList(std::string_view listing);

// "YYYYMMDDHHMMSS[.fff]" as seconds since 1970 (UTC); nullopt when malformed.
std::optional<std::int64_t> parseFtpTime(std::string_view text);

}  // namespace zsync
