#include <zplatform/runonce.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

namespace platform {

namespace {

constexpr std::string_view kCopyVerb = "copy";

// The inverse of splitCommandLine for one argument: backslashes are literal
// except before a quote, where they are doubled and the quote escaped.
std::string quoted(std::string_view arg) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace

std::string copyCommand(const PendingCopy& copy) {
    return std::string(kCopyVerb) + " " + quoted(copy.from) + " " + quoted(copy.to);
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
