#include <zentcore/authdialogue.h>
#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include "reference_server.h"
#include "test_env.h"

namespace {

using zentcore::AuthDialogue;

TEST(AuthMethods, AMethodNeedsAnEntryInAllFourLists) {
    const auto methods = zentcore::ParseAuthMethods(
        {"PRINTERNAM=x", "AUTHNAME=Card;Account", "PAGEPRICE=0.10;0.20", "MINCHARGE=1", "TAX=18", "junk"});
    ASSERT_EQ(methods.size(), 1u);
    EXPECT_EQ(methods[0].name, "Card");
    EXPECT_EQ(methods[0].pagePrice, "0.10");

    // Empty entries are dropped; a later line replaces an earlier one.
    const auto later = zentcore::ParseAuthMethods({"AUTHNAME=Old", "AUTHNAME=;A;;B;", "PAGEPRICE=1;2",
                                                   "MINCHARGE=0;0", "TAX=0;0"});
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[1].name, "B");
    EXPECT_TRUE(zentcore::ParseAuthMethods({"PRINTERNAM=x"}).empty());

    // Asking for authentication depends on the names alone.
    EXPECT_TRUE(zentcore::NamesAuthMethods({"AUTHNAME=Card"}));
    EXPECT_FALSE(zentcore::NamesAuthMethods({"AUTHNAME=Card", "AUTHNAME=;"}));
    EXPECT_FALSE(zentcore::NamesAuthMethods({"PAGEPRICE=1", "MINCHARGE=0", "TAX=0"}));
}

TEST(AuthMethods, TheChargeIsAtLeastTheMinimumAndTaxIsAPercentage) {
    struct {
        zentcore::AuthMethod method;
        int pages, copies;
        double amount, tax;
    } cases[] = {
        {{"m", "0.10", "1", "18"}, 3, 2, 1.0, 0.18},
        {{"m", " 0.10 ", "1", "18"}, 20, 1, 2.0, 0.36},
        {{"m", "abc", "x", "19"}, 5, 5, 0.0, 0.0},
        {{"m", "1", "0", "0"}, 70000, 70000, 4.9e9, 0.0},   // the sheet count does not wrap
    };
    for (const auto& c : cases) {
        const auto f = zentcore::ComputeCharge(c.method, c.pages, c.copies);
        EXPECT_DOUBLE_EQ(f.amount, c.amount);
        EXPECT_NEAR(f.taxAmount, c.tax, 1e-9);
    }
    EXPECT_EQ(zentcore::FormatCharge(0.175), "0.17");
    EXPECT_EQ(zentcore::FormatCharge(2), "2.00");
    EXPECT_EQ(zentcore::WithCurrency("Price/Page ${currency} ${CURRENCY}", "(EUR)"), "Price/Page (EUR) (EUR)");
    EXPECT_EQ(zentcore::WithCurrency("Minimum charge ${CURRENCY}", ""), "Minimum charge ");
}

class AuthDialogueTest : public ::testing::Test {
protected:
    AuthDialogueTest()
        : server_(R"({
            "server_info": ["Test", "1.0", "host", "EUR"],
            "lockout_after": 2,
            "auth_methods": {
              "Voucher": {"stage": 1},
              "Account": {"icon": "a.ico", "steps": [
                {"result": 2, "page": "login.htm"},
                {"result": 1, "require": {"password": "demo"}, "fail_result": 0}]}
            },
            "printers": [{"name": "p", "description": {"AUTHNAME": ["Account", "Voucher"],
              "PAGEPRICE": ["0.10", "0.05"], "MINCHARGE": ["1", "0"], "TAX": ["18", "0"]}}]
          })",
                  {{"login.htm", "<form><input name=password></form>"}, {"a.ico", "ICONBYTES"}}),
          scoped_(prompter_) {}

    AuthDialogue dialogue() {
        return AuthDialogue({"AUTHNAME=Account;Voucher", "PAGEPRICE=0.10;0.05", "MINCHARGE=1;0", "TAX=18;0"}, 2, 3,
                            "p", server_.address(), 77);
    }
    static std::string form(const std::string& password) {
        return "_ORLO_URL_=about:blank\x04password=" + password + "\x04";
    }

    testenv::IsolatedMachine machine_;
    testenv::ReferenceServer server_;
    platform::ScriptedPrompter prompter_;
    platform::ScopedPrompter scoped_;
};

TEST_F(AuthDialogueTest, StartsWithTheServersCurrencyAndTheFirstMethod) {
    auto d = dialogue();
    EXPECT_EQ(d.currency(), "(EUR)");
    EXPECT_EQ(d.chosenMethod(), "Account");
    EXPECT_DOUBLE_EQ(d.figures().amount, 1.0);
    EXPECT_EQ(d.fetchIcon(), "ICONBYTES");
    d.selectMethod("Nope");
    EXPECT_FALSE(d.methodKnown());
    EXPECT_DOUBLE_EQ(d.figures().amount, 0.0);
}

TEST_F(AuthDialogueTest, AMethodWithoutStepsAuthenticatesAtOnce) {
    auto d = dialogue();
    d.selectMethod("Voucher");
    EXPECT_FALSE(d.start());
    EXPECT_EQ(d.result(), AuthDialogue::kAuthenticated);
    EXPECT_TRUE(prompter_.calls.empty());
}

TEST_F(AuthDialogueTest, PluginStepsShowTheServersPageUntilTheFormIsAccepted) {
    auto d = dialogue();
    ASSERT_TRUE(d.start());
    EXPECT_EQ(d.result(), AuthDialogue::kRunning);
    EXPECT_NE(d.page().find("<input name=password>"), std::string::npos);
    EXPECT_EQ(d.step(), 2);

    EXPECT_EQ(d.runStep(form("wrong")), 0);
    EXPECT_EQ(d.result(), AuthDialogue::kRunning);
    ASSERT_EQ(prompter_.calls.size(), 1u);
    EXPECT_EQ(prompter_.calls[0].text, "Authentication Failed!");

    EXPECT_EQ(d.runStep(form("demo")), 1);
    EXPECT_EQ(d.result(), AuthDialogue::kAuthenticated);
}

TEST_F(AuthDialogueTest, RepeatedFailuresLockTheUserOut) {
    auto d = dialogue();
    ASSERT_TRUE(d.start());
    d.runStep(form("wrong"));
    d.runStep(form("wrong"));
    EXPECT_EQ(d.result(), AuthDialogue::kLockedOut);
    ASSERT_EQ(prompter_.calls.size(), 2u);
    EXPECT_EQ(prompter_.calls[1].kind, platform::ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter_.calls[1].caption, "Error");
    EXPECT_EQ(prompter_.calls[1].text, "Too many failed attempts!\nYou can no longer access this printer!");
}

}  // namespace
