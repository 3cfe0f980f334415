#include "wizard/localexport.h"

#include <zplatform/fd.h>
#include <zcodec/pipeline.h>

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

// Appends everything of from to to; false on a read or write error.
bool copyAll(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!platform::writeAll(to, buffer, std::size_t(n))) return false;
    }
}

// Writes the package; the warning on failure.
std::string writePackage(const std::string& package, const std::string& txt, const std::string& gz) {
    Fd out(::open(package.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (out.get() < 0) return "Could not open file for writing!";
    Fd description(::open(txt.c_str(), O_RDONLY | O_CLOEXEC));
    if (description.get() < 0) return "Could not open TXT file for reading!";
    Fd data(::open(gz.c_str(), O_RDONLY | O_CLOEXEC));
    if (data.get() < 0) return "Could not open DATA file for reading!";

    struct stat st {};
    // A description that does not fit the signed length field cannot be exported.
    if (::fstat(description.get(), &st) != 0 || st.st_size > std::numeric_limits<std::int32_t>::max())
        return "Failed to write header!";
    const auto length = std::uint32_t(st.st_size);
    const char header[4] = {char(length & 0xff), char((length >> 8) & 0xff), char((length >> 16) & 0xff),
                            char((length >> 24) & 0xff)};
    if (!platform::writeAll(out.get(), header, sizeof header)) return "Failed to write header!";
    if (!copyAll(description.get(), out.get())) return "Failed to write TXT info!";
    if (!copyAll(data.get(), out.get())) return "Failed to write DATA info!";
    if (::fsync(out.get()) != 0) return "Failed to write DATA info!";
    return {};
}

}  // namespace

std::string WriteLocalExport(const zentcore::TQueuedJob& job, const std::string& workDir, const std::string& target) {
    const std::string base = workDir + "/" + job.BaseName;
    const std::string package = base + ".zt1";
    std::string warning = writePackage(package, base + ".txt", base + ".gz");
    if (!warning.empty()) {
        if (warning != "Could not open file for writing!") ::unlink(package.c_str());
        return warning;
    }

    // The pipeline writes beside the target and renames into place only on
    // success, so a failed export never leaves a half file under the user's name.
    std::unique_ptr<encdec::EncCmpThread> thread;
    try {
        thread = std::make_unique<encdec::EncCmpThread>(false, encdec::ttEncrypt, package, target);
    } catch (const std::exception&) {
        ::unlink(package.c_str());
        return "Failed to start encryption process!";
    }
    thread->WaitFor();
    const bool ok = thread->IsSuccessful();
    thread.reset();
    ::unlink(package.c_str());
    return ok ? std::string() : "Encryption failed!";
}

void MarkExported(zentcore::TQueuedJob& job) {
    job.SessionId = 1;
    job.Busy = true;
    job.Finished = true;
    job.Result.Clear();
    job.Result.ReturnValue = 1;
}

}  // namespace zentclient
