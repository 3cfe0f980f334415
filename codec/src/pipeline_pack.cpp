#include "pipeline_conversion.h"

namespace encdec {

namespace {

void packSteps(detail::Conversion& c, TransportType type) {
    // A file output is fresh and ours: type 2 writes into it without a copy.
    if (type == ttCompress || type == ttCompressEncrypt)
        detail::compressStep(c, type == ttCompress && c.outputIsFile());
    if (type == ttEncrypt || type == ttCompressEncrypt || type == ttEncryptDecompress)
        detail::cipherStep(c, &EncCmpThread::EncryptStream, "enc");
    detail::finishStep(c);
}

}  // namespace

EncCmpThread::EncCmpThread(bool suspended, TransportType type, const std::string& inFile, const std::string& outFile)
    : BaseThread(suspended, type) {
    setFiles(inFile, outFile);
    markReady();
}

EncCmpThread::EncCmpThread(bool suspended, TransportType type, Stream* in, Stream* out)
    : BaseThread(suspended, type) {
    setStreams(in, out);
    markReady();
}

EncCmpThread::EncCmpThread(bool suspended, TransportType type, const std::string& inFile, Stream* out)
    : BaseThread(suspended, type) {
    setFileToStream(inFile, out);
    markReady();
}

EncCmpThread::EncCmpThread(bool suspended, TransportType type, Stream* in, const std::string& outFile)
    : BaseThread(suspended, type) {
    setStreamToFile(in, outFile);
    markReady();
}

EncCmpThread::~EncCmpThread() {
    // The body works on this object: it must end before anything is torn down.
    terminate();
    waitFor();
}

void EncCmpThread::execute() { runConversion(&packSteps); }

}  // namespace encdec
