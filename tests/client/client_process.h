// The real zentclient program as the process tests run it: on the offscreen
// platform, on the test's machine, telling its readiness the way it tells a
// service manager (READY=1 on $NOTIFY_SOCKET).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "test_env.h"

namespace clienttest {

class ClientProcess {
public:
    ClientProcess();
    // Kills a client still running (a test that failed half-way).
    ~ClientProcess();
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // Whether READY=1 arrived within the time.
    bool waitReady(int milliseconds = 15000);
    // The exit code once the program ended within the time.
    std::optional<int> waitExit(int milliseconds = 15000);
    // SIGTERM, then the exit code (nullopt when it did not end in time).
    std::optional<int> terminate();
    // What the program wrote to stdout and stderr.
    std::string output() const;

private:
    testenv::TempDir dir_;
    pid_t pid_ = -1;
    int readyFd_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace clienttest
