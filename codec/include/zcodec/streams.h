// Byte streams the pipeline and the exchange work on: memory and file, each
// with rewind, size and truncate. Errors are raised as StreamError; the
// pipeline catches them and reports failure through its flags.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace encdec {

class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Stream {
public:
    virtual ~Stream() = default;
    // Reads up to n bytes at the position; returns how many were read.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    // Writes all n bytes at the position (raises StreamError otherwise).
    virtual void write(const void* buffer, std::size_t n) = 0;
    virtual std::int64_t size() const = 0;
    virtual std::int64_t position() const = 0;
    virtual void seek(std::int64_t position) = 0;
    // Cuts (or extends with zeros) the stream to the given size; the position
    // is kept unless it lies beyond the new end.
    virtual void setSize(std::int64_t size) = 0;

    void rewind() { seek(0); }
    // Reads exactly n bytes or raises StreamError.
    void readExactly(void* buffer, std::size_t n);
    // Copies count bytes (all the rest when count < 0) from src's position to
    // this stream's position; returns the number copied.
    std::int64_t copyFrom(Stream& src, std::int64_t count = -1);
};

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}
    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    std::int64_t size() const override { return std::int64_t(data_.size()); }
    std::int64_t position() const override { return pos_; }
    void seek(std::int64_t position) override;
    void setSize(std::int64_t size) override;

    const std::vector<std::uint8_t>& bytes() const { return data_; }
    std::vector<std::uint8_t>& bytes() { return data_; }

private:
    std::vector<std::uint8_t> data_;
    std::int64_t pos_ = 0;
};

class FileStream : public Stream {
public:
    enum class Mode {
        Read,         // existing file, read only
        Create,       // new or truncated file, read and write
        ReadWrite,    // existing file, read and write
        ReadRegular,  // existing regular file reached without a symbolic link, read only
    };
    // Raises StreamError when the file cannot be opened.
    FileStream(const std::string& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // Reads (and the size) end at this many bytes: a file that grows while it
    // is read gives no more than it had.
    void limitReads(std::int64_t bytes) { readLimit_ = bytes; }

    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    std::int64_t size() const override;
    std::int64_t position() const override { return pos_; }
    void seek(std::int64_t position) override;
    void setSize(std::int64_t size) override;

    const std::string& path() const { return path_; }
    int fd() const { return fd_; }

private:
    std::string path_;
    int fd_ = -1;
    std::int64_t pos_ = 0;
    std::int64_t readLimit_ = -1;   // none
};

}  // namespace encdec
