#include <zentcore/printeraddress.h>
#include <zentcore/settings.h>
#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

using zentcore::SplitPrinterAddress;

struct SplitCase {
    const char* address;
    bool allowMissing;
    bool ok;
    const char* printer;
    const char* server;
};

TEST(PrinterAddress, SplitsAtTheFirstAtSign) {
    const SplitCase cases[] = {
        {"laser@print.example.com", false, true, "laser", "print.example.com"},
        {"laser@host:7000", false, true, "laser", "host:7000"},
        {"@host", false, false, "", ""},
        {"@host", true, true, "", "host"},
        {"host", false, false, "", ""},
        {"host", true, true, "", "host"},
        {"laser@", false, false, "", ""},
        {"laser@", true, true, "laser", "laser@"},
        {"a@b@c", false, true, "a", "b@c"},
        {"", true, false, "", ""},
        {"@", true, true, "", "@"},   // the whole address is the server
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + (c.allowMissing ? " (printer optional)" : ""));
        const auto split = SplitPrinterAddress(c.address, c.allowMissing);
        ASSERT_EQ(split.has_value(), c.ok);
        if (!split) continue;
        EXPECT_EQ(split->printer, c.printer);
        EXPECT_EQ(split->server, c.server);
    }
}

TEST(PrinterAddress, AFailedSplitWarnsWithAnExample) {
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_FALSE(zentcore::SplitPrinterAddressOrWarn("host", false));
    EXPECT_TRUE(zentcore::SplitPrinterAddressOrWarn("p@host", false));
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Warn);
    EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
    EXPECT_EQ(prompter.calls[0].text.rfind("Incorrect printer address syntax.\nExample: ", 0), 0u);
    EXPECT_NE(prompter.calls[0].text.find('@'), std::string::npos);
}

TEST(PrinterAddress, RememberingMovesToTheFrontAndKeepsTen) {
    using V = std::vector<std::string>;
    EXPECT_EQ(zentcore::WithAddressRemembered({"a", "b", "c"}, "b"), (V{"b", "a", "c"}));
    EXPECT_EQ(zentcore::WithAddressRemembered({"a", "b"}, "a"), (V{"a", "b"}));
    EXPECT_EQ(zentcore::WithAddressRemembered({"a"}, "A"), (V{"A", "a"}));   // exact comparison
    V ten{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    V after = zentcore::WithAddressRemembered(ten, "new");
    ASSERT_EQ(after.size(), 10u);
    EXPECT_EQ(after.front(), "new");
    EXPECT_EQ(after.back(), "9");
}

TEST(PrinterAddress, RememberedAddressesAreSavedOnlyWhenTheListChanges) {
    testenv::IsolatedMachine machine;
    ASSERT_TRUE(zentcore::SaveRequestAddresses({"a@x", "b@x"}));
    EXPECT_FALSE(zentcore::RememberRequestAddress("b@x", false));   // switched off
    EXPECT_FALSE(zentcore::RememberRequestAddress("  ", true));     // blank
    EXPECT_FALSE(zentcore::RememberRequestAddress("a@x", true));    // already first
    EXPECT_TRUE(zentcore::RememberRequestAddress("b@x", true));
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (std::vector<std::string>{"b@x", "a@x"}));
}

}  // namespace
