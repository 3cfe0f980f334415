#include "shell/importjob.h"

#include <zentcore/application.h>

#include <zplatform/fd.h>
#include <zcodec/jobfiles.h>
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
    platform::prompter().warn(zentcore::kApplicationTitle, text);
    return ImportResult{true, {}};
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

// A new file of the job, made exclusively and never through a link; what
// lay under its name before (a leftover of an earlier job) goes first.
int createJobFile(const std::string& path) {
    ::unlink(path.c_str());
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, encdec::JobFiles::kFileMode);
}

// Runs one unpacking step to its end; false when it could not start or failed.
// Between job files (jobFiles) no link is followed.
bool convert(encdec::TransportType type, const std::string& in, const std::string& out, bool& started,
             std::int64_t outputLimit = 0, bool jobFiles = false) {
    std::unique_ptr<encdec::DecUncmpThread> thread;
    try {
        thread = std::make_unique<encdec::DecUncmpThread>(true, type, in, out);
        thread->SetOutputLimit(outputLimit);
        if (jobFiles) thread->SetJobFileRules(-1);
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

    // The number is taken as the hand-off takes it, so an import and a print
    // job never share one.
    auto created = encdec::JobFiles::createNew(workDir);
    if (!created) {
        if (errno == EEXIST) return ImportResult{};   // every number is taken
        return fail("Failed to open TXT file!");
    }
    created->data.close();
    const encdec::JobFiles& files = created->files;
    const std::string txtPath = files.txt(), gzPath = files.gz(), ztpPath = files.ztp();
    leftovers.add(ztpPath);

    Fd temp(::open(tempFile.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!temp.ok() || ::fstat(temp.get(), &info) != 0) return fail("Failed to read from temp file!");
    // A length that is negative or reaches past the end cannot be followed:
    // the package is damaged, whatever the cipher made of it.
    const auto length = readLength(temp.get());
    if (!length || *length < 0 || std::int64_t(*length) > std::int64_t(info.st_size) - 4)
        return fail("Dencryption failed!");

    Fd txt(createJobFile(txtPath));
    if (!txt.ok()) return fail("Failed to open TXT file!");
    leftovers.add(txtPath);
    const auto copiedText = platform::copyAll(temp.get(), txt.get(), std::uint64_t(*length));
    if (!copiedText || *copiedText == 0 || *copiedText != std::uint64_t(*length)) return fail("Failed to update TXT file!");

    Fd gz(createJobFile(gzPath));
    if (!gz.ok()) return fail("Failed to open GZ file!");
    leftovers.add(gzPath);
    const auto rest = std::uint64_t(info.st_size) - 4 - std::uint64_t(*length);
    const auto copiedData = platform::copyAll(temp.get(), gz.get());
    if (rest == 0 || !copiedData || *copiedData != rest) return fail("Failed to update GZ file!");

    temp.close();
    txt.close();
    gz.close();
    ::unlink(tempFile.c_str());

    if (!convert(encdec::ttCompress, gzPath, ztpPath, started, kMaxImportedJobBytes, true))
        return fail("Decompression failed!");
    // The packed file came with the export and is the packing of this data:
    // dated after it, the queue sends it as it is instead of packing again.
    ::utimensat(AT_FDCWD, gzPath.c_str(), nullptr, 0);
    clearDestination(files.baseName(), workDir);
    leftovers.keep();
    return ImportResult{false, files.baseName()};
}

}  // namespace zentclient
