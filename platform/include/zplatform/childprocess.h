// A program run in the background that one thread waits for while another
// may end it. The child is reaped only after the waiter has marked it gone,
// so ending it never signals a process id the system has handed on.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
public:
    ChildProcess() = default;
    // Reaps a child still running or not waited for (after ending it), so
    // none is left behind as a zombie.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv (looked up in PATH when it has no '/') with standard input,
    // output and error on /dev/null (our descriptors are close-on-exec). Returns
    // 0, or the errno why it could not be started.
    int start(const std::vector<std::string>& argv);

    // Blocks until the child has ended and reaps it. Returns 0 for an
    // observed end (exitCode() then holds the status, 128 + signal when
    // killed), or the errno why waiting failed.
    int wait();
    int exitCode() const { return exitCode_; }

    // Asks a running child to end (SIGTERM); any thread; no effect once it
    // has ended or was never started.
    void terminate();

private:
    std::mutex mutex_;
    pid_t pid_ = -1;   // guarded by mutex_; -1 once reaped
    int exitCode_ = -1;
};

}  // namespace platform
