// Deciphering any bytes is safe and refuses only what cannot be a block;
// enciphering any body with any key length deciphers to the same body.
#include <zcodec/cipher.h>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto body = encdec::decrypt_buffer(size, data);
    if (size >= 2) {
        const std::size_t d = std::size_t(data[0]) * 256 + data[size - 1];
        const bool wellFormed = d != 0 && size >= d + 2;
        require(bool(body) == wellFormed);
        if (body) require(body->size() == size - d - 2);
    } else {
        require(!body);
    }

    // The first two bytes choose a key length; the rest is the body.
    if (size < 2) return 0;
    const int keyLength = 1 + (data[0] | data[1] << 8) % 1024;
    encdec::Key keyA, keyB;
    auto block = encdec::encrypt_buffer(size - 2, data + 2, keyLength, keyA, keyB);
    require(block && block->size() == size - 2 + std::size_t(keyLength) + 2);
    auto back = encdec::decrypt_buffer(block->size(), block->data());
    require(back && back->size() == size - 2 && std::equal(back->begin(), back->end(), data + 2));

    // The same pair again must give the same block.
    auto repeat = encdec::encrypt_buffer(size - 2, data + 2, keyLength, keyA, keyB);
    require(repeat && *repeat == *block);
    return 0;
}
