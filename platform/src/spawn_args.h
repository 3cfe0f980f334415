// The argument vector posix_spawn takes, over strings that outlive it.
#pragma once

#include <string>
#include <vector>

namespace platform::detail {

inline std::vector<char*> SpawnArgs(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

}  // namespace platform::detail
