#include "job_package.h"

#include <algorithm>
#include <cstring>

namespace zentserver {

namespace {

std::int32_t be32(const std::uint8_t* p) {
    return std::int32_t(std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]);
}

std::int16_t be16(const std::uint8_t* p) { return std::int16_t(std::uint16_t(p[0] << 8 | p[1])); }

// The text from pos up to the next zero byte; pos moves past that byte.
bool takeText(const Bytes& in, std::size_t& pos, std::string& text) {
    const auto end = std::find(in.begin() + std::ptrdiff_t(pos), in.end(), std::uint8_t(0));
    if (end == in.end()) return false;
    text.assign(in.begin() + std::ptrdiff_t(pos), end);
    pos = std::size_t(end - in.begin()) + 1;
    return true;
}

}  // namespace

std::optional<JobPackage> parseJobPackage(const Bytes& package, std::string& error) {
    JobPackage p;
    std::size_t pos = 0;
    const char* names[] = {"printer name", "job path", "document name"};
    std::string* fields[] = {&p.printer, &p.path, &p.document};
    for (int i = 0; i < 3; ++i) {
        if (!takeText(package, pos, *fields[i])) {
            error = std::string("no zero byte after the ") + names[i];
            return std::nullopt;
        }
    }
    if (package.size() - pos < kJobBlockSize) {
        error = "the number block is short (" + std::to_string(package.size() - pos) + " of 24 bytes)";
        return std::nullopt;
    }
    const std::uint8_t* b = package.data() + pos;
    std::memcpy(p.rawBlock.data(), b, kJobBlockSize);
    p.block.length = be32(b);
    p.block.serverFlags = be32(b + 4);
    p.block.paperWidth = be32(b + 8);
    p.block.paperHeight = be32(b + 12);
    p.block.pages = be16(b + 16);
    p.block.copies = be16(b + 18);
    p.block.paperSize = be16(b + 20);
    p.block.color = be16(b + 22);
    pos += kJobBlockSize;
    const std::size_t jobBytes = package.size() - pos;
    if (p.block.length < 0 || std::size_t(p.block.length) != jobBytes) {
        error = "the block announces " + std::to_string(p.block.length) + " job bytes, the package carries " +
                std::to_string(jobBytes);
        return std::nullopt;
    }
    p.job = std::span<const std::uint8_t>(package.data() + pos, jobBytes);
    return p;
}

}  // namespace zentserver
