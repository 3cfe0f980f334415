// Shared test helpers: every test runs in its own temporary directory with its
// own registry files and IPC name, so tests run in parallel.
#pragma once

#include <optional>
#include <functional>
#include <string>
#include <vector>

namespace testenv {

// A fresh directory under $TMPDIR, removed with everything in it on exit.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Sets (or with nullopt unsets) an environment variable for the guard's life.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Points both registry hives, XDG state and the IPC name at a private temp
// directory: the machine looks brand new to the code under test.
class IsolatedMachine {
public:
    IsolatedMachine();
    const TempDir& dir() const { return dir_; }
    std::string machineHive() const { return dir_.file("machine.reg"); }
    std::string userHive() const { return dir_.file("user.reg"); }

private:
    TempDir dir_;
    ScopedEnv machine_, user_, state_, ipc_, tmp_;  // TMPDIR: <dir>/tmp
    // No print system: a test that wants one starts its own.
    ScopedEnv cupsServer_, cupsServerBin_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

// Where the built programs are (ZENTROPE_BIN_DIR, set by CTest) and the source tree.
std::string binDir();
std::string sourceDir();

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs a program with arguments (no shell), capturing stdout and stderr.
ProcessResult run(const std::vector<std::string>& argv, const std::string& stdinText = {});

// Runs the built zentctl with the arguments.
std::string zentctlPath();
ProcessResult zentctl(std::vector<std::string> args, const std::string& stdinText = {});

// A free TCP port on 127.0.0.1 at the time of the call.
int freeLocalPort();

// Runs body in a forked child and gives its exit code (128 + signal when it
// was killed). Only the calling thread exists in the child, and it ends
// with _exit: nothing of the parent's is destroyed there.
int inChild(const std::function<int()>& body);

// In a child: drops root to the unprivileged user 65534 (limits such as
// RLIMIT_NPROC do not bind root); false when that fails.
bool dropRoot();

}  // namespace testenv
