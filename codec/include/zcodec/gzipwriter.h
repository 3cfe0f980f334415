// The one compressor of job data: gzip (RFC 1952) made of one member per
// block of input, the blocks compressed side by side on worker threads and
// handed to the sink in order. Every gzip reader takes concatenated members
// as one stream (zlib's gzread, gzip -d, Python's gzip module).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace encdec {

class GzipWriter {
public:
    // Receives the compressed bytes in order, always on the thread that
    // calls write() and finish(); whatever it throws comes out of them, and
    // a writer that threw is only fit to be destroyed.
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;

    static constexpr std::size_t kDefaultBlockSize = std::size_t(2) << 20;

    // At most workers + 2 blocks are held at once (read, compressing,
    // waiting for their turn), each with its compressed form: that bounds
    // the memory. No thread starts while the input fits one block.
    explicit GzipWriter(Sink sink, std::size_t blockSize = kDefaultBlockSize);
    // Without finish() the output stays incomplete; the workers are stopped
    // and joined either way.
    ~GzipWriter();
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;

    void write(const void* data, std::size_t size);
    // Compresses what is left and hands everything to the sink. Empty input
    // still gives one (empty) member, so the result is never zero bytes.
    void finish();

    // All of it at once, for payloads already in memory.
    static void compress(const void* data, std::size_t size, const Sink& sink);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace encdec
