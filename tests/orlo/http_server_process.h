// Runs http_test_server.py on 127.0.0.1 for the life of the object.
#pragma once

#include <sys/types.h>

#include <string>

namespace orlotest {

class HttpServerProcess {
public:
    HttpServerProcess();   // throws when the server does not report its port
    ~HttpServerProcess();  // terminates and reaps the server
    HttpServerProcess(const HttpServerProcess&) = delete;
    HttpServerProcess& operator=(const HttpServerProcess&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& target) const;

private:
    void stop();

    pid_t pid_ = -1;
    int stdinFd_ = -1;  // the server exits when this closes, even if we die
    int port_ = 0;
};

}  // namespace orlotest
