#include "ftp_server.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testenv {

FtpServer::FtpServer(const std::string& root, Options options) {
    const std::string script = sourceDir() + "/tests/support/ftp_server.py";
    std::vector<std::string> argv = {"/usr/bin/python3", script, "--root", root, "--user", kUser, "--password", kPassword};
    if (options.noMlsd) argv.push_back("--no-mlsd");
    if (options.hostile) argv.push_back("--hostile");
    if (options.slow) argv.push_back("--slow");
    if (!options.tlsCertificate.empty()) argv.insert(argv.end(), {"--tls", options.tlsCertificate});
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    const std::string out = dir_.file("port"), err = dir_.file("log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start the FTP server";
        throw std::runtime_error("no FTP server");
    }
    for (int i = 0; i < 500 && port_ == 0; ++i) {
        const std::string text = readFile(out);
        if (text.find('\n') != std::string::npos) port_ = std::stoi(text);
        else std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (port_ == 0) {
        ADD_FAILURE() << "the FTP server did not start: " << log();
        kill();
        throw std::runtime_error("no FTP server");
    }
}

FtpServer::~FtpServer() { kill(); }

std::string FtpServer::log() const { return readFile(dir_.file("log")); }

void FtpServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

void writeFileWithTime(const std::string& path, const std::string& contents, std::int64_t mtime) {
    writeFile(path, contents);
    const struct timespec times[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::int64_t fileTime(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_mtime) : 0;
}

}  // namespace testenv
