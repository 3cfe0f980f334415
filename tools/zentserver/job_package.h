// The PRFILE job package: printer name, job path and document name, each
// ended by a zero byte; a 24-byte block of big-endian numbers; the job bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zentserver {

using Bytes = std::vector<std::uint8_t>;

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
    std::span<const std::uint8_t> job;   // inside the parsed package, not a copy
};

// Parses a package; an error text (and no package) when a zero byte is
// missing, the block is short, or the job bytes do not match the length the
// block announces. The result's job bytes point into package, which must
// outlive it.
std::optional<JobPackage> parseJobPackage(const Bytes& package, std::string& error);
std::optional<JobPackage> parseJobPackage(Bytes&& package, std::string& error) = delete;

}  // namespace zentserver
