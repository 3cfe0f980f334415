// zentctl print FILE ADDRESS [options]: the road of one job without a window:
// hand-off into a working directory of its own, packing, printer check,
// session, authentication, PRFILE with its CONFIRM.
#include "commands.h"

#include <zcodec/handoff.h>
#include <zcodec/utilities.h>
#include <zentcore/authdialogue.h>
#include <zentcore/jobfiles.h>
#include <zentcore/printercheck.h>
#include <zentcore/serverrequest.h>
#include <zentcore/transmission.h>
#include <zplatform/owneddir.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <optional>

namespace zentctl {

namespace {

struct PrintOptions {
    std::string file;
    std::string address;
    encdec::ZTP_JOBDATA job;
    std::string method;
    bool yes = false;
};

std::optional<int> parse(const Args& args, PrintOptions& o) {
    o.job.Pages = 1;
    o.job.Copies = 1;
    o.job.Papersize = 9;   // A4, what the port side reports for most jobs here
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--yes") {
            o.yes = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 == args.size()) return usageError("'print': " + a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--doc") {
            o.job.DocName = value;
        } else if (a == "--auth") {
            o.method = value;
        } else {
            encdec::ZINT encdec::ZTP_JOBDATA::*field = nullptr;
            if (a == "--pages") field = &encdec::ZTP_JOBDATA::Pages;
            if (a == "--copies") field = &encdec::ZTP_JOBDATA::Copies;
            if (a == "--papersize") field = &encdec::ZTP_JOBDATA::Papersize;
            if (a == "--color") field = &encdec::ZTP_JOBDATA::Color;
            if (!field) return usageError("'print': unknown option " + a);
            const auto n = encdec::ParseInt(value);
            if (!n || encdec::Trim(value) != value)
                return usageError("'print': " + a + " needs a whole number, not '" + value + "'");
            o.job.*field = *n;
        }
    }
    if (positional.size() != 2) return usageError("'print' needs a file and an address (printer@server[:port])");
    o.file = positional[0];
    o.address = positional[1];
    if (o.job.DocName.empty()) o.job.DocName = std::filesystem::path(o.file).filename().string();
    o.job.UserName = platform::userName();
    return std::nullopt;
}

// Messages go to stderr; the one question (colour) is answered by --yes.
class PrintPrompter : public platform::ConsolePrompter {
public:
    explicit PrintPrompter(bool yes) : yes_(yes) {}
    bool ask(std::string_view, std::string_view text) override {
        std::cerr << text << (yes_ ? " Yes (--yes)\n" : " No (answer it with --yes)\n");
        return yes_;
    }

private:
    bool yes_;
};

// Each run works in a directory of its own under $TMPDIR, which it removes
// at the end and keeps locked meanwhile; what a killed run left behind (the
// job twice, as handed off and packed) is swept by the next run.
const char kWorkDirPrefix[] = "zentprint-";

int notDelivered(const std::string& why) {
    if (!why.empty()) std::cerr << "zentctl: " << why << "\n";
    std::cout << "not delivered\n";
    return 1;
}

// Why a transmission did not deliver the job, from its result.
std::string failureReason(const encdec::TCommResult& r, const std::string& server) {
    std::string reason;
    if (!r.ErrorMsg.empty())
        reason = r.ErrorMsg;
    else if (r.ErrorCode == 0 && r.ReturnValue != 0)
        reason = "it answered " + std::to_string(r.ReturnValue) + " instead of the session";
    else
        reason = "no answer from " + server;
    if (r.ErrorCode != 0) reason += " (error " + std::to_string(r.ErrorCode) + ")";
    return reason;
}

// The authentication the server asks for, where it needs no page of its own.
std::optional<std::string> authenticate(const PrintOptions& o, const zentcore::PrinterAddress& address,
                                        const encdec::StringList& printerLines, std::int32_t session) {
    // A printer that names no method needs no authentication.
    if (!zentcore::NamesAuthMethods(printerLines)) return std::nullopt;
    zentcore::AuthDialogue auth(printerLines, o.job.Copies, o.job.Pages, address.printer, address.server, session);
    if (auth.methods().empty())
        return "printer " + address.printer + " names authentication methods without their charges";
    std::string offered;
    for (const auto& m : auth.methods()) offered += (offered.empty() ? "" : ", ") + m.name;
    std::string method = o.method;
    if (method.empty()) {
        if (auth.methods().size() != 1) return "printer " + address.printer + " offers " + offered + ": choose one with --auth";
        method = auth.methods().front().name;
    }
    auth.selectMethod(method);
    if (!auth.methodKnown()) return "printer " + address.printer + " does not offer '" + method + "' (it offers " + offered + ")";
    std::cerr << "charge: " << zentcore::FormatCharge(auth.figures().amount) << " " << auth.currency() << " + tax "
              << zentcore::FormatCharge(auth.figures().taxAmount) << "\n";
    auth.fetchIcon();
    if (auth.start())
        return "printer " + address.printer + " asks for an interactive authentication step (method " + method +
               "); send this job from the client";
    if (auth.result() != zentcore::AuthDialogue::kAuthenticated)
        return "printer " + address.printer + " refused the authentication (method " + method + ")";
    return std::nullopt;
}

}  // namespace

int cmdPrint(const Args& args) {
    PrintOptions o;
    if (const auto status = parse(args, o)) return *status;
    PrintPrompter prompter(o.yes);
    platform::ScopedPrompter scoped(prompter);

    const auto address = zentcore::SplitPrinterAddressOrWarn(encdec::Trim(o.address), false);
    if (!address) return notDelivered("");

    platform::sweepAbandonedDirectories(platform::tempDirectory(), kWorkDirPrefix);
    const platform::OwnedDirectory workDir(platform::tempDirectory(), kWorkDirPrefix);
    if (workDir.path().empty()) {
        const std::string why = platform::errorText(errno);
        return notDelivered("cannot make a working directory in " + platform::tempDirectory() + ": " + why);
    }
    const std::string& work = workDir.path();
    std::string errorText, baseName;
    if (!encdec::SubmitFileToDirectory(o.file, o.job, work, errorText, baseName))
        return notDelivered("cannot take " + o.file + ": " + errorText);

    zentcore::TQueuedJob job;
    job.BaseName = baseName;
    if (!zentcore::ReadJobDescription(job, work, -1, true)) return notDelivered("cannot read the job back");

    const zentcore::JobTraits traits{job.Pages, job.Copies, job.Papersize, job.Color};
    const auto check = zentcore::CheckPrinter(traits, *address, 0);
    if (!check.passed) return notDelivered("");

    const auto session = zentcore::AskServer("NEWSESSION", "", address->server, 0, encdec::ttEncrypt);
    const std::int32_t sessionId = session.answered() ? session.result.ReturnValue : 0;
    if (sessionId == 0) return notDelivered("Could not get Session Id!");

    if (const auto refusal = authenticate(o, *address, check.answerLines, sessionId)) return notDelivered(*refusal);

    job.SessionId = sessionId;
    job.Printer = address->printer;
    job.Server = address->server;
    job.ServerFlags = std::uint16_t((check.printer.AtRequest ? 1 : 0) + (check.printer.ArchiveJob ? 2 : 0));
    zentcore::WriteJobDescription(job, work);
    zentcore::FinishCompression(job, work);

    const auto text = zentcore::TransmissionText(job, work, &check.printer.Margins);
    if (!zentcore::StartTransmission(job, text, 0, 0)) return notDelivered("cannot start the transmission");
    job.SendThread->waitFor();
    zentcore::CollectTransmission(job);
    if (!zentcore::Delivered(job)) {
        return notDelivered("the server did not take the job: " + failureReason(job.Result, address->server));
    }
    std::cout << "delivered " << job.DocName << " to " << address->printer << "@" << address->server << " (session "
              << sessionId << ", " << job.PackedSize << " bytes packed)\n";
    return 0;
}

}  // namespace zentctl
