#include "shell/runonce.h"

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

namespace zentclient {

namespace {

// The downloaded file goes in place with its own time, the server's.
void installPendingCopy(const std::string& name, const platform::PendingCopy& copy) {
    struct stat st;
    if (::stat(copy.from.c_str(), &st) == 0 && platform::installFileCopy(copy.from, copy.to, st.st_mtime)) {
        ::unlink(copy.from.c_str());
        return;
    }
    std::cerr << "zentclient: one-time start-up copy " << name << " to " << copy.to
              << " failed: " << platform::errorText(errno) << '\n';
}

}  // namespace

int RunPendingRunOnce() {
    using platform::Hive;
    using platform::RegKey;
    const auto pending = RegKey::openReadOnly(Hive::LocalMachine, kRunOnceKey);
    if (!pending) return 0;
    const auto names = pending->valueNames();
    if (names.empty()) return 0;
    auto key = RegKey::openOrCreate(Hive::LocalMachine, kRunOnceKey);
    if (!key) return 0;

    int ran = 0;
    for (const auto& name : names) {
        const auto command = key->tryReadString(name);
        if (!command || !key->deleteValue(name)) continue;
        if (const auto copy = platform::parseCopyCommand(*command)) {
            installPendingCopy(name, *copy);
            ++ran;
            continue;
        }
        const auto result = platform::spawnAndWait(std::string_view(*command));
        if (!result.started)
            std::cerr << "zentclient: one-time start-up command " << name << " could not run: "
                      << platform::errorText(result.error) << '\n';
        ++ran;
    }
    return ran;
}

}  // namespace zentclient
