// Paths of a job's files: the directory and the name joined by one '/'.
#pragma once

#include <string>
#include <string_view>

namespace zentcore::detail {

inline std::string joinPath(const std::string& dir, std::string_view name) {
    std::string path = dir;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

// dir/base + extension (".txt", ".ztp", ".gz").
inline std::string jobFile(const std::string& dir, const std::string& base, std::string_view extension) {
    std::string name = base;
    name += extension;
    return joinPath(dir, name);
}

}  // namespace zentcore::detail
