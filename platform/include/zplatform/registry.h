// Settings store: one REGEDIT4-syntax text file per hive.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\ORLO Vestra\Zentrope Client]
//   "FirstTempDir"="/opt/zentrope/PSTemp"
//   "Preview_En"=dword:00000001
//
// Key paths and value names compare without regard to ASCII case, as the
// settings always have. Every operation opens the hive file, works and closes
// it again; writes take an exclusive lock file, re-read the hive, change it,
// write a temporary file, fsync it and rename it into place, so concurrent
// writers in other processes lose nothing and a crash leaves the old or the
// new file, never half of one. Failing calls leave errno set (see errorText).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Hive { LocalMachine, CurrentUser };

// The file behind a hive: $ZENTROPE_MACHINE_REGISTRY (default
// /etc/zentrope/machine.reg) and $ZENTROPE_USER_REGISTRY (default
// $XDG_CONFIG_HOME/zentrope/user.reg, or ~/.config/zentrope/user.reg).
std::string hiveFile(Hive hive);

// Whether the current user may write the hive: the file and its directory are
// writable (a write renames a new file into place), or the file is absent and
// its nearest existing directory is writable.
bool hiveWritable(Hive hive);

// Lines of a hive file that could not be parsed, as "FILE:LINE: reason: text".
// They are reported once per process on stderr, kept verbatim when the file is
// rewritten, and otherwise ignored: a typo never costs the other settings.
std::vector<std::string> hiveDiagnostics(Hive hive);

class RegKey {
public:
    // Opens an existing key; nullopt when the key (or its hive file) is absent
    // or unreadable. A key exists when it or one of its subkeys has a section.
    // Paths are like "SOFTWARE\\ORLO Vestra\\Zentrope Client" (no hive name).
    static std::optional<RegKey> openReadOnly(Hive hive, std::string_view path);
    // Opens a key for writing, creating it (and the hive file) when absent;
    // nullopt when that fails (for example no write permission).
    static std::optional<RegKey> openOrCreate(Hive hive, std::string_view path);

    Hive hive() const { return hive_; }
    const std::string& path() const { return path_; }
    bool writable() const { return writable_; }

    bool valueExists(std::string_view name) const;
    // A missing value reads as the empty text; a dword value reads as its
    // decimal text. Use tryReadString to tell missing from empty.
    std::string readString(std::string_view name) const;
    std::optional<std::string> tryReadString(std::string_view name) const;
    // Fails (nullopt) when the value is missing or is not a dword.
    std::optional<std::uint32_t> readDword(std::string_view name) const;
    // Names of the values of this key, in file order.
    std::vector<std::string> valueNames() const;
    // The values as the hive file holds them: "Name"="text", "Name"=dword:0000000a.
    std::vector<std::string> valueLines() const;

    // Writes need a key opened with openOrCreate; each returns false on failure.
    // Names and texts must fit on one line (no CR, LF or NUL: EINVAL).
    bool writeString(std::string_view name, std::string_view value);
    bool writeDword(std::string_view name, std::uint32_t value);
    bool deleteValue(std::string_view name);   // false (errno ENOENT) when the value was absent
    bool deleteAllValues();                    // subkeys and other keys stay

private:
    RegKey(Hive hive, std::string path, bool writable)
        : hive_(hive), path_(std::move(path)), writable_(writable) {}
    Hive hive_;
    std::string path_;
    bool writable_;
};

// The hive names used in files and on the command line.
std::string_view hiveName(Hive hive);                       // "HKEY_LOCAL_MACHINE"
std::optional<Hive> parseHiveName(std::string_view name);   // also HKLM, HKCU, machine, user

}  // namespace platform
