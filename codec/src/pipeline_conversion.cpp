#include "pipeline_conversion.h"

namespace encdec::detail {

Conversion::~Conversion() {
    // Streams first, then the files under them.
    ownedCurrent_.reset();
    outputFile_.reset();
    temps_.clear();
}

void Conversion::setInput(Stream* borrowed) { current_ = borrowed; }

void Conversion::setInput(std::unique_ptr<Stream> owned) {
    ownedCurrent_ = std::move(owned);
    current_ = ownedCurrent_.get();
}

void Conversion::setOutput(Stream* borrowed) { output_ = borrowed; }

void Conversion::setOutputFile(const std::string& target, bool jobFile) {
    outputFile_ = std::make_unique<ReplacingFile>(target, jobFile);
    output_ = &outputFile_->stream();
}

void Conversion::advance(std::unique_ptr<Stream> next) {
    ownedCurrent_ = std::move(next);
    current_ = ownedCurrent_.get();
}

void Conversion::advanceToOutput() {
    ownedCurrent_.reset();
    current_ = output_;
}

const std::string& Conversion::newTempFile(const std::string& extension) {
    temps_.push_back(std::make_unique<TempFile>(extension));
    return temps_.back()->path();
}

void Conversion::checkTerminated() const {
    if (thread_.terminated()) throw StreamError("the conversion was stopped");
}

void Conversion::commit() {
    if (outputFile_) outputFile_->commit();
}

std::size_t readFull(Stream& s, std::uint8_t* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const std::size_t got = s.read(buffer + done, n - done);
        if (got == 0) break;
        done += got;
    }
    return done;
}

void cipherStep(Conversion& c, bool (*cipher)(Stream*, Stream*), const std::string& tempExtension) {
    std::unique_ptr<Stream> owned;
    Stream* target = nullptr;
    if (c.current().size() > kInMemoryLimit) {
        owned = std::make_unique<FileStream>(c.newTempFile(tempExtension), FileStream::Mode::Create);
        target = owned.get();
    } else if (c.outputIsFile()) {
        target = &c.output();   // a fresh file of our own: empty, nothing to lose
    } else {
        owned = std::make_unique<MemoryStream>();
        target = owned.get();
    }
    if (!cipher(&c.current(), target)) throw StreamError("the cipher step failed (the block is not well formed)");
    target->rewind();
    if (owned) c.advance(std::move(owned));
    else c.advanceToOutput();
}

void finishStep(Conversion& c) {
    if (c.currentIsOutput()) {
        c.outputSize = c.output().size();
    } else {
        c.current().rewind();
        c.output().rewind();
        c.output().copyFrom(c.current());
        c.outputSize = c.current().size();
    }
    c.output().rewind();
}

}  // namespace encdec::detail
