#include "jobfiles_open.h"

#include <zentcore/clientlog.h>
#include <zplatform/fd.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <iostream>
#include <mutex>
#include <set>

namespace zentcore::detail {

namespace {

void reportLeftAlone(const std::string& path, const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    {
        std::lock_guard lock(mutex);
        // The scan comes by every time a job arrives; one note is enough.
        if (!reported.insert(path).second) return;
    }
    std::cerr << "zentrope: " << text << "\n";
    ClientLog(text);
}

}  // namespace

void ReportNotRegular(const std::string& path, const std::string& what) {
    reportLeftAlone(path, path + " is not a regular file (a link, pipe or device): " + what);
}

int OpenDescription(const std::string& path) {
    platform::UniqueFd fd(platform::openRegularForReading(path));
    if (!fd.ok()) {
        if (platform::notRegularFile(errno)) ReportNotRegular(path, "it is not read as a job's description");
        return -1;
    }
    // In a working directory shared by several users, another user's file
    // is neither their job for us to send nor ours to take.
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return -1;
    if (st.st_uid != ::geteuid()) {
        reportLeftAlone(path, path + " belongs to another user: it is not taken in as a job");
        errno = EACCES;
        return -1;
    }
    return fd.release();
}

}  // namespace zentcore::detail
