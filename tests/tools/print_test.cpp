// zentctl print: one job from a file to a remote printer, without a window.
#include "sample_jobs.h"
#include "reference_server.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;

class ZentctlPrint : public ::testing::Test {
protected:
    ZentctlPrint()
        : server(R"({
            "first_session": 500,
            "auth_methods": {"Voucher": {"stage": 1},
                             "Account": {"steps": [{"result": 2, "page": "login.htm"}]}},
            "printers": [
              {"name": "open", "description": {"PRPAGE": 9, "MARGINS": [0, 0, 0, 0, 21000, 29700]}},
              {"name": "off", "description": {"PRPAGE": 9, "AVAILABLE": false}},
              {"name": "small", "description": {"PRPAGE": 9, "MAXPAGES": 10}},
              {"name": "unpriced", "description": {"PRPAGE": 9, "AUTHNAME": "Voucher"}},
              {"name": "paid", "description": {"PRPAGE": 9, "PRCOLOR": true, "AUTHNAME": ["Account", "Voucher"],
                "PAGEPRICE": ["0.1", "0.1"], "MINCHARGE": ["0", "0"], "TAX": ["0", "0"]}},
              {"name": "login", "description": {"PRPAGE": 9, "AUTHNAME": "Account", "PAGEPRICE": "0.1",
                "MINCHARGE": "0", "TAX": "0"}}
            ]})",
                 {{"login.htm", "<form></form>"}}),
          source(machine.dir().file("report.ps")) {
        testenv::writeFile(source, testenv::postScriptOfSize(730000));
    }

    // The jobs the server stored, in the order it took them.
    std::vector<fs::path> spooled() const {
        std::vector<fs::path> jobs;
        if (fs::exists(server.spoolDir()))
            for (const auto& e : fs::directory_iterator(server.spoolDir()))
                if (e.path().filename().string().rfind("job-", 0) == 0) jobs.push_back(e.path());
        std::sort(jobs.begin(), jobs.end());
        return jobs;
    }
    // zentctl's own working directories (the server's directory lies there too).
    bool workingDirectoriesGone() const {
        bool gone = true;
        for (const auto& e : fs::directory_iterator(machine.dir().file("tmp")))
            if (e.path().filename().string().rfind("zentprint-", 0) == 0) {
                ADD_FAILURE() << "left behind: " << e.path();
                gone = false;
            }
        return gone;
    }

    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server;
    std::string source;
};

TEST_F(ZentctlPrint, DeliversTheJobByteForByteAndCleansUp) {
    const auto r = testenv::zentctl({"print", source, "open@" + server.address(), "--doc", "Q3 report", "--pages",
                                     "4", "--copies", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_THAT(r.out, HasSubstr("delivered Q3 report to open@" + server.address() + " (session 500"));
    const auto jobs = spooled();
    ASSERT_EQ(jobs.size(), 1u);
    // The server keeps the job as sent: the packed data, which unpacks to the file printed.
    const auto unpacked = testenv::run({"/bin/gzip", "-dc", (jobs[0] / "job.bin").string()});
    EXPECT_EQ(unpacked.exitCode, 0);
    EXPECT_TRUE(unpacked.out == testenv::readFile(source)) << "the delivered job differs from the file printed";
    const std::string meta = testenv::readFile((jobs[0] / "meta.json").string());
    EXPECT_THAT(meta, HasSubstr("\"document\": \"Q3 report\""));
    EXPECT_THAT(meta, HasSubstr("\"paper_width\": 21000"));
    EXPECT_THAT(meta, HasSubstr("\"copies\": 2"));
    EXPECT_TRUE(server.logShows("CONFIRM"));
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(ZentctlPrint, AuthenticatesWhereNoPageIsNeededAndStopsWhereOneIs) {
    const auto voucher = testenv::zentctl({"print", source, "paid@" + server.address(), "--auth", "Voucher"});
    EXPECT_EQ(voucher.exitCode, 0) << voucher.err;
    EXPECT_THAT(voucher.out, EndsWith("bytes packed)\n"));

    const struct {
        std::vector<std::string> extra;
        const char* printer;
        const char* says;
    } refusals[] = {
        {{}, "paid", "offers Account, Voucher: choose one with --auth"},
        {{"--auth", "Cash"}, "paid", "does not offer 'Cash'"},
        {{}, "login", "printer login asks for an interactive authentication step (method Account)"},
    };
    for (const auto& c : refusals) {
        std::vector<std::string> args{"print", source, std::string(c.printer) + "@" + server.address()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const auto r = testenv::zentctl(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_THAT(r.err, HasSubstr(c.says));
        EXPECT_EQ(r.out, "not delivered\n");
    }
    EXPECT_EQ(spooled().size(), 1u);
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(ZentctlPrint, RefusedJobsSayWhyAndExitNonZero) {
    const std::string nobody = "127.0.0.1:" + std::to_string(testenv::freeLocalPort());
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"open"}, "Incorrect printer address syntax."},
        {{"nosuch@" + server.address()}, "Printer does not exist or does not respond!"},
        {{"open@" + nobody}, "Printer does not exist or does not respond!"},
        {{"off@" + server.address()}, "Printer is not available!"},
        {{"small@" + server.address(), "--pages", "11"}, "Requested job pages exceed printer's maximum."},
        {{"open@" + server.address(), "--papersize", "8"}, "Requested paper size (A3, 297x420mm)"},
        {{"unpriced@" + server.address()}, "names authentication methods without their charges"},
        {{"open@" + server.address(), "--color", "1"}, "Printer does not support colour! Continue? No"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"print", source};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = testenv::zentctl(args);
        EXPECT_EQ(r.exitCode, 1) << c.says;
        EXPECT_THAT(r.err, HasSubstr(c.says));
        EXPECT_EQ(r.out, "not delivered\n");
    }
    // The colour question answered Yes in advance.
    const auto yes = testenv::zentctl({"print", source, "open@" + server.address(), "--color", "1", "--yes"});
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_EQ(spooled().size(), 1u);
    EXPECT_EQ(testenv::zentctl({"print", source}).exitCode, 2);
    EXPECT_TRUE(workingDirectoriesGone());
}

// zentctl says "delivered" only for a job the server took without an error
// and confirmed; against each hostile server it exits 1 with the reason.
TEST_F(ZentctlPrint, UnconfirmedOrFlaggedDeliveriesAreReportedAsNotDelivered) {
    const struct {
        const char* what;
        const char* commands;
        const char* says;
    } cases[] = {
        {"CONFIRM answers error 905", R"("CONFIRM": {"error": {"code": 905, "text": "Unknown or missing session"}})",
         "delivery not confirmed: Unknown or missing session (error 905)"},
        {"CONFIRM closes the connection", R"("CONFIRM": {"silent": true})",
         "delivery not confirmed: no answer (error 2002)"},
        {"CONFIRM answers NO", R"("CONFIRM": {"answer": "NO"})",
         "delivery not confirmed: answered \"NO\" (error 2002)"},
        {"PRFILE answers the session with an error code",
         R"("PRFILE": {"answer_error": {"code": 908, "text": "Spool disk full"}})", "Spool disk full (error 908)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ReferenceServer hostile(std::string(R"({"first_session": 700, "commands": {)") + c.commands +
                                         R"(}, "printers": [{"name": "open", "description": {"PRPAGE": 9}}]})");
        const auto r = testenv::zentctl({"print", source, "open@" + hostile.address()});
        EXPECT_EQ(r.exitCode, 1) << r.out;
        EXPECT_EQ(r.out, "not delivered\n");
        EXPECT_THAT(r.err, HasSubstr("the server did not take the job: " + std::string(c.says)));
        EXPECT_TRUE(hostile.logShows("PRFILE"));
    }
    EXPECT_TRUE(workingDirectoriesGone());
}

}  // namespace
