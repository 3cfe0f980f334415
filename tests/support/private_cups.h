// A private print system for one test (tests/cups/private-cupsd.sh): its own
// cupsd with its own spool and socket, the system's filters, and libcups of
// this process and its children pointed at it while the object lives.
#pragma once

#include "test_env.h"

#include <memory>
#include <string>

namespace testenv {

class PrivateCups {
public:
    // Starts it in dir; the environment of the caller's IsolatedMachine
    // (registry, IPC name) reaches the backends.
    explicit PrivateCups(const std::string& dir);
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool running() const { return running_; }
    // Where it is not running: no cupsd here or no root (a test skips), or
    // it failed to start (a test fails); the text says which.
    bool cannotRunHere() const { return cannotRun_; }
    const std::string& problem() const { return problem_; }
    // Its backend folder (CUPS_SERVERBIN/backend).
    std::string backendDir() const { return serverBin_ + "/backend"; }

private:
    std::string dir_;
    std::string serverBin_;
    bool running_ = false;
    bool cannotRun_ = false;
    std::string problem_;
    std::unique_ptr<ScopedEnv> serverEnv_, serverBinEnv_;
};

}  // namespace testenv
