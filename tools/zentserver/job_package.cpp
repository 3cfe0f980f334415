#include "job_package.h"

#include <zcodec/byteorder.h>

#include <algorithm>
#include <cstring>

namespace zentserver {

namespace {

using encdec::GetBigEndian16;
using encdec::GetBigEndian32;

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
    p.block.length = GetBigEndian32(b);
    p.block.serverFlags = GetBigEndian32(b + 4);
    p.block.paperWidth = GetBigEndian32(b + 8);
    p.block.paperHeight = GetBigEndian32(b + 12);
    p.block.pages = GetBigEndian16(b + 16);
    p.block.copies = GetBigEndian16(b + 18);
    p.block.paperSize = GetBigEndian16(b + 20);
    p.block.color = GetBigEndian16(b + 22);
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
