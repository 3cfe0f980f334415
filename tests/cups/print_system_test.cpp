// Printing through a real private cupsd: the printer installed by the
// client's own command, jobs from lp arriving in the working directory with
// their description, and the port monitor's removal.
#include "private_cups.h"
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

// A two-page PDF, written out by hand: offsets in the cross-reference table
// are computed as it is built.
std::string twoPagePdf() {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 5 0 R /Resources << >> >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 5 0 R /Resources << >> >>",
        "<< /Length 20 >>\nstream\n0 0 m 100 100 l S\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t o : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

class PrintSystem : public ::testing::Test {
protected:
    PrintSystem() : jobs(machine.dir().file("jobs")), cups(machine.dir().file("cups")) {
        fs::create_directories(jobs);
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine,
                                                  "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        key->writeString("FirstTempDir", jobs);
    }
    void SetUp() override {
        if (cups.cannotRunHere()) GTEST_SKIP() << cups.problem();
        ASSERT_TRUE(cups.running()) << cups.problem();
    }
    std::string description(int n) const { return testenv::readFile(jobs + "/ztp_" + std::to_string(n) + ".txt"); }
    bool arrived(int n) const { return fs::exists(jobs + "/ztp_" + std::to_string(n) + ".txt"); }

    testenv::IsolatedMachine machine;
    std::string jobs;
    testenv::PrivateCups cups;
};

TEST_F(PrintSystem, JobsPrintedWithLpArriveWithTheirDescriptionAndTheClientIsTold) {
    std::mutex mutex;
    std::vector<std::string> told;
    zentcore::JobListener listener([&](const std::string& name) {
        std::lock_guard lock(mutex);
        told.push_back(name);
    });
    ASSERT_TRUE(listener.listening());
    const auto installed = testenv::zentctl({"printer", "install"});
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    EXPECT_THAT(installed.out, HasSubstr("printer Zentrope present, on ZENTRO1:"));

    testenv::writeFile(machine.dir().file("report.ps"), testenv::pagedPostScript(3));
    testenv::writeFile(machine.dir().file("report.pdf"), twoPagePdf());
    int n = 0;
    for (const char* file : {"report.ps", "report.pdf"}) {
        SCOPED_TRACE(file);
        ++n;
        const auto lp = testenv::run(
            {"lp", "-d", "Zentrope", "-t", "Quarterly report", "-n", "2", "-o", "media=A3", machine.dir().file(file)});
        ASSERT_EQ(lp.exitCode, 0) << lp.err;
        ASSERT_TRUE(testenv::waitUntil([&] { return arrived(n); }, 30000))
            << testenv::readFile(machine.dir().file("cups/log/error_log"));
        const std::string d = description(n);
        EXPECT_THAT(d, HasSubstr("DocName=Quarterly report\r\n"));
        EXPECT_THAT(d, HasSubstr("UserName=" + platform::userName() + "\r\n"));
        EXPECT_THAT(d, HasSubstr("Copies=2\r\n"));
        EXPECT_THAT(d, HasSubstr("Papersize=8\r\n"));
        EXPECT_THAT(d, HasSubstr(n == 1 ? "Pages=3\r\n" : "Pages=2\r\n"));
        EXPECT_EQ(testenv::readFile(jobs + "/ztp_" + std::to_string(n) + ".ztp").rfind("%!PS", 0), 0u);
    }
    EXPECT_TRUE(testenv::waitUntil([&] {
        std::lock_guard lock(mutex);
        return told.size() == 2;
    }));
    std::lock_guard lock(mutex);
    EXPECT_EQ(told, (std::vector<std::string>{"ztp_1.ztp", "ztp_2.ztp"}));
}

TEST_F(PrintSystem, RemovingThePortMonitorMovesOnlyItsPrintersAndIsForAdministrators) {
    ASSERT_EQ(testenv::zentctl({"printer", "install"}).exitCode, 0);
    ASSERT_EQ(testenv::run({"lpadmin", "-p", "Office", "-E", "-v", "socket://127.0.0.1:9"}).exitCode, 0);
    ASSERT_EQ(testenv::run({"lpadmin", "-p", "Second", "-E", "-v", "zentro:/ZENTRO1"}).exitCode, 0);

    if (geteuid() == 0) {
        // Someone who may not write the machine's settings is no administrator.
        const auto refused = testenv::run({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                           testenv::zentctlPath(), "printer", "remove-port"});
        EXPECT_NE(refused.exitCode, 0);
        EXPECT_THAT(refused.err, HasSubstr("Only the Administrator can run this option!"));
    }
    const auto removed = testenv::zentctl({"printer", "remove-port"});
    EXPECT_EQ(removed.exitCode, 0) << removed.out << removed.err;
    EXPECT_FALSE(fs::exists(cups.backendDir() + "/zentro"));
    const auto devices = testenv::run({"lpstat", "-v"});
    EXPECT_THAT(devices.out, HasSubstr("Zentrope: parallel:/dev/lp0"));
    EXPECT_THAT(devices.out, HasSubstr("Second: parallel:/dev/lp0"));
    EXPECT_THAT(devices.out, HasSubstr("Office: socket://127.0.0.1:9"));
}

}  // namespace
