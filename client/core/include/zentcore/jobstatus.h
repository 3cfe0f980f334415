// The status of a job sent earlier, asked of its print server ("OJOBS"):
// what the status window and zentctl status share.
#pragma once

#include <zplatform/messaging.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zentcore {

// The job id as typed: trimmed, read as a decimal number; 0 when it is none.
std::int32_t ParseJobId(std::string_view text);

// The words for a status number ("Sent To Printer"), after the bit 0x1000
// has been cleared; "Unknown status (N)" for any other number.
std::string JobStatusText(std::int32_t status);

struct JobStatus {
    enum class Outcome {
        Known,          // line holds "Job 17: Sent To Printer"
        ResultError,    // the server answered, but not with a job's status
        NoAnswer,       // the printer does not exist or the server does not respond
    };
    Outcome outcome = Outcome::NoAnswer;
    std::string line;
};

inline constexpr std::string_view kJobStatusResultError = "Result error. Maybe Job Id does not exist.";
inline constexpr std::string_view kJobStatusNoAnswer = "Printer does not exist or server does not respond!";

// Asks the server (request address parts already split) for the job's status.
// Waits inside Communicate, so the owner's window keeps running meanwhile.
JobStatus QueryJobStatus(const std::string& printer, const std::string& server, std::int32_t jobId,
                         platform::WindowHandle owner);

}  // namespace zentcore
