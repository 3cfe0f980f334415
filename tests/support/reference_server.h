// The reference print server as tests run it: the real zentserver binary from
// the build on an ephemeral port of 127.0.0.1, with its own configuration,
// spool and log in a temporary directory.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "test_env.h"

namespace testenv {

// An existing configuration file, used where it is (its relative names too).
struct ConfigFile {
    std::string path;
};

class ReferenceServer {
public:
    // Writes the configuration and the files it names (name -> content) into
    // the server's directory, starts the server and waits for its "listening
    // on" line; fails the test (and throws) when it does not come.
    explicit ReferenceServer(const std::string& configJson, const std::map<std::string, std::string>& files = {});
    explicit ReferenceServer(const ConfigFile& config);
    ~ReferenceServer();   // SIGTERM, then waits; expects a clean exit
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    bool alive();
    std::string spoolDir() const { return dir_.file("spool"); }
    std::string log() const { return readFile(dir_.file("server.log")); }
    // The server logs a request after answering it: waits (up to 5 s) until
    // the log holds the text.
    bool logShows(const std::string& text) const;
    const TempDir& dir() const { return dir_; }

    // Kills the server with SIGKILL and waits for it, as a crash would end it.
    void kill();
    // Starts it again with the same configuration, spool and log (on a new port).
    void restart();

private:
    void start(const std::string& configPath);

    TempDir dir_;
    std::string configPath_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace testenv
