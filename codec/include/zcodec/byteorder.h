// Integers on the wire are big-endian: one place that reads and writes them.
#pragma once

#include <cstdint>

namespace encdec {

inline void PutBigEndian32(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value >> 24);
    at[1] = std::uint8_t(value >> 16);
    at[2] = std::uint8_t(value >> 8);
    at[3] = std::uint8_t(value);
}

inline void PutBigEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = std::uint8_t(value >> 8);
    at[1] = std::uint8_t(value);
}

inline std::int32_t GetBigEndian32(const std::uint8_t* at) {
    return std::int32_t(std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 |
                        std::uint32_t(at[3]));
}

inline std::int16_t GetBigEndian16(const std::uint8_t* at) {
    return std::int16_t(std::uint16_t(at[0] << 8 | at[1]));
}

}  // namespace encdec
