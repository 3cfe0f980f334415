// Running the node-mapper tool and reading its result file.
#include <zcodec/nodemap.h>
#include <zcodec/utilities.h>

#include <orlo/orlofunction.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "text_trim.h"

#include <unistd.h>

#include <fstream>

namespace encdec {

namespace {

constexpr const char* kToolKey = "SOFTWARE\\ORLO Vestra\\Telvane KEV Service Manager";
constexpr const char* kToolName = "nodemapper.exe";

// " /<host switch> host" and " /<port switch> port" of "host[:port]".
void addHostAndPort(std::string& line, const std::string& address, const char* hostSwitch, const char* portSwitch) {
    StringList parts;
    split(address, ":", parts, 2);
    const std::string host = parts.empty() ? std::string() : parts[0];
    const std::string port = parts.size() > 1 ? parts[1] : std::string();
    if (!host.empty()) line += std::string(" /") + hostSwitch + " " + platform::quoteArgument(host);
    const auto number = ParseInt(port);
    if (number && *number != 0) line += std::string(" /") + portSwitch + " " + std::to_string(*number);
}

const char* commandName(TNodeMapCommand command) {
    switch (command) {
    case nmGet: return "get";
    case nmAdd: return "add";
    case nmDel: return "del";
    case nmClear: return "clear";
    }
    return "get";
}

// Removes a temporary result file however the run ends.
class RemoveOnExit {
public:
    explicit RemoveOnExit(std::string path) : path_(std::move(path)) {}
    ~RemoveOnExit() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    RemoveOnExit(const RemoveOnExit&) = delete;
    RemoveOnExit& operator=(const RemoveOnExit&) = delete;

private:
    std::string path_;
};

}  // namespace

std::string GetNodeMap() {
    const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, kToolKey);
    const auto dir = key ? key->tryReadString("FullPath") : std::nullopt;
    if (!dir || dir->empty()) return kToolName;
    return platform::joinPath(*dir, kToolName);
}

int ExecNodeMap(TNodeMapCommand command, TNodeMapIpOrMac kind, const std::string& address,
                const std::string& server, const std::string& user, const std::string& password,
                const std::string& resultFile) {
    std::string file = resultFile;
    if (file.empty()) {
        file = TOrloFunction::AnsiTempFileName("igt");
        if (file.empty()) return kNodeMapFailed;
    }
    RemoveOnExit temporary(resultFile.empty() ? file : std::string());
    // Only what this run writes counts.
    ::unlink(file.c_str());

    // Every value is quoted: a blank or a quote in a password or a path must
    // not become a switch of its own.
    std::string line = platform::quoteArgument(GetNodeMap()) + " /filename " + platform::quoteArgument(file);
    line += std::string(" /cmd ") + commandName(command);
    if (kind == nmMac) {
        if (!address.empty()) line += " /hwaddr " + platform::quoteArgument(address);
    } else {
        addHostAndPort(line, address, "caddr", "cport");
    }
    if (!server.empty()) addHostAndPort(line, server, "saddr", "sport");
    if (!user.empty()) line += " /userName " + platform::quoteArgument(user);
    if (!password.empty()) line += " /password " + platform::quoteArgument(password);

    const platform::SpawnResult run = platform::spawnAndWait(std::string_view(line));
    if (!run.started) return kNodeMapFailed;
    return RetNodeMap(file);
}

int RetNodeMap(const std::string& resultFile) {
    std::ifstream in(resultFile);
    std::string line;
    while (in && std::getline(in, line)) {
        const std::string_view trimmed = detail::trim(line);
        const auto equals = trimmed.find('=');
        if (equals == std::string_view::npos || detail::trim(trimmed.substr(0, equals)) != "Return code") continue;
        return ParseInt(trimmed.substr(equals + 1)).value_or(kNodeMapFailed);
    }
    return kNodeMapFailed;
}

}  // namespace encdec
