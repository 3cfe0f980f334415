#include "pipeline_conversion.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace encdec {

namespace {

bool validType(TransportType type) { return type >= ttNone && type <= ttEncryptDecompress; }

// The same file under two names counts as in place too.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

BaseThread::BaseThread(bool suspended, TransportType type) : platform::Thread(suspended), transport_(type) {
    StartingJobs();
}

BaseThread::~BaseThread() {
    terminate();
    waitFor();
}

int BaseThread::StartingJobs() {
    outputSize_ = 0;
    inPlace_ = false;
    successful_ = false;
    finished_ = false;
    errorText_.clear();
    return 0;
}

void BaseThread::setFiles(const std::string& in, const std::string& out) {
    inputKind_ = outputKind_ = kFile;
    inputName_ = in;
    outputName_ = out;
}

void BaseThread::setStreams(Stream* in, Stream* out) {
    inputKind_ = outputKind_ = kStream;
    inputStream_ = in;
    outputStream_ = out;
}

void BaseThread::setFileToStream(const std::string& in, Stream* out) {
    inputKind_ = kFile;
    outputKind_ = kStream;
    inputName_ = in;
    outputStream_ = out;
}

void BaseThread::setStreamToFile(Stream* in, const std::string& out) {
    inputKind_ = kStream;
    outputKind_ = kFile;
    inputStream_ = in;
    outputName_ = out;
}

void BaseThread::markReady() {
    ready_ = true;
    afterConstruction();
}

// Opens the input and output; false when nothing is left to do (type 0 with
// the same stream or file on both sides).
bool BaseThread::prepare(detail::Conversion& c) {
    if (!validType(transport_)) throw StreamError("unknown transport type " + std::to_string(int(transport_)));
    if (inputKind_ == kStream && !inputStream_) throw StreamError("no input stream");
    if (outputKind_ == kStream && !outputStream_) throw StreamError("no output stream");
    if (inputKind_ == kFile && inputName_.empty()) throw StreamError("no input file name");
    if (outputKind_ == kFile && outputName_.empty()) throw StreamError("no output file name");

    if (inputKind_ == kStream && outputKind_ == kStream && inputStream_ == outputStream_) {
        if (transport_ == ttNone) {
            outputSize_ = inputStream_->size();
            return false;
        }
        // The result overwrites the stream while it is still being read: work
        // from a copy, in memory when small.
        std::unique_ptr<Stream> copy;
        if (inputStream_->size() > kInMemoryLimit)
            copy = std::make_unique<FileStream>(c.newTempFile("tmp"), FileStream::Mode::Create);
        else
            copy = std::make_unique<MemoryStream>();
        inputStream_->rewind();
        copy->copyFrom(*inputStream_);
        copy->rewind();
        c.setInput(std::move(copy));
        c.setOutput(outputStream_);
        return true;
    }

    if (inputKind_ == kFile && outputKind_ == kFile && sameFile(inputName_, outputName_)) {
        if (transport_ == ttNone) {
            outputSize_ = FileStream(inputName_, FileStream::Mode::Read).size();
            return false;
        }
        // The output goes beside the file and replaces it at the end, so
        // reading the original is safe and a failure leaves it as it was.
        inPlace_ = true;
    }

    if (inputKind_ == kStream) {
        inputStream_->rewind();
        c.setInput(inputStream_);
    } else {
        auto input =
            std::make_unique<FileStream>(inputName_, jobFiles_ ? FileStream::Mode::ReadRegular : FileStream::Mode::Read);
        if (jobFiles_) input->limitReads(maxInputBytes_);
        c.setInput(std::move(input));
    }
    if (outputKind_ == kStream) c.setOutput(outputStream_);
    else c.setOutputFile(outputName_, jobFiles_);
    return true;
}

void BaseThread::runConversion(Steps steps) {
    // The constructors start the body only once ready; waiting here keeps a
    // body started any other way off a half-built object.
    while (!ready_) {
        if (terminated()) {
            errorText_ = "the conversion was stopped";
            finished_ = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    try {
        detail::Conversion c(*this);
        c.outputLimit = outputLimit_;
        if (prepare(c)) {
            steps(c, transport_);
            outputSize_ = c.outputSize;
            c.commit();
        }
        successful_ = true;
    } catch (const std::exception& e) {
        errorText_ = e.what();
    } catch (...) {
        errorText_ = "unexpected failure";
    }
    finished_ = true;
}

}  // namespace encdec
