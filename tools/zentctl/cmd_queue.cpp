// zentctl queue [--dir DIR]: shows the job list as the client would, read
// from the working directory. Only reads: no job is packed, changed or taken.
#include "commands.h"

#include <zentcore/joblist.h>
#include <zentcore/jobscan.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <optional>

namespace zentctl {

namespace {

// The working directory the client uses, read without touching the settings.
std::optional<std::string> configuredWorkDir() {
    const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, zentcore::kClientKey);
    if (!key) return std::nullopt;
    auto dir = key->tryReadString("FirstTempDir");
    if (!dir || dir->empty()) return std::nullopt;
    return dir;
}

// A tab inside a value would shift the columns after it.
std::string cell(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

}  // namespace

int cmdQueue(const Args& args) {
    std::optional<std::string> dir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--dir") return usageError("'queue': unknown argument " + args[i]);
        if (i + 1 == args.size()) return usageError("'queue': --dir needs a directory");
        dir = args[++i];
    }
    if (!dir) dir = configuredWorkDir();
    if (!dir) {
        std::cerr << "zentctl: no working directory: FirstTempDir is not set; give --dir DIR\n";
        return 1;
    }
    if (!platform::directoryExists(*dir)) {
        std::cerr << "zentctl: the working directory " << *dir << " does not exist\n";
        return 1;
    }

    zentcore::JobQueue queue;
    zentcore::RescanWorkDir(queue, *dir, nullptr, false);
    const auto list =
        zentcore::BuildJobList(queue, nullptr, std::int64_t(std::time(nullptr)), zentcore::LocalStandardOffset());
    for (const auto& row : list.rows) {
        std::cout << cell(row.caption);
        for (const auto& column : row.columns) std::cout << '\t' << cell(column);
        std::cout << '\n';
    }
    std::cout << list.status << '\n';
    return 0;
}

}  // namespace zentctl
