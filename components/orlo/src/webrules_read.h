// Whole-file reads and writes for the pages the web wrapper shows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orlo {

// Pages larger than this are not read: a stray link to a huge file must not
// exhaust memory.
constexpr std::size_t maxPageBytes = 64u * 1024 * 1024;

// The content of a regular file; nullopt when it cannot be read or is too big.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces an existing file's content; false when it could not all be written.
bool WriteWholeFile(const std::string& path, const std::string& content);

}  // namespace orlo
