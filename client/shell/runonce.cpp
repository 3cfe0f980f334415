#include "shell/runonce.h"

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <iostream>

namespace zentclient {

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
        const auto result = platform::spawnAndWait(std::string_view(*command));
        if (!result.started)
            std::cerr << "zentclient: one-time start-up command " << name << " could not run: "
                      << platform::errorText(result.error) << '\n';
        ++ran;
    }
    return ran;
}

}  // namespace zentclient
