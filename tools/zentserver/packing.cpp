#include "packing.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <stdexcept>

#include <zcodec/cipher.h>

namespace zentserver {

namespace {

constexpr int kGzipWindowBits = 15 + 16;   // zlib's window with the gzip wrapper

bool deciphers(int transport) { return transport == 1 || transport == 3 || transport == 5; }
bool decompresses(int transport) { return transport >= 2 && transport <= 5; }

bool startsGzip(const Bytes& data, std::size_t at) {
    return data.size() >= at + 2 && data[at] == 0x1f && data[at + 1] == 0x8b;
}

// Data without the gzip signature passes through: it is moved, not copied.
UnpackStatus gunzip(Bytes& in, std::int64_t maxOut, Bytes& out) {
    out.clear();
    if (!startsGzip(in, 0)) {
        if (std::int64_t(in.size()) > maxOut) return UnpackStatus::TooLarge;
        out = std::move(in);
        return UnpackStatus::Ok;
    }
    if (in.size() > UINT_MAX) return UnpackStatus::TooLarge;
    z_stream z{};
    if (inflateInit2(&z, kGzipWindowBits) != Z_OK) return UnpackStatus::BadGzip;
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = uInt(in.size());
    std::array<std::uint8_t, 65536> buffer;
    for (;;) {
        z.next_out = buffer.data();
        z.avail_out = uInt(buffer.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t got = buffer.size() - z.avail_out;
        if (std::int64_t(out.size() + got) > maxOut) return UnpackStatus::TooLarge;
        out.insert(out.end(), buffer.data(), buffer.data() + got);
        if (rc == Z_STREAM_END) {
            // Further gzip members follow as one stream; other bytes after a
            // member are ignored, as the gzip reader does.
            const std::size_t at = in.size() - z.avail_in;
            if (!startsGzip(in, at)) return UnpackStatus::Ok;
            if (inflateReset(&z) != Z_OK) return UnpackStatus::BadGzip;
            continue;
        }
        // Z_BUF_ERROR with a fresh output buffer: the input ended mid-stream.
        if (rc != Z_OK) return UnpackStatus::BadGzip;
    }
}

// A cipher block is one byte of key length, the first half of key B, the
// body, the rest of key B and the length's second byte; the key restarts
// every key-length bytes of the body. So a body piece of a whole number of
// key lengths, framed by the same key bytes, is a block of its own. Deciphering
// piece by piece into the payload's own memory spares a second payload-sized
// buffer (and its page faults, the most costly part for large jobs). The
// same checks as for the whole block apply.
constexpr std::size_t kDecipherPiece = std::size_t(1) << 20;

bool decipherInPlace(Bytes& block) {
    if (block.size() < 2) return false;
    const std::size_t d = std::size_t(block.front()) * 256 + block.back();
    if (d == 0 || block.size() < d + 2) return false;
    const std::size_t h = d / 2;
    const std::size_t n = block.size() - d - 2;
    const std::size_t piece = d * std::max<std::size_t>(1, kDecipherPiece / d);
    const Bytes tail(block.end() - std::ptrdiff_t(d - h + 1), block.end());
    Bytes frame(block.begin(), block.begin() + std::ptrdiff_t(1 + h));
    frame.reserve(piece + d + 2);
    // Output lands before its input (by 1 + h bytes); each piece's input is
    // framed before its output is written, and later input lies beyond it.
    for (std::size_t at = 0; at < n; at += piece) {
        const std::size_t length = std::min(piece, n - at);
        const auto from = block.begin() + std::ptrdiff_t(1 + h + at);
        frame.resize(1 + h);
        frame.insert(frame.end(), from, from + std::ptrdiff_t(length));
        frame.insert(frame.end(), tail.begin(), tail.end());
        const std::unique_ptr<encdec::Bytes> plain = encdec::decrypt_buffer(frame.size(), frame.data());
        if (!plain || plain->size() != length) return false;
        std::copy(plain->begin(), plain->end(), block.begin() + std::ptrdiff_t(at));
    }
    block.resize(n);
    return true;
}

}  // namespace

const char* describe(UnpackStatus status) {
    switch (status) {
        case UnpackStatus::Ok: return "ok";
        case UnpackStatus::BadTransport: return "unknown transport type";
        case UnpackStatus::BadCipher: return "malformed cipher block";
        case UnpackStatus::BadGzip: return "malformed gzip data";
        case UnpackStatus::TooLarge: return "payload unpacks beyond the limit";
    }
    return "?";
}

Unpacked unpackPayload(int transport, Bytes packed, std::int64_t maxUnpacked) {
    Unpacked result;
    if (transport < 0 || transport > 5) {
        result.status = UnpackStatus::BadTransport;
        return result;
    }
    if (deciphers(transport) && !decipherInPlace(packed)) {
        result.status = UnpackStatus::BadCipher;
        return result;
    }
    if (decompresses(transport)) {
        result.status = gunzip(packed, maxUnpacked, result.data);
        if (result.status != UnpackStatus::Ok) result.data.clear();
        return result;
    }
    if (std::int64_t(packed.size()) > maxUnpacked) {
        result.status = UnpackStatus::TooLarge;
        return result;
    }
    result.data = std::move(packed);
    return result;
}

Bytes gzipCompress(const Bytes& plain) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("gzip compression failed");
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
    Bytes out(deflateBound(&z, uLong(plain.size())));
    z.next_in = const_cast<Bytef*>(plain.data());
    z.avail_in = uInt(plain.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("gzip compression failed");
    out.resize(z.total_out);
    return out;
}

Bytes packPayload(encdec::TransportType transport, const Bytes& plain) {
    Bytes data = (transport == encdec::ttCompress || transport == encdec::ttCompressEncrypt) ? gzipCompress(plain)
                                                                                              : plain;
    if (transport == encdec::ttEncrypt || transport == encdec::ttCompressEncrypt ||
        transport == encdec::ttEncryptDecompress) {
        encdec::Key keyA, keyB;
        auto block = encdec::encrypt_buffer(data.size(), data.data(), encdec::kPipelineKeyLength, keyA, keyB);
        data = std::move(*block);
    }
    return data;
}

}  // namespace zentserver
