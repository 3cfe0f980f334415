// Printer queries, sessions, server information and job status.
#include <algorithm>
#include <cstdint>

#include "commands.h"
#include "printer_description.h"
#include "text_util.h"

namespace zentserver {

namespace {

const char kEot = '\x04';

std::string joinFields(const std::vector<std::string>& fields) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) text += kEot;
        text += fields[i];
    }
    return text;
}

// The 22 status fields: record count, error flag, 19 fields about the job,
// then the status number (field 21, the one clients read).
std::vector<std::string> statusFields(const ReceivedJob& job, int status) {
    return {"1",
            "0",
            std::to_string(job.id),
            job.printer,
            job.user,
            job.document,
            std::to_string(job.pages),
            std::to_string(job.copies),
            std::to_string(job.paperSize),
            std::to_string(job.color),
            std::to_string(job.serverFlags),
            std::to_string(job.paperWidth),
            std::to_string(job.paperHeight),
            std::to_string(job.bytes),
            job.receivedAt ? utcTimeText(job.receivedAt) : "",
            job.confirmed ? "1" : "0",
            job.path,
            job.spoolName,
            job.peer,
            "",
            "",
            std::to_string(status)};
}

// Status numbers: 2 confirmed, 5 on hold (delivered, not yet confirmed).
constexpr int kStatusConfirmed = 2;
constexpr int kStatusOnHold = 5;

}  // namespace

Reply askPrinter(CommandContext& c) {
    const std::string name = c.dataText();
    const PrinterConfig* printer = c.config.findPrinter(name);
    if (!printer) return Reply::fail(c.config.errors.unknownPrinter, "unknown printer \"" + name + "\"");
    return Reply::text(formatDescription(printer->description), "description of \"" + name + "\"");
}

Reply printerNames(CommandContext& c) {
    std::string text;
    int count = 0;
    for (const auto& p : c.config.printers) {
        if (!p.listed) continue;
        text += p.name + "\r\n";
        ++count;
    }
    return Reply::text(text, std::to_string(count) + " printers");
}

Reply newSession(CommandContext& c) {
    const std::string user = c.dataText();
    const std::int32_t session = c.state.newSession(user);
    return Reply::number(session, "session " + std::to_string(session) + " for \"" + user + "\"");
}

Reply serverInfo(CommandContext& c) {
    return Reply::text(joinFields(c.config.serverInfo), std::to_string(c.config.serverInfo.size()) + " fields");
}

Reply jobStatus(CommandContext& c) {
    const auto f = c.fields();
    if (f.size() < 2) return Reply::fail(c.config.errors.badRequest, "expected printer and job id");
    const std::string& printerName = f[0];
    if (!c.config.findPrinter(printerName))
        return Reply::fail(c.config.errors.unknownPrinter, "unknown printer \"" + printerName + "\"");
    const long long number = parseNumber(f[1], 0);
    const std::int32_t id = number > 0 && number <= INT32_MAX ? std::int32_t(number) : 0;

    std::optional<ReceivedJob> job;
    int status = 0;
    if (auto preset = c.config.jobs.find(id); preset != c.config.jobs.end()) {
        const PresetJob& p = preset->second;
        job = ReceivedJob{};
        job->id = p.id;
        job->printer = p.printer.empty() ? printerName : p.printer;
        job->document = p.document;
        job->user = p.user;
        status = p.status;
    } else if (id > 0) {
        job = c.state.job(id);
        if (job) status = job->confirmed ? kStatusConfirmed : kStatusOnHold;
    }
    if (!job || job->printer != printerName) {
        // Too few fields for a status: clients report the job as unknown.
        return Reply::text(joinFields({"0", "1", "No such job"}), "no job " + f[1] + " on \"" + printerName + "\"");
    }
    return Reply::text(joinFields(statusFields(*job, status)),
                       "job " + std::to_string(id) + " status " + std::to_string(status));
}

}  // namespace zentserver
