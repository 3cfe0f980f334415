#include "jobfiles_open.h"

#include <zentcore/clientlog.h>
#include <zplatform/fd.h>

#include <cerrno>

#include <iostream>
#include <mutex>
#include <set>

namespace zentcore::detail {

void ReportNotRegular(const std::string& path, const std::string& what) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    {
        std::lock_guard lock(mutex);
        // The scan comes by every time a job arrives; one note is enough.
        if (!reported.insert(path).second) return;
    }
    const std::string text = path + " is not a regular file (a link, pipe or device): " + what;
    std::cerr << "zentrope: " << text << "\n";
    ClientLog(text);
}

int OpenDescription(const std::string& path) {
    const int fd = platform::openRegularForReading(path);
    if (fd < 0 && platform::notRegularFile(errno)) ReportNotRegular(path, "it is not read as a job's description");
    return fd;
}

}  // namespace zentcore::detail
