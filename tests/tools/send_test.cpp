// zentctl send: one exchange from the command line against the real
// reference server.
#include <gtest/gtest.h>

#include <string>

#include "server_process.h"
#include "test_env.h"

namespace {

const char kConfig[] = R"({
  "first_session": 700,
  "printers": [{"name": "laser", "description": {"PRMODEL": "Mono laser", "MAXPAGES": 20}}]
})";

class SendTest : public ::testing::Test {
protected:
    testenv::ProcessResult send(std::vector<std::string> args) {
        args.insert(args.begin(), "send");
        return testenv::zentctl(args);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(server_.port()); }

    testenv::IsolatedMachine machine_;
    testenv::ReferenceServer server_{kConfig};
};

TEST_F(SendTest, TextAnswerIsPrintedAsLines) {
    auto r = send({"ASKPRN", "laser", address()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("return value: 1\nerror code: 0\nerror text: \n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nPRINTERNAM=laser\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nMAXPAGES=20\n"), std::string::npos) << r.out;
}

TEST_F(SendTest, BinaryAnswerIsPrintedInHex) {
    auto r = send({"NEWSESSION", "", address(), "--transport", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("return value: 700\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("00000000  00 00 02 bc"), std::string::npos) << r.out;
}

TEST_F(SendTest, JobWithTypedSeparatorsIsDeliveredAndConfirmed) {
    const std::string job = machine_.dir().file("ztp_1.gz");
    testenv::writeFile(job, std::string(1000, 'j'));
    const std::string answerFile = machine_.dir().file("answer.bin");
    auto r = send({"PRFILE", "laser\\x04" + job + "\\x04" "1\\x04" "1\\x04" "9\\x04" "0\\x04" "0\\x04" "Memo", address(),
                   "--transport", "5", "--session", "700", "--delay", "10", "--answer-file", answerFile});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("return value: 700\n"), std::string::npos) << r.out;
    EXPECT_EQ(testenv::readFile(answerFile).substr(0, 4), std::string("\x00\x00\x02\xbc", 4));

    auto status = send({"OJOBS", "laser\x04" "700", address(), "--transport", "1"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_NE(status.out.find("\\x04Memo\\x04"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("\\x04" "2\n"), std::string::npos) << "confirmed: " << status.out;
}

TEST_F(SendTest, ServerErrorExitsWithOne) {
    auto r = send({"ASKPRN", "nosuch", address()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.find("error code: 0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("answer: none\n"), std::string::npos) << r.out;
}

TEST(Send, UnreachableServerIsNoAnswer) {
    auto r = testenv::zentctl({"send", "GETPRNAMES", "",
                           "127.0.0.1:" + std::to_string(testenv::freeLocalPort())});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "return value: 0\nerror code: 2002\nerror text: \nanswer: none\n");
}

TEST(Send, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"ASKPRN", "laser"},
        {"ASKPRN", "laser", "127.0.0.1", "--transport", "6"},
        {"ASKPRN", "laser", "127.0.0.1", "--session", "x"},
        {"ASKPRN", "laser", "127.0.0.1", "--delay", "-1"},
        {"ASKPRN", "laser", "127.0.0.1", "--delay"},
        {"ASKPRN", "laser", "127.0.0.1", "--colour", "1"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), "send");
        auto r = testenv::zentctl(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
}

}  // namespace
