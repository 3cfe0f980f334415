// The transport cipher: a one-time key scrambles the body and travels, in a
// derived form, split around it. Block layout for a body of n bytes and a key
// of d bytes, h = d / 2:  [d / 256] [h bytes of key B] [n scrambled bytes]
// [d - h bytes of key B] [d % 256].
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include <zcodec/streams.h>

namespace encdec {

using Key = std::deque<std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

constexpr int kPipelineKeyLength = 256;

void gen_keyA(Key& keyA, int length);
void gen_keyB(const Key& keyA, Key& keyB);

// Enciphers; with either key empty a fresh pair of keyLength (1 to 65535) is
// made and used (and left in the arguments). Null when no pair can be made, or
// when the keys given are not a pair from gen_keyA/gen_keyB of keyLength bytes
// (or data is null with length > 0). The stream form reads the input from its
// start; stream errors are raised as StreamError.
std::unique_ptr<Bytes> encrypt_buffer(std::size_t length, const std::uint8_t* data, int keyLength, Key& keyA, Key& keyB);
std::unique_ptr<MemoryStream> encrypt_buffer(Stream& input, int keyLength, Key& keyA, Key& keyB);

// Deciphers; null when the block is shorter than 2 bytes, has key length 0 or
// is shorter than key length + 2.
std::unique_ptr<Bytes> decrypt_buffer(std::size_t length, const std::uint8_t* data);
std::unique_ptr<MemoryStream> decrypt_buffer(Stream& input);

}  // namespace encdec
