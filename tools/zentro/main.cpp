// zentro: the print system's backend for the virtual printer "Zentrope".
// CUPS runs it with a job; it hands the job to the user who printed it, in
// the client's working directory, and tells that user's client.
#include "backend_job.h"
#include "handoff_messages.h"
#include "spool.h"

#include <zcodec/handoff.h>
#include <zplatform/fd.h>
#include <zplatform/system.h>

#include <cups/backend.h>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

namespace {

int fail(int code, const std::string& text) {
    std::cerr << "ERROR: Zentrope: " << text << std::endl;
    return code;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The owner the job's files get: the printing user. Only root may give
// files away; anyone else can hand off only their own jobs.
std::optional<encdec::JobOwner> ownerFor(const passwd& user, std::string& errorText) {
    if (::geteuid() == 0 || user.pw_uid == ::geteuid()) return encdec::JobOwner{user.pw_uid, user.pw_gid};
    errorText = "the backend runs without the right to hand a job to " + std::string(user.pw_name) +
                ": install it with mode 0700 (zentctl printer install), so that the print system runs it as root";
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        // The print system's device discovery asks this way.
        std::cout << "direct zentro:/ZENTRO1 \"Zentrope\" \"Zentrope virtual printer\"" << std::endl;
        return CUPS_BACKEND_OK;
    }
    zentro::BackendJob job;
    std::string errorText;
    if (!zentro::ParseBackendArguments(argc, argv, job, errorText)) return fail(CUPS_BACKEND_FAILED, errorText);

    const passwd* user = ::getpwnam(job.user.c_str());
    if (!user)
        return fail(CUPS_BACKEND_CANCEL, "the user \"" + job.user +
                                             "\" who printed job " + job.id +
                                             " has no account on this computer: the job is cancelled");
    const auto owner = ownerFor(*user, errorText);
    if (!owner) return fail(CUPS_BACKEND_STOP, errorText);

    platform::UniqueFd file;
    int in = STDIN_FILENO;
    if (argc == 7) {
        file = platform::UniqueFd(platform::openRegularForReading(argv[6]));
        if (!file.ok())
            return fail(CUPS_BACKEND_CANCEL, "cannot open the print file " + std::string(argv[6]) + ": " +
                                                 platform::errorText(errno));
        in = file.get();
    }
    std::string tempDir = environment("TMPDIR");
    if (tempDir.empty()) tempDir = platform::tempDirectory();
    const auto spooled = zentro::SpoolInput(in, tempDir, errorText);
    if (!spooled) return fail(CUPS_BACKEND_FAILED, errorText);
    if (spooled->bytes == 0) return fail(CUPS_BACKEND_CANCEL, "job " + job.id + " has no print data: nothing to hand on");
    std::cerr << "DEBUG: Zentrope: " << spooled->bytes << " bytes, " << spooled->pages << " pages" << std::endl;

    // Once the data is in, the hand-off is short and ends it whole: a cancel
    // now would leave a job without its description.
    std::signal(SIGTERM, SIG_IGN);
    const encdec::ZTP_JOBDATA description =
        zentro::DescribeJob(job, spooled->pages, zentro::ReadPrinterDefaults(environment("PPD")));
    std::string baseName;
    errorText.clear();
    if (!encdec::SubmitFileToNetClient(spooled->path(), &description, *owner, errorText, baseName)) {
        const zentro::HandOffFailure failure = zentro::ExplainHandOffFailure(errorText, errno);
        return fail(failure.cancelsJob ? CUPS_BACKEND_CANCEL : CUPS_BACKEND_FAILED, failure.text);
    }
    std::cerr << "INFO: Zentrope: " << zentro::HandedOffText(job.user, baseName, errorText) << std::endl;
    return CUPS_BACKEND_OK;
}
