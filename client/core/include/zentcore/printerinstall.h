// The installation of the virtual printer "Zentrope" and of the port monitor
// that serves its port "ZENTRO1:": the Tools commands "Add Printer", "Remove
// Printer", "Add Port Monitor" and "Remove Port Monitor", and the routines
// the start-up check reuses. Messages go through the prompter; failed calls
// of the print system are reported with GetErrorMessage under the caption
// that names the call.
#pragma once

#include <zentcore/printsystem.h>
#include <zplatform/messaging.h>

#include <string>

namespace zentcore {

inline constexpr const char* kVirtualPrinterName = "Zentrope";   // the printer and its driver
inline constexpr const char* kVirtualPortName = "ZENTRO1:";
inline constexpr const char* kFallbackPortName = "LPT1:";

struct InstallationContext {
    std::string AppDir;            // holds the driver description and the port monitor
    bool IsAdmin = false;
    unsigned OsPlatform = 2;
    platform::WindowHandle owner = 0;   // the window the error reports belong to
};

// The driver description (data/zentrope.ppd) and the port monitor program
// (the zentro backend) beside the program.
std::string DriverDescriptionFile(const std::string& appDir);
std::string PortMonitorProgram(const std::string& appDir);

class PrinterInstallation {
public:
    PrinterInstallation(PrintSystem& system, InstallationContext context);

    // "Add Printer": InstallVirtualPrinter, then BindPrinterPort when the port exists.
    void AddPrinterExecute();
    // "Remove Printer": the printer and its driver go, without a question.
    void RemovePrinter1Click();
    // "Add Port Monitor" and "Remove Port Monitor" (administrators only).
    void AddPortMonActionExecute();
    void DelPortMonActionExecute();

    // Installs the driver and the printer where they are missing.
    void InstallVirtualPrinter();
    // Puts the printer on the port "ZENTRO1:".
    void BindPrinterPort();
    // Whether the port exists; "EnumPorts" is reported when the ports cannot
    // be listed (then it counts as absent).
    bool PortExists();

    PrintSystem& system() { return system_; }

private:
    void report(const char* caption) const;
    void warn(const std::string& text) const;
    bool portMonitorProgram(std::string& program) const;

    PrintSystem& system_;
    InstallationContext context_;
};

}  // namespace zentcore
