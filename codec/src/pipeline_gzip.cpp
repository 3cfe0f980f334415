// Compression through the parallel gzip writer; decompression through zlib's
// gzip file functions, which read every gzip writer's data, several members
// included, and pass data that is not gzip through unchanged.
#include "pipeline_conversion.h"

#include <zcodec/gzipwriter.h>

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace encdec::detail {

namespace {

// Whole blocks of 2048 bytes per call, with fewer calls and system calls per byte.
constexpr std::size_t kChunk = std::size_t(kPipelineBlockSize) * 32;
// zlib's own file buffer; larger than its default to cut down on writes.
constexpr unsigned kGzipBuffer = 128 * 1024;

class GzipFile {
public:
    GzipFile(const std::string& path, const char* mode) : path_(path) {
        errno = 0;
        file_ = ::gzopen(path.c_str(), mode);
        if (!file_)
            throw StreamError("cannot open " + path + ": " + std::strerror(errno ? errno : ENOMEM));
        ::gzbuffer(file_, kGzipBuffer);
    }
    ~GzipFile() {
        if (file_) ::gzclose(file_);
    }
    GzipFile(const GzipFile&) = delete;
    GzipFile& operator=(const GzipFile&) = delete;

    gzFile get() const { return file_; }

    [[noreturn]] void fail(const std::string& what) const {
        int code = Z_OK;
        std::string text = ::gzerror(file_, &code);
        // zlib puts the file name first; the name of a temporary file tells nobody anything.
        if (text.starts_with(path_ + ": ")) text.erase(0, path_.size() + 2);
        throw StreamError(what + ": " + (text.empty() ? "unknown error" : text));
    }

    // A pending error (such as a stream that ends early) counts too.
    void checkState(const std::string& what) const {
        int code = Z_OK;
        ::gzerror(file_, &code);
        if (code != Z_OK) fail(what);
    }

    void close(const std::string& what) {
        checkState(what);
        const int rc = ::gzclose(file_);
        file_ = nullptr;
        if (rc != Z_OK)
            throw StreamError(what + ": " + (rc == Z_BUF_ERROR ? "unexpected end of file"
                                                           : rc == Z_ERRNO   ? std::strerror(errno)
                                                                             : "zlib error " + std::to_string(rc)));
    }

private:
    std::string path_;
    gzFile file_ = nullptr;
};

}  // namespace

void compressStep(Conversion& c, bool intoOutputFile) {
    std::unique_ptr<FileStream> temp;
    if (!intoOutputFile) temp = std::make_unique<FileStream>(c.newTempFile("gz"), FileStream::Mode::Create);
    Stream& packed = temp ? *temp : c.output();
    {
        GzipWriter gz([&](const std::uint8_t* data, std::size_t size) { packed.write(data, size); });
        std::vector<std::uint8_t> buffer(kChunk);
        Stream& in = c.current();
        in.rewind();
        for (;;) {
            c.checkTerminated();
            const std::size_t n = readFull(in, buffer.data(), buffer.size());
            gz.write(buffer.data(), n);
            if (n < buffer.size()) break;
        }
        gz.finish();
    }
    packed.rewind();
    if (temp) c.advance(std::move(temp));
    else c.advanceToOutput();
}

void decompressStep(Conversion& c) {
    const std::string& path = c.newTempFile("gz");
    {
        FileStream copy(path, FileStream::Mode::Create);
        c.current().rewind();
        copy.copyFrom(c.current());
    }
    c.advanceToOutput();
    Stream& out = c.output();
    out.setSize(0);
    out.rewind();

    GzipFile gz(path, "rb");
    std::vector<std::uint8_t> buffer(kChunk);
    std::int64_t total = 0;
    for (;;) {
        c.checkTerminated();
        const int n = ::gzread(gz.get(), buffer.data(), unsigned(buffer.size()));
        if (n < 0) gz.fail("cannot decompress");
        if (c.outputLimit > 0 && total + n > c.outputLimit)
            throw StreamError("the decompressed data exceeds " + std::to_string(c.outputLimit) + " bytes");
        if (n > 0) out.write(buffer.data(), std::size_t(n));
        total += n;
        if (std::size_t(n) < buffer.size()) break;
    }
    // A truncated stream reads as a short one; only the error state tells.
    gz.close("cannot decompress");
    c.outputSize = total;
}

}  // namespace encdec::detail
