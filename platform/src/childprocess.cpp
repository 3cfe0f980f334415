// Starting a quiet background program and waiting for it without a race
// against ending it.
#include <zplatform/childprocess.h>
#include "spawn_args.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

ChildProcess::~ChildProcess() {
    std::lock_guard lock(mutex_);
    if (pid_ < 0) return;
    ::kill(pid_, SIGTERM);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

int ChildProcess::start(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty()) return EINVAL;
    std::vector<char*> args = detail::SpawnArgs(argv);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::lock_guard lock(mutex_);
    if (pid_ >= 0) {
        posix_spawn_file_actions_destroy(&actions);
        return EBUSY;
    }
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return rc;
    pid_ = pid;
    return 0;
}

int ChildProcess::wait() {
    pid_t pid;
    {
        std::lock_guard lock(mutex_);
        pid = pid_;
    }
    if (pid < 0) return ECHILD;
    // Wait for the end but leave the child a zombie, so its id stays ours
    // until terminate() can no longer reach it.
    siginfo_t info{};
    while (::waitid(P_PID, pid, &info, WEXITED | WNOWAIT) < 0) {
        if (errno != EINTR) return errno;
    }
    std::lock_guard lock(mutex_);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return errno;
    }
    pid_ = -1;
    if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) exitCode_ = 128 + WTERMSIG(status);
    return 0;
}

void ChildProcess::terminate() {
    std::lock_guard lock(mutex_);
    if (pid_ >= 0) ::kill(pid_, SIGTERM);
}

}  // namespace platform
