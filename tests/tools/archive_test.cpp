// zentctl archive: the archive of delivered jobs listed, resubmitted (the
// running client told) and deleted from the command line.
#include "sample_jobs.h"
#include "test_env.h"
#include "wait.h"

#include <zentcore/joblistener.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class ZentctlArchive : public ::testing::Test {
protected:
    ZentctlArchive() : work(machine.dir().file("jobs")), save(machine.dir().file("save")) {
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine,
                                                  "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        key->writeString("FirstTempDir", work);
        key->writeString("ClientSaveDir", save);
        archive = save + "/" + platform::userName();
        fs::create_directories(archive);
        for (const auto& [base, doc, date] : {std::tuple{"ztp_1", "tenth", "2003/3/10 8:0:0.0"},
                                              std::tuple{"ztp_2", "ninth", "2003/3/9 8:0:0.0"}}) {
            testenv::JobText t;
            t.DocName = doc;
            t.Submited = date;
            t.SessionId = 42;
            testenv::writeFile(archive + "/" + base + ".txt", t.text());
            testenv::writeFile(archive + "/" + base + ".ztp", testenv::pagedPostScript(1));
        }
    }

    testenv::IsolatedMachine machine;
    std::string work, save, archive;
};

TEST_F(ZentctlArchive, ListsSortedResubmitsAndDeletes) {
    const auto listed = testenv::zentctl({"archive", "list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out.substr(0, listed.out.find('\n')),
              "Filename\tDocument\tSubmited\tSize\tPages\tCopies\tPaper Size\tOrientation\tSession Id\tPrinter\tServer\tConfirmed");
    EXPECT_LT(listed.out.find("ninth"), listed.out.find("tenth"));
    const auto byName = testenv::zentctl({"archive", "list", "--sort", "filename"});
    EXPECT_LT(byName.out.find("tenth"), byName.out.find("ninth"));

    std::mutex mutex;
    std::vector<std::string> told;
    zentcore::JobListener listener([&](const std::string& name) {
        std::lock_guard lock(mutex);
        told.push_back(name);
    });
    const auto resubmitted = testenv::zentctl({"archive", "resubmit", "ztp_2", "ztp_9", "../ztp_1"});
    EXPECT_EQ(resubmitted.exitCode, 1);
    EXPECT_EQ(resubmitted.out, "ztp_2 -> ztp_1\n");
    EXPECT_THAT(resubmitted.err, HasSubstr("Data is not available: " + archive + "/ztp_9.ztp"));
    EXPECT_THAT(resubmitted.err, HasSubstr("../ztp_1 is no archived job"));
    EXPECT_THAT(testenv::readFile(work + "/ztp_1.txt"), HasSubstr("SessionId=0\r\n"));
    EXPECT_TRUE(testenv::waitUntil([&] {
        std::lock_guard lock(mutex);
        return told == std::vector<std::string>{"ztp_1.ztp"};
    }));

    EXPECT_EQ(testenv::zentctl({"archive", "delete", "ztp_1"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(archive + "/ztp_1.txt"));
    EXPECT_FALSE(fs::exists(archive + "/ztp_1.ztp"));
    EXPECT_TRUE(fs::exists(archive + "/ztp_2.ztp"));
}

}  // namespace
