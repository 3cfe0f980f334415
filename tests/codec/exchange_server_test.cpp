// Round trips of every command the client sends, against the real reference
// server.
#include <zcodec/clientthread.h>
#include <zplatform/system.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "exchange_peer.h"
#include "reference_server.h"
#include "test_env.h"

namespace {

using namespace std::string_literals;

const char kConfig[] = R"({
  "server_info": ["Round-trip server", "2.0", "127.0.0.1", "EUR"],
  "first_session": 501,
  "lockout_after": 3,
  "auth_methods": {
    "Account": {
      "icon": "account.ico",
      "steps": [
        {"result": 2, "page": "login.htm"},
        {"result": 1, "require": {"password": "pw"}, "fail_result": 0}
      ]
    }
  },
  "printers": [
    {"name": "laser",
     "description": {"PRMODEL": "Mono laser", "PRPAGE": 9, "MAXPAGES": 50, "AUTHNAME": "Account",
                     "PAGEPRICE": "0.10", "MINCHARGE": "1.00", "TAX": "19"}},
    {"name": "backroom", "listed": false, "description": {"PRMODEL": "Spare"}}
  ]
})";

const std::string kIcon = "\x00\x00\x01\x00icon\xff"s;
const std::string kLoginPage = "<html><form>password</form></html>";

class ExchangeServer : public ::testing::Test {
protected:
    ExchangeServer() : server_(kConfig, {{"account.ico", kIcon}, {"login.htm", kLoginPage}}) {}

    std::unique_ptr<encdec::TClientThread> send(const std::string& command, const std::string& data,
                                                encdec::TransportType type, std::int32_t session = 0,
                                                const std::string& answerFile = {}) {
        encdec::TCommResult result;
        auto thread = encdec::Communicate(command, data, server_.address(), 0, result, type, session, 0, answerFile);
        EXPECT_NE(thread, nullptr) << command;
        return thread;
    }

    std::int32_t newSession() {
        auto thread = send("NEWSESSION", "", encdec::ttEncrypt);
        return thread ? thread->ReturnValue : 0;
    }

    encdec::StringList fields(const encdec::TClientThread& thread) {
        encdec::StringList parts;
        encdec::split2(exchangetest::answerBytes(thread), "\x04", parts);
        return parts;
    }

    testenv::IsolatedMachine machine_;
    testenv::ReferenceServer server_;
};

TEST_F(ExchangeServer, PrinterQueries) {
    auto description = send("ASKPRN", "laser", encdec::ttNone);
    EXPECT_EQ(description->ReturnValue, 1);
    EXPECT_EQ(description->ErrorCode, 0);
    encdec::StringList lines;
    description->GetAnswerAsStrings(lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PRINTERNAM=laser"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "MAXPAGES=50"), lines.end());

    auto unknown = send("ASKPRN", "nosuch", encdec::ttNone);
    EXPECT_EQ(unknown->ReturnValue, 0);
    EXPECT_NE(unknown->ErrorCode, 0);
    EXPECT_FALSE(unknown->GetErrorMsg().empty());

    auto names = send("GETPRNAMES", "", encdec::ttNone);
    EXPECT_EQ(names->ReturnValue, 1);
    names->GetAnswerAsStrings(lines);
    EXPECT_EQ(lines, encdec::StringList{"laser"});
}

TEST_F(ExchangeServer, SessionsAndServerInformation) {
    const std::int32_t first = newSession();
    EXPECT_EQ(first, 501);
    EXPECT_EQ(newSession(), 502);
    EXPECT_NE(server_.log().find(platform::userName()), std::string::npos) << "the session is the user's";

    auto info = send("SVRINFO", "", encdec::ttEncrypt);
    EXPECT_EQ(info->ReturnValue, 1);
    auto parts = fields(*info);
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts[3], "EUR");
}

TEST_F(ExchangeServer, AuthenticationDialogue) {
    const std::string iconFile = machine_.dir().file("icon.bin");
    auto icon = send("PLGICON", "Account\x04laser", encdec::ttNone, 0, iconFile);
    EXPECT_EQ(icon->ReturnValue, std::int32_t(kIcon.size()));
    EXPECT_EQ(testenv::readFile(iconFile), kIcon);

    auto stage = send("PLGSTG", "Account\x04laser", encdec::ttNone);
    EXPECT_EQ(stage->ReturnValue, 2);

    const std::string pageFile = machine_.dir().file("page.htm");
    auto login = send("PLGFUNC", "Account\x04laser\x04" "1", encdec::ttNone, 0, pageFile);
    EXPECT_EQ(login->ReturnValue, 2);
    EXPECT_EQ(testenv::readFile(pageFile), kLoginPage);

    const std::string form = "Account\x04laser\x04" "2\x04" "a\x04" "b\x04" "c\x04" "d\x04" "e\x04";
    EXPECT_EQ(send("PLGFUNC", form + "password=wrong", encdec::ttNone)->ReturnValue, 0);
    EXPECT_EQ(send("PLGFUNC", form + "password=pw", encdec::ttNone)->ReturnValue, 1);

    EXPECT_EQ(send("CHKINTR", "laser\x04" "1", encdec::ttEncrypt)->ReturnValue, 0);
    EXPECT_EQ(send("CHKINTR", "laser\x04" "0", encdec::ttEncrypt)->ReturnValue, 0);
    EXPECT_EQ(send("CHKINTR", "laser\x04" "0", encdec::ttEncrypt)->ReturnValue, 0);
    EXPECT_EQ(send("CHKINTR", "laser\x04" "0", encdec::ttEncrypt)->ReturnValue, 1000) << "locked out";
}

TEST_F(ExchangeServer, DeliveredJobIsConfirmedAndReported) {
    const std::int32_t session = newSession();
    ASSERT_NE(session, 0);
    struct Job {
        const char* what;
        std::size_t size;
    } jobs[] = {{"small job, packed in memory", 5000}, {"large job, packed through files", 700000}};
    for (const auto& j : jobs) {
        SCOPED_TRACE(j.what);
        const std::string path = machine_.dir().file("ztp_1.gz");
        std::string bytes(j.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 131 + (i >> 9));
        testenv::writeFile(path, bytes);
        const std::string data =
            "laser\x04" + path + "\x04" "2\x04" "3\x04" "9\x04" "0\x04" "0\x04" "Quarterly report\x04" "2100\x04" "2970";
        auto job = send("PRFILE", data, encdec::ttEncryptDecompress, session);
        EXPECT_EQ(job->ReturnValue, session) << server_.log();
        EXPECT_EQ(job->ErrorCode, 0);

        auto status = send("OJOBS", "laser\x04" + std::to_string(session), encdec::ttEncrypt);
        EXPECT_EQ(status->ReturnValue, 1000) << "one record, no error";
        auto parts = fields(*status);
        ASSERT_GE(parts.size(), 22u);
        EXPECT_EQ(parts[5], "Quarterly report");
        EXPECT_EQ(parts[6], "2");
        EXPECT_EQ(parts[7], "3");
        EXPECT_EQ(parts[13], std::to_string(j.size));
        EXPECT_EQ(parts[15], "1") << "the CONFIRM that followed reached the server";
        EXPECT_EQ(parts[21], "2");
    }
    // The client's temporary files are gone (the server's own directory stays).
    for (const auto& e : std::filesystem::directory_iterator(machine_.dir().file("tmp")))
        if (e.path().filename().string().rfind("zentrope-test-", 0) != 0) ADD_FAILURE() << "left behind: " << e.path();
}

TEST_F(ExchangeServer, RefusedJobIsNotConfirmed) {
    const std::int32_t session = newSession();
    const std::string path = machine_.dir().file("ztp_2.gz");
    testenv::writeFile(path, "JOB");
    // 20 pages of 3 copies exceed the printer's 50.
    auto job = send("PRFILE", "laser\x04" + path + "\x04" "20\x04" "3", encdec::ttEncryptDecompress, session);
    EXPECT_EQ(job->ReturnValue, 0);
    EXPECT_NE(job->ErrorCode, 0);
    EXPECT_NE(server_.log().find("PRFILE"), std::string::npos);
    EXPECT_EQ(server_.log().find("CONFIRM"), std::string::npos);
}

}  // namespace
