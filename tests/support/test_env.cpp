#include "test_env.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testenv {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string base = fs::temp_directory_path().string() + "/zentrope-test-XXXXXX";
    if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    path_ = base;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* v = std::getenv(name_.c_str())) old_ = v;
    if (value) setenv(name_.c_str(), value->c_str(), 1);
    else unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
}

IsolatedMachine::IsolatedMachine()
    : machine_("ZENTROPE_MACHINE_REGISTRY", dir_.file("machine.reg")),
      user_("ZENTROPE_USER_REGISTRY", dir_.file("user.reg")),
      state_("XDG_STATE_HOME", dir_.file("state")),
      ipc_("ZENTROPE_IPC", "test-" + std::to_string(getpid()) + "-" + fs::path(dir_.path()).filename().string()),
      tmp_("TMPDIR", (fs::create_directories(dir_.file("tmp")), dir_.file("tmp"))),
      cupsServer_("CUPS_SERVER", dir_.file("no-cups.sock")),
      cupsServerBin_("CUPS_SERVERBIN", dir_.file("no-cups")) {}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string binDir() {
    const char* d = std::getenv("ZENTROPE_BIN_DIR");
    return d ? d : ZENTROPE_TEST_BIN_DIR;
}

std::string sourceDir() {
    const char* d = std::getenv("ZENTROPE_SOURCE_DIR");
    return d ? d : ZENTROPE_TEST_SOURCE_DIR;
}

ProcessResult run(const std::vector<std::string>& argv, const std::string& stdinText) {
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&fa, fd);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    int rc = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    ProcessResult r;
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        r.err = "spawn failed";
        return r;
    }
    size_t written = 0;
    if (stdinText.empty()) close(in[1]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    bool inOpen = !stdinText.empty();
    bool outOpen = true, errOpen = true;
    char buf[4096];
    while (outOpen || errOpen) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inOpen ? in[1] : -1, POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
                close(fds[i].fd);
                fds[i].fd = -1;
            } else {
                (i == 0 ? r.out : r.err).append(buf, size_t(n));
            }
        }
        if (inOpen && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = write(in[1], stdinText.data() + written, stdinText.size() - written);
            if (n > 0) written += size_t(n);
            if (n < 0 || written == stdinText.size()) {
                close(in[1]);
                inOpen = false;
            }
        }
    }
    if (inOpen) close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

std::string zentctlPath() { return binDir() + "/zentctl"; }

ProcessResult zentctl(std::vector<std::string> args, const std::string& stdinText) {
    args.insert(args.begin(), zentctlPath());
    return run(args, stdinText);
}

int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool dropRoot() { return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); }

int freeLocalPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

}  // namespace testenv
