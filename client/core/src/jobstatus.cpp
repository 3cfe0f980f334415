#include <zentcore/jobstatus.h>

#include <zcodec/utilities.h>
#include <zentcore/serverrequest.h>

namespace zentcore {

namespace {

// The answer's fields: every 0x04 ends one; the status is the 22nd.
constexpr std::size_t kStatusField = 21;
constexpr std::int32_t kStatusMask = 0xEFFF;

}  // namespace

std::int32_t ParseJobId(std::string_view text) { return encdec::ParseInt(encdec::Trim(text)).value_or(0); }

std::string JobStatusText(std::int32_t status) {
    switch (status) {
    case 1: return "Aborted";
    case 2: return "Confirmed";
    case 3: return "Sent To Printer";
    case 4: return "Finished";
    case 5: return "On Hold";
    case 6: return "Resumed";
    default: return "Unknown status (" + std::to_string(status) + ")";
    }
}

JobStatus QueryJobStatus(const std::string& printer, const std::string& server, std::int32_t jobId,
                         platform::WindowHandle owner) {
    const ServerAnswer answer =
        AskServer("OJOBS", printer + '\x04' + std::to_string(jobId), server, owner, encdec::ttEncrypt);
    if (!answer.answered() || answer.result.ReturnValue == 0) return {JobStatus::Outcome::NoAnswer, {}};
    encdec::StringList fields;
    encdec::AnsiSplit2(std::string(answer.text()), "\x04", fields, 0);
    if (fields.size() <= kStatusField) return {JobStatus::Outcome::ResultError, {}};
    const std::int32_t status = ParseJobId(fields[kStatusField]) & kStatusMask;
    return {JobStatus::Outcome::Known, "Job " + std::to_string(jobId) + ": " + JobStatusText(status)};
}

}  // namespace zentcore
