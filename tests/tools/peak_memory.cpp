#include "peak_memory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "test_env.h"

namespace memorytest {

namespace {

std::int64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
    return 0;
}

}  // namespace

MeasuredRun runMeasured(const std::vector<std::string>& argv, const std::string& dir) {
    const std::string outPath = dir + "/child.out", errPath = dir + "/child.err";
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    MeasuredRun r;
    r.parentBytes = residentBytes();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) return r;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.peakBytes = std::int64_t(usage.ru_maxrss) * 1024;   // Linux reports KiB
    r.out = testenv::readFile(outPath);
    r.err = testenv::readFile(errPath);
    return r;
}

}  // namespace memorytest
