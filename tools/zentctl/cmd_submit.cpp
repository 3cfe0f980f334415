// zentctl submit FILE [options]: hands a file off as a print job, the way the
// port side does for every captured job.
#include "commands.h"

#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>
#include <zcodec/utilities.h>
#include <zplatform/system.h>

#include <iostream>
#include <optional>

namespace zentctl {

namespace {

struct NumberOption {
    const char* name;
    encdec::ZINT encdec::ZTP_JOBDATA::*field;
};

constexpr NumberOption numberOptions[] = {
    {"--pages", &encdec::ZTP_JOBDATA::Pages},
    {"--copies", &encdec::ZTP_JOBDATA::Copies},
    {"--papersize", &encdec::ZTP_JOBDATA::Papersize},
    {"--color", &encdec::ZTP_JOBDATA::Color},
    {"--width", &encdec::ZTP_JOBDATA::PaperWidth},
    {"--length", &encdec::ZTP_JOBDATA::PaperLength},
    {"--quality", &encdec::ZTP_JOBDATA::PrintQuality},
    {"--scale", &encdec::ZTP_JOBDATA::Scale},
    {"--media", &encdec::ZTP_JOBDATA::MediaType},
};

struct TextOption {
    const char* name;
    std::string encdec::ZTP_JOBDATA::*field;
};

constexpr TextOption textOptions[] = {
    {"--doc", &encdec::ZTP_JOBDATA::DocName},
    {"--user", &encdec::ZTP_JOBDATA::UserName},
    {"--orientation", &encdec::ZTP_JOBDATA::Orientation},
};

std::string fileBaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Fills the job from the options; the usage error's status, or nullopt.
std::optional<int> parse(const Args& args, encdec::ZTP_JOBDATA& job, std::string& file) {
    bool userGiven = false, docGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!file.empty()) return usageError("'submit' takes one file");
            file = a;
            continue;
        }
        if (i + 1 == args.size()) return usageError("'submit': " + a + " needs a value");
        const std::string& value = args[++i];
        bool known = false;
        for (const auto& o : textOptions)
            if (a == o.name) {
                job.*o.field = value;
                userGiven |= o.field == &encdec::ZTP_JOBDATA::UserName;
                docGiven |= o.field == &encdec::ZTP_JOBDATA::DocName;
                known = true;
            }
        for (const auto& o : numberOptions)
            if (a == o.name) {
                const auto n = encdec::ParseInt(value);
                if (!n || encdec::Trim(value) != value)
                    return usageError("'submit': " + a + " needs a whole number, not '" + value + "'");
                job.*o.field = *n;
                known = true;
            }
        if (!known) return usageError("'submit': unknown option " + a);
    }
    if (file.empty()) return usageError("'submit' needs a file");
    if (!userGiven) job.UserName = platform::userName();
    if (!docGiven) job.DocName = fileBaseName(file);
    return std::nullopt;
}

}  // namespace

int cmdSubmit(const Args& args) {
    encdec::ZTP_JOBDATA job;
    std::string file;
    if (const auto status = parse(args, job, file)) return *status;

    std::string note, baseName;
    if (!encdec::SubmitFileToNetClient(file, &job, note, baseName)) {
        std::cerr << "zentctl: cannot submit " << file << ": "
                  << (note.empty() ? "all job numbers from 1 to " + std::to_string(encdec::JobFiles::kMaxNumber) + " are taken" : note) << "\n";
        return 1;
    }
    // The job is in place; a client that was not told finds it at its next scan.
    std::cout << baseName << "\n";
    if (!note.empty()) std::cerr << "zentctl: note: " << note << "\n";
    return 0;
}

}  // namespace zentctl
