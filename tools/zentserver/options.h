// The command line of zentserver.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zentserver {

struct Options {
    std::string host = "127.0.0.1";
    int port = 20202;
    std::string config;   // empty: no printers, built-in defaults
    std::string spool;    // empty: the configuration's, else ./spool
    std::string log;      // empty: stderr
    bool help = false;
};

// Parses the arguments after the program name; nullopt with error set when
// they are unusable.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

extern const char kUsage[];

}  // namespace zentserver
