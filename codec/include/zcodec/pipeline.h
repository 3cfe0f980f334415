// Packing and unpacking of payloads on worker threads, as the transport type
// says: gzip (level 9) and the transport cipher.
//
// Callers construct a thread not suspended (or resume() it), WaitFor() it,
// then read IsSuccessful() and GetOutputSize(). Streams passed in stay the
// caller's and must stay alive and untouched until the thread has finished.
// An output file is written beside its final name and moved into place only
// when the conversion succeeds, so a failure never damages an existing file
// (input and output may name the same file).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <zcodec/commheader.h>
#include <zcodec/streams.h>
#include <zplatform/thread.h>

namespace encdec {

constexpr int kPipelineBlockSize = 2048;
// Inputs of at most this many bytes are enciphered or deciphered in memory;
// larger ones go through a temporary file.
constexpr std::int64_t kInMemoryLimit = 300000;

namespace detail {
class Conversion;
}

class BaseThread : public platform::Thread {
public:
    ~BaseThread() override;
    bool IsSuccessful() const { return successful_.load(); }
    bool IsFinished() const { return finished_.load(); }
    // Meaningful only after a successful conversion.
    std::int64_t GetOutputSize() const { return outputSize_; }
    // Why the conversion failed (empty on success); read after it finished.
    const std::string& GetErrorText() const { return errorText_; }
    // WaitFor as callers know it.
    void WaitFor() { waitFor(); }
    // Bounds what decompression may produce (0: no bound), so a small hostile
    // payload cannot expand without limit. Set it on a thread created
    // suspended, before resume().
    void SetOutputLimit(std::int64_t bytes) { outputLimit_ = bytes; }
    // Treats the input and output files as job files of a directory others
    // may write to: the input must be a regular file reached without a
    // symbolic link (a pipe or device under its name is refused before it is
    // opened for reading) and no more than maxInputBytes of it are read; the
    // output replaces what is under its name, a link itself and never the
    // file it names, with a file only its owner may read. Set it before
    // resume().
    void SetJobFileRules(std::int64_t maxInputBytes) {
        jobFiles_ = true;
        maxInputBytes_ = maxInputBytes;
    }

protected:
    BaseThread(bool suspended, TransportType type);
    int StartingJobs();

    // The constructors' four input/output forms.
    void setFiles(const std::string& in, const std::string& out);
    void setStreams(Stream* in, Stream* out);
    void setFileToStream(const std::string& in, Stream* out);
    void setStreamToFile(Stream* in, const std::string& out);
    // Last step of every constructor: marks the object complete and starts
    // the body unless it was created suspended.
    void markReady();

    using Steps = void (*)(detail::Conversion&, TransportType);
    // The whole body: waits for readiness, opens what it needs, runs the
    // steps, and releases everything on every path.
    void runConversion(Steps steps);

private:
    bool prepare(detail::Conversion& conversion);

    enum Kind : std::uint8_t { kFile = 0, kStream = 2 };

    std::atomic<bool> finished_{false};
    std::atomic<bool> successful_{false};
    std::atomic<bool> ready_{false};
    bool inPlace_ = false;
    Kind inputKind_ = kFile;
    Kind outputKind_ = kFile;
    std::string inputName_, outputName_;
    Stream* inputStream_ = nullptr;
    Stream* outputStream_ = nullptr;
    TransportType transport_;
    std::int64_t outputSize_ = 0;
    std::int64_t outputLimit_ = 0;
    bool jobFiles_ = false;
    std::int64_t maxInputBytes_ = -1;
    std::string errorText_;
};

class EncCmpThread : public BaseThread {
public:
    EncCmpThread(bool suspended, TransportType type, const std::string& inFile, const std::string& outFile);
    EncCmpThread(bool suspended, TransportType type, Stream* in, Stream* out);
    EncCmpThread(bool suspended, TransportType type, const std::string& inFile, Stream* out);
    EncCmpThread(bool suspended, TransportType type, Stream* in, const std::string& outFile);
    ~EncCmpThread() override;

    // Enciphers the whole input (from its start) with a fresh 256-byte key
    // into an empty output. False for a missing stream, a non-empty output or
    // any stream error.
    static bool EncryptStream(Stream* input, Stream* output);

protected:
    void execute() override;
};

class DecUncmpThread : public BaseThread {
public:
    DecUncmpThread(bool suspended, TransportType type, const std::string& inFile, const std::string& outFile);
    DecUncmpThread(bool suspended, TransportType type, Stream* in, Stream* out);
    DecUncmpThread(bool suspended, TransportType type, const std::string& inFile, Stream* out);
    DecUncmpThread(bool suspended, TransportType type, Stream* in, const std::string& outFile);
    ~DecUncmpThread() override;

    // Deciphers the whole input (from its start) into an empty output. False
    // for a missing stream, a non-empty output, a refused block or any stream
    // error.
    static bool DecryptStream(Stream* input, Stream* output);

protected:
    void execute() override;
};

}  // namespace encdec
