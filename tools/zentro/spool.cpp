#include "spool.h"

#include "dsc_pages.h"

#include <zplatform/system.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zentro {

std::string SpooledJob::path() const { return "/proc/self/fd/" + std::to_string(file.get()); }

std::optional<SpooledJob> SpoolInput(int in, const std::string& tempDir, std::string& errorText) {
    SpooledJob job;
    // Unnamed from the start: no job data is left behind in the print
    // system's temporary directory, not even by a killed backend.
    job.file = platform::UniqueFd(::open(tempDir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!job.file.ok()) {
        const std::string name = platform::createUniqueTempFile(tempDir, "zentro-");
        if (!name.empty()) {
            job.file = platform::UniqueFd(::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
            ::unlink(name.c_str());
        }
    }
    if (!job.file.ok()) {
        errorText = "cannot create a temporary file in " + tempDir + ": " + platform::errorText(errno);
        return std::nullopt;
    }
    DscPageCounter counter;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            errorText = "cannot read the print data: " + platform::errorText(errno);
            return std::nullopt;
        }
        if (n == 0) break;
        if (!platform::writeAll(job.file.get(), buffer, std::size_t(n))) {
            errorText = "cannot write the print data to " + tempDir + ": " + platform::errorText(errno);
            return std::nullopt;
        }
        counter.feed(std::string_view(buffer, std::size_t(n)));
        job.bytes += std::uint64_t(n);
    }
    job.pages = counter.pages();
    return job;
}

}  // namespace zentro
