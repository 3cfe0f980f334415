#include "packing.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>

#include <zcodec/cipher.h>
#include <zcodec/gzipwriter.h>

namespace zentserver {

namespace {

constexpr int kGzipWindowBits = 15 + 16;   // zlib's window with the gzip wrapper

bool deciphers(int transport) { return transport == 1 || transport == 3 || transport == 5; }
bool decompresses(int transport) { return transport >= 2 && transport <= 5; }

bool startsGzip(const Bytes& data, std::size_t at) {
    return data.size() >= at + 2 && data[at] == 0x1f && data[at + 1] == 0x8b;
}

bool startsGzip(const CipherBody& body) {
    std::uint8_t start[2];
    return body.read(0, 2, start) && start[0] == 0x1f && start[1] == 0x8b;
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

Unpacked unpackPayload(int transport, Bytes packed, std::int64_t maxUnpacked, bool keepEnciphered) {
    Unpacked result;
    if (transport < 0 || transport > 5) {
        result.status = UnpackStatus::BadTransport;
        return result;
    }
    if (deciphers(transport)) {
        std::optional<CipherBody> body = CipherBody::open(std::move(packed));
        if (!body) {
            result.status = UnpackStatus::BadCipher;
            return result;
        }
        if (keepEnciphered && transport != 3 && !(transport == 5 && startsGzip(*body))) {
            if (std::int64_t(body->size()) > maxUnpacked) result.status = UnpackStatus::TooLarge;
            else result.enciphered = std::move(body);
            return result;
        }
        std::optional<Bytes> plain = std::move(*body).decipherAll();
        if (!plain) {
            result.status = UnpackStatus::BadCipher;
            return result;
        }
        packed = std::move(*plain);
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
    Bytes out;
    encdec::GzipWriter::compress(plain.data(), plain.size(), [&](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
    });
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
