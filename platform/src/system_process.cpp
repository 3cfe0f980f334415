// Running another program and waiting for it; no shell is involved.
#include <zplatform/system.h>
#include "spawn_args.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

SpawnResult spawnAndWait(const std::vector<std::string>& argv, const std::string& workingDir) {
    SpawnResult result;
    if (argv.empty() || argv.front().empty()) {
        result.error = EINVAL;
        return result;
    }
    std::vector<char*> args = detail::SpawnArgs(argv);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        result.error = rc;
        return result;
    }
    result.started = true;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.error = errno;
            return result;
        }
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    return result;
}

SpawnResult spawnAndWait(std::string_view commandLine, const std::string& workingDir) {
    return spawnAndWait(splitCommandLine(commandLine), workingDir);
}

}  // namespace platform
