#include "exchange_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace exchangetest {

ReferenceServer::ReferenceServer(const std::string& configJson, const std::map<std::string, std::string>& files) {
    for (const auto& [name, contents] : files) testenv::writeFile(dir_.file(name), contents);
    testenv::writeFile(dir_.file("server.json"), configJson);
    const std::string program = testenv::binDir() + "/zentserver";
    const std::vector<std::string> argv = {program, "--port", "0", "--config", dir_.file("server.json"),
                                           "--spool", spoolDir(), "--log", dir_.file("server.log")};
    // Standard output goes to a file: the server may write after the first
    // line and must never meet a closed pipe.
    const std::string out = dir_.file("server.out");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program + " (is it built?)");
    }
    const std::string prefix = "listening on 127.0.0.1:";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
        text = testenv::readFile(out);
        if (text.find('\n') != std::string::npos) break;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (text.rfind(prefix, 0) != 0 || text.find('\n') == std::string::npos) {
        stop();
        throw std::runtime_error("zentserver did not start: \"" + text + "\"\n" + log());
    }
    port_ = std::stoi(text.substr(prefix.size()));
}

ReferenceServer::~ReferenceServer() { stop(); }

void ReferenceServer::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace exchangetest
