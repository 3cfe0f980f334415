// What the updater needs to know of a local file before it replaces it.
#pragma once

#include <cstdint>
#include <string>

namespace zsync {

// Last-write time in seconds since 1970; 0 when the file cannot be read.
std::int64_t localFileTime(const std::string& path);

// Another program holds the file locked (flock or a POSIX lock): it cannot
// be replaced under it now.
bool lockedByAnother(const std::string& path);

// A running program or library: this process maps it, or the kernel refuses
// to open it for writing because it is being executed. A rename replaces it
// all the same; the running copy keeps the old file until it restarts.
bool inUseByRunningProgram(const std::string& path);

}  // namespace zsync
