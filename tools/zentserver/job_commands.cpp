// Receiving a job and its confirmation.
#include <ctime>

#include "commands.h"
#include "job_package.h"
#include "spool.h"

namespace zentserver {

namespace {

Reply refuse(const CommandContext& c, const ErrorReply& error, std::string outcome) {
    Reply r = Reply::number(c.config.refusedValue, "refused: " + outcome);
    r.error = error;
    return r;
}

}  // namespace

Reply printFile(CommandContext& c) {
    const std::int32_t session = c.header.Session;
    if (session <= 0) return refuse(c, c.config.errors.badSession, "no session");
    std::string problem;
    const auto job = parseJobPackage(c.body, problem);
    if (!job) return refuse(c, c.config.errors.badJobPackage, problem);
    const PrinterConfig* printer = c.config.findPrinter(job->printer);
    if (!printer) return refuse(c, c.config.errors.unknownPrinter, "unknown printer \"" + job->printer + "\"");
    if (!printer->available) return refuse(c, c.config.errors.printerUnavailable, "\"" + printer->name + "\" unavailable");
    const long long sheets = static_cast<long long>(job->block.pages) * job->block.copies;
    if (printer->maxPages > 0 && sheets > printer->maxPages)
        return refuse(c, c.config.errors.pageLimit,
                      std::to_string(sheets) + " pages over the limit of " + std::to_string(printer->maxPages));

    const std::string user = c.state.userOf(session).value_or("");
    JobOrigin origin{session, user, c.peer, c.header.Enccmp, std::int64_t(std::time(nullptr))};
    std::string spoolName;
    if (c.spool) {
        spoolName = c.spool->store(*job, c.body, origin, problem);
        if (spoolName.empty()) return refuse(c, c.config.errors.storageFailed, problem);
    }

    ReceivedJob record;
    record.id = session;
    record.printer = job->printer;
    record.document = job->document;
    record.path = job->path;
    record.user = user;
    record.peer = c.peer;
    record.spoolName = spoolName;
    record.receivedAt = origin.receivedAt;
    record.bytes = std::int64_t(job->jobSize);
    record.pages = job->block.pages;
    record.copies = job->block.copies;
    record.paperSize = job->block.paperSize;
    record.color = job->block.color;
    record.serverFlags = job->block.serverFlags;
    record.paperWidth = job->block.paperWidth;
    record.paperHeight = job->block.paperHeight;
    c.state.addJob(record);
    return Reply::number(session, "accepted " + std::to_string(job->jobSize) + " bytes for \"" + job->printer +
                                      "\"" + (spoolName.empty() ? "" : " as " + spoolName));
}

Reply confirmJob(CommandContext& c) {
    if (c.payload.size() != 4) return Reply::fail(c.config.errors.badRequest, "expected a 4-byte job number");
    const auto id = std::int32_t(std::uint32_t(c.payload[0]) << 24 | std::uint32_t(c.payload[1]) << 16 |
                                 std::uint32_t(c.payload[2]) << 8 | c.payload[3]);
    if (!c.state.confirm(id)) return Reply::fail(c.config.errors.badSession, "no job " + std::to_string(id));
    return Reply::text("OK", "job " + std::to_string(id) + " confirmed");
}

}  // namespace zentserver
