// Private working directories that a crash of their owner leaves behind only
// until the next run. Each holds a lock file, ".owner", on which its owner
// keeps an flock while it uses the directory; the kernel lets the lock go
// when the owner ends, however it ends, so a directory whose lock can be
// taken has no owner any more, whichever process, pid namespace or session
// made it.
#pragma once

#include <string>
#include <vector>

#include <zplatform/fd.h>

namespace platform {

class OwnedDirectory {
public:
    // Creates "<parent>/<prefix>XXXXXX" (mode 0700) with its lock file
    // already locked; path() is empty when that fails (errno set).
    OwnedDirectory(const std::string& parent, const std::string& prefix);
    // Removes the directory with everything in it (unless released), then
    // lets the lock go.
    ~OwnedDirectory();
    OwnedDirectory(const OwnedDirectory&) = delete;
    OwnedDirectory& operator=(const OwnedDirectory&) = delete;

    const std::string& path() const { return path_; }

    // Gives the directory up without removing it, for one that is renamed
    // into place when complete: the lock file goes, then the lock. False
    // (errno set) when the lock file could not be removed.
    bool release();

private:
    std::string path_;
    UniqueFd lock_;
};

// Removes every directory "<parent>/<prefix>*" of the calling user whose
// owner is gone: its lock can be taken, or it has no lock file and has not
// changed for ten minutes (its owner died while making it). Directories in
// use, files, links and other users' directories of such a name stay.
// Returns the paths removed.
std::vector<std::string> sweepAbandonedDirectories(const std::string& parent, const std::string& prefix);

}  // namespace platform
