// Payloads in and out of their wire form, as the header's transport type
// says, with the transport cipher and gzip. Unpacking is bounded: a payload
// that would unpack to more than the limit is refused, not allocated.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <zcodec/commheader.h>

#include "cipher_body.h"

namespace zentserver {

using Bytes = std::vector<std::uint8_t>;

enum class UnpackStatus { Ok, BadTransport, BadCipher, BadGzip, TooLarge };

struct Unpacked {
    UnpackStatus status = UnpackStatus::Ok;
    Bytes data;
    // Instead of data, when asked for and nothing is to be decompressed: the
    // body still enciphered, deciphered where read.
    std::optional<CipherBody> enciphered;
};

const char* describe(UnpackStatus status);

// Deciphers (types 1, 3, 5) and decompresses (types 2 to 5). Decompression
// passes data that does not start with the gzip signature through unchanged,
// as the client's gzip reader does; after a gzip member, further members are
// read and anything else is ignored. Takes the packed bytes so that they can
// be reused instead of copied. keepEnciphered: a body that needs no
// decompression is left enciphered (types 1 and 5, the latter when the body
// does not start with the gzip signature); the same checks apply.
Unpacked unpackPayload(int transport, Bytes packed, std::int64_t maxUnpacked, bool keepEnciphered = false);

// Packs as the client's packing side does: 1 and 5 encipher, 2 compresses,
// 3 compresses then enciphers, 0 and 4 send the bytes as they are.
Bytes packPayload(encdec::TransportType transport, const Bytes& plain);

// gzip as the client makes it, by the same writer (encdec::GzipWriter).
Bytes gzipCompress(const Bytes& plain);

}  // namespace zentserver
