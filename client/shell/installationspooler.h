// The start-up check's view of the print system, carried out by the printer
// installation: "Add Port Monitor" and "Add Printer" are its commands, the
// rest goes straight to the print system.
#pragma once

#include "shell/spooler.h"

#include <zentcore/printerinstall.h>

namespace zentclient {

class InstallationSpooler : public Spooler {
public:
    explicit InstallationSpooler(zentcore::PrinterInstallation& installation) : installation_(installation) {}

    std::optional<bool> hasPort(const std::string& port) override { return system().hasPort(port); }
    void addPortMonitor() override { installation_.AddPortMonActionExecute(); }
    void addPrinter() override { installation_.InstallVirtualPrinter(); }
    bool openPrinter(const std::string& printer) override { return system().openPrinter(printer); }
    std::optional<std::string> printerPort(const std::string& printer) override {
        return system().printerPort(printer);
    }
    bool setPrinterPort(const std::string& printer, const std::string& port) override {
        return system().setPrinterPort(printer, port);
    }

private:
    zentcore::PrintSystem& system() { return installation_.system(); }

    zentcore::PrinterInstallation& installation_;
};

}  // namespace zentclient
