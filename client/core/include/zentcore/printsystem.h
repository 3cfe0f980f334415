// The local print system as the printer installation sees it: ports (the
// places a printer's output goes), printer drivers, printers and the port
// monitor that serves the virtual printer's port. Every call that fails
// sets errno, so it can be reported with the system's text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentcore {

struct SpooledPrinter {
    std::string name;
    std::string driver;   // the name of the driver it uses
    std::string ports;    // its port list, names separated by ","
};

class PrintSystem {
public:
    virtual ~PrintSystem() = default;

    // Whether the print system answers at all; a machine without one runs
    // the client without the printer commands and the start-up check.
    virtual bool reachable() = 0;

    // Whether a port of this name exists (compared without regard to case);
    // nullopt when the ports cannot be listed.
    virtual std::optional<bool> hasPort(const std::string& port) = 0;
    // Whether the driver is installed, given its description file; nullopt
    // when the drivers cannot be listed.
    virtual std::optional<bool> hasDriver(const std::string& driver, const std::string& descriptionFile) = 0;
    // Runs the driver's installer; false when it cannot be run.
    virtual bool installDriver(const std::string& driver, const std::string& descriptionFile) = 0;
    virtual bool deleteDriver(const std::string& driver) = 0;

    // Every printer of this machine; nullopt when they cannot be listed.
    virtual std::optional<std::vector<SpooledPrinter>> printers() = 0;
    // Whether the printer can be opened for its settings.
    virtual bool openPrinter(const std::string& printer) = 0;
    // The printer's port list; nullopt when it cannot be read.
    virtual std::optional<std::string> printerPort(const std::string& printer) = 0;
    virtual bool setPrinterPort(const std::string& printer, const std::string& ports) = 0;
    // Creates the printer with the driver on the port, enabled and accepting
    // jobs; false when the installer cannot be run or fails.
    virtual bool createPrinter(const std::string& printer, const std::string& driver,
                               const std::string& descriptionFile, const std::string& port) = 0;
    virtual bool deletePrinter(const std::string& printer) = 0;

    // Installs or removes the port monitor program, which creates the port.
    virtual bool installPortMonitor(const std::string& program) = 0;
    virtual bool removePortMonitor(const std::string& program) = 0;
};

// The machine's print system, CUPS: ports are device URIs, the virtual
// printer's port "ZENTRO1:" is the zentro backend's "zentro:/ZENTRO1" and
// "LPT1:" the first parallel port "parallel:/dev/lp0"; a driver is a
// PostScript printer description file; the port monitor is the backend
// program in CUPS's backend directory ($CUPS_SERVERBIN or /usr/lib/cups,
// then "backend"). CUPS is reached as libcups is told ($CUPS_SERVER,
// client.conf).
std::unique_ptr<PrintSystem> MakeCupsPrintSystem();

}  // namespace zentcore
