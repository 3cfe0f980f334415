// A real FTP server for the updater's tests: pyftpdlib on an ephemeral port
// of 127.0.0.1, serving a directory to one user.
#pragma once

#include "test_env.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testenv {

class FtpServer {
public:
    struct Options {
        bool noMlsd = false;
        bool hostile = false;
        bool slow = false;
        std::string tlsCertificate = {};   // certificate and key in one file
    };
    // Starts the server on root and waits for its port; fails the test (and
    // throws) when it does not come.
    explicit FtpServer(const std::string& root, Options options);
    explicit FtpServer(const std::string& root) : FtpServer(root, Options{}) {}
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    static constexpr const char* kUser = "upkeep";
    static constexpr const char* kPassword = "s3cret";
    // What the server logged (every command and reply).
    std::string log() const;
    // Kills it with SIGKILL, as a crash would.
    void kill();

private:
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// Writes a file with the given modification time (seconds since 1970).
void writeFileWithTime(const std::string& path, const std::string& contents, std::int64_t mtime);
std::int64_t fileTime(const std::string& path);

}  // namespace testenv
