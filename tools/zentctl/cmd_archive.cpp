// zentctl archive list [--sort COLUMN] | resubmit BASE... | delete BASE...:
// the user's archive of delivered jobs, as the archive window shows and
// changes it.
#include "commands.h"

#include <zentcore/archive.h>
#include <zentcore/settings.h>
#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>
#include <zplatform/text.h>

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace zentctl {

namespace {

// A column by its caption (any case) or its number.
std::optional<int> columnOf(const std::string& text) {
    for (int c = 0; c < zentcore::kArchiveColumns; ++c)
        if (platform::equalsNoCase(text, zentcore::ArchiveColumnCaption(c)) || text == std::to_string(c)) return c;
    return std::nullopt;
}

std::string cell(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

int list(const zentcore::ClientSettings& s, const Args& args) {
    int column = zentcore::kArchiveDefaultSortColumn;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--sort" || i + 1 == args.size()) return usageError("'archive list' takes only --sort COLUMN");
        const auto c = columnOf(args[++i]);
        if (!c) return usageError("'archive list': no column " + args[i]);
        column = *c;
    }
    auto records = zentcore::ReadArchive(s.UserSaveDir);
    zentcore::SortArchive(records, column);
    for (int c = 0; c < zentcore::kArchiveColumns; ++c) std::cout << (c ? "\t" : "") << zentcore::ArchiveColumnCaption(c);
    std::cout << "\n";
    for (const auto& job : records) {
        const auto texts = zentcore::ArchiveRowTexts(*job);
        for (std::size_t c = 0; c < texts.size(); ++c) std::cout << (c ? "\t" : "") << cell(texts[c]);
        std::cout << "\n";
    }
    return 0;
}

// A base name as the listing shows it: a file name, never a path. Says so
// when it is not.
bool isBaseName(const std::string& name) {
    if (!name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos) return true;
    std::cerr << "zentctl: " << name << " is no archived job\n";
    return false;
}

int resubmit(const zentcore::ClientSettings& s, const Args& bases) {
    using Outcome = zentcore::ResubmitResult::Outcome;
    int status = 0;
    for (const std::string& base : bases) {
        if (!isBaseName(base)) {
            status = 1;
            continue;
        }
        const auto result = zentcore::ResubmitArchivedJob(base, s.UserSaveDir, s.FirstTempDir);
        switch (result.outcome) {
        case Outcome::Queued:
            std::cout << base << " -> " << result.text << "\n";
            encdec::NotifyClient(::geteuid(), encdec::JobFiles(s.FirstTempDir, result.text).name(".ztp"));
            continue;
        case Outcome::NoData:
            std::cerr << "zentctl: Data is not available: " << result.text << "\n";
            break;
        case Outcome::NoFreeNumber:
            std::cerr << "zentctl: every job number of " << s.FirstTempDir << " is taken\n";
            break;
        case Outcome::Failed:
            std::cerr << "zentctl: " << base << " could not be put back into " << s.FirstTempDir << "\n";
            break;
        }
        status = 1;
    }
    return status;
}

int remove(const zentcore::ClientSettings& s, const Args& bases) {
    int status = 0;
    for (const std::string& base : bases) {
        if (isBaseName(base)) zentcore::DeleteArchivedJob(base, s.UserSaveDir);
        else status = 1;
    }
    return status;
}

}  // namespace

int cmdArchive(const Args& args) {
    if (args.empty()) return usageError("'archive' needs list, resubmit or delete");
    const std::string action = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (action != "list" && rest.empty()) return usageError("'archive " + action + "' needs the base names of jobs");
    const zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    if (!load.mayGoOn) {
        std::cerr << "zentctl: the working directory " << load.settings.FirstTempDir << " or the save directory "
                  << load.settings.UserSaveDir << " cannot be made\n";
        return 1;
    }
    if (action == "list") return list(load.settings, rest);
    if (action == "resubmit") return resubmit(load.settings, rest);
    if (action == "delete") return remove(load.settings, rest);
    return usageError("'archive': unknown action " + action);
}

}  // namespace zentctl
