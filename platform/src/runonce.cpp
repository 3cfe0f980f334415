#include <zplatform/runonce.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

namespace platform {

namespace {

constexpr std::string_view kCopyVerb = "copy";

}  // namespace

std::string copyCommand(const PendingCopy& copy) {
    return std::string(kCopyVerb) + " " + quoteArgument(copy.from) + " " + quoteArgument(copy.to);
}

std::optional<PendingCopy> parseCopyCommand(std::string_view command) {
    auto args = splitCommandLine(command);
    if (args.size() != 3 || args[0] != kCopyVerb || args[1].empty() || args[2].empty()) return std::nullopt;
    return PendingCopy{std::move(args[1]), std::move(args[2])};
}

std::optional<std::string> scheduleCopy(std::string_view prefix, const PendingCopy& copy, ScheduleFailure& failure) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, kRunOnceKey);
    if (!key) {
        failure = ScheduleFailure::OpenKey;
        return std::nullopt;
    }
    std::string name;
    for (unsigned n = 0;; ++n) {
        name = std::string(prefix) + std::to_string(n);
        if (!key->valueExists(name)) break;
    }
    if (!key->writeString(name, copyCommand(copy))) {
        failure = ScheduleFailure::WriteValue;
        return std::nullopt;
    }
    return name;
}

}  // namespace platform
