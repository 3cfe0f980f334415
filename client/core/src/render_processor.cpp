// Where the PostScript processor is: the stored path, or the user's choice.
#include <zentcore/render.h>

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/settings.h>
#include <zplatform/prompter.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>
#include <zplatform/text.h>

#include <unistd.h>

#include <fstream>

namespace zentcore {

namespace {

using platform::Hive;
using platform::RegKey;

// A machine hive that is simply not there yet holds no settings; only one
// that exists and cannot be read is a failure.
bool machineHiveUnreadable() {
    const std::string file = platform::hiveFile(Hive::LocalMachine);
    return platform::fileExists(file) && ::access(file.c_str(), R_OK) != 0;
}

void storeProcessor(const std::string& path, bool mayWriteMachine) {
    auto& p = platform::prompter();
    if (!mayWriteMachine) {
        p.warn(kApplicationTitle, kAdminToSaveMessage);
        return;
    }
    auto key = RegKey::openOrCreate(Hive::LocalMachine, kClientKey);
    if (!key || !key->writeString("PSProcessor", path)) p.warn(kApplicationTitle, kRegistrySaveFailedMessage);
}

}  // namespace

std::optional<std::string> ResolveProcessorPath(const ProcessorLocator& locate, bool mayWriteMachine) {
    std::string stored;
    if (const auto key = RegKey::openReadOnly(Hive::LocalMachine, kClientKey)) {
        stored = encdec::Trim(key->readString("PSProcessor"));
    } else if (machineHiveUnreadable()) {
        platform::prompter().error(kApplicationTitle, kRegistryFailedMessage);
        return std::nullopt;
    }
    if (!stored.empty() && platform::fileExists(stored)) return stored;

    const auto chosen = locate ? locate() : std::nullopt;
    if (!chosen) return std::nullopt;
    std::string path = encdec::Trim(*chosen);
    if (path.empty()) return std::nullopt;
    storeProcessor(path, mayWriteMachine);
    return path;
}

std::string ProcessorDownloadAddress(const std::string& appDir) {
    std::ifstream in(platform::joinPath(appDir, "ztpclient.dat"));
    std::string line, address;
    constexpr std::string_view kName = "GS_download_address=";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (platform::startsWithNoCase(line, kName)) {
            address = encdec::Trim(line.substr(kName.size()));
            break;
        }
    }
    return address.empty() ? std::string(kDefaultProcessorDownloadAddress) : address;
}

}  // namespace zentcore
