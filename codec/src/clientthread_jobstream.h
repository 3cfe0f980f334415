// The PRFILE request payload made while it is sent: the package's leading
// fields, then the job file a piece at a time, each piece enciphered on its
// own when the transport type enciphers. The bytes are exactly those of
// packing the whole package at once (the cipher starts its key again every
// key length, and every piece but the last is a whole number of keys), but
// no copy of the job is made anywhere and memory stays at two pieces.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <zcodec/cipher.h>
#include <zcodec/streams.h>

namespace encdec::exchange {

class JobRequestStream final : public Stream {
public:
    // head: the package up to the job's bytes; job: the job file, whose
    // length was taken as jobLength. Raises StreamError when the keys cannot
    // be made or the result would not fit the header's length field.
    JobRequestStream(std::vector<std::uint8_t> head, std::unique_ptr<FileStream> job, std::int64_t jobLength,
                     bool encipher);

    // The next bytes of the payload, valid until the next call; empty at the
    // end. Raises StreamError when the job file cannot be read or its length
    // changed: that is found before the piece that would complete the
    // payload, so a changed job never arrives whole.
    std::span<const std::uint8_t> next();

    // Stream: read-only, sequential; seek only to the start (which makes the
    // same bytes again) or to the current position.
    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    std::int64_t size() const override { return size_; }
    std::int64_t position() const override { return position_; }
    void seek(std::int64_t position) override;
    void setSize(std::int64_t size) override;

private:
    enum class Part { CipherHead, Body, CipherTail, End };

    // The next part of the payload, without moving the position.
    std::span<const std::uint8_t> produce();
    // The package bytes from body offset bodyAt_ on, up to one piece.
    std::span<const std::uint8_t> nextPiece();
    void readJob(std::uint8_t* out, std::size_t n, std::int64_t from);

    std::vector<std::uint8_t> head_;
    std::unique_ptr<FileStream> job_;
    std::int64_t jobLength_;
    std::int64_t bodySize_;
    std::int64_t size_;
    bool encipher_;
    Key keyA_, keyB_;
    std::vector<std::uint8_t> keyBlock_;   // an enciphered empty body: the block's head and tail
    std::vector<std::uint8_t> piece_;
    std::unique_ptr<Bytes> enciphered_;

    Part part_;
    std::int64_t bodyAt_ = 0;
    std::int64_t position_ = 0;
    std::span<const std::uint8_t> pending_;   // what read() has not handed out yet
};

}  // namespace encdec::exchange
