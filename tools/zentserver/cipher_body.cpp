#include "cipher_body.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <zcodec/cipher.h>

namespace zentserver {

namespace {

// Deciphered a piece at a time: small enough to stay in the processor's cache
// between copying, deciphering and using it.
constexpr std::size_t kPiece = 256 * 1024;

}  // namespace

std::optional<CipherBody> CipherBody::open(Bytes block) {
    if (block.size() < 2) return std::nullopt;
    const std::size_t d = std::size_t(block.front()) * 256 + block.back();
    if (d == 0 || block.size() < d + 2) return std::nullopt;
    return CipherBody(std::move(block), d);
}

CipherBody::CipherBody(Bytes block, std::size_t keyLength)
    : block_(std::move(block)),
      keyLength_(keyLength),
      size_(block_.size() - keyLength - 2),
      head_(block_.begin(), block_.begin() + std::ptrdiff_t(1 + keyLength / 2)),
      tail_(block_.end() - std::ptrdiff_t(keyLength - keyLength / 2 + 1), block_.end()) {}

bool CipherBody::read(std::size_t from, std::size_t n, std::uint8_t* out) const {
    if (from > size_ || n > size_ - from) return false;
    if (n == 0) return true;
    const std::size_t headSize = head_.size();
    Bytes frame;
    for (std::size_t done = 0; done < n;) {
        // Each frame starts at a whole number of keys.
        const std::size_t at = from + done;
        const std::size_t start = at - at % keyLength_;
        const std::size_t end = std::min(start + std::max(kPiece / keyLength_, std::size_t(1)) * keyLength_,
                                         from + n);
        frame.clear();
        frame.reserve(headSize + (end - start) + tail_.size());
        frame.insert(frame.end(), head_.begin(), head_.end());
        frame.insert(frame.end(), block_.begin() + std::ptrdiff_t(headSize + start),
                     block_.begin() + std::ptrdiff_t(headSize + end));
        frame.insert(frame.end(), tail_.begin(), tail_.end());
        // The enciphered bytes are in the frame now: out may overwrite them.
        const std::unique_ptr<encdec::Bytes> plain = encdec::decrypt_buffer(frame.size(), frame.data());
        if (!plain || plain->size() != end - start) return false;
        std::memcpy(out + done, plain->data() + (at - start), end - at);
        done += end - at;
    }
    return true;
}

std::optional<CipherBody::Bytes> CipherBody::decipherAll() && {
    // Each piece lands before its own enciphered bytes (by the block's head)
    // and after everything already read, so the block's memory can take it.
    if (!read(0, size_, block_.data())) return std::nullopt;
    block_.resize(size_);
    return std::move(block_);
}

}  // namespace zentserver
