#include <zentcore/printercheck.h>
#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include "reference_server.h"
#include "test_env.h"

namespace {

using Kind = platform::ScriptedPrompter::Kind;

const char* const kPrinters = R"({
  "printers": [
    {"name": "mono", "description": {"PRPAGE": 9, "PRCOLOR": false, "MAXPAGES": 10,
                                     "MARGINS": [1, 2, 3, 4, 21000, 29700], "ATREQUEST": true}},
    {"name": "colour", "description": {"PRPAGE": 9, "PRCOLOR": true}},
    {"name": "a3", "description": {"PRPAGE": 8}},
    {"name": "off", "description": {"AVAILABLE": false, "PRPAGE": 9}}
  ]
})";

struct CheckCase {
    const char* name;
    const char* printer;
    zentcore::JobTraits job;
    std::vector<bool> answers;   // to the colour question
    bool passes;
    const char* message;         // the one warning, or "" for none
    bool asked;
};

TEST(PrinterCheck, JudgesTheJobAgainstThePrinterWithOneMessageAtMost) {
    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server(kPrinters);
    const CheckCase cases[] = {
        {"fits", "mono", {5, 2, 9, 0}, {}, true, "", false},
        {"pages x copies over the limit", "mono", {11, 1, 9, 0}, {}, false,
         "Requested job pages exceed printer's maximum.", false},
        {"unknown printer", "nosuch", {1, 1, 9, 0}, {}, false, "Printer does not exist or does not respond!", false},
        {"unavailable", "off", {1, 1, 9, 0}, {}, false, "Printer is not available!", false},
        {"paper", "a3", {1, 1, 9, 0}, {}, false,
         "Requested paper size (A4, 210x297mm) does not match printer's (A3, 297x420mm)!", false},
        {"colour refused", "mono", {1, 1, 9, 1}, {false}, false, "", true},
        {"colour accepted", "mono", {1, 1, 9, 1}, {true}, true, "", true},
        {"colour printer", "colour", {1, 1, 9, 2}, {}, true, "", false},
        {"huge counts do not wrap", "mono", {0x10000, 0x10000, 9, 0}, {}, false,
         "Requested job pages exceed printer's maximum.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ScriptedPrompter prompter;
        for (bool a : c.answers) prompter.answer(a);
        platform::ScopedPrompter scoped(prompter);
        const auto check = zentcore::CheckPrinter(c.job, {c.printer, server.address()}, 0);
        EXPECT_EQ(check.passed, c.passes);
        std::size_t warnings = 0, questions = 0;
        for (const auto& call : prompter.calls) {
            EXPECT_EQ(call.caption, "Zentrope Client");
            if (call.kind == Kind::Warn) {
                ++warnings;
                EXPECT_EQ(call.text, c.message);
            }
            if (call.kind == Kind::Ask) {
                ++questions;
                EXPECT_EQ(call.text, "Printer does not support colour! Continue?");
            }
        }
        EXPECT_EQ(warnings, std::string(c.message).empty() ? 0u : 1u);
        EXPECT_EQ(questions, c.asked ? 1u : 0u);
    }
}

TEST(PrinterCheck, KeepsTheAnswerAndNamesThePrinterAskedFor) {
    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server(kPrinters);
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    const auto check = zentcore::CheckPrinter({1, 1, 9, 0}, {"mono", server.address()}, 0);
    ASSERT_TRUE(check.passed);
    EXPECT_EQ(check.printer.PrinterName, "mono");
    EXPECT_TRUE(check.printer.AtRequest);
    EXPECT_EQ(check.printer.Margins.PaperWidth, 21000);
    EXPECT_EQ(check.printer.Margins.PaperHeight, 29700);
    EXPECT_GE(check.answerLines.size(), 25u);
}

TEST(PrinterCheck, AnOldClientHearsOnlyTheVersionMessage) {
    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server(R"({"min_client_version": 300, "printers": [{"name": "mono"}]})");
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_FALSE(zentcore::CheckPrinter({1, 1, 9, 0}, {"mono", server.address()}, 0).passed);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Server - Client version number mismatch!\r\nPlease get newer version.");
}

TEST(PrinterCheck, NoServerOrNoDescriptionMeansThePrinterDoesNotRespond) {
    testenv::IsolatedMachine machine;
    // Answers without an error and without a description.
    testenv::ReferenceServer empty(R"({"commands": {"ASKPRN": {"error": {"code": 0, "text": ""}}},
                                       "printers": [{"name": "mono"}]})");
    const std::string nobody = "127.0.0.1:" + std::to_string(testenv::freeLocalPort());
    for (const std::string& server : {nobody, empty.address()}) {
        platform::ScriptedPrompter prompter;
        platform::ScopedPrompter scoped(prompter);
        EXPECT_FALSE(zentcore::CheckPrinter({1, 1, 9, 0}, {"mono", server}, 0).passed) << server;
        ASSERT_EQ(prompter.calls.size(), 1u) << server;
        EXPECT_EQ(prompter.calls[0].text, "Printer does not exist or does not respond!");
    }
}

}  // namespace
