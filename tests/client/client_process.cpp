#include "client_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace clienttest {

namespace {

std::string uniqueSocketName() {
    static std::atomic<int> counter{0};
    return "@zentclient-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

ClientProcess::ClientProcess() {
    const std::string socketName = uniqueSocketName();
    readyFd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketName.data(), socketName.size());
    address.sun_path[0] = '\0';
    if (::bind(readyFd_, reinterpret_cast<sockaddr*>(&address),
               socklen_t(offsetof(sockaddr_un, sun_path) + socketName.size())) != 0)
        ADD_FAILURE() << "cannot bind the readiness socket";

    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "NOTIFY_SOCKET=", 14) != 0) environment.emplace_back(*e);
    environment.push_back("NOTIFY_SOCKET=" + socketName);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string program = testenv::binDir() + "/zentclient";
    const std::string out = dir_.file("output");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << program;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ClientProcess::~ClientProcess() {
    if (pid_ > 0 && !exitCode_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (readyFd_ >= 0) ::close(readyFd_);
}

bool ClientProcess::waitReady(int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd{readyFd_, POLLIN, 0};
        if (::poll(&fd, 1, 50) == 1) {
            char buffer[64] = {};
            const ssize_t n = ::recv(readyFd_, buffer, sizeof buffer - 1, 0);
            if (n > 0 && std::string(buffer, std::size_t(n)) == "READY=1") return true;
        }
        if (waitExit(0)) return false;
    }
    return false;
}

std::optional<int> ClientProcess::waitExit(int milliseconds) {
    if (exitCode_ || pid_ <= 0) return exitCode_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<int> ClientProcess::terminate() {
    if (!exitCode_ && pid_ > 0) ::kill(pid_, SIGTERM);
    return waitExit(15000);
}

std::string ClientProcess::output() const { return testenv::readFile(dir_.file("output")); }

}  // namespace clienttest
