#include "clientthread_jobstream.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

#include <zcodec/commheader.h>

namespace encdec::exchange {

namespace {

constexpr std::size_t kKeyLength = kPipelineKeyLength;
constexpr std::size_t kKeyHead = 1 + kKeyLength / 2;   // length's first byte and the first half of key B

// Large enough that the system calls do not count, small enough to stay in
// the processor's cache between reading, enciphering and sending.
constexpr std::size_t kPieceSize = 256 * 1024;
static_assert(kPieceSize % kKeyLength == 0, "pieces must be whole keys for the key to line up");

}  // namespace

JobRequestStream::JobRequestStream(std::vector<std::uint8_t> head, std::unique_ptr<FileStream> job,
                                   std::int64_t jobLength, bool encipher)
    : head_(std::move(head)),
      job_(std::move(job)),
      jobLength_(jobLength),
      bodySize_(std::int64_t(head_.size()) + jobLength),
      size_(bodySize_ + (encipher ? std::int64_t(kKeyLength) + 2 : 0)),
      encipher_(encipher),
      part_(encipher ? Part::CipherHead : Part::Body) {
    if (!job_ || jobLength_ < 0) throw StreamError("no job file");
    // The header announces the payload with the header's own length added,
    // in 31 bits.
    if (size_ > INT32_MAX - kCommHeaderSize) throw StreamError("job file too large to send");
    if (encipher_) {
        // An empty body gives the key pair and the bytes around the body.
        const auto block = encrypt_buffer(0, nullptr, int(kKeyLength), keyA_, keyB_);
        if (!block) throw StreamError("no cipher key for the job");
        keyBlock_ = *block;
    }
    piece_.resize(std::size_t(std::min<std::int64_t>(std::int64_t(kPieceSize), bodySize_)));
    // The job is read once from start to end; let the system read ahead.
    ::posix_fadvise(job_->fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::span<const std::uint8_t> JobRequestStream::produce() {
    switch (part_) {
    case Part::CipherHead: part_ = Part::Body; return {keyBlock_.data(), kKeyHead};
    case Part::Body:
        if (bodyAt_ < bodySize_) {
            const auto plain = nextPiece();
            if (!encipher_) return plain;
            enciphered_ = encrypt_buffer(plain.size(), plain.data(), int(kKeyLength), keyA_, keyB_);
            if (!enciphered_) throw StreamError("the job could not be enciphered");
            return {enciphered_->data() + kKeyHead, plain.size()};
        }
        part_ = encipher_ ? Part::CipherTail : Part::End;
        return produce();
    case Part::CipherTail: part_ = Part::End; return {keyBlock_.data() + kKeyHead, keyBlock_.size() - kKeyHead};
    case Part::End: break;
    }
    return {};
}

std::span<const std::uint8_t> JobRequestStream::next() {
    std::span<const std::uint8_t> bytes = pending_.empty() ? produce() : pending_;
    pending_ = {};
    position_ += std::int64_t(bytes.size());
    return bytes;
}

std::span<const std::uint8_t> JobRequestStream::nextPiece() {
    const std::size_t n = std::size_t(std::min<std::int64_t>(std::int64_t(piece_.size()), bodySize_ - bodyAt_));
    std::size_t filled = 0;
    const auto headSize = std::int64_t(head_.size());
    if (bodyAt_ < headSize) {
        filled = std::size_t(std::min<std::int64_t>(std::int64_t(n), headSize - bodyAt_));
        std::memcpy(piece_.data(), head_.data() + bodyAt_, filled);
    }
    readJob(piece_.data() + filled, n - filled, bodyAt_ + std::int64_t(filled) - headSize);
    bodyAt_ += std::int64_t(n);
    if (bodyAt_ == bodySize_) {
        // A job that grew since its length was taken would not match the
        // block; this piece completes the payload, so it is never sent.
        std::uint8_t more;
        job_->seek(jobLength_);
        if (job_->read(&more, 1) != 0) throw StreamError("job file changed while it was sent");
    }
    return {piece_.data(), n};
}

void JobRequestStream::readJob(std::uint8_t* out, std::size_t n, std::int64_t from) {
    if (n == 0) return;
    job_->seek(from);
    for (std::size_t done = 0; done < n;) {
        const std::size_t got = job_->read(out + done, n - done);
        if (got == 0) throw StreamError("job file changed while it was sent");
        done += got;
    }
}

std::size_t JobRequestStream::read(void* buffer, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (pending_.empty()) pending_ = produce();
        if (pending_.empty()) break;
        const std::size_t take = std::min(n - done, pending_.size());
        std::memcpy(out + done, pending_.data(), take);
        pending_ = pending_.subspan(take);
        done += take;
    }
    position_ += std::int64_t(done);
    return done;
}

void JobRequestStream::write(const void*, std::size_t) { throw StreamError("a job request cannot be written"); }

void JobRequestStream::setSize(std::int64_t) { throw StreamError("a job request cannot be resized"); }

void JobRequestStream::seek(std::int64_t position) {
    if (position == position_) return;
    if (position != 0) throw StreamError("a job request is read from its start only");
    // The keys stay: reading again gives the same bytes.
    part_ = encipher_ ? Part::CipherHead : Part::Body;
    bodyAt_ = 0;
    position_ = 0;
    pending_ = {};
}

}  // namespace encdec::exchange
