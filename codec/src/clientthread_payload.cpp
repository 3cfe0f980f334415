// The request payload of each command, and its packing for the wire.
#include <zcodec/pipeline.h>
#include <zcodec/utilities.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <climits>

#include "clientthread_code.h"
#include "clientthread_jobstream.h"
#include "clientthread_numbers.h"

namespace encdec {

namespace {

constexpr char kFieldSeparator[] = "\x04";
constexpr std::size_t kJobBlockSize = 24;

void appendText(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

std::unique_ptr<MemoryStream> textPayload(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return std::make_unique<MemoryStream>(std::move(bytes));
}

// Appends count bytes of the job to the package. File to file, the kernel
// copies them in one pass without our memory in between; where it cannot
// (other file systems, old kernels) the ordinary copy does it.
void appendJob(Stream& package, FileStream& job, std::int64_t count) {
    const std::int64_t length = count;
    if (auto* file = dynamic_cast<FileStream*>(&package)) {
        loff_t from = 0;
        loff_t to = file->position();
        while (count > 0) {
            const ssize_t n = ::copy_file_range(job.fd(), &from, file->fd(), &to, std::size_t(count), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && from == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
                break;
            if (n < 0) throw StreamError("cannot copy the job file: " + std::string(std::strerror(errno)));
            if (n == 0) throw StreamError("job file changed while it was read");
            count -= n;
        }
        file->seek(to);
    }
    if (count > 0 && package.copyFrom(job, count) != count) throw StreamError("job file changed while it was read");
    // A job that grew since its length was taken would not match the block.
    std::uint8_t more;
    job.seek(length);
    if (job.read(&more, 1) != 0) throw StreamError("job file changed while it was read");
}

}  // namespace

std::unique_ptr<Stream> MyClientThreadCode::PreProcessCommand(std::string& tempFile) {
    tempFile.clear();
    std::string packageFile;
    try {
        bool wireReady = false;
        auto payload = buildPayload(packageFile, wireReady);
        // The job package's own temporary file is not needed once packed.
        exchange::TempFileGuard package(packageFile);
        if (!payload || wireReady) return payload;
        return packPayload(*payload, tempFile);
    } catch (const std::exception& e) {
        if (!packageFile.empty()) std::remove(packageFile.c_str());
        if (ErrorCode == 0) ErrorCode = kErrNotPrepared;
        dlog(ClientThreadLogFile(), Command + ": request not prepared: " + e.what());
        return nullptr;
    }
}

std::unique_ptr<Stream> MyClientThreadCode::buildPayload(std::string& tempFile, bool& wireReady) {
    if (Command == "SENDFILE") return std::make_unique<FileStream>(Data, FileStream::Mode::Read);
    if (Command.rfind("PRFILE", 0) == 0) return buildJobPackage(tempFile, wireReady);
    if (Command == "CONFIRM") {
        std::int32_t job = exchange::DecimalOr(exchange::TrimBlanks(Data), 0);
        if (job == 0) {
            ErrorCode = kErrBadArguments;
            return nullptr;
        }
        std::vector<std::uint8_t> bytes(4);
        PutBigEndian32(bytes.data(), std::uint32_t(job));
        return std::make_unique<MemoryStream>(std::move(bytes));
    }
    if (Command == "NEWSESSION") Data = platform::userName();
    return textPayload(Data);
}

// Printer, job file path, document name as zero-terminated texts, the 24-byte
// block of numbers, then the job file's bytes. Unless the transport type
// compresses, the package is made while it is sent, already in its wire form;
// compressing needs the whole package first.
std::unique_ptr<Stream> MyClientThreadCode::buildJobPackage(std::string& tempFile, bool& wireReady) {
    StringList fields;
    split(Data, kFieldSeparator, fields);
    if (fields.size() < 2) {
        ErrorCode = kErrBadArguments;
        return nullptr;
    }
    auto text = [&](std::size_t position) {
        return position <= fields.size() ? fields[position - 1] : std::string();
    };
    auto number = [&](std::size_t position, std::int32_t fallback) {
        return position <= fields.size() ? exchange::DecimalOr(fields[position - 1], fallback) : fallback;
    };

    // The job file lies in the working directory: no link is followed to it.
    auto job = std::make_unique<FileStream>(text(2), FileStream::Mode::ReadRegular);
    const std::int64_t jobLength = job->size();
    // The package announces the length in 32 bits and the header the packed
    // size in 31: a longer job cannot be described truthfully.
    if (jobLength > INT32_MAX - kCommHeaderSize) throw StreamError("job file too large to send");

    std::vector<std::uint8_t> head;
    appendText(head, text(1));
    appendText(head, text(2));
    appendText(head, text(8));
    std::uint8_t* block = &*head.insert(head.end(), kJobBlockSize, 0);
    PutBigEndian32(block + 0, std::uint32_t(jobLength));
    PutBigEndian32(block + 4, std::uint32_t(number(7, 0)));
    PutBigEndian32(block + 8, std::uint32_t(number(9, 0)));
    PutBigEndian32(block + 12, std::uint32_t(number(10, 0)));
    PutBigEndian16(block + 16, std::uint16_t(number(3, 0)));
    PutBigEndian16(block + 18, std::uint16_t(number(4, 1)));
    PutBigEndian16(block + 20, std::uint16_t(number(5, 0)));
    PutBigEndian16(block + 22, std::uint16_t(number(6, 0)));

    if (Transport == ttNone || Transport == ttEncrypt || Transport == ttDecompressOnly ||
        Transport == ttEncryptDecompress) {
        wireReady = true;
        const bool encipher = Transport == ttEncrypt || Transport == ttEncryptDecompress;
        return std::make_unique<exchange::JobRequestStream>(std::move(head), std::move(job), jobLength, encipher);
    }

    std::unique_ptr<Stream> package;
    if (jobLength <= kInMemoryLimit) {
        package = std::make_unique<MemoryStream>();
    } else {
        tempFile = AnsiTempFileName("tmp");
        if (tempFile.empty()) throw StreamError("no temporary file for the job package");
        package = std::make_unique<FileStream>(tempFile, FileStream::Mode::Create);
    }
    package->write(head.data(), head.size());
    appendJob(*package, *job, jobLength);
    package->rewind();
    return package;
}

std::unique_ptr<Stream> MyClientThreadCode::packPayload(Stream& payload, std::string& tempFile) {
    const std::int64_t length = payload.size();
    std::string name;
    if (length > kInMemoryLimit) {
        name = AnsiTempFileName("out");
        if (name.empty()) throw StreamError("no temporary file for the packed request");
    }
    exchange::TempFileGuard packedFile(name);
    std::unique_ptr<Stream> packed;
    if (name.empty()) packed = std::make_unique<MemoryStream>();
    else packed = std::make_unique<FileStream>(name, FileStream::Mode::Create);
    payload.rewind();
    {
        EncCmpThread packer(false, Transport, &payload, packed.get());
        if (!finishPipeline(packer)) {
            if (ErrorCode == 0) ErrorCode = kErrNotPrepared;
            dlog(ClientThreadLogFile(), Command + ": packing the request failed");
            return nullptr;
        }
        const std::int64_t packedSize = packer.GetOutputSize();
        if (packedSize < 0 || packedSize > INT32_MAX - kCommHeaderSize)
            throw StreamError("packed request too large to send");
        if (packed->size() != packedSize) packed->setSize(packedSize);
    }
    if (Transport == ttCompress || Transport == ttCompressEncrypt)
        UncSize = std::int32_t(std::min<std::int64_t>(length, INT32_MAX));
    packed->rewind();
    tempFile = packedFile.release();
    return packed;
}

bool MyClientThreadCode::finishPipeline(BaseThread& worker) {
    while (!worker.waitFor(exchange::kStepMs))
        if (GetTerminated()) worker.terminate();
    return worker.IsSuccessful();
}

}  // namespace encdec
