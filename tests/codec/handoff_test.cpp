// The job hand-off: the file pair, number selection, failures and the
// notification of a listening client.
#include "test_env.h"

#include <zcodec/handoff.h>
#include <zplatform/registry.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using encdec::SubmitFileToNetClient;
using encdec::ZTP_JOBDATA;

constexpr const char* kClientKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client";

// A brand-new machine whose client works in <tmp>/jobs.
class Handoff : public ::testing::Test {
protected:
    Handoff() : jobs(machine.dir().file("jobs")), source(machine.dir().file("spooled.ps")) {
        fs::create_directories(jobs);
        setWorkingDirectory(jobs);
        testenv::writeFile(source, "%!PS\r\n\0\xff binary \n"s);
    }
    void setWorkingDirectory(const std::string& dir) {
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey);
        ASSERT_TRUE(key && key->writeString("FirstTempDir", dir));
    }
    std::string job(const std::string& name) const { return jobs + "/" + name; }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(jobs)) names.insert(e.path().filename().string());
        return names;
    }
    static ZTP_JOBDATA fixedJob() {
        ZTP_JOBDATA j;
        j.Submited = {2003, 3, 2, 4, 9, 5, 3, 7};
        return j;
    }

    testenv::IsolatedMachine machine;
    std::string jobs, source;
};

TEST_F(Handoff, WritesTheDataCopyAndTheDescriptionByteForByte) {
    for (const std::string& dir : {jobs, jobs + "/"}) {
        SCOPED_TRACE(dir);
        fs::remove_all(jobs);
        fs::create_directories(jobs);
        setWorkingDirectory(dir);
        ZTP_JOBDATA j = fixedJob();
        j.DocName = "Report Q1.doc";
        j.UserName = "anna";
        j.Orientation = "Landscape";
        j.Papersize = 9;
        j.Pages = 12;
        j.Copies = 2;
        j.PaperWidth = 2100;
        j.PaperLength = 2970;
        j.PrintQuality = -4;
        j.Color = 2;
        j.Scale = 100;
        j.MediaType = 1;
        std::string error, base;
        ASSERT_TRUE(SubmitFileToNetClient(source, &j, error, base));
        EXPECT_EQ(base, "ztp_1");
        EXPECT_EQ(error, "EnumWindows() failed");   // no client listens
        EXPECT_EQ(testenv::readFile(job("ztp_1.ztp")), testenv::readFile(source));
        EXPECT_EQ(testenv::readFile(job("ztp_1.txt")),
                  "DocName=Report Q1.doc\r\nPapersize=9\r\nOrientation=Landscape\r\nPages=12\r\nCopies=2\r\n"
                  "UserName=anna\r\nSubmited=2003/3/4 9:5:3.7\r\nPaperWidth=2100\r\nPaperLength=2970\r\n"
                  "PrintQuality=-4\r\nColor=2\r\nScale=100\r\nMediaType=1\r\n");
        EXPECT_EQ(files(), (std::set<std::string>{"ztp_1.ztp", "ztp_1.txt"}));   // no temporary left over
        EXPECT_TRUE(fs::exists(source));
    }
}

TEST_F(Handoff, EmptyTextsAndDefaultsGiveEmptyValuesAndOneCopy) {
    const ZTP_JOBDATA j = fixedJob();
    std::string error;
    ASSERT_TRUE(SubmitFileToNetClient(source, &j, error));
    EXPECT_EQ(testenv::readFile(job("ztp_1.txt")),
              "DocName=\r\nPapersize=0\r\nOrientation=\r\nPages=0\r\nCopies=1\r\nUserName=\r\n"
              "Submited=2003/3/4 9:5:3.7\r\nPaperWidth=0\r\nPaperLength=0\r\nPrintQuality=0\r\nColor=0\r\n"
              "Scale=0\r\nMediaType=0\r\n");
}

TEST_F(Handoff, CopiesZeroMeansOneAndOtherValuesStayAsTheyAre) {
    const struct {
        int copies;
        const char* line;
    } cases[] = {{0, "Copies=1\r\n"}, {1, "Copies=1\r\n"}, {7, "Copies=7\r\n"}, {-3, "Copies=-3\r\n"}};
    for (const auto& c : cases) {
        ZTP_JOBDATA j;
        j.Copies = c.copies;
        std::string error, base;
        ASSERT_TRUE(SubmitFileToNetClient(source, &j, error, base));
        EXPECT_THAT(testenv::readFile(job(base + ".txt")), ::testing::HasSubstr("\r\nPages=0\r\n"s + c.line + "UserName="));
    }
}

TEST_F(Handoff, LineBreaksInTextsCannotAddKeys) {
    ZTP_JOBDATA j = fixedJob();
    j.DocName = "a\r\nCopies=99";
    j.UserName = "b\nSessionId=5";
    j.Orientation = "c\r";
    std::string error;
    ASSERT_TRUE(SubmitFileToNetClient(source, &j, error));
    const std::string text = testenv::readFile(job("ztp_1.txt"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 13);
    EXPECT_THAT(text, ::testing::StartsWith("DocName=a  Copies=99\r\nPapersize=0\r\nOrientation=c \r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nUserName=b SessionId=5\r\n"));
}

TEST_F(Handoff, TakesTheSmallestFreeDataFileNumber) {
    const struct {
        std::vector<std::string> present;
        std::string expected;
    } cases[] = {
        {{}, "ztp_1"},
        {{"ztp_1.ztp", "ztp_3.ztp"}, "ztp_2"},                          // a gap is reused
        {{"ztp_1.ztp", "ztp_2.ztp", "ztp_3.txt"}, "ztp_3"},             // a lone description does not block
        {{"ztp_1.txt", "ztp_1.gz", "ztp_2.ztp"}, "ztp_1"},
    };
    for (const auto& c : cases) {
        fs::remove_all(jobs);
        fs::create_directories(jobs);
        for (const auto& f : c.present) testenv::writeFile(job(f), "old");
        ZTP_JOBDATA j = fixedJob();
        std::string error, base;
        ASSERT_TRUE(SubmitFileToNetClient(source, &j, error, base));
        EXPECT_EQ(base, c.expected);
        EXPECT_THAT(testenv::readFile(job(base + ".txt")), ::testing::StartsWith("DocName=\r\n"));   // overwritten
        EXPECT_EQ(testenv::readFile(job(base + ".ztp")), testenv::readFile(source));
    }
}

TEST_F(Handoff, AllNumbersTakenFailsWithoutAMessage) {
    for (int n = 1; n <= 999; ++n) testenv::writeFile(job("ztp_" + std::to_string(n) + ".ztp"), "");
    ZTP_JOBDATA j;
    std::string error = "as before";
    EXPECT_FALSE(SubmitFileToNetClient(source, &j, error));
    EXPECT_EQ(error, "as before");
    EXPECT_EQ(files().size(), 999u);
    // Even with the source missing: the numbers are looked at first.
    EXPECT_FALSE(SubmitFileToNetClient(machine.dir().file("missing"), &j, error));
    EXPECT_EQ(error, "as before");
}

TEST_F(Handoff, FailuresSayWhyAndLeaveNoJobBehind) {
    fs::create_directories(machine.dir().file("a-directory"));
    testenv::writeFile(machine.dir().file("empty.ps"), "");
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::string source;
        std::string error;
    } cases[] = {
        {"empty source", [] {}, machine.dir().file("empty.ps"), "Failed to update ZTP file"},
        {"missing source", [] {}, machine.dir().file("missing.ps"), "Failed to read-open file"},
        {"unreadable source", [] {}, machine.dir().file("a-directory"), "Failed to update ZTP file: Is a directory"},
        {"description cannot be written", [&] { fs::create_directories(job("ztp_1.txt")); }, source,
         "Failed to write-open TXT file"},
        {"working directory missing", [&] { setWorkingDirectory(jobs + "/gone"); }, source,
         "Failed to write-open ZTP file!"},
        {"value empty", [&] { setWorkingDirectory(""); }, source, "TRegistry->ReadString() failed"},
        {"value missing",
         [] { ASSERT_TRUE(platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey)->deleteValue("FirstTempDir")); },
         source, "TRegistry->ReadString() failed"},
        {"value is a number",
         [] { ASSERT_TRUE(platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey)->writeDword("FirstTempDir", 5)); },
         source, "TRegistry->ReadString() failed"},
        {"key missing", [&] { fs::remove(machine.machineHive()); }, source, "TRegistry->OpenKeyReadOnly() failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(jobs);
        fs::create_directories(jobs);
        setWorkingDirectory(jobs);
        c.arrange();
        ZTP_JOBDATA j;
        std::string error = "before";
        EXPECT_FALSE(SubmitFileToNetClient(c.source, &j, error));
        EXPECT_EQ(error, c.error);
        for (const auto& f : files()) EXPECT_EQ(f, "ztp_1.txt");   // only what the case put there
    }
    std::string error;
    EXPECT_FALSE(SubmitFileToNetClient(source, nullptr, error));
    EXPECT_FALSE(error.empty());
    // A tool's own directory must be named.
    std::string baseName;
    error.clear();
    EXPECT_FALSE(encdec::SubmitFileToDirectory(source, ZTP_JOBDATA{}, "", error, baseName));
    EXPECT_EQ(error, "Failed to write-open ZTP file!");
}

TEST_F(Handoff, AListeningClientGetsTheDataFileNameAndTheTextStaysUntouched) {
    const int listener = encdec::ListenClientIpc();
    ASSERT_GE(listener, 0) << strerror(errno);
    EXPECT_EQ(encdec::ListenClientIpc(), -1);   // one listener per name
    EXPECT_EQ(errno, EADDRINUSE);
    testenv::writeFile(job("ztp_1.ztp"), "taken");
    ZTP_JOBDATA j;
    std::string error = "untouched", base;
    ASSERT_TRUE(SubmitFileToNetClient(source, &j, error, base));
    EXPECT_EQ(error, "untouched");
    const int connection = accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    std::string line;
    char buffer[128];
    for (ssize_t n; (n = read(connection, buffer, sizeof buffer)) > 0;) line.append(buffer, size_t(n));
    EXPECT_EQ(line, "ztp_2.ztp\n");
    close(connection);
    close(listener);
}

// A listening socket under another user's notification name, as that
// user's client would have it.
int listenAs(uid_t user) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = encdec::ClientIpcName(user);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST_F(Handoff, AJobForAnotherUserIsTheirsAloneAndTheirClientIsTold) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may give files away";
    const int theirs = listenAs(65534);
    const int mine = encdec::ListenClientIpc();
    ASSERT_GE(theirs, 0);
    ASSERT_GE(mine, 0);
    ZTP_JOBDATA j;
    std::string error, base;
    ASSERT_TRUE(SubmitFileToNetClient(source, &j, encdec::JobOwner{65534, 65534}, error, base)) << error;
    for (const std::string& name : {"ztp_1.ztp"s, "ztp_1.txt"s}) {
        struct stat st {};
        ASSERT_EQ(lstat(job(name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_uid, 65534u) << name;
        EXPECT_EQ(st.st_gid, 65534u) << name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
    const int connection = accept(theirs, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    char buffer[32] = {};
    EXPECT_GT(read(connection, buffer, sizeof buffer - 1), 0);
    EXPECT_STREQ(buffer, "ztp_1.ztp\n");
    // Nobody else, root's own client included, hears of it.
    pollfd waiting{mine, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 0), 0);
    close(connection);
    close(theirs);
    close(mine);

    // Another user cannot read it.
    const std::string data = job("ztp_1.ztp");
    EXPECT_EQ(testenv::inChild([&] {
                  if (setgid(1) != 0 || setuid(1) != 0) return 2;   // daemon
                  return open(data.c_str(), O_RDONLY) < 0 && errno == EACCES ? 0 : 1;
              }),
              0);
}

TEST_F(Handoff, RefusesAWorkingDirectoryOthersMayWriteUnlessItIsSticky) {
    const struct {
        mode_t mode;
        bool taken;
    } cases[] = {{0700, true}, {0755, true}, {01777, true}, {01770, true}, {0777, false}, {0770, false}, {0720, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::remove_all(jobs);
        fs::create_directories(jobs);
        ASSERT_EQ(chmod(jobs.c_str(), c.mode), 0);
        ZTP_JOBDATA j;
        std::string error;
        EXPECT_EQ(SubmitFileToNetClient(source, &j, error), c.taken);
        if (c.taken) continue;
        EXPECT_THAT(error, ::testing::HasSubstr("may be written by other users"));
        EXPECT_TRUE(files().empty());
    }
}

TEST_F(Handoff, ConcurrentHandOffsNeverShareANumber) {
    constexpr int kThreads = 12;
    std::vector<std::string> bases(kThreads);
    std::vector<bool> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            ZTP_JOBDATA j;
            j.Pages = i;
            std::string error, base;
            results[i] = SubmitFileToNetClient(source, &j, error, base);
            bases[i] = base;
        });
    for (auto& t : threads) t.join();
    std::set<std::string> distinct(bases.begin(), bases.end());
    EXPECT_EQ(distinct.size(), size_t(kThreads));
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_TRUE(results[i]);
        EXPECT_THAT(testenv::readFile(job(bases[i] + ".txt")), ::testing::HasSubstr("\r\nPages=" + std::to_string(i) + "\r\n"));
    }
    EXPECT_EQ(files().size(), size_t(2 * kThreads));
}

TEST(HandoffUnit, OnlyTheFirstInitializeAndTheLastFinalizeAct) {
    EXPECT_FALSE(encdec::Kevsupport::Finalize());   // unmatched: nothing to do
    EXPECT_TRUE(encdec::Kevsupport::Initialize());
    EXPECT_FALSE(encdec::Kevsupport::Initialize());
    EXPECT_FALSE(encdec::Kevsupport::Finalize());
    EXPECT_TRUE(encdec::Kevsupport::Finalize());
    EXPECT_TRUE(encdec::Kevsupport::Initialize());
    EXPECT_TRUE(encdec::Kevsupport::Finalize());
}

TEST(HandoffJobData, StartsEmptyAtTheCurrentUtcTime) {
    const std::time_t before = std::time(nullptr);
    const ZTP_JOBDATA j;
    std::tm utc{};
    gmtime_r(&before, &utc);
    EXPECT_EQ(j.DocName + j.UserName + j.Orientation, "");
    for (encdec::ZINT v : {j.Papersize, j.Pages, j.Copies, j.PaperWidth, j.PaperLength, j.PrintQuality, j.Color,
                           j.Scale, j.MediaType})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(j.Submited.Year, utc.tm_year + 1900);
    EXPECT_EQ(j.Submited.Month, utc.tm_mon + 1);
    EXPECT_LE(j.Submited.Milliseconds, 999);
    // Within a few seconds of the call, in UTC (not local time).
    std::tm back{};
    back.tm_year = j.Submited.Year - 1900;
    back.tm_mon = j.Submited.Month - 1;
    back.tm_mday = j.Submited.Day;
    back.tm_hour = j.Submited.Hour;
    back.tm_min = j.Submited.Minute;
    back.tm_sec = j.Submited.Second;
    EXPECT_LE(std::abs(timegm(&back) - before), 2);
    EXPECT_EQ(j.Submited.DayOfWeek, utc.tm_wday);
}

}  // namespace
