#include <zcodec/cipher.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using encdec::Bytes;
using encdec::Key;

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 engine(seed);
    Bytes bytes(n);
    for (auto& b : bytes) b = std::uint8_t(engine());
    return bytes;
}

// The block written out the plain way, byte by byte, to hold the fast
// implementation against.
Bytes referenceBlock(const Bytes& body, const Key& keyA, const Key& keyB) {
    const std::size_t d = keyA.size(), h = d / 2;
    Bytes block;
    block.push_back(std::uint8_t(d / 256));
    block.insert(block.end(), keyB.begin(), keyB.begin() + h);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const std::uint8_t k = keyA[i % d];
        block.push_back(std::uint8_t((body[i] ^ k) + k));
    }
    block.insert(block.end(), keyB.begin() + h, keyB.end());
    block.push_back(std::uint8_t(d % 256));
    return block;
}

Key pairOf(int length, Key& keyB) {
    Key keyA;
    encdec::gen_keyA(keyA, length);
    encdec::gen_keyB(keyA, keyB);
    return keyA;
}

TEST(Cipher, KeyBIsTheReversedKeyMixedWithItsPosition) {
    // Reversed: 30 20 10; position 0 plain XOR, 1 inverted, 2 plain.
    Key keyB;
    encdec::gen_keyB(Key{0x10, 0x20, 0x30}, keyB);
    EXPECT_EQ(keyB, (Key{0x30, 0x01 ^ 0xDF, 0x02 ^ 0x10}));
}

TEST(Cipher, GenKeyAMakesFreshKeysOfTheLengthAsked) {
    Key first, second;
    encdec::gen_keyA(first, 256);
    encdec::gen_keyA(second, 256);
    EXPECT_EQ(first.size(), 256u);
    EXPECT_NE(first, second) << "two keys in the same second must differ";

    Key other;
    std::thread([&] { encdec::gen_keyA(other, 256); }).join();
    EXPECT_NE(other, first);
    EXPECT_NE(other, second);

    encdec::gen_keyA(first, 0);
    EXPECT_TRUE(first.empty());
}

TEST(Cipher, EmptyBodyGivesKeyLengthAndKeyB) {
    Key keyA, keyB;
    auto block = encdec::encrypt_buffer(0, nullptr, encdec::kPipelineKeyLength, keyA, keyB);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->size(), 258u);
    EXPECT_EQ(block->front(), 1);
    EXPECT_EQ(block->back(), 0);
    EXPECT_EQ(Bytes(block->begin() + 1, block->end() - 1), Bytes(keyB.begin(), keyB.end()));
    ASSERT_EQ(keyA.size(), 256u) << "the fresh pair is left in the arguments";

    auto body = encdec::decrypt_buffer(block->size(), block->data());
    ASSERT_TRUE(body);
    EXPECT_TRUE(body->empty());
}

TEST(Cipher, PiecesRestartAtTheFirstKeyByte) {
    const Bytes body = randomBytes(600, 1);
    Key keyB;
    Key keyA = pairOf(256, keyB);
    auto block = encdec::encrypt_buffer(body.size(), body.data(), 256, keyA, keyB);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->size(), 858u);
    EXPECT_EQ(*block, referenceBlock(body, keyA, keyB));
    // Pieces 256, 256, 88: body byte 512 is the third piece's first byte.
    EXPECT_EQ((*block)[1 + 128 + 512], std::uint8_t((body[512] ^ keyA[0]) + keyA[0]));
}

// Odd lengths put one more key byte after the body than before it; lengths
// above 256 wrap the derivation counter.
TEST(Cipher, RoundTripsForEveryKeyLengthAndBodySize) {
    for (int d : {1, 2, 3, 255, 256, 257, 600, 65535}) {
        for (std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(d) - 1, std::size_t(d) + 1,
                              std::size_t(70001)}) {
            SCOPED_TRACE("key length " + std::to_string(d) + ", body " + std::to_string(n));
            const Bytes body = randomBytes(n, unsigned(d * 31 + n));
            Key keyB;
            Key keyA = pairOf(d, keyB);
            auto block = encdec::encrypt_buffer(body.size(), body.data(), d, keyA, keyB);
            ASSERT_TRUE(block);
            ASSERT_EQ(*block, referenceBlock(body, keyA, keyB));
            auto back = encdec::decrypt_buffer(block->size(), block->data());
            ASSERT_TRUE(back);
            EXPECT_EQ(*back, body);
        }
    }
}

TEST(Cipher, DecryptRefusesMalformedBlocks) {
    Bytes hundred(100, 0x55);
    hundred.front() = 1;  // key length 256 + 0x55, longer than the block
    Bytes justShort(257, 0);
    justShort.front() = 1;  // key length 256 needs 258 bytes
    const struct {
        const char* name;
        Bytes block;
    } cases[] = {
        {"empty", {}},
        {"one byte", {1}},
        {"key length 0", {0, 9, 9, 0}},
        {"first byte 1 in 100 bytes", hundred},
        {"one byte short of the key", justShort},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(encdec::decrypt_buffer(c.block.size(), c.block.data())) << c.name;
    EXPECT_FALSE(encdec::decrypt_buffer(10, nullptr));

    // The smallest well-formed block: key length 1, empty body.
    const Bytes smallest{0, 7, 1};
    auto body = encdec::decrypt_buffer(smallest.size(), smallest.data());
    ASSERT_TRUE(body);
    EXPECT_TRUE(body->empty());
}

TEST(Cipher, EncryptRefusesKeysThatAreNoPair) {
    const Bytes body = randomBytes(10, 2);
    Key keyB;
    Key keyA = pairOf(16, keyB);
    Key wrongB = keyB;
    wrongB[3] ^= 1;
    Key shortB(keyB.begin(), keyB.end() - 1);
    const struct {
        const char* name;
        int length;
        Key a, b;
    } cases[] = {
        {"no keys, length 0", 0, {}, {}},
        {"no keys, length too big to carry", 65536, {}, {}},
        {"key B not derived from key A", 16, keyA, wrongB},
        {"keys of different lengths", 16, keyA, shortB},
        {"keys not of the length given", 256, keyA, keyB},
    };
    for (auto c : cases) EXPECT_FALSE(encdec::encrypt_buffer(body.size(), body.data(), c.length, c.a, c.b)) << c.name;
    EXPECT_FALSE(encdec::encrypt_buffer(10, nullptr, 16, keyA, keyB));
}

TEST(Cipher, StreamFormsReadFromTheStartAndRoundTrip) {
    const Bytes body = randomBytes(5000, 3);
    encdec::MemoryStream input(body);
    input.seek(1234);  // the whole stream counts, not the rest
    Key keyA, keyB;
    auto block = encdec::encrypt_buffer(input, encdec::kPipelineKeyLength, keyA, keyB);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->position(), 0);
    EXPECT_EQ(block->bytes(), referenceBlock(body, keyA, keyB));

    block->seek(100);
    auto back = encdec::decrypt_buffer(*block);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->position(), 0);
    EXPECT_EQ(back->bytes(), body);

    encdec::MemoryStream bad(Bytes{1, 2, 3});
    EXPECT_FALSE(encdec::decrypt_buffer(bad));
}

}  // namespace
