#include "shell/importjob.h"

#include "shell/apptitle.h"

#include <zplatform/fd.h>
#include <zcodec/pipeline.h>
#include <zentcore/jobfiles.h>
#include <zentcore/queuedjob.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace zentclient {

namespace {

using Fd = platform::UniqueFd;

// The files an import has made so far; removed unless the import completes.
class Leftovers {
public:
    ~Leftovers() {
        for (const auto& path : paths_) ::unlink(path.c_str());
    }
    void add(const std::string& path) { paths_.push_back(path); }
    void keep() { paths_.clear(); }

private:
    std::vector<std::string> paths_;
};

ImportResult fail(const char* text) {
    platform::prompter().warn(kAppTitle, text);
    return ImportResult{true, {}};
}

std::string jobPath(const std::string& workDir, const std::string& baseName, const char* extension) {
    return workDir + "/" + baseName + extension;
}

// The smallest free job number, taken by creating its data file exclusively,
// as the hand-off does: an import and a print job never share a number.
// Empty when all are taken; reserved tells whether the data file is ours.
std::string reserveBaseName(const std::string& workDir, bool& reserved) {
    for (int n = 1; n <= 999; ++n) {
        const std::string baseName = "ztp_" + std::to_string(n);
        const int fd = ::open(jobPath(workDir, baseName, ".ztp").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            reserved = true;
            return baseName;
        }
        // Another failure than "exists" (no such directory, no rights): the
        // number is free but the files cannot be made, which the next steps report.
        if (errno != EEXIST) return baseName;
    }
    return {};
}

// Copies up to count bytes (-1: to the end); the number copied.
std::int64_t copyBytes(int in, int out, std::int64_t count) {
    char buffer[65536];
    std::int64_t copied = 0;
    while (count < 0 || copied < count) {
        std::size_t want = sizeof buffer;
        if (count >= 0 && std::int64_t(want) > count - copied) want = std::size_t(count - copied);
        const ssize_t n = ::read(in, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || !platform::writeAll(out, buffer, std::size_t(n))) break;
        copied += n;
    }
    return copied;
}

// The description length at the start of the package: signed, little-endian.
std::optional<std::int32_t> readLength(int fd) {
    unsigned char bytes[4];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        got += std::size_t(n);
    }
    return std::int32_t(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
                        std::uint32_t(bytes[3]) << 24);
}

// Runs one unpacking step to its end; false when it could not start or failed.
bool convert(encdec::TransportType type, const std::string& in, const std::string& out, bool& started,
             std::int64_t outputLimit = 0) {
    std::unique_ptr<encdec::DecUncmpThread> thread;
    try {
        thread = std::make_unique<encdec::DecUncmpThread>(true, type, in, out);
        thread->SetOutputLimit(outputLimit);
        thread->resume();
    } catch (const std::exception&) {
        started = false;
        return false;
    }
    started = true;
    thread->WaitFor();
    return thread->IsSuccessful();
}

// The destination of the exported job is forgotten: it needs the user's
// decision in the wizard like any new job.
void clearDestination(const std::string& baseName, const std::string& workDir) {
    zentcore::TQueuedJob job;
    job.BaseName = baseName;
    zentcore::ReadJobDescription(job, workDir, -1, false);
    job.Printer.clear();
    job.Server.clear();
    job.SessionId = 0;
    job.OkDate.clear();
    zentcore::WriteJobDescription(job, workDir);
}

}  // namespace

ImportResult ImportExportFile(const std::string& exportFile, const std::string& workDir) {
    Leftovers leftovers;
    const std::string tempFile = platform::createUniqueTempFile(workDir, "nst_");
    if (tempFile.empty()) return fail("mktemp() failed!");
    leftovers.add(tempFile);

    bool started = false;
    if (!convert(encdec::ttEncrypt, exportFile, tempFile, started))
        return fail(started ? "Dencryption failed!" : "Failed to start dencryption process!");

    bool reserved = false;
    const std::string baseName = reserveBaseName(workDir, reserved);
    if (baseName.empty()) return ImportResult{};
    const std::string txtPath = jobPath(workDir, baseName, ".txt");
    const std::string gzPath = jobPath(workDir, baseName, ".gz");
    const std::string ztpPath = jobPath(workDir, baseName, ".ztp");
    if (reserved) leftovers.add(ztpPath);

    Fd temp(::open(tempFile.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!temp.ok() || ::fstat(temp.get(), &info) != 0) return fail("Failed to read from temp file!");
    // A length that is negative or reaches past the end cannot be followed:
    // the package is damaged, whatever the cipher made of it.
    const auto length = readLength(temp.get());
    if (!length || *length < 0 || std::int64_t(*length) > std::int64_t(info.st_size) - 4)
        return fail("Dencryption failed!");

    Fd txt(::open(txtPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!txt.ok()) return fail("Failed to open TXT file!");
    leftovers.add(txtPath);
    const std::int64_t copiedText = copyBytes(temp.get(), txt.get(), *length);
    if (copiedText == 0 || copiedText != *length) return fail("Failed to update TXT file!");

    Fd gz(::open(gzPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!gz.ok()) return fail("Failed to open GZ file!");
    leftovers.add(gzPath);
    const std::int64_t rest = std::int64_t(info.st_size) - 4 - *length;
    if (rest == 0 || copyBytes(temp.get(), gz.get(), -1) != rest) return fail("Failed to update GZ file!");

    temp.close();
    txt.close();
    gz.close();
    ::unlink(tempFile.c_str());

    if (!reserved) leftovers.add(ztpPath);
    if (!convert(encdec::ttCompress, gzPath, ztpPath, started, kMaxImportedJobBytes))
        return fail("Decompression failed!");
    // The packed file came with the export and is the packing of this data:
    // dated after it, the queue sends it as it is instead of packing again.
    ::utimensat(AT_FDCWD, gzPath.c_str(), nullptr, 0);
    clearDestination(baseName, workDir);
    leftovers.keep();
    return ImportResult{false, baseName};
}

}  // namespace zentclient
