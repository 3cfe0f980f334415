// File helpers shared inside the platform library (not part of its API).
#pragma once

#include <string>
#include <string_view>

namespace platform::detail {

// Reads a whole file into `out`; false with errno set when it cannot.
bool readWholeFile(const std::string& path, std::string& out);

// "dir" of "dir/name" ("." for a bare name, "/" for "/name").
std::string parentDirectory(const std::string& path);

// writeFileAtomically names its temporary file "<dir>/" + this + six random
// characters; a writer killed between creating and renaming it leaves one
// behind, which the owner of the file may sweep while it holds its own lock.
std::string atomicTempPrefix(const std::string& path);

// Keeps errno across clean-up calls (close, unlink) on an error path.
class ErrnoKeeper {
public:
    ErrnoKeeper();
    ~ErrnoKeeper();
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int saved_;
};

}  // namespace platform::detail
