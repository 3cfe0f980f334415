// The built backend as the print system runs it: CUPS's argv, the data on
// stdin or in a file, the job files it leaves and what it says on failure.
#include "sample_jobs.h"
#include "test_env.h"
#include "wait.h"

#include <zentcore/joblistener.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr const char* kClientKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client";

std::string backend() { return testenv::binDir() + "/zentro"; }

// The user the print system would name: whoever runs the tests.
std::string me() { return platform::userName(); }

class Backend : public ::testing::Test {
protected:
    Backend() : jobs(machine.dir().file("jobs")) {
        fs::create_directories(jobs);
        fs::create_directories(machine.dir().file("tmp"));
        setWorkingDirectory(jobs);
    }
    void setWorkingDirectory(const std::string& dir) {
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey);
        ASSERT_TRUE(key && key->writeString("FirstTempDir", dir));
    }
    testenv::ProcessResult print(const std::string& user, const std::string& data, const std::string& options = "",
                                 const std::string& copies = "1") {
        return testenv::run({backend(), "42", user, "Quarterly report", copies, options}, data);
    }
    std::vector<std::string> jobFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(jobs)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testenv::IsolatedMachine machine;
    std::string jobs;
};

TEST_F(Backend, WithoutArgumentsItNamesItsDevice) {
    const auto r = testenv::run({backend()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "direct zentro:/ZENTRO1 \"Zentrope\" \"Zentrope virtual printer\"\n");
}

TEST_F(Backend, HandsTheJobOffWithItsDescriptionAndTellsTheClient) {
    std::mutex mutex;
    std::vector<std::string> told;
    zentcore::JobListener listener([&](const std::string& name) {
        std::lock_guard lock(mutex);
        told.push_back(name);
    });
    ASSERT_TRUE(listener.listening());
    const std::string data = testenv::pagedPostScript(3);

    const auto piped = print(me(), data, "media=A3 PageSize=A3 landscape job-uuid=urn:uuid:1", "2");
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_THAT(piped.err, HasSubstr("INFO: Zentrope: job ztp_1 handed to " + me()));
    EXPECT_EQ(testenv::readFile(jobs + "/ztp_1.ztp"), data);
    const std::string description = testenv::readFile(jobs + "/ztp_1.txt");
    for (const std::string line : {"DocName=Quarterly report\r\n", "Orientation=Landscape\r\n", "Pages=3\r\n",
                                   "Copies=2\r\n", "Papersize=8\r\n", "Color=1\r\n"})
        EXPECT_THAT(description, HasSubstr(line));
    EXPECT_THAT(description, HasSubstr("UserName=" + me() + "\r\n"));

    // The data as a file, and the printer description's defaults.
    testenv::writeFile(machine.dir().file("job.ps"), data);
    testenv::writeFile(machine.dir().file("gray.ppd"), "*DefaultPageSize: Letter\n*DefaultColorModel: Gray\n");
    testenv::ScopedEnv ppd("PPD", machine.dir().file("gray.ppd"));
    const auto fromFile =
        testenv::run({backend(), "43", me(), "from a file", "1", "", machine.dir().file("job.ps")});
    ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
    const std::string second = testenv::readFile(jobs + "/ztp_2.txt");
    EXPECT_THAT(second, HasSubstr("Papersize=1\r\n"));
    EXPECT_THAT(second, HasSubstr("Color=0\r\n"));
    EXPECT_THAT(second, HasSubstr("Orientation=Portrait\r\n"));

    testenv::waitUntil([&] {
        std::lock_guard lock(mutex);
        return told.size() == 2;
    });
    std::lock_guard lock(mutex);
    EXPECT_EQ(told, (std::vector<std::string>{"ztp_1.ztp", "ztp_2.ztp"}));
    // The spooled copy is gone.
    EXPECT_TRUE(fs::is_empty(machine.dir().file("tmp")));
}

TEST_F(Backend, FailuresSayWhatToDoAndLeaveNoJob) {
    const struct {
        const char* name;
        std::function<void(const std::string& jobs)> setUp;
        std::string user;
        std::string data;
        std::string copies;
        int exitCode;
        std::string says;
    } cases[] = {
        {"no working directory set",
         [](const std::string&) {
             platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey)->deleteValue("FirstTempDir");
         },
         me(), "%!PS\n", "1", 1, "no working directory is set in the machine settings"},
        {"working directory missing", [](const std::string& dir) { fs::remove_all(dir); }, me(), "%!PS\n", "1", 1,
         "cannot create a job file in the working directory"},
        {"others may write", [](const std::string& dir) { fs::permissions(dir, fs::perms::all); }, me(), "%!PS\n", "1", 1,
         "may be written by other users: make it sticky"},
        {"unknown user", nullptr, "no-such-user-zentrope", "%!PS\n", "1", 5, "has no account on this computer"},
        {"no data", nullptr, me(), "", "1", 5, "has no print data"},
        {"copies no number", nullptr, me(), "%!PS\n", "two", 1, "is no positive whole number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(jobs);
        fs::create_directories(jobs);
        fs::permissions(jobs, fs::perms::owner_all);
        setWorkingDirectory(jobs);
        if (c.setUp) c.setUp(jobs);
        const auto r = print(c.user, c.data, "", c.copies);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_THAT(r.err, HasSubstr("ERROR: Zentrope: "));
        EXPECT_THAT(r.err, HasSubstr(c.says));
        if (fs::exists(jobs)) {
            EXPECT_TRUE(jobFiles().empty());
        }
    }
}

TEST_F(Backend, EachUsersJobIsTheirsAndNoOneElsesToRead) {
    if (geteuid() != 0) GTEST_SKIP() << "the print system runs the backend as root; so must this test";
    fs::permissions(jobs, fs::perms::all | fs::perms::sticky_bit);   // shared, as /tmp
    fs::permissions(machine.dir().path(), fs::perms::others_exec, fs::perm_options::add);
    ASSERT_EQ(print("daemon", "%!PS\n%%Page: 1 1\n").exitCode, 0);
    ASSERT_EQ(print("nobody", "%!PS\n%%Page: 1 1\n").exitCode, 0);
    const struct {
        std::string file;
        uid_t owner;
    } expected[] = {{"ztp_1.ztp", 1}, {"ztp_1.txt", 1}, {"ztp_2.ztp", 65534}, {"ztp_2.txt", 65534}};
    for (const auto& e : expected) {
        struct stat st {};
        ASSERT_EQ(lstat((jobs + "/" + e.file).c_str(), &st), 0) << e.file;
        EXPECT_EQ(st.st_uid, e.owner) << e.file;
        EXPECT_EQ(st.st_mode & 07777, 0600u) << e.file;
    }
    const std::string daemons = jobs + "/ztp_1.ztp";
    const std::string own = jobs + "/ztp_2.ztp";
    EXPECT_EQ(testenv::inChild([&] {
                  if (!testenv::dropRoot()) return 2;   // nobody
                  if (open(own.c_str(), O_RDONLY) < 0) return 3;
                  return open(daemons.c_str(), O_RDONLY) < 0 && errno == EACCES ? 0 : 1;
              }),
              0);
}

}  // namespace
