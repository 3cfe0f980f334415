// The local print system as the client's start-up check sees it: the port the
// virtual printer prints to, and the printer itself. The running client's is
// InstallationSpooler, over the printer installation; a client without one
// skips the check.
#pragma once

#include <optional>
#include <string>

namespace zentclient {

class Spooler {
public:
    virtual ~Spooler() = default;

    // Whether a port of this name exists (compared without regard to case);
    // nullopt, with errno set, when the ports cannot be listed.
    virtual std::optional<bool> hasPort(const std::string& port) = 0;
    // "Add Port Monitor" and the printer installation of "Add Printer".
    virtual void addPortMonitor() = 0;
    virtual void addPrinter() = 0;
    // Whether the printer can be opened; false with errno set otherwise.
    virtual bool openPrinter(const std::string& printer) = 0;
    // The printer's port; nullopt, with errno set, when it cannot be read.
    virtual std::optional<std::string> printerPort(const std::string& printer) = 0;
    // False, with errno set, when the port cannot be changed.
    virtual bool setPrinterPort(const std::string& printer, const std::string& port) = 0;
};

}  // namespace zentclient
