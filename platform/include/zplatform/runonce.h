// One-time start-up commands in the machine hive. A file that cannot be
// replaced while a program holds it is scheduled here as a copy that the
// client carries out itself at its next start: the entry names two files and
// is never handed to a shell, whatever characters the names hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

struct PendingCopy {
    std::string from;
    std::string to;
};

// "copy" and the two paths, each quoted so that splitCommandLine gives it
// back exactly.
std::string copyCommand(const PendingCopy& copy);
// The two paths of a copy command; nullopt for any other command.
std::optional<PendingCopy> parseCopyCommand(std::string_view command);

// Adds a copy under the first free value name prefix0, prefix1, ...; the
// value name, or nullopt with `failure` set to what went wrong.
enum class ScheduleFailure { OpenKey, WriteValue };
std::optional<std::string> scheduleCopy(std::string_view prefix, const PendingCopy& copy, ScheduleFailure& failure);

}  // namespace platform
