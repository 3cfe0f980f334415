#include "wizard/localexport.h"

#include <zplatform/fd.h>
#include <zcodec/pipeline.h>
#include <zentcore/jobfiles.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zentclient {

namespace {

using Fd = platform::UniqueFd;

using Code = ExportResult::Code;

ExportResult failed(Code code, std::string warning) { return ExportResult{code, std::move(warning)}; }

ExportResult incomplete(std::string warning) { return failed(Code::PackageNotWritten, std::move(warning)); }

ExportResult writePackage(const std::string& package, const std::string& txt, const std::string& gz) {
    // The package replaces one that exists, but never through a link.
    ::unlink(package.c_str());
    Fd out(::open(package.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, encdec::JobFiles::kFileMode));
    if (out.get() < 0) return failed(Code::PackageNotCreated, "Could not open file for writing!");
    Fd description(platform::openRegularForReading(txt));
    if (description.get() < 0) return incomplete("Could not open TXT file for reading!");
    Fd data(platform::openRegularForReading(gz));
    if (data.get() < 0) return incomplete("Could not open DATA file for reading!");

    struct stat st {};
    // A description that does not fit the signed length field cannot be exported.
    if (::fstat(description.get(), &st) != 0 || st.st_size > std::numeric_limits<std::int32_t>::max())
        return incomplete("Failed to write header!");
    const auto length = std::uint32_t(st.st_size);
    const char header[4] = {char(length & 0xff), char((length >> 8) & 0xff), char((length >> 16) & 0xff),
                            char((length >> 24) & 0xff)};
    if (!platform::writeAll(out.get(), header, sizeof header)) return incomplete("Failed to write header!");
    if (!platform::copyAll(description.get(), out.get())) return incomplete("Failed to write TXT info!");
    if (!platform::copyAll(data.get(), out.get())) return incomplete("Failed to write DATA info!");
    if (::fsync(out.get()) != 0) return incomplete("Failed to write DATA info!");
    return {};
}

}  // namespace

ExportResult WriteLocalExport(const zentcore::TQueuedJob& job, const std::string& workDir, const std::string& target) {
    const encdec::JobFiles files = zentcore::FilesOf(job, workDir);
    const std::string package = files.path(".zt1");
    ExportResult written = writePackage(package, files.txt(), files.gz());
    if (!written.ok()) {
        if (written.code != Code::PackageNotCreated) ::unlink(package.c_str());
        return written;
    }

    // The pipeline writes beside the target and renames into place only on
    // success, so a failed export never leaves a half file under the user's name.
    std::unique_ptr<encdec::EncCmpThread> thread;
    try {
        thread = std::make_unique<encdec::EncCmpThread>(false, encdec::ttEncrypt, package, target);
    } catch (const std::exception&) {
        ::unlink(package.c_str());
        return failed(Code::EncryptionNotStarted, "Failed to start encryption process!");
    }
    thread->WaitFor();
    const bool ok = thread->IsSuccessful();
    thread.reset();
    ::unlink(package.c_str());
    return ok ? ExportResult{} : failed(Code::EncryptionFailed, "Encryption failed!");
}

void MarkExported(zentcore::TQueuedJob& job) {
    job.SessionId = 1;
    job.Busy = true;
    job.Finished = true;
    job.Result.Clear();
    job.Result.ReturnValue = 1;
}

}  // namespace zentclient
