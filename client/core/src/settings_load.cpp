// The start-up load of the client's settings.
#include <zentcore/settings.h>

#include <zcodec/utilities.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <cerrno>
#include <iostream>
#include <optional>

namespace zentcore {

namespace {

using platform::Hive;
using platform::RegKey;

std::string appDirectory() {
    std::string exe = platform::executablePath();
    std::size_t slash = exe.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return exe.substr(0, slash);
}

std::string currentUserName() {
    errno = 0;
    std::string name = platform::userName();
    if (name.empty()) {
        // A failed lookup is reported; either way the user gets the shared
        // "Default" save directory rather than the base directory itself.
        if (errno != 0) encdec::GetErrorMessage(0, "Could not get user name.", -1);
        name = "Default";
    }
    return name;
}

// A flag reads as true for any non-zero number; a value that holds no number
// leaves the flag as it was.
void readFlag(const RegKey& key, std::string_view name, bool& flag) {
    if (!key.valueExists(name)) return;
    // Any non-zero dword is on, 0x80000000 and above included; a number kept
    // as text counts too.
    if (auto dword = key.readDword(name)) flag = *dword != 0;
    else if (auto number = encdec::ParseInt(key.readString(name))) flag = *number != 0;
}

void writeMissingDirectoryDefaults(const ClientSettings& s) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, kClientKey);
    if (!key) return;
    if (!key->valueExists("FirstTempDir")) key->writeString("FirstTempDir", s.FirstTempDir);
    if (!key->valueExists("ClientSaveDir")) key->writeString("ClientSaveDir", s.ClientSaveDir);
}

void readMachineValues(ClientSettings& s, MenuSwitches& switches) {
    auto key = RegKey::openReadOnly(Hive::LocalMachine, kClientKey);
    if (!key) return;
    if (auto dir = key->tryReadString("FirstTempDir")) s.FirstTempDir = *dir;
    if (auto dir = key->tryReadString("ClientSaveDir")) s.ClientSaveDir = *dir;
    if (key->valueExists("ClientDelay")) {
        // A negative delay would make the transmission wait for weeks.
        auto delay = encdec::ParseInt(key->readString("ClientDelay"));
        s.ClientDelay = delay && *delay > 0 ? *delay : 0;
    }
    readFlag(*key, "Preview_En", s.Preview_En);
    readFlag(*key, "Later_En", s.Later_En);
    readFlag(*key, "Email_En", s.Email_En);
    readFlag(*key, "WantsReceipt", s.WantsReceipt);
    readFlag(*key, "Tools_En", switches.toolsEnabled);
    readFlag(*key, "Exit_En", switches.exitEnabled);
    readFlag(*key, "ArchiveDocs", s.ArchiveDocs);
    readFlag(*key, "SaveRqAddr", s.SaveRqAddr);
    readFlag(*key, "AddrReadOnly", s.AddrReadOnly);
    readFlag(*key, "LocalExport", s.LocalExport);
}

bool makeDirectory(const std::string& path) {
    platform::forceDirectories(path);
    return platform::directoryExists(path);
}

}  // namespace

SettingsLoad LoadClientSettings() {
    SettingsLoad load;
    ClientSettings& s = load.settings;
    s.AppDir = appDirectory();
    s.UserName = currentUserName();
    s.IsAdmin = platform::hiveWritable(Hive::LocalMachine);
    s.FirstTempDir = platform::joinPath(s.AppDir, "PSTemp");
    s.ClientSaveDir = platform::joinPath(s.AppDir, "userdata");

    if (s.IsAdmin) writeMissingDirectoryDefaults(s);
    readMachineValues(s, load.switches);
    load.problems = platform::hiveDiagnostics(Hive::LocalMachine);

    s.UserSaveDir = platform::joinPath(s.ClientSaveDir, s.UserName);
    if (!makeDirectory(s.FirstTempDir)) return load;
    // The save directory holds the user's archive: nobody else may read it.
    load.mayGoOn = platform::forcePrivateDirectory(s.UserSaveDir);
    if (!load.mayGoOn && errno == EPERM)
        std::cerr << "the save directory " << s.UserSaveDir << " belongs to another user\n";
    return load;
}

}  // namespace zentcore
