// The cipher step on streams, a piece at a time so that memory use does not
// grow with the payload. Scrambling starts again at key byte 0 every key
// length, so pieces of whole keys give the same block as one call on all.
#include "pipeline_conversion.h"

#include <zcodec/cipher.h>

#include <algorithm>
#include <vector>

namespace encdec {

namespace {

constexpr std::size_t kPieceTarget = 256 * 1024;

// Whole keys per piece, at least one, and no more than the data needs.
std::size_t pieceSize(std::size_t keyLength, std::uint64_t dataSize) {
    const std::uint64_t keys = std::clamp<std::uint64_t>((dataSize + keyLength - 1) / keyLength, 1,
                                                         std::max<std::size_t>(1, kPieceTarget / keyLength));
    return keyLength * std::size_t(keys);
}

bool usableStreams(Stream* input, Stream* output) { return input && output && output->size() == 0; }

}  // namespace

bool EncCmpThread::EncryptStream(Stream* input, Stream* output) {
    try {
        if (!usableStreams(input, output)) return false;
        input->rewind();
        Key keyA, keyB;
        const std::size_t d = kPipelineKeyLength, h = d / 2;
        std::vector<std::uint8_t> piece(pieceSize(d, std::uint64_t(input->size())));
        Bytes tail;
        for (bool first = true;; first = false) {
            const std::size_t n = detail::readFull(*input, piece.data(), piece.size());
            if (n == 0 && !first) break;
            // The first call makes the key pair, later calls reuse it.
            const auto block = encrypt_buffer(n, piece.data(), int(d), keyA, keyB);
            if (!block) return false;
            const std::uint8_t* b = block->data();
            if (first) {
                output->write(b, 1 + h);
                tail.assign(b + 1 + h + n, b + block->size());
            }
            output->write(b + 1 + h, n);
            if (n < piece.size()) break;
        }
        output->write(tail.data(), tail.size());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool DecUncmpThread::DecryptStream(Stream* input, Stream* output) {
    try {
        if (!usableStreams(input, output)) return false;
        const std::int64_t size = input->size();
        if (size < 2) return false;
        std::uint8_t high = 0, low = 0;
        input->seek(0);
        input->readExactly(&high, 1);
        input->seek(size - 1);
        input->readExactly(&low, 1);
        const std::size_t d = std::size_t(high) * 256 + low, h = d / 2;
        if (d == 0 || std::uint64_t(size) < d + 2) return false;

        // Each piece travels as a block of its own: the head and tail of the
        // real block around it.
        const std::size_t headSize = 1 + h, tailSize = d - h + 1;
        std::vector<std::uint8_t> tail(tailSize);
        input->seek(size - std::int64_t(tailSize));
        input->readExactly(tail.data(), tailSize);
        std::uint64_t remaining = std::uint64_t(size) - d - 2;
        const std::size_t piece = pieceSize(d, remaining);
        std::vector<std::uint8_t> block(headSize + piece + tailSize);
        input->seek(0);
        input->readExactly(block.data(), headSize);

        for (bool first = true; first || remaining > 0; first = false) {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(remaining, piece));
            input->readExactly(block.data() + headSize, n);
            std::copy(tail.begin(), tail.end(), block.begin() + std::ptrdiff_t(headSize + n));
            const auto body = decrypt_buffer(headSize + n + tailSize, block.data());
            if (!body) return false;
            output->write(body->data(), body->size());
            remaining -= n;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace encdec
