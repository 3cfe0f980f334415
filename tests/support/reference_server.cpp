#include "reference_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace testenv {

ReferenceServer::ReferenceServer(const std::string& configJson, const std::map<std::string, std::string>& files) {
    for (const auto& [name, content] : files) writeFile(dir_.file(name), content);
    writeFile(dir_.file("server.json"), configJson);
    start(dir_.file("server.json"));
}

ReferenceServer::ReferenceServer(const ConfigFile& config) { start(config.path); }

void ReferenceServer::start(const std::string& configPath) {
    configPath_ = configPath;
    const std::string program = binDir() + "/zentserver";
    const std::vector<std::string> argv = {program, "--port", "0", "--config", configPath,
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
        ADD_FAILURE() << "cannot start " << program << " (is it built?)";
        throw std::runtime_error("cannot start zentserver");
    }
    const std::string prefix = "listening on 127.0.0.1:";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
        text = readFile(out);
        if (text.find('\n') != std::string::npos) break;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (text.rfind(prefix, 0) != 0 || text.find('\n') == std::string::npos) {
        ADD_FAILURE() << "zentserver did not start: \"" << text << "\"\n" << log();
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        throw std::runtime_error("zentserver did not start");
    }
    port_ = std::stoi(text.substr(prefix.size()));
}

ReferenceServer::~ReferenceServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    // A clean stop; under the sanitizers a report also ends it otherwise.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "zentserver ended with status " << status;
}

void ReferenceServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void ReferenceServer::restart() {
    kill();
    start(configPath_);
}

bool ReferenceServer::alive() {
    int status = 0;
    return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
}

bool ReferenceServer::logShows(const std::string& text) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (log().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace testenv
