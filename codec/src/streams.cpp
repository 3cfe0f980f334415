#include <zcodec/streams.h>

#include <zplatform/fd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace encdec {

namespace {

[[noreturn]] void raiseSystemError(const std::string& what, const std::string& path) {
    const int code = errno;
    throw StreamError(what + " " + path + ": " + std::strerror(code));
}

void checkPosition(std::int64_t position) {
    if (position < 0) throw StreamError("negative stream position " + std::to_string(position));
}

}  // namespace

// ---- Stream ---------------------------------------------------------------

void Stream::readExactly(void* buffer, std::size_t n) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const std::size_t got = read(p + done, n - done);
        if (got == 0)
            throw StreamError("stream ended after " + std::to_string(done) + " of " + std::to_string(n) +
                              " bytes");
        done += got;
    }
}

std::int64_t Stream::copyFrom(Stream& src, std::int64_t count) {
    constexpr std::int64_t kChunk = 256 * 1024;
    // No bigger buffer than the data needs: small payloads are the common case.
    std::int64_t expected = count >= 0 ? count : src.size() - src.position();
    const std::size_t chunk = std::size_t(std::clamp<std::int64_t>(expected, 1, kChunk));
    std::vector<std::uint8_t> buffer(chunk);
    std::int64_t copied = 0;
    while (count < 0 || copied < count) {
        std::size_t want = chunk;
        if (count >= 0) want = std::size_t(std::min<std::int64_t>(std::int64_t(chunk), count - copied));
        const std::size_t got = src.read(buffer.data(), want);
        if (got == 0) {
            if (count >= 0)
                throw StreamError("source ended after " + std::to_string(copied) + " of " + std::to_string(count) +
                                  " bytes");
            break;
        }
        write(buffer.data(), got);
        copied += std::int64_t(got);
    }
    return copied;
}

// ---- MemoryStream ---------------------------------------------------------

std::size_t MemoryStream::read(void* buffer, std::size_t n) {
    const auto size = std::int64_t(data_.size());
    if (pos_ >= size || n == 0) return 0;
    const std::size_t take = std::size_t(std::min<std::int64_t>(std::int64_t(n), size - pos_));
    std::memcpy(buffer, data_.data() + pos_, take);
    pos_ += std::int64_t(take);
    return take;
}

void MemoryStream::write(const void* buffer, std::size_t n) {
    if (n == 0) return;
    const std::size_t end = std::size_t(pos_) + n;
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, buffer, n);
    pos_ = std::int64_t(end);
}

void MemoryStream::seek(std::int64_t position) {
    checkPosition(position);
    pos_ = position;
}

void MemoryStream::setSize(std::int64_t size) {
    checkPosition(size);
    data_.resize(std::size_t(size));
    if (pos_ > size) pos_ = size;
}

// ---- FileStream -----------------------------------------------------------

FileStream::FileStream(const std::string& path, Mode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::ReadRegular:
        fd_ = platform::openRegularForReading(path);
        if (fd_ < 0 && platform::notRegularFile(errno))
            throw StreamError("cannot open " + path + ": not a regular file (a link, pipe or device)");
        if (fd_ < 0) raiseSystemError("cannot open", path);
        return;
    }
    do {
        fd_ = ::open(path.c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) raiseSystemError("cannot open", path);
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        errno = EISDIR;
        raiseSystemError("cannot open", path);
    }
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FileStream::read(void* buffer, std::size_t n) {
    if (readLimit_ >= 0) n = std::size_t(std::clamp<std::int64_t>(readLimit_ - pos_, 0, std::int64_t(n)));
    if (n == 0) return 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, buffer, n, off_t(pos_));
        if (got >= 0) {
            pos_ += got;
            return std::size_t(got);
        }
        if (errno != EINTR) raiseSystemError("cannot read", path_);
    }
}

void FileStream::write(const void* buffer, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, p + done, n - done, off_t(pos_));
        if (put < 0) {
            if (errno == EINTR) continue;
            raiseSystemError("cannot write", path_);
        }
        if (put == 0) {
            errno = ENOSPC;
            raiseSystemError("cannot write", path_);
        }
        done += std::size_t(put);
        pos_ += put;
    }
}

std::int64_t FileStream::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) raiseSystemError("cannot query the size of", path_);
    return readLimit_ >= 0 ? std::min(readLimit_, std::int64_t(st.st_size)) : std::int64_t(st.st_size);
}

void FileStream::seek(std::int64_t position) {
    checkPosition(position);
    pos_ = position;
}

void FileStream::setSize(std::int64_t size) {
    checkPosition(size);
    int rc;
    do {
        rc = ::ftruncate(fd_, off_t(size));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) raiseSystemError("cannot resize", path_);
    if (pos_ > size) pos_ = size;
}

}  // namespace encdec
