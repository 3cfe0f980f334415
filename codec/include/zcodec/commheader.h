// The 256-byte header in front of every request and answer, and the outcome
// of one exchange.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace encdec {

// How a payload is packed: 0 as it is, 1 enciphered, 2 compressed, 3 compressed
// then enciphered, 4 sent as it is and decompressed on receipt, 5 enciphered
// and on receipt deciphered then decompressed.
enum TransportType : std::int8_t {
    ttNone = 0,
    ttEncrypt = 1,
    ttCompress = 2,
    ttCompressEncrypt = 3,
    ttDecompressOnly = 4,
    ttEncryptDecompress = 5,
};

constexpr int kCommHeaderSize = 256;
constexpr std::int16_t kProtocolVersion = 256;

class TCommHeader {
public:
    // From the given bytes as SetData does; null and 0 give 256 zero bytes.
    explicit TCommHeader(const void* data = nullptr, int length = 0);

    // Copies at most 256 bytes over the wire image and decodes every field
    // from the whole image; bytes beyond length keep what they held.
    void SetData(const void* data, int length);
    const std::uint8_t* GetData() const { return image_.data(); }

    void SetEnccmp(TransportType t);
    void SetVersion(std::int16_t v);
    // Writes n + 256, the length of the whole message.
    void SetSize(std::int32_t n);
    void SetUncSize(std::int32_t n);
    void SetTime(std::int32_t t);
    void SetSession(std::int32_t s);
    void SetAckError(std::int32_t e);
    // Texts end at a zero byte, are cut to their field (31 and 199 bytes) and
    // lose trailing white space; the field keeps what was written.
    void SetCommand(const std::string& name);
    void SetAckErrMsg(const std::string& text);

    TransportType Enccmp = ttNone;
    std::int16_t Version = 0;
    std::int32_t Size = 0;
    std::int32_t UncSize = 0;
    std::int32_t Session = 0;
    std::int32_t AckError = 0;
    std::int32_t Time = 0;
    std::string Command;
    std::string AckErrMsg;

private:
    std::array<std::uint8_t, kCommHeaderSize> image_{};
};

// Local error codes of an exchange.
constexpr std::int32_t kErrBadArguments = 2000;
constexpr std::int32_t kErrNotPrepared = 2001;
constexpr std::int32_t kErrNoAnswer = 2002;

struct TCommResult {
    std::int32_t ReturnValue = 0;
    std::int32_t ErrorCode = 0;
    std::string ErrorMsg;

    void Clear() {
        ReturnValue = 0;
        ErrorCode = 0;
        ErrorMsg.assign(1, '0');   // not = "0": GCC 12 warns falsely (-Wrestrict) where that is inlined
    }
};

}  // namespace encdec
