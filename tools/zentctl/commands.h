// zentctl subcommands: each takes the arguments after its own name and
// returns the process exit status (2 for usage errors).
#pragma once

#include <string>
#include <vector>

namespace zentctl {

using Args = std::vector<std::string>;

int usageError(const std::string& message);   // prints "zentctl: message" and the usage; returns 2

int cmdReg(const Args& args);
int cmdSettings(const Args& args);
int cmdPack(const Args& args);
int cmdUnpack(const Args& args);
int cmdSend(const Args& args);
int cmdSubmit(const Args& args);
int cmdQueue(const Args& args);
int cmdPrint(const Args& args);
int cmdPrinter(const Args& args);
int cmdStatus(const Args& args);
int cmdArchive(const Args& args);
int cmdRender(const Args& args);
int cmdExportHtml(const Args& args);
int cmdUpdate(const Args& args);   // only with the updater

}  // namespace zentctl
