#include "job_package.h"

#include <zcodec/byteorder.h>

#include <algorithm>
#include <cstring>

namespace zentserver {

namespace {

using encdec::GetBigEndian16;
using encdec::GetBigEndian32;

// Enough for the fields of any ordinary package; longer ones are read again
// with more.
constexpr std::size_t kFirstLook = 4096;

enum class Parse { Done, NeedMore, Bad };

// The text from pos up to the next zero byte; pos moves past that byte.
bool takeText(std::span<const std::uint8_t> in, std::size_t& pos, std::string& text) {
    const auto end = std::find(in.begin() + std::ptrdiff_t(pos), in.end(), std::uint8_t(0));
    if (end == in.end()) return false;
    text.assign(in.begin() + std::ptrdiff_t(pos), end);
    pos = std::size_t(end - in.begin()) + 1;
    return true;
}

// The fields and the block from the package's first bytes; whole says
// whether those are all there is.
Parse parseFields(std::span<const std::uint8_t> in, bool whole, JobPackage& p, std::string& error) {
    std::size_t pos = 0;
    const char* names[] = {"printer name", "job path", "document name"};
    std::string* fields[] = {&p.printer, &p.path, &p.document};
    for (int i = 0; i < 3; ++i) {
        if (takeText(in, pos, *fields[i])) continue;
        if (!whole) return Parse::NeedMore;
        error = std::string("no zero byte after the ") + names[i];
        return Parse::Bad;
    }
    if (in.size() - pos < kJobBlockSize) {
        if (!whole) return Parse::NeedMore;
        error = "the number block is short (" + std::to_string(in.size() - pos) + " of 24 bytes)";
        return Parse::Bad;
    }
    const std::uint8_t* b = in.data() + pos;
    std::memcpy(p.rawBlock.data(), b, kJobBlockSize);
    p.block.length = GetBigEndian32(b);
    p.block.serverFlags = GetBigEndian32(b + 4);
    p.block.paperWidth = GetBigEndian32(b + 8);
    p.block.paperHeight = GetBigEndian32(b + 12);
    p.block.pages = GetBigEndian16(b + 16);
    p.block.copies = GetBigEndian16(b + 18);
    p.block.paperSize = GetBigEndian16(b + 20);
    p.block.color = GetBigEndian16(b + 22);
    p.jobOffset = pos + kJobBlockSize;
    return Parse::Done;
}

}  // namespace

std::optional<JobPackage> parseJobPackage(const RequestBody& package, std::string& error) {
    JobPackage p;
    RequestBody::Bytes scratch;
    for (std::size_t look = std::min(kFirstLook, package.size());; look = std::min(look * 4, package.size())) {
        const auto start = package.view(0, look, scratch);
        if (start.size() != look) {
            error = "the package could not be read";
            return std::nullopt;
        }
        const Parse parsed = parseFields(start, look == package.size(), p, error);
        if (parsed == Parse::Bad) return std::nullopt;
        if (parsed == Parse::Done) break;
    }
    p.jobSize = package.size() - p.jobOffset;
    if (p.block.length < 0 || std::size_t(p.block.length) != p.jobSize) {
        error = "the block announces " + std::to_string(p.block.length) + " job bytes, the package carries " +
                std::to_string(p.jobSize);
        return std::nullopt;
    }
    return p;
}

}  // namespace zentserver
