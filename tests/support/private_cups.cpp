#include "private_cups.h"

#include <cups/cups.h>

#include <sstream>

namespace testenv {

namespace {

std::string script() { return sourceDir() + "/tests/cups/private-cupsd.sh"; }

}  // namespace

PrivateCups::PrivateCups(const std::string& dir) : dir_(dir) {
    const ProcessResult started = run({script(), "start", dir_});
    if (started.exitCode != 0) {
        cannotRun_ = started.exitCode == 3;
        problem_ = "private cupsd: " + started.err;
        return;
    }
    std::istringstream lines(started.out);
    std::string server;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("CUPS_SERVER=", 0) == 0) server = line.substr(12);
        if (line.rfind("CUPS_SERVERBIN=", 0) == 0) serverBin_ = line.substr(15);
    }
    serverEnv_ = std::make_unique<ScopedEnv>("CUPS_SERVER", server);
    serverBinEnv_ = std::make_unique<ScopedEnv>("CUPS_SERVERBIN", serverBin_);
    // libcups keeps the first server it was pointed at for the thread.
    cupsSetServer(nullptr);
    running_ = true;
}

PrivateCups::~PrivateCups() {
    if (!running_) return;
    run({script(), "stop", dir_});
    serverEnv_.reset();
    cupsSetServer(nullptr);
}

}  // namespace testenv
