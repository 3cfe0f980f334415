#include <zentcore/printercheck.h>

#include <zentcore/application.h>
#include <zentcore/jobfiles.h>
#include <zentcore/serverrequest.h>
#include <zplatform/prompter.h>

#include <exception>

namespace zentcore {

namespace {

constexpr std::int32_t kErrClientTooOld = 923;

bool refuse(std::string_view text) {
    platform::prompter().warn(kApplicationTitle, text);
    return false;
}

}  // namespace

bool CheckPrinterData(const JobTraits& job, const encdec::TPrinterData& printer) {
    if (!printer.Available) return refuse("Printer is not available!");
    // Widened: pages x copies of two 32-bit numbers must not wrap past the limit.
    if (printer.MaxPages != 0 && std::int64_t(job.pages) * job.copies > printer.MaxPages)
        return refuse("Requested job pages exceed printer's maximum.");
    if (printer.PrPage != job.papersize)
        return refuse("Requested paper size (" + PaperSizeName(job.papersize) + ") does not match printer's (" +
                      PaperSizeName(printer.PrPage) + ")!");
    if (job.color != 0 && !printer.Color &&
        !platform::prompter().ask(kApplicationTitle, "Printer does not support colour! Continue?"))
        return false;
    return true;
}

PrinterCheck CheckPrinter(const JobTraits& job, const PrinterAddress& address, platform::WindowHandle owner) {
    PrinterCheck check;
    const auto answer = AskServer("ASKPRN", address.printer, address.server, owner, encdec::ttNone);
    // Read where the answer lies: a description may be as large as any
    // answer, and only the record and the lines of its keys are kept.
    std::size_t lines = 0;
    try {
        if (answer.answered()) lines = encdec::ParsePrinterAnswer(answer.text(), check.printer, true, check.answerLines);
    } catch (const std::exception&) {
        refuse("Could not parse printer data!");
        return check;
    }
    // Without a description there is no printer to check against: the job
    // must not go out on defaults.
    if (lines == 0) {
        refuse(answer.result.ErrorCode == kErrClientTooOld
                   ? "Server - Client version number mismatch!\r\nPlease get newer version."
                   : "Printer does not exist or does not respond!");
        return check;
    }
    check.printer.PrinterName = address.printer;
    check.passed = CheckPrinterData(job, check.printer);
    return check;
}

}  // namespace zentcore
