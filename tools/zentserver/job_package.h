// The PRFILE job package: printer name, job path and document name, each
// ended by a zero byte; a 24-byte block of big-endian numbers; the job bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "request_body.h"

namespace zentserver {

constexpr std::size_t kJobBlockSize = 24;

struct JobBlock {
    std::int32_t length = 0;       // length of the job file
    std::int32_t serverFlags = 0;
    std::int32_t paperWidth = 0;
    std::int32_t paperHeight = 0;
    std::int16_t pages = 0;
    std::int16_t copies = 0;
    std::int16_t paperSize = 0;
    std::int16_t color = 0;
};

struct JobPackage {
    std::string printer;
    std::string path;
    std::string document;
    std::array<std::uint8_t, kJobBlockSize> rawBlock{};
    JobBlock block;
    std::size_t jobOffset = 0;   // where the job's bytes start in the package
    std::size_t jobSize = 0;
};

// Parses a package, reading (deciphering) only as much of it as the fields
// need; an error text (and no package) when a zero byte is missing, the block
// is short, or the job bytes do not match the length the block announces.
std::optional<JobPackage> parseJobPackage(const RequestBody& package, std::string& error);

}  // namespace zentserver
