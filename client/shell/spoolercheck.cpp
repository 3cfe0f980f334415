#include "shell/spoolercheck.h"

#include <zentcore/application.h>
#include "shell/spooler.h"

#include <zcodec/utilities.h>
#include <zentcore/printerinstall.h>
#include <zplatform/prompter.h>
#include <zplatform/text.h>

namespace zentclient {

namespace {

// An absent port, or one that cannot be listed (reported), counts as missing.
bool portPresent(Spooler& spooler, platform::WindowHandle owner) {
    const auto present = spooler.hasPort(zentcore::kVirtualPortName);
    if (!present) {
        encdec::GetErrorMessage(owner, "EnumPorts", -1);
        return false;
    }
    return *present;
}

PrinterCheckOutcome fail(platform::WindowHandle owner, const char* caption) {
    encdec::GetErrorMessage(owner, caption, -1);
    return PrinterCheckOutcome::End;
}

}  // namespace

PrinterCheckOutcome RunPrinterCheck(Spooler* spooler, bool isAdmin, platform::WindowHandle owner) {
    if (!spooler || !isAdmin) return PrinterCheckOutcome::Scan;

    if (!portPresent(*spooler, owner)) {
        spooler->addPortMonitor();
        if (!portPresent(*spooler, owner)) {
            const std::string question = std::string("Port [") + zentcore::kVirtualPortName +
                                         "] not found. Need to install it!\r\nContinue application loading ?";
            return platform::prompter().ask(zentcore::kApplicationTitle, question) ? PrinterCheckOutcome::NoScan
                                                                 : PrinterCheckOutcome::End;
        }
    }

    if (!spooler->openPrinter(zentcore::kVirtualPrinterName)) {
        spooler->addPrinter();
        if (!spooler->openPrinter(zentcore::kVirtualPrinterName)) return fail(owner, "OpenPrinter");
    }
    const auto port = spooler->printerPort(zentcore::kVirtualPrinterName);
    if (!port) return fail(owner, "GetPrinter");
    if (!platform::equalsNoCase(*port, zentcore::kVirtualPortName) && !spooler->setPrinterPort(zentcore::kVirtualPrinterName, zentcore::kVirtualPortName))
        return fail(owner, "SetPrinter");
    return PrinterCheckOutcome::Scan;
}

}  // namespace zentclient
