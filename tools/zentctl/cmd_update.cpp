// zentctl update [--ini FILE]: the synchronisation of Tools → Get Newer
// Version without windows. Messages go to stderr; one line per remote file
// (path, remote time, local time, status) and the summary go to stdout.
#include "commands.h"

#include <zsync/sync.h>
#include <zplatform/system.h>

#include <iostream>

namespace zentctl {

namespace {

class ConsoleObserver : public zsync::SyncObserver {
public:
    void setLabel(const std::string& text) override { label = text; }
    void message(const std::string& text) override { std::cerr << "zentctl: " << text << "\n"; }
    void internetError(const std::string& caption, const std::string& text) override {
        std::string oneLine = text;
        if (const auto nl = oneLine.find("\r\n"); nl != std::string::npos) oneLine.replace(nl, 2, ": ");
        std::cerr << "zentctl: " << caption << ": " << oneLine << "\n";
    }
    std::string label;
};

}  // namespace

int cmdUpdate(const Args& args) {
    std::string ini;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size()) ini = args[++i];
        else return usageError("'update' takes only --ini FILE");
    }
    if (ini.empty()) {
        const std::string exe = platform::executablePath();
        ini = platform::joinPath(exe.substr(0, exe.find_last_of('/')), "ftp.ini");
    }
    ConsoleObserver observer;
    zsync::FtpConfig config;
    if (!zsync::loadForSync(ini, observer, config)) return 1;
    zsync::Synchronizer sync(config, observer);
    const auto outcome = sync.run();
    for (const auto& row : outcome.rows)
        std::cout << row.remotePath << "\t" << zsync::formatFileTime(row.remoteTime) << "\t"
                  << (row.localPath.empty() ? "" : zsync::formatFileTime(row.localTime)) << "\t" << row.status << "\n";
    std::cout << observer.label << "\n";
    if (outcome.connected)
        std::cout << outcome.replaced << " of " << outcome.toBeUpdated << " files replaced\n";
    return outcome.connected && outcome.failures == 0 ? 0 : 1;
}

}  // namespace zentctl
