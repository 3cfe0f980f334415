// Hive files: where they are, who may write them, reading, locked rewriting.
#include "registry_hive.h"

#include "system_files.h"

#include <zplatform/system.h>
#include <zplatform/text.h>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

namespace platform {

namespace {

using detail::ErrnoKeeper;

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string homeDirectory() {
    if (std::string home = environment("HOME"); !home.empty()) return home;
    std::string buf(16384, '\0');
    passwd pw;
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && pw.pw_dir) return pw.pw_dir;
    return "/";
}

bool writableByMe(const std::string& path, int mode) { return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0; }

// A hand-edited typo is worth one message per process, not one per read.
void reportOnce(const std::vector<std::string>& problems) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    for (const auto& p : problems)
        if (reported.insert(p).second) std::fprintf(stderr, "%s\n", p.c_str());
}

// Temporary files of a writer that died before its rename; safe to remove
// only while holding the lock, because live writers hold it too.
void sweepStaleTemps(const std::string& file) {
    const std::string dir = detail::parentDirectory(file);
    const std::string prefix = detail::atomicTempPrefix(file);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
            ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

std::optional<detail::LoadedHive> loadHiveFile(const std::string& file, Hive hive) {
    detail::LoadedHive loaded;
    std::string text;
    if (!detail::readWholeFile(file, text)) {
        if (errno != ENOENT) return std::nullopt;
        return loaded;
    }
    loaded.present = true;
    loaded.doc = detail::parseHive(text, hiveName(hive), file);
    reportOnce(loaded.doc.problems);
    return loaded;
}

}  // namespace

std::string hiveFile(Hive hive) {
    if (hive == Hive::LocalMachine) {
        std::string file = environment("ZENTROPE_MACHINE_REGISTRY");
        return file.empty() ? "/etc/zentrope/machine.reg" : file;
    }
    if (std::string file = environment("ZENTROPE_USER_REGISTRY"); !file.empty()) return file;
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') config = homeDirectory() + "/.config";
    return config + "/zentrope/user.reg";
}

// Writing replaces the file by a rename, so the directory must be writable
// as well as the file; an absent file needs the nearest existing ancestor.
bool hiveWritable(Hive hive) {
    const std::string file = hiveFile(hive);
    struct stat st;
    if (::stat(file.c_str(), &st) == 0)
        return writableByMe(file, W_OK) && writableByMe(detail::parentDirectory(file), W_OK | X_OK);
    if (errno != ENOENT && errno != ENOTDIR) return false;
    std::string dir = detail::parentDirectory(file);
    while (::stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return false;
        std::string up = detail::parentDirectory(dir);
        if (up == dir) return false;
        dir = std::move(up);
    }
    return S_ISDIR(st.st_mode) && writableByMe(dir, W_OK | X_OK);
}

std::vector<std::string> hiveDiagnostics(Hive hive) {
    auto loaded = detail::loadHive(hive);
    return loaded ? loaded->doc.problems : std::vector<std::string>{};
}

std::string_view hiveName(Hive hive) {
    return hive == Hive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<Hive> parseHiveName(std::string_view name) {
    for (auto n : {"HKLM", "HKEY_LOCAL_MACHINE", "machine"})
        if (equalsNoCase(name, n)) return Hive::LocalMachine;
    for (auto n : {"HKCU", "HKEY_CURRENT_USER", "user"})
        if (equalsNoCase(name, n)) return Hive::CurrentUser;
    return std::nullopt;
}

namespace detail {

std::optional<LoadedHive> loadHive(Hive hive) { return loadHiveFile(hiveFile(hive), hive); }

bool updateHive(Hive hive, const std::function<bool(HiveDocument&)>& change) {
    const std::string file = hiveFile(hive);
    // The rename would replace even a read-only file; honour its permissions.
    if (!writableByMe(file, W_OK) && errno != ENOENT) return false;
    if (!forceDirectories(parentDirectory(file))) return false;

    const std::string lockFile = file + ".lock";
    int lock = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock < 0 && errno == EACCES) {
        // Another administrator's lock file: reading is enough to lock it.
        lock = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (lock < 0) errno = EACCES;
    }
    if (lock < 0) return false;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ErrnoKeeper keep;
            ::close(lock);
            return false;
        }
    }
    sweepStaleTemps(file);
    // Re-read under the lock: another process may have written since our caller looked.
    auto loaded = loadHiveFile(file, hive);
    bool ok = loaded.has_value();
    if (ok && change(loaded->doc)) ok = writeFileAtomically(file, serializeHive(loaded->doc));
    ErrnoKeeper keep;
    ::close(lock);   // releases the lock
    return ok;
}

}  // namespace detail

}  // namespace platform
