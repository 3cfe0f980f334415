#include "http_server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace orlotest {

namespace {

// Reads the first line of fd, waiting at most timeoutMs for it.
std::string readLine(int fd, int timeoutMs) {
    std::string line;
    char c;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return line;
        if (read(fd, &c, 1) != 1 || c == '\n') return line;
        line += c;
    }
}

}  // namespace

HttpServerProcess::HttpServerProcess() {
    const std::string script = ORLO_HTTP_TEST_SERVER;
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const char* argv[] = {"/usr/bin/python3", script.c_str(), nullptr};
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdinFd_ = in[1];
    if (rc != 0) {
        pid_ = -1;
        close(out[0]);
        close(stdinFd_);
        throw std::runtime_error("cannot start " + script);
    }
    const std::string line = readLine(out[0], 20000);
    close(out[0]);
    port_ = line.empty() ? 0 : std::stoi(line);
    if (port_ <= 0) {
        stop();
        throw std::runtime_error("the test HTTP server did not report its port");
    }
}

HttpServerProcess::~HttpServerProcess() { stop(); }

void HttpServerProcess::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (stdinFd_ >= 0) {
        close(stdinFd_);
        stdinFd_ = -1;
    }
}

std::string HttpServerProcess::url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

}  // namespace orlotest
