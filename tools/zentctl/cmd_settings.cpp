// zentctl settings: loads the settings as the client does at start-up and
// prints them, one Name=value per line.
#include "commands.h"

#include <zentcore/settings.h>

#include <iostream>

namespace zentctl {

int cmdSettings(const Args& args) {
    if (!args.empty()) return usageError("'settings' takes no arguments");
    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    for (const auto& problem : load.problems) std::cerr << "zentctl: skipped unreadable setting: " << problem << "\n";

    const zentcore::ClientSettings& s = load.settings;
    auto flag = [](bool on) { return on ? "1" : "0"; };
    std::cout << "AppDir=" << s.AppDir << "\n"
              << "FirstTempDir=" << s.FirstTempDir << "\n"
              << "ClientSaveDir=" << s.ClientSaveDir << "\n"
              << "UserSaveDir=" << s.UserSaveDir << "\n"
              << "UserName=" << s.UserName << "\n"
              << "IsAdmin=" << flag(s.IsAdmin) << "\n"
              << "Preview_En=" << flag(s.Preview_En) << "\n"
              << "Later_En=" << flag(s.Later_En) << "\n"
              << "Email_En=" << flag(s.Email_En) << "\n"
              << "WantsReceipt=" << flag(s.WantsReceipt) << "\n"
              << "ArchiveDocs=" << flag(s.ArchiveDocs) << "\n"
              << "SaveRqAddr=" << flag(s.SaveRqAddr) << "\n"
              << "AddrReadOnly=" << flag(s.AddrReadOnly) << "\n"
              << "LocalExport=" << flag(s.LocalExport) << "\n"
              << "ClientDelay=" << s.ClientDelay << "\n"
              << "Exit_En=" << flag(load.switches.exitEnabled) << "\n"
              << "Tools_En=" << flag(load.switches.toolsEnabled) << "\n";
    if (!load.mayGoOn) {
        std::cerr << "zentctl: the working or user save directory cannot be created\n";
        return 1;
    }
    return 0;
}

}  // namespace zentctl
