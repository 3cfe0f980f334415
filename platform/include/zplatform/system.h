// Small services of the operating system the rest of the program needs.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Login name of the effective user (getpwuid); empty when unknown.
std::string userName();

struct SystemVersion {
    int platformId;   // 2: the NT family, which is what this platform reports
    int major;        // kernel major version
    int minor;
    std::string release;   // uname release text
};
SystemVersion systemVersion();

// $TMPDIR when it names a directory, otherwise /tmp; no trailing '/'.
std::string tempDirectory();

// Creates a new empty file "<dir>/<prefix>XXXXXX<suffix>" exclusively and
// returns its path; empty on failure.
std::string createUniqueTempFile(std::string_view dir, std::string_view prefix, std::string_view suffix = {});

// Full path of the running executable (/proc/self/exe).
std::string executablePath();

// errno captured at a failing call, and the system's text for it.
int lastError();
std::string errorText(int code);

// Splits one command-line text into arguments by the Windows rules (blanks
// separate, double quotes group, backslashes before a quote escape it, "" in a
// quoted run is a literal quote). No shell is involved.
std::vector<std::string> splitCommandLine(std::string_view commandLine);
// The argument in double quotes, written so that splitCommandLine gives it
// back unchanged (a quote in it, and backslashes before a quote or before the
// closing quote, are escaped). Plain text comes out as '"' + text + '"'.
std::string quoteArgument(std::string_view argument);

struct SpawnResult {
    bool started = false;   // false: the program could not be run
    int exitCode = -1;      // the exit status, or 128 + signal
    int error = 0;          // errno when not started
};
// Runs a program (looked up in PATH when it has no '/') with arguments and
// waits for it.
SpawnResult spawnAndWait(const std::vector<std::string>& argv, const std::string& workingDir = {});
SpawnResult spawnAndWait(std::string_view commandLine, const std::string& workingDir = {});
// spawnAndWait({"gs", "-q"}) means argv, not a command line.
inline SpawnResult spawnAndWait(std::initializer_list<std::string> argv, const std::string& workingDir = {}) {
    return spawnAndWait(std::vector<std::string>(argv), workingDir);
}

// dir + "/" + name with exactly one '/' between them; an empty dir gives the
// name alone (relative), never a name in the root.
std::string joinPath(std::string_view dir, std::string_view name);

// Creates a directory and every missing parent; true when it is a directory
// afterwards.
bool forceDirectories(const std::string& path);
// Like forceDirectories, but the last directory is its owner's alone: made
// with mode 0700, or, when it exists, tightened to it. One that belongs to
// somebody else is refused (EPERM): in a directory every user may write to,
// another user could have made it beforehand to read what lands in it.
bool forcePrivateDirectory(const std::string& path);
bool directoryExists(const std::string& path);
bool fileExists(const std::string& path);

// Writes a whole file atomically: temporary file beside it, fsync, rename.
// A symbolic link is written through (the file it names is replaced), and an
// existing file keeps its permissions.
bool writeFileAtomically(const std::string& path, std::string_view contents);
// The same for a name in a directory others may write to: whatever is under
// the name, a symbolic link included, is itself replaced by a new file of
// the given mode (less the umask); nothing is written through a link.
bool replaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode);
// Puts a copy of source in place of target the same way (temporary file
// beside target, fsync, rename), with the modification time mtime (seconds
// since 1970): a crash leaves the old file or the new one, and a program that
// runs the old one keeps it. target keeps its permissions (a new one gets the
// usual ones); a symbolic link is written through. False with errno set.
bool installFileCopy(const std::string& source, const std::string& target, std::int64_t mtime);
// Who a file is to belong to, for a writer with the right to give it away.
struct FileOwner {
    uid_t uid;
    gid_t gid;
};
// The same, the new file given to owner before it appears under its name.
bool replaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode, FileOwner owner);

}  // namespace platform
