#include <zentcore/printerinstall.h>

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>
#include <zplatform/text.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace zentcore {

namespace {

constexpr const char* kAdminOnly = "Only the Administrator can run this option!";

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

std::vector<std::string> portNames(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        std::string name = trimmed(std::string_view(list).substr(start, comma - start));
        if (!name.empty()) names.push_back(std::move(name));
        if (comma == std::string::npos) return names;
        start = comma + 1;
    }
}

// The port list without the virtual port; the fallback port when nothing is
// left. nullopt when the list does not hold the virtual port.
std::optional<std::string> withoutVirtualPort(const std::string& list) {
    std::string rest;
    bool found = false;
    for (const std::string& name : portNames(list)) {
        if (platform::equalsNoCase(name, kVirtualPortName)) {
            found = true;
            continue;
        }
        if (!rest.empty()) rest += ",";
        rest += name;
    }
    if (!found) return std::nullopt;
    return rest.empty() ? std::string(kFallbackPortName) : rest;
}

}  // namespace

std::string DriverDescriptionFile(const std::string& appDir) { return platform::joinPath(appDir, "data/zentrope.ppd"); }

std::string PortMonitorProgram(const std::string& appDir) { return platform::joinPath(appDir, "zentro"); }

PrinterInstallation::PrinterInstallation(PrintSystem& system, InstallationContext context)
    : system_(system), context_(std::move(context)) {}

void PrinterInstallation::report(const char* caption) const { encdec::GetErrorMessage(context_.owner, caption, -1); }

void PrinterInstallation::warn(const std::string& text) const {
    platform::prompter().warn(kApplicationTitle, text);
}

bool PrinterInstallation::PortExists() {
    const auto present = system_.hasPort(kVirtualPortName);
    if (!present) {
        report("EnumPorts");
        return false;
    }
    return *present;
}

void PrinterInstallation::InstallVirtualPrinter() {
    const std::string description = DriverDescriptionFile(context_.AppDir);
    auto driverPresent = [&] {
        const auto present = system_.hasDriver(kVirtualPrinterName, description);
        if (!present) report("EnumPrinterDrivers");
        return present.value_or(false);
    };
    // Only the NT family of systems has a driver installer to run; this is
    // the one the client runs on.
    if (!driverPresent() && context_.OsPlatform == 2) {
        if (!system_.installDriver(kVirtualPrinterName, description)) {
            report("CreateProcessA");
            return;
        }
        if (!driverPresent()) {
            warn("Zentrope driver not in system!");
            return;
        }
    }

    const auto printers = system_.printers();
    if (!printers) {
        report("EnumPrinters");
        return;
    }
    for (const SpooledPrinter& p : *printers)
        if (p.driver == kVirtualPrinterName) return;   // nothing to be done
    if (context_.OsPlatform != 2) return;
    // Created on the first parallel port; BindPrinterPort moves it to its own.
    if (!system_.createPrinter(kVirtualPrinterName, kVirtualPrinterName, description, kFallbackPortName))
        report("CreateProcessA");
}

void PrinterInstallation::BindPrinterPort() {
    if (!system_.openPrinter(kVirtualPrinterName)) return;
    const auto port = system_.printerPort(kVirtualPrinterName);
    if (!port) {
        report("GetPrinter");
        return;
    }
    if (!platform::equalsNoCase(*port, kVirtualPortName) && !system_.setPrinterPort(kVirtualPrinterName, kVirtualPortName))
        report("SetPrinter");
}

void PrinterInstallation::AddPrinterExecute() {
    InstallVirtualPrinter();
    if (PortExists()) BindPrinterPort();
}

void PrinterInstallation::RemovePrinter1Click() {
    if (!system_.openPrinter(kVirtualPrinterName)) {
        report("OpenPrinter");
        return;
    }
    if (!system_.deletePrinter(kVirtualPrinterName)) {
        report("DeletePrinter");
        return;
    }
    if (!system_.deleteDriver(kVirtualPrinterName)) report("DeletePrinterDriver");
}

bool PrinterInstallation::portMonitorProgram(std::string& program) const {
    program = PortMonitorProgram(context_.AppDir);
    errno = 0;
    if (platform::fileExists(program)) return true;
    if (errno == 0) errno = EISDIR;   // there, but a directory
    report("GetShortPathNameA failed!");
    return false;
}

void PrinterInstallation::AddPortMonActionExecute() {
    if (!context_.IsAdmin) {
        warn(kAdminOnly);
        return;
    }
    std::string program;
    if (!portMonitorProgram(program)) return;
    if (!system_.installPortMonitor(program)) {
        report("CreateProcessA");
        return;
    }
    if (PortExists()) BindPrinterPort();
}

void PrinterInstallation::DelPortMonActionExecute() {
    if (!context_.IsAdmin) {
        warn(kAdminOnly);
        return;
    }
    // Every printer leaves the port first; one that cannot be changed stays
    // as it is, and nothing is reported.
    if (const auto printers = system_.printers()) {
        for (const SpooledPrinter& p : *printers) {
            const auto rest = withoutVirtualPort(p.ports);
            if (!rest || !system_.openPrinter(p.name)) continue;
            system_.setPrinterPort(p.name, *rest);
        }
    }
    std::string program;
    if (!portMonitorProgram(program)) return;
    if (!system_.removePortMonitor(program)) report("CreateProcessA");
}

}  // namespace zentcore
