#include <zsync/config.h>

#include <zplatform/text.h>

#include <fstream>

namespace zsync {

namespace {

std::string_view trimmedBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The directory of a path: up to, not including, its last '\' or '/'.
std::string directoryOf(std::string_view path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

// A directory cut at its last '\' (or, without one, its last '/'): its parent.
std::string parentOf(std::string_view dir) {
    auto cut = dir.find_last_of('\\');
    if (cut == std::string_view::npos) cut = dir.find_last_of('/');
    return cut == std::string_view::npos ? std::string(dir) : std::string(dir.substr(0, cut));
}

std::string replaceNoCase(std::string_view text, std::string_view name, std::string_view value) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (platform::startsWithNoCase(text.substr(i), name)) {
            out += value;
            i += name.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> readIniSection(const std::string& path, std::string_view section) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto text = trimmedBlanks(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            inSection = close != std::string_view::npos &&
                        platform::equalsNoCase(trimmedBlanks(text.substr(1, close - 1)), section);
            continue;
        }
        if (inSection) lines.emplace_back(line);
    }
    return lines;
}

void parseFtpSection(const std::vector<std::string>& lines, FtpConfig& config) {
    for (const auto& line : lines) {
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq + 1 == line.size()) continue;
        const std::string_view key(line.data(), eq);
        std::string value = line.substr(eq + 1);
        if (key == "Server") config.server = std::move(value);
        else if (key == "User") config.user = std::move(value);
        else if (key == "Password") config.password = std::move(value);
    }
}

std::string expandPlaceholders(std::string_view line, std::string_view iniPath) {
    std::string out = replaceNoCase(line, "%IniDir%", directoryOf(iniPath));
    out = replaceNoCase(out, "%WinDir%", parentOf(kWindowsDirectory));
    return replaceNoCase(out, "%SysDir%", parentOf(kSystemDirectory));
}

std::vector<SyncRoot> parseFilesSection(const std::vector<std::string>& lines, std::string_view iniPath) {
    std::vector<SyncRoot> roots;
    for (const auto& raw : lines) {
        const std::string line = expandPlaceholders(raw, iniPath);
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == line.size()) continue;
        SyncRoot root{line.substr(0, eq), line.substr(eq + 1)};
        bool seen = false;
        for (const auto& earlier : roots) seen = seen || platform::equalsNoCase(earlier.local, root.local);
        if (!seen) roots.push_back(std::move(root));
    }
    return roots;
}

FtpConfig readFtpConfig(const std::string& iniPath) {
    FtpConfig config;
    parseFtpSection(readIniSection(iniPath, "Ftp"), config);
    config.roots = parseFilesSection(readIniSection(iniPath, "Files"), iniPath);
    return config;
}

}  // namespace zsync
