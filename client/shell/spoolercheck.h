// The check of the virtual printer and its port at the first idle moment.
#pragma once

#include <zplatform/messaging.h>

namespace zentclient {

class Spooler;

enum class PrinterCheckOutcome {
    Scan,     // all is well: scan the working directory for waiting jobs
    NoScan,   // the user chose to go on without the port: no initial scan
    End,      // the client ends (EndAtFirstChance)
};

// Administrators get the port and the printer installed and corrected, with
// the question and error reports the user knows; everyone else, and a client
// without a spooler, goes straight to the scan. owner: the window the error
// reports belong to.
PrinterCheckOutcome RunPrinterCheck(Spooler* spooler, bool isAdmin, platform::WindowHandle owner);

}  // namespace zentclient
