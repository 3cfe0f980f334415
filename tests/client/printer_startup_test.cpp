// The administrator's client at its start against a real private print
// system: a missing printer is installed and every application's print
// dialog then offers it; a backend that cannot be installed asks whether to
// go on.
#include "client_env.h"
#include "private_cups.h"

#include <zentcore/printerinstall.h>

#include <QPrinterInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using clienttest::Client;
using clienttest::ClientMachine;
using Kind = platform::ScriptedPrompter::Kind;

class PrinterStartup : public ::testing::Test {
protected:
    PrinterStartup() : cups(machine.machine.dir().file("cups")) {}
    void SetUp() override {
        if (cups.cannotRunHere()) GTEST_SKIP() << cups.problem();
        ASSERT_TRUE(cups.running()) << cups.problem();
        ASSERT_TRUE(system->reachable());
    }

    ClientMachine machine;
    testenv::PrivateCups cups;
    std::unique_ptr<zentcore::PrintSystem> system = zentcore::MakeCupsPrintSystem();
};

TEST_F(PrinterStartup, AMissingPrinterIsInstalledAndApplicationsOfferIt) {
    ASSERT_FALSE(QPrinterInfo::availablePrinterNames().contains("Zentrope"));
    machine.writeJob("ztp_1", "DocName=letter\r\nPages=1\r\n");
    Client client;
    client.printSystem = system.get();
    client.start();
    ASSERT_TRUE(client.started);
    EXPECT_TRUE(client.prompter.calls.empty()) << client.prompter.calls[0].text;
    EXPECT_TRUE(fs::exists(cups.backendDir() + "/zentro"));
    EXPECT_EQ(system->printerPort(zentcore::kVirtualPrinterName), std::optional<std::string>("ZENTRO1:"));
    EXPECT_TRUE(QPrinterInfo::availablePrinterNames().contains("Zentrope"));
    EXPECT_EQ(client.rows(), 1) << "and the waiting job was taken in";
}

TEST_F(PrinterStartup, ABackendThatCannotBeInstalledAsksWhetherToGoOn) {
    // A print system whose backend folder is a file takes no backend.
    const std::string brokenBin = machine.machine.dir().file("brokenbin");
    fs::create_directories(brokenBin);
    testenv::writeFile(brokenBin + "/backend", "not a folder");
    testenv::ScopedEnv serverBin("CUPS_SERVERBIN", brokenBin);
    for (const bool goOn : {true, false}) {
        SCOPED_TRACE(goOn);
        Client client;
        client.printSystem = system.get();
        client.prompter.answer(goOn);
        client.start();
        ASSERT_FALSE(client.prompter.calls.empty());
        const auto& question = client.prompter.calls.back();
        EXPECT_EQ(question.kind, Kind::Ask);
        EXPECT_EQ(question.text, "Port [ZENTRO1:] not found. Need to install it!\r\nContinue application loading ?");
        if (!goOn) {
            EXPECT_TRUE(clienttest::waitUntil([&] { return client.closedSignals == 1; }));
        }
        EXPECT_EQ(client.form().endedAtFirstChance(), !goOn);
    }
}

}  // namespace
