// The body of a transport cipher block, deciphered only where it is read.
// The block is the key length's first byte, the first half of key B, the
// body, the rest of key B and the length's second byte; the key starts again
// every key length, so a stretch of the body that starts at a whole number of
// keys, framed by the same key bytes, is a block of its own. A large body can
// so go piece by piece to where it is wanted without a deciphered copy of the
// whole, and nothing can be deciphered before the block's last byte is there.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zentserver {

class CipherBody {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Takes the block; nullopt when it is not well formed (shorter than two
    // bytes, key length 0, or shorter than the key it announces).
    static std::optional<CipherBody> open(Bytes block);

    std::size_t size() const { return size_; }
    // Deciphers the body's bytes [from, from + n) into out; false when the
    // range lies outside the body. out may lie inside the block's own memory
    // as long as it ends before the range's enciphered bytes end.
    bool read(std::size_t from, std::size_t n, std::uint8_t* out) const;
    // The whole body deciphered in the block's own memory, which is handed
    // over; nullopt only when deciphering fails.
    std::optional<Bytes> decipherAll() &&;

private:
    CipherBody(Bytes block, std::size_t keyLength);

    Bytes block_;
    std::size_t keyLength_;
    std::size_t size_;
    Bytes head_;   // the length's first byte and the first half of key B
    Bytes tail_;   // the rest of key B and the length's second byte
};

}  // namespace zentserver
