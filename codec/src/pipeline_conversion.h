// Internals of the packing and unpacking threads: the streams of one
// conversion, the files it opens and the steps that move data between them.
#pragma once

#include <zcodec/pipeline.h>

#include <memory>
#include <string>
#include <vector>

namespace encdec::detail {

// A file made by AnsiTempFileName ("<counter>.<ext>" in the temporary
// directory), deleted when the object dies.
class TempFile {
public:
    explicit TempFile(const std::string& extension);   // raises StreamError without a name
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// An output file written under a hidden name beside the target and renamed
// over it by commit(); removed instead when the object dies uncommitted. An
// existing target keeps its permissions and a symbolic link is followed,
// unless the target is a job file: then the name itself is replaced (a link
// too, never the file it names) by a file only its owner may read.
class ReplacingFile {
public:
    ReplacingFile(const std::string& target, bool jobFile);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    FileStream& stream() { return *stream_; }
    void commit();

private:
    std::string target_, partial_;
    std::unique_ptr<FileStream> stream_;
    bool committed_ = false;
};

// The state of one conversion. The current stream is what the next step
// reads; streams the conversion opened are released when it moves on and,
// with the temporary files, when it dies.
class Conversion {
public:
    explicit Conversion(const platform::Thread& thread) : thread_(thread) {}
    ~Conversion();
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    void setInput(Stream* borrowed);
    void setInput(std::unique_ptr<Stream> owned);
    void setOutput(Stream* borrowed);
    void setOutputFile(const std::string& target, bool jobFile);

    Stream& current() { return *current_; }
    Stream& output() { return *output_; }
    bool currentIsOutput() const { return current_ == output_; }
    bool outputIsFile() const { return outputFile_ != nullptr; }

    // Moves on to the next stream; the one before is released when owned.
    void advance(std::unique_ptr<Stream> next);
    void advanceToOutput();

    // A temporary file that lives as long as the conversion.
    const std::string& newTempFile(const std::string& extension);
    // Raises when termination has been requested.
    void checkTerminated() const;

    std::int64_t outputSize = 0;
    std::int64_t outputLimit = 0;   // 0: decompression is not bounded
    // Moves a file output into place.
    void commit();

private:
    const platform::Thread& thread_;
    std::vector<std::unique_ptr<TempFile>> temps_;
    std::unique_ptr<ReplacingFile> outputFile_;
    std::unique_ptr<Stream> ownedCurrent_;
    Stream* current_ = nullptr;
    Stream* output_ = nullptr;
};

// The steps, shared by both directions.
// Compresses the current stream into a temporary file, or straight into an
// output file of the conversion's own when nothing follows the compression.
void compressStep(Conversion& c, bool intoOutputFile);
void decompressStep(Conversion& c);
// Enciphers (or deciphers) the current stream into memory or, for a large
// input, a temporary file with the given extension.
void cipherStep(Conversion& c, bool (*cipher)(Stream*, Stream*), const std::string& tempExtension);
// Copies the current stream to the output unless it already is the output.
void finishStep(Conversion& c);

// Reads until the buffer is full or the stream ends.
std::size_t readFull(Stream& s, std::uint8_t* buffer, std::size_t n);

}  // namespace encdec::detail
