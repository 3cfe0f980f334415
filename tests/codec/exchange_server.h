// The real reference server for the exchange's round trips: zentserver from
// the build, on an ephemeral port of 127.0.0.1, with a configuration, spool
// and log of its own in a temporary directory.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "test_env.h"

namespace exchangetest {

class ReferenceServer {
public:
    // Writes the configuration and the files it names (relative to the
    // configuration), starts the server and waits for its port.
    explicit ReferenceServer(const std::string& configJson, const std::map<std::string, std::string>& files = {});
    ~ReferenceServer();   // SIGTERM, then waits
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string spoolDir() const { return dir_.file("spool"); }
    std::string log() const { return testenv::readFile(dir_.file("server.log")); }

private:
    void stop();

    testenv::TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace exchangetest
