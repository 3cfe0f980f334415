// One FTP connection for a whole run, through libcurl: passive mode, the
// login protected by TLS where the server offers it, listings by MLSD (LIST
// and MDTM where the server has no MLSD), binary downloads.
#pragma once

#include "listing.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zsync {

struct FtpFailure {
    int curlCode = 0;
    std::string lastResponse;   // the server's last reply, for the extended error
};

class FtpSession {
public:
    // server is "host" or "host:port" ("[v6]:port" too); nothing is sent yet.
    FtpSession(const std::string& server, const std::string& user, const std::string& password,
               const std::atomic<bool>& stop);
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Connects and logs in.
    bool connect(FtpFailure& failure);
    // Lists a directory (a path as the configuration writes it, relative to
    // the login directory unless it begins with '/').
    bool list(const std::string& dir, std::vector<RemoteEntry>& entries, FtpFailure& failure);
    // Downloads a file into fd; chunk is told the size of each piece written
    // and returns false to stop. gotData tells whether anything came.
    bool download(const std::string& path, int fd, const std::function<bool(std::size_t)>& chunk,
                  FtpFailure& failure, bool& gotData);

    // Whether a listing failed because the directory could not be entered.
    static bool cannotEnter(const FtpFailure& failure);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zsync
