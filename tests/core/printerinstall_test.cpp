// The printer and port-monitor installation over a print system the test
// plays: which calls each command makes, and what the user is shown.
#include <zentcore/printerinstall.h>
#include <zplatform/prompter.h>

#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

namespace {

using ::testing::ElementsAre;
using Kind = platform::ScriptedPrompter::Kind;
using zentcore::SpooledPrinter;

class ScriptedPrintSystem : public zentcore::PrintSystem {
public:
    bool reachable() override { return true; }
    std::optional<bool> hasPort(const std::string& port) override {
        log("hasPort " + port);
        return answer(port_);
    }
    std::optional<bool> hasDriver(const std::string& driver, const std::string&) override {
        log("hasDriver " + driver);
        const auto present = answer(driverAnswers.front());
        if (driverAnswers.size() > 1) driverAnswers.erase(driverAnswers.begin());
        return present;
    }
    bool installDriver(const std::string& driver, const std::string&) override { return ok("installDriver " + driver); }
    bool deleteDriver(const std::string& driver) override { return ok("deleteDriver " + driver); }
    std::optional<std::vector<SpooledPrinter>> printers() override {
        log("printers");
        if (!listed) errno = EIO;
        return listed;
    }
    bool openPrinter(const std::string& printer) override {
        log("openPrinter " + printer);
        if (!ports.count(printer)) errno = ENOENT;
        return ports.count(printer) > 0;
    }
    std::optional<std::string> printerPort(const std::string& printer) override {
        log("printerPort " + printer);
        return ports.at(printer);
    }
    bool setPrinterPort(const std::string& printer, const std::string& p) override {
        ports[printer] = p;
        return ok("setPrinterPort " + printer + " " + p);
    }
    bool createPrinter(const std::string& printer, const std::string& driver, const std::string& file,
                       const std::string& port) override {
        return ok("createPrinter " + printer + " " + driver + " " + file + " " + port);
    }
    bool deletePrinter(const std::string& printer) override { return ok("deletePrinter " + printer); }
    bool installPortMonitor(const std::string& program) override { return ok("installPortMonitor " + program); }
    bool removePortMonitor(const std::string& program) override { return ok("removePortMonitor " + program); }

    std::optional<bool> port_ = true;
    std::vector<std::optional<bool>> driverAnswers{true};
    std::optional<std::vector<SpooledPrinter>> listed = std::vector<SpooledPrinter>{};
    std::map<std::string, std::string> ports;   // the printers that can be opened, and their ports
    bool works = true;
    std::vector<std::string> calls;

private:
    void log(const std::string& call) { calls.push_back(call); }
    bool ok(const std::string& call) {
        log(call);
        if (!works) errno = EACCES;
        return works;
    }
    static std::optional<bool> answer(std::optional<bool> a) {
        if (!a) errno = EIO;
        return a;
    }
};

class Installation : public ::testing::Test {
protected:
    zentcore::PrinterInstallation installation(bool admin = true) {
        return zentcore::PrinterInstallation(system, {app.path(), admin, 2, 0});
    }
    std::vector<std::pair<Kind, std::string>> shown() const {
        std::vector<std::pair<Kind, std::string>> s;
        for (const auto& c : prompter.calls) s.emplace_back(c.kind, c.kind == Kind::Error ? c.caption : c.text);
        return s;
    }
    std::string program() const { return app.file("zentro"); }
    std::string description() const { return app.file("data/zentrope.ppd"); }

    testenv::TempDir app;
    ScriptedPrintSystem system;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
};

TEST_F(Installation, PortMonitorCommandsAreForAdministratorsOnly) {
    installation(false).AddPortMonActionExecute();
    installation(false).DelPortMonActionExecute();
    EXPECT_TRUE(system.calls.empty());
    EXPECT_THAT(shown(), ElementsAre(std::pair{Kind::Warn, std::string("Only the Administrator can run this option!")},
                                     std::pair{Kind::Warn, std::string("Only the Administrator can run this option!")}));
}

TEST_F(Installation, AddingThePortMonitorInstallsTheBackendBesideTheProgramAndBindsThePrinter) {
    installation().AddPortMonActionExecute();
    EXPECT_THAT(shown(), ElementsAre(std::pair{Kind::Error, std::string("GetShortPathNameA failed!")}));
    EXPECT_TRUE(system.calls.empty()) << "nothing to install";

    prompter.calls.clear();
    testenv::writeFile(program(), "#!/bin/sh\n");
    system.ports["Zentrope"] = "LPT1:";
    installation().AddPortMonActionExecute();
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_THAT(system.calls, ElementsAre("installPortMonitor " + program(), "hasPort ZENTRO1:", "openPrinter Zentrope",
                                          "printerPort Zentrope", "setPrinterPort Zentrope ZENTRO1:"));

    system.calls.clear();
    system.works = false;
    installation().AddPortMonActionExecute();
    EXPECT_THAT(system.calls, ElementsAre("installPortMonitor " + program()));
    EXPECT_THAT(shown(), ElementsAre(std::pair{Kind::Error, std::string("CreateProcessA")}));
}

TEST_F(Installation, RemovingThePortMonitorMovesEveryPrinterOffItsPort) {
    testenv::writeFile(program(), "#!/bin/sh\n");
    system.listed = std::vector<SpooledPrinter>{{"Zentrope", "Zentrope", "ZENTRO1:"},
                                                {"Shared", "Laser", "ZENTRO1:, LPT2:"},
                                                {"Office", "Laser", "socket://10.0.0.5"},
                                                {"Gone", "Laser", "zentro1:"}};
    system.ports = {{"Zentrope", "ZENTRO1:"}, {"Shared", "ZENTRO1:, LPT2:"}, {"Office", "socket://10.0.0.5"}};
    installation().DelPortMonActionExecute();
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_EQ(system.ports["Zentrope"], "LPT1:");
    EXPECT_EQ(system.ports["Shared"], "LPT2:");
    EXPECT_EQ(system.ports["Office"], "socket://10.0.0.5") << "another port is untouched";
    EXPECT_EQ(system.calls.back(), "removePortMonitor " + program());
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "openPrinter Gone"), 1) << "tried, left alone";
}

TEST_F(Installation, AddingThePrinterInstallsOnlyWhatIsMissing) {
    const std::string create = "createPrinter Zentrope Zentrope " + description() + " LPT1:";
    const struct {
        const char* what;
        std::vector<std::optional<bool>> driver;
        std::optional<std::vector<SpooledPrinter>> printers;
        std::vector<std::string> calls;
        std::vector<std::pair<Kind, std::string>> shown;
    } cases[] = {
        {"driver and printer present: only the port is bound",
         {true},
         std::vector<SpooledPrinter>{{"Zentrope", "Zentrope", "ZENTRO1:"}},
         {"hasDriver Zentrope", "printers", "hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope"},
         {}},
        {"no printer with the driver",
         {true},
         std::vector<SpooledPrinter>{{"Other", "Laser", "LPT2:"}},
         {"hasDriver Zentrope", "printers", create, "hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope",
          "setPrinterPort Zentrope ZENTRO1:"},
         {}},
        {"driver missing, then installed",
         {false, true},
         std::vector<SpooledPrinter>{},
         {"hasDriver Zentrope", "installDriver Zentrope", "hasDriver Zentrope", "printers", create, "hasPort ZENTRO1:",
          "openPrinter Zentrope", "printerPort Zentrope", "setPrinterPort Zentrope ZENTRO1:"},
         {}},
        {"driver still missing after its installer",
         {false},
         std::vector<SpooledPrinter>{},
         {"hasDriver Zentrope", "installDriver Zentrope", "hasDriver Zentrope", "hasPort ZENTRO1:",
          "openPrinter Zentrope"},
         {{Kind::Warn, "Zentrope driver not in system!"}}},
        {"drivers cannot be listed",
         {std::nullopt, true},
         std::nullopt,
         {"hasDriver Zentrope", "installDriver Zentrope", "hasDriver Zentrope", "printers", "hasPort ZENTRO1:",
          "openPrinter Zentrope"},
         {{Kind::Error, "EnumPrinterDrivers"}, {Kind::Error, "EnumPrinters"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        system.calls.clear();
        prompter.calls.clear();
        system.driverAnswers = c.driver;
        system.listed = c.printers;
        system.ports.clear();
        if (c.printers && !c.printers->empty() && c.printers->front().name == "Zentrope")
            system.ports["Zentrope"] = "ZENTRO1:";
        // A printer the installer made is on the first parallel port.
        if (std::find(c.calls.begin(), c.calls.end(), create) != c.calls.end()) system.ports["Zentrope"] = "LPT1:";
        installation().AddPrinterExecute();
        EXPECT_EQ(system.calls, c.calls);
        EXPECT_EQ(shown(), c.shown);
    }
}

TEST_F(Installation, RemovingThePrinterTakesItsDriverWithItAndAsksNothing) {
    installation().RemovePrinter1Click();
    EXPECT_THAT(shown(), ElementsAre(std::pair{Kind::Error, std::string("OpenPrinter")}));

    prompter.calls.clear();
    system.calls.clear();
    system.ports["Zentrope"] = "ZENTRO1:";
    installation().RemovePrinter1Click();
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_THAT(system.calls, ElementsAre("openPrinter Zentrope", "deletePrinter Zentrope", "deleteDriver Zentrope"));
}

}  // namespace
