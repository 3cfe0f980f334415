// zentctl status: the status of a job sent earlier, from the real reference
// server, and a non-zero exit with the described message otherwise.
#include <gtest/gtest.h>

#include <string>

#include "reference_server.h"
#include "test_env.h"

namespace {

TEST(ZentctlStatus, PrintsTheStatusOrSaysWhyThereIsNone) {
    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server(R"({"printers": [{"name": "laser"}],
        "jobs": [{"id": 17, "printer": "laser", "status": 4099}]})");
    const std::string printer = "laser@" + server.address();
    const std::string nowhere = "laser@127.0.0.1:" + std::to_string(testenv::freeLocalPort());
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;
    } cases[] = {
        {{printer, "00017"}, 0, "Job 17: Sent To Printer\n", ""},
        {{printer, "99"}, 1, "", "zentctl: Result error. Maybe Job Id does not exist.\n"},
        {{nowhere, "17"}, 1, "", "zentctl: Printer does not exist or server does not respond!\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"status"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = testenv::zentctl(args);
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    // A server without a printer is no address for a job.
    const auto bare = testenv::zentctl({"status", server.address(), "17"});
    EXPECT_EQ(bare.exitCode, 1);
    EXPECT_NE(bare.err.find("Incorrect printer address syntax."), std::string::npos) << bare.err;
    EXPECT_EQ(testenv::zentctl({"status", printer}).exitCode, 2);
}

}  // namespace
