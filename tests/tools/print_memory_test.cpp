// zentctl print against a server whose printer description is as large as
// any answer may be: the client keeps the answer once and little beside it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "peak_memory.h"
#include "reference_server.h"
#include "test_env.h"

namespace {

using ::testing::HasSubstr;

constexpr std::int64_t kMiB = 1024 * 1024;

// 63 MiB of short key=value lines, unknown keys and one known key repeated
// over and over, then the description the check needs. Written in pieces,
// so this process stays small: the child's peak starts from its size.
std::int64_t writeHugeDescription(const std::string& path) {
    const std::string block = "K=v\r\nPRMODEL=Laser\r\nX1=2\r\n";
    const std::string tail = "AVAILABLE=1\r\nPRPAGE=9\r\nMARGINS=0,0,0,0,21000,29700\r\n";
    std::string piece;
    while (piece.size() < std::size_t(kMiB)) piece += block;
    std::ofstream out(path, std::ios::binary);
    std::int64_t size = 0;
    while (size + std::int64_t(piece.size()) + std::int64_t(tail.size()) <= 63 * kMiB) {
        out << piece;
        size += std::int64_t(piece.size());
    }
    out << tail;
    out.close();
    return out ? size + std::int64_t(tail.size()) : 0;
}

TEST(ZentctlPrintMemory, AHugeDescriptionCostsLessThanThreeTimesItsSize) {
    testenv::IsolatedMachine machine;
    testenv::TempDir serverDir;
    const std::int64_t answerSize = writeHugeDescription(serverDir.file("description.txt"));
    ASSERT_GT(answerSize, 60 * kMiB);
    // Sent compressed: a few hundred KB on the wire.
    testenv::writeFile(serverDir.file("server.json"), R"({
      "first_session": 800,
      "commands": {"ASKPRN": {"answer_file": "description.txt", "transport": 2}},
      "printers": [{"name": "open", "description": {"PRPAGE": 9}}]
    })");
    testenv::ReferenceServer server(testenv::ConfigFile{serverDir.file("server.json")});
    const std::string source = machine.dir().file("report.ps");
    testenv::writeFile(source, "%!PS-Adobe-3.0\nshowpage\n");

    // Under AddressSanitizer freed blocks are held back for a while and would
    // count as the program's own; the child runs without that quarantine.
    const char* asan = std::getenv("ASAN_OPTIONS");
    testenv::ScopedEnv noQuarantine(
        "ASAN_OPTIONS", std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "quarantine_size_mb=0");
    const auto r = memorytest::runMeasured({testenv::zentctlPath(), "print", source, "open@" + server.address()},
                                           machine.dir().path());
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_THAT(r.out, HasSubstr("delivered report.ps to open@"));
    std::cout << "zentctl print: peak " << r.peakBytes / kMiB << " MiB for a " << answerSize / kMiB
              << " MiB description (test process " << r.parentBytes / kMiB << " MiB at fork)\n";
    EXPECT_LT(r.peakBytes, 3 * answerSize);
}

}  // namespace
