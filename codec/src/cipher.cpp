#include <zcodec/cipher.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace encdec {
namespace {

// The key length travels in two bytes.
constexpr std::size_t kMaxKeyLength = 65535;

// The key is laid out repeated to at least this many bytes (or the body's
// length), always a whole number of keys, so one pass covers many pieces and
// short keys stay fast.
constexpr std::size_t kMinSpan = 16384;

// Bytes handled per inner loop; a fixed count lets the compiler turn the
// inner loop into vector code even at -O2.
constexpr std::size_t kLanes = 64;

std::mt19937& generator() {
    // Seeded once per thread from the system's entropy source (the time too,
    // in case that source is deterministic): two keys made in the same second
    // must differ.
    thread_local std::mt19937 engine = [] {
        std::random_device device;
        const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        const auto thread = std::hash<std::thread::id>{}(std::this_thread::get_id());
        std::seed_seq seed{device(), device(), device(), device(), device(), device(),
                           std::uint32_t(now), std::uint32_t(std::uint64_t(now) >> 32), std::uint32_t(thread)};
        return std::mt19937(seed);
    }();
    return engine;
}

// Key B is key A reversed, each byte mixed with its position (modulo 256),
// inverted at odd positions.
std::uint8_t deriveByte(std::uint8_t x, std::size_t position) {
    const auto c = std::uint8_t(position);
    return (c & 1) ? std::uint8_t(c ^ std::uint8_t(~x)) : std::uint8_t(c ^ x);
}

std::uint8_t recoverByte(std::uint8_t y, std::size_t position) {
    const auto c = std::uint8_t(position);
    return (c & 1) ? std::uint8_t(~(y ^ c)) : std::uint8_t(y ^ c);
}

struct Scramble {
    std::uint8_t operator()(std::uint8_t x, std::uint8_t k) const { return std::uint8_t((x ^ k) + k); }
};

struct Unscramble {
    std::uint8_t operator()(std::uint8_t y, std::uint8_t k) const { return std::uint8_t(std::uint8_t(y - k) ^ k); }
};

template <class Op>
void applyKey(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, const std::uint8_t* __restrict key,
              std::size_t n, Op op) {
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (std::size_t j = 0; j < kLanes; ++j) dst[i + j] = op(src[i + j], key[i + j]);
    for (; i < n; ++i) dst[i] = op(src[i], key[i]);
}

// Every piece of key-length bytes starts again at key byte 0; with the key
// repeated over a whole number of pieces each span starts at byte 0 too.
template <class Op>
void transformBody(const std::uint8_t* src, std::uint8_t* dst, std::size_t n, const std::vector<std::uint8_t>& key,
                   Op op) {
    const std::size_t d = key.size();
    const std::size_t pieces = std::min((std::max(kMinSpan, d) + d - 1) / d, (n + d - 1) / d);
    std::vector<std::uint8_t> repeated(d * pieces);
    for (std::size_t at = 0; at < repeated.size(); at += d) std::copy(key.begin(), key.end(), repeated.begin() + at);
    const std::size_t span = repeated.size();
    for (std::size_t at = 0; at < n; at += span)
        applyKey(src + at, dst + at, repeated.data(), std::min(span, n - at), op);
}

std::vector<std::uint8_t> recoverKeyA(const std::uint8_t* keyB, std::size_t d) {
    std::vector<std::uint8_t> keyA(d);
    for (std::size_t i = 0; i < d; ++i) keyA[d - 1 - i] = recoverByte(keyB[i], i);
    return keyA;
}

// Keys passed in must be a matching pair of the given length: a key B that
// does not belong to key A would make a block nobody can read back.
bool usableKeys(int keyLength, Key& keyA, Key& keyB) {
    if (keyA.empty() || keyB.empty()) {
        if (keyLength < 1 || std::size_t(keyLength) > kMaxKeyLength) return false;
        gen_keyA(keyA, keyLength);
        gen_keyB(keyA, keyB);
        return true;
    }
    if (keyA.size() != std::size_t(keyLength) || keyB.size() != keyA.size() || keyA.size() > kMaxKeyLength)
        return false;
    Key expected;
    gen_keyB(keyA, expected);
    return expected == keyB;
}

Bytes readWhole(Stream& input) {
    input.rewind();
    const std::int64_t size = input.size();
    if (size < 0) throw StreamError("stream reports a negative size");
    Bytes bytes(static_cast<std::size_t>(size));
    input.readExactly(bytes.data(), bytes.size());
    return bytes;
}

std::unique_ptr<MemoryStream> toStream(std::unique_ptr<Bytes> bytes) {
    if (!bytes) return nullptr;
    return std::make_unique<MemoryStream>(std::move(*bytes));
}

}  // namespace

void gen_keyA(Key& keyA, int length) {
    keyA.clear();
    if (length <= 0) return;
    auto& engine = generator();
    keyA.resize(std::size_t(length));
    for (auto& byte : keyA) byte = std::uint8_t(engine());
    for (std::size_t i = 1; i < keyA.size(); ++i) std::swap(keyA[i], keyA[engine() % (i + 1)]);
}

void gen_keyB(const Key& keyA, Key& keyB) {
    Key derived(keyA.rbegin(), keyA.rend());
    for (std::size_t i = 0; i < derived.size(); ++i) derived[i] = deriveByte(derived[i], i);
    keyB = std::move(derived);
}

std::unique_ptr<Bytes> encrypt_buffer(std::size_t n, const std::uint8_t* data, int keyLength, Key& keyA, Key& keyB) {
    if (data == nullptr && n > 0) return nullptr;
    if (!usableKeys(keyLength, keyA, keyB)) return nullptr;
    const std::size_t d = keyA.size();
    const std::size_t h = d / 2;
    if (n > SIZE_MAX - d - 2) return nullptr;

    auto block = std::make_unique<Bytes>(n + d + 2);
    std::uint8_t* out = block->data();
    out[0] = std::uint8_t(d >> 8);
    std::copy(keyB.begin(), keyB.begin() + std::ptrdiff_t(h), out + 1);
    if (n > 0) transformBody(data, out + 1 + h, n, std::vector<std::uint8_t>(keyA.begin(), keyA.end()), Scramble{});
    std::copy(keyB.begin() + std::ptrdiff_t(h), keyB.end(), out + 1 + h + n);
    out[n + d + 1] = std::uint8_t(d & 0xFF);
    return block;
}

std::unique_ptr<Bytes> decrypt_buffer(std::size_t length, const std::uint8_t* data) {
    if (data == nullptr || length < 2) return nullptr;
    const std::size_t d = std::size_t(data[0]) * 256 + data[length - 1];
    if (d == 0 || length < d + 2) return nullptr;
    const std::size_t h = d / 2;
    const std::size_t n = length - d - 2;

    std::vector<std::uint8_t> keyB(d);
    std::copy(data + 1, data + 1 + h, keyB.begin());
    std::copy(data + 1 + h + n, data + length - 1, keyB.begin() + std::ptrdiff_t(h));

    auto body = std::make_unique<Bytes>(n);
    if (n > 0) transformBody(data + 1 + h, body->data(), n, recoverKeyA(keyB.data(), d), Unscramble{});
    return body;
}

std::unique_ptr<MemoryStream> encrypt_buffer(Stream& input, int keyLength, Key& keyA, Key& keyB) {
    const Bytes body = readWhole(input);
    return toStream(encrypt_buffer(body.size(), body.data(), keyLength, keyA, keyB));
}

std::unique_ptr<MemoryStream> decrypt_buffer(Stream& input) {
    const Bytes block = readWhole(input);
    return toStream(decrypt_buffer(block.size(), block.data()));
}

}  // namespace encdec
