// SubmitFileToNetClient: copies a spooled job into the working directory as
// ztp_N.ztp, writes ztp_N.txt beside it and tells the running client.
#include "handoff_description.h"

#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>
#include <zplatform/registry.h>
#include <zplatform/fd.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace encdec {

namespace {

using Fd = platform::UniqueFd;

std::optional<std::string> readWorkingDirectory(std::string& errorText) {
    const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine,
                                                    "SOFTWARE\\ORLO Vestra\\Zentrope Client");
    if (!key) {
        errorText = "TRegistry->OpenKeyReadOnly() failed";
        return std::nullopt;
    }
    // A missing, empty or numeric value names no directory: the job would land
    // in the file system's root or nowhere.
    auto dir = key->tryReadString("FirstTempDir");
    if (!dir || dir->empty() || key->readDword("FirstTempDir")) {
        errorText = "TRegistry->ReadString() failed";
        return std::nullopt;
    }
    return dir;
}

// A directory others may write to lets them replace or remove a job's files
// unless it is sticky: there only a file's owner may.
bool sharedUnsafely(const std::string& dir, std::string& errorText) {
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;   // the create says why
    if (!(st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_mode & S_ISVTX)) return false;
    errorText = "The working directory " + dir +
                " may be written by other users: make it sticky (chmod +t) or writable by its owner only";
    return true;
}

void notifyClient(uid_t user, const std::string& dataFileName, std::string& errorText) {
    if (NotifyClient(user, dataFileName)) return;
    // No one listens: no client runs. Any other failure: a client is there
    // but was not told (it could not take the connection in time).
    errorText = errno == ECONNREFUSED || errno == ENOENT ? "EnumWindows() failed" : "PostMessage() failed";
}

bool submitToDirectory(const std::string& source, const ZTP_JOBDATA& job, const std::string& dir,
                       const std::optional<JobOwner>& owner, std::string& errorText, std::string& baseName) {
    // No directory is no place to write (and never the root by accident).
    if (dir.empty()) {
        errorText = "Failed to write-open ZTP file!";
        return false;
    }
    if (sharedUnsafely(dir, errorText)) return false;
    // The number is taken first: with every number in use nothing is handed
    // off, whatever the source.
    auto created = JobFiles::createNew(dir);
    if (!created) {
        if (errno != EEXIST) errorText = "Failed to write-open ZTP file!";
        return false;
    }
    const JobFiles& files = created->files;
    Fd& out = created->data;
    // Whatever goes wrong from here on, no half job is left for the client.
    auto fail = [&](const std::string& text) {
        out.close();
        ::unlink(files.ztp().c_str());
        errorText = text;
        return false;
    };

    // Given away before a byte is written: the print data is never the writer's.
    if (owner && ::fchown(out.get(), owner->uid, owner->gid) != 0)
        return fail("Failed to give the ZTP file to its user: " + platform::errorText(errno));
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return fail("Failed to read-open file");
    const auto copied = platform::copyAll(in.get(), out.get());
    if (!copied) return fail("Failed to update ZTP file: " + platform::errorText(errno));
    if (*copied == 0) return fail("Failed to update ZTP file");
    // The data is on disk before its description can announce it.
    if (::fsync(out.get()) != 0 || !out.close())
        return fail("Failed to update ZTP file: " + platform::errorText(errno));

    // Renamed into place complete, so a scan of the directory never reads half of it.
    const std::string description = detail::JobDescriptionText(job);
    const bool written =
        owner ? platform::replaceFileAtomically(files.txt(), description, JobFiles::kFileMode, *owner)
              : platform::replaceFileAtomically(files.txt(), description, JobFiles::kFileMode);
    if (!written) return fail("Failed to write-open TXT file");

    baseName = files.baseName();
    return true;
}

bool submitToClient(const std::string& source, const ZTP_JOBDATA* job, const std::optional<JobOwner>& owner,
                    std::string& errorText, std::string& baseName) {
    if (!job) {
        errorText = "No job description given";
        return false;
    }
    const auto dir = readWorkingDirectory(errorText);
    if (!dir) return false;
    if (!submitToDirectory(source, *job, *dir, owner, errorText, baseName)) return false;
    notifyClient(owner ? owner->uid : ::geteuid(), JobFiles(*dir, baseName).name(".ztp"), errorText);
    return true;
}

}  // namespace

bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText) {
    std::string baseName;
    return SubmitFileToNetClient(source, job, errorText, baseName);
}

bool SubmitFileToDirectory(const std::string& source, const ZTP_JOBDATA& job, const std::string& dir,
                           std::string& errorText, std::string& baseName) {
    return submitToDirectory(source, job, dir, std::nullopt, errorText, baseName);
}

bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText,
                           std::string& baseName) {
    return submitToClient(source, job, std::nullopt, errorText, baseName);
}

bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, JobOwner owner,
                           std::string& errorText, std::string& baseName) {
    return submitToClient(source, job, owner, errorText, baseName);
}

}  // namespace encdec
