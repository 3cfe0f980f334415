// The check of a job against the printer it is about to go to: the printer
// must exist, be available, take the job's pages and paper, and print colour
// when the job is in colour (or the user accepts monochrome).
#pragma once

#include <cstdint>
#include <string>

#include <zcodec/printerdata.h>
#include <zcodec/utilities.h>
#include <zentcore/printeraddress.h>
#include <zplatform/messaging.h>

namespace zentcore {

// What the check needs of the job.
struct JobTraits {
    std::int32_t pages = 0;
    std::int32_t copies = 1;
    std::int32_t papersize = 0;
    std::int32_t color = 0;
};

struct PrinterCheck {
    bool passed = false;
    encdec::StringList answerLines;   // the answer's lines of the 31 keys, one per key, for the authentication
    encdec::TPrinterData printer;     // parsed, PrinterName the printer asked for
};

// Asks the server for the printer (ASKPRN) and checks the job against it.
// Every failure shows exactly one warning (application title); the colour
// question goes through the prompter too.
PrinterCheck CheckPrinter(const JobTraits& job, const PrinterAddress& address, platform::WindowHandle owner);

// The same check on a description already fetched (no message for success).
bool CheckPrinterData(const JobTraits& job, const encdec::TPrinterData& printer);

}  // namespace zentcore
