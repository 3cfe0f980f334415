// zentctl printer install|remove|remove-port|status: the client's Tools
// commands "Add Port Monitor" and "Add Printer", or "Remove Printer" and
// "Remove Port Monitor" (or that one alone), without a window, for an administrator or a package script; and
// what the print system has of the virtual printer now.
#include "commands.h"

#include <zentcore/printerinstall.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>
#include <zplatform/text.h>

#include <iostream>

namespace zentctl {

namespace {

// The program's own directory holds the printer description and the backend.
std::string programDirectory() {
    const std::string exe = platform::executablePath();
    const auto slash = exe.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : exe.substr(0, slash);
}

struct State {
    bool port = false;
    bool printer = false;
    std::string printerPort;
    bool complete() const { return port && printer && platform::equalsNoCase(printerPort, zentcore::kVirtualPortName); }
};

State stateOf(zentcore::PrintSystem& system) {
    State s;
    s.port = system.hasPort(zentcore::kVirtualPortName).value_or(false);
    s.printer = system.openPrinter(zentcore::kVirtualPrinterName);
    if (s.printer) s.printerPort = system.printerPort(zentcore::kVirtualPrinterName).value_or("");
    return s;
}

void print(const State& s) {
    std::cout << "port " << zentcore::kVirtualPortName << " " << (s.port ? "present" : "missing") << "\n"
              << "printer " << zentcore::kVirtualPrinterName << " "
              << (s.printer ? "present, on " + (s.printerPort.empty() ? std::string("no port") : s.printerPort)
                            : std::string("missing"))
              << "\n";
}

}  // namespace

int cmdPrinter(const Args& args) {
    const std::string action = args.size() == 1 ? args[0] : "";
    if (action != "install" && action != "remove" && action != "remove-port" && action != "status")
        return usageError("'printer' needs install, remove, remove-port or status");
    const auto system = zentcore::MakeCupsPrintSystem();
    if (!system->reachable()) {
        std::cerr << "zentctl: the print system (CUPS) does not answer; is cupsd running?\n";
        return 1;
    }
    zentcore::PrinterInstallation installation(
        *system, {programDirectory(), platform::hiveWritable(platform::Hive::LocalMachine),
                  unsigned(platform::systemVersion().platformId), 0});
    if (action == "install") {
        installation.AddPortMonActionExecute();
        installation.AddPrinterExecute();
    } else if (action == "remove") {
        if (system->openPrinter(zentcore::kVirtualPrinterName)) installation.RemovePrinter1Click();
        installation.DelPortMonActionExecute();
    } else if (action == "remove-port") {
        installation.DelPortMonActionExecute();
    }
    const State state = stateOf(*system);
    print(state);
    if (action == "remove") return !state.port && !state.printer ? 0 : 1;
    if (action == "remove-port") return !state.port ? 0 : 1;
    return state.complete() ? 0 : 1;
}

}  // namespace zentctl
