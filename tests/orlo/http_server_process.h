// Runs http_test_server.py on 127.0.0.1 for the life of the object.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <exception>
#include <memory>
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

// A test suite sharing one server: started once for the suite; a server that
// did not start fails every test instead of skipping it.
class HttpServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            server = std::make_unique<HttpServerProcess>();
        } catch (const std::exception& e) {
            startError = e.what();
        }
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override { ASSERT_TRUE(server) << startError; }

    static std::string url(const std::string& target) { return server->url(target); }

    inline static std::unique_ptr<HttpServerProcess> server;
    inline static std::string startError;
};

}  // namespace orlotest
