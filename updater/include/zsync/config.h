// The updater's configuration file "ftp.ini": the server in section Ftp, the
// synchronisation roots in section Files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zsync {

struct SyncRoot {
    std::string local;    // local root directory
    std::string remote;   // remote root directory, as written
};

struct FtpConfig {
    std::string server;   // "host" or "host:port" (21 when absent)
    std::string user;
    std::string password;
    std::vector<SyncRoot> roots;
};

// The lines of one section of an ini file (section names compare ignoring
// case; blank lines and ';' comments left out); empty when the file or the
// section is missing.
std::vector<std::string> readIniSection(const std::string& path, std::string_view section);

// Server, User and Password from the Ftp section's lines: split at the first
// '=', nothing trimmed, keys compared case-sensitively, empty values ignored.
void parseFtpSection(const std::vector<std::string>& lines, FtpConfig& config);

// The directories that stand for the Windows and system directories here:
// the system's installation (/usr) and its shared libraries (/usr/lib).
inline constexpr std::string_view kWindowsDirectory = "/usr";
inline constexpr std::string_view kSystemDirectory = "/usr/lib";

// Replaces %IniDir% (the configuration file's directory), %WinDir% and
// %SysDir% (the parents of the two directories above) everywhere in the
// line, ignoring case.
std::string expandPlaceholders(std::string_view line, std::string_view iniPath);

// Roots from the Files section's lines (local "=" remote), placeholders
// replaced. A local root written twice (ignoring case) is synchronised once,
// with the remote root of its first line; a line without both parts is left
// out.
std::vector<SyncRoot> parseFilesSection(const std::vector<std::string>& lines, std::string_view iniPath);

// The whole file: both sections.
FtpConfig readFtpConfig(const std::string& iniPath);

}  // namespace zsync
