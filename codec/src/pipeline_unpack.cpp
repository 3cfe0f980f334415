#include "pipeline_conversion.h"

namespace encdec {

namespace {

void unpackSteps(detail::Conversion& c, TransportType type) {
    c.output().rewind();
    if (type == ttEncrypt || type == ttCompressEncrypt || type == ttEncryptDecompress)
        detail::cipherStep(c, &DecUncmpThread::DecryptStream, "dec");
    if (type == ttCompress || type == ttCompressEncrypt || type == ttDecompressOnly || type == ttEncryptDecompress)
        detail::decompressStep(c);
    detail::finishStep(c);
}

}  // namespace

DecUncmpThread::DecUncmpThread(bool suspended, TransportType type, const std::string& inFile,
                               const std::string& outFile)
    : BaseThread(suspended, type) {
    setFiles(inFile, outFile);
    markReady();
}

DecUncmpThread::DecUncmpThread(bool suspended, TransportType type, Stream* in, Stream* out)
    : BaseThread(suspended, type) {
    setStreams(in, out);
    markReady();
}

DecUncmpThread::DecUncmpThread(bool suspended, TransportType type, const std::string& inFile, Stream* out)
    : BaseThread(suspended, type) {
    setFileToStream(inFile, out);
    markReady();
}

DecUncmpThread::DecUncmpThread(bool suspended, TransportType type, Stream* in, const std::string& outFile)
    : BaseThread(suspended, type) {
    setStreamToFile(in, outFile);
    markReady();
}

DecUncmpThread::~DecUncmpThread() {
    // The body works on this object: it must end before anything is torn down.
    terminate();
    waitFor();
}

void DecUncmpThread::execute() { runConversion(&unpackSteps); }

}  // namespace encdec
