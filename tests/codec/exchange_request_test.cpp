// What the client sends: the header, each command's payload, the job package
// of PRFILE and the CONFIRM that follows a delivered job.
#include <zcodec/clientthread.h>
#include <zplatform/system.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "exchange_peer.h"
#include "test_env.h"

namespace {

using namespace std::string_literals;
using exchangetest::bigEndian32;
using exchangetest::number;
using exchangetest::runExchange;
using exchangetest::ScriptedPeer;
using exchangetest::text;

std::string bigEndian16(std::uint16_t value) { return {char(value >> 8), char(value)}; }

// The 24-byte block of the job package.
std::string jobBlock(std::uint32_t length, std::int32_t flags, std::int32_t width, std::int32_t height,
                     std::uint16_t pages, std::uint16_t copies, std::uint16_t paper, std::uint16_t color) {
    return bigEndian32(length) + bigEndian32(std::uint32_t(flags)) + bigEndian32(std::uint32_t(width)) +
           bigEndian32(std::uint32_t(height)) + bigEndian16(pages) + bigEndian16(copies) + bigEndian16(paper) +
           bigEndian16(color);
}

std::string replaceJob(std::string text, const std::string& path) {
    for (auto at = text.find("{job}"); at != std::string::npos; at = text.find("{job}"))
        text.replace(at, 5, path);
    return text;
}

bool tempDirectoryEmpty(const testenv::IsolatedMachine& machine) {
    return std::filesystem::is_empty(machine.dir().file("tmp"));
}

TEST(ExchangeRequest, HeaderDescribesThePayload) {
    for (auto type : {encdec::ttNone, encdec::ttEncrypt, encdec::ttCompress, encdec::ttCompressEncrypt,
                      encdec::ttDecompressOnly, encdec::ttEncryptDecompress}) {
        SCOPED_TRACE(int(type));
        ScriptedPeer peer;
        const auto before = std::time(nullptr);
        runExchange("ASKPRN", "Laser", peer.address(), type, 77);
        const auto after = std::time(nullptr);
        auto requests = peer.requests();
        ASSERT_EQ(requests.size(), 1u);
        const auto& h = requests[0].header;
        EXPECT_EQ(h.Command, "ASKPRN");
        EXPECT_EQ(h.Version, 256);
        EXPECT_EQ(h.Enccmp, type);
        EXPECT_EQ(h.Session, 77);
        EXPECT_EQ(h.AckError, 0);
        EXPECT_GE(h.Time, before);
        EXPECT_LE(h.Time, after);
        EXPECT_EQ(std::size_t(h.Size), requests[0].payload.size());
        const bool compressed = type == encdec::ttCompress || type == encdec::ttCompressEncrypt;
        EXPECT_EQ(h.UncSize, compressed ? 6 : 0);
        EXPECT_EQ(exchangetest::unpack(type, requests[0].payload), "Laser\0"s);
    }
}

TEST(ExchangeRequest, PayloadOfEachCommand) {
    testenv::IsolatedMachine machine;
    const std::string sendFile = machine.dir().file("upload.bin");
    testenv::writeFile(sendFile, "file\0bytes"s);
    struct Case {
        const char* command;
        std::string data;
        std::string payload;
    } cases[] = {
        {"ASKPRN", "Laser", "Laser\0"s},
        {"GETPRNAMES", "", "\0"s},
        {"OJOBS", "Laser\x04" "12", "Laser\x04" "12\0"s},
        {"NEWSESSION", "ignored", platform::userName() + '\0'},
        {"CONFIRM", " 42 ", bigEndian32(42)},
        {"CONFIRM", "-3", bigEndian32(std::uint32_t(-3))},
        {"SENDFILE", sendFile, "file\0bytes"s},
    };
    ScriptedPeer peer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + (" " + c.data));
        auto before = peer.requests().size();
        runExchange(c.command, c.data, peer.address());
        auto requests = peer.requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests.back().header.Command, c.command);
        EXPECT_EQ(requests.back().payload, c.payload);
    }
}

TEST(ExchangeRequest, UnusableArgumentsSendNothing) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("job.gz");
    testenv::writeFile(job, "JOB");
    struct Case {
        const char* command;
        std::string data;
        std::int32_t error;
    } cases[] = {
        {"PRFILE", "", 2000},
        {"PRFILE", "Laser", 2000},
        {"PRFILE", "Laser\x04", 2000},
        {"PRFILE", "\x04\x04Laser\x04\x04", 2000},
        {"CONFIRM", "0", 2000},
        {"CONFIRM", "", 2000},
        {"CONFIRM", "forty-two", 2000},
        {"PRFILE", "Laser\x04" + machine.dir().file("missing.gz"), 2001},
        {"SENDFILE", machine.dir().file("missing.bin"), 2001},
    };
    ScriptedPeer peer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + (" " + c.data));
        auto thread = runExchange(c.command, c.data, peer.address(), encdec::ttEncryptDecompress, 5);
        EXPECT_EQ(thread->ReturnValue, 0);
        EXPECT_EQ(thread->ErrorCode, c.error);
        EXPECT_EQ(thread->GetAnswerAsPointer(), nullptr);
    }
    EXPECT_EQ(peer.connections(), 0);
    EXPECT_TRUE(tempDirectoryEmpty(machine));
}

struct PackageCase {
    const char* what;
    std::string data;          // "{job}" stands for the job file's path
    std::string printer;
    std::string document;
    std::string block;         // without the length, which the test puts in
};

TEST(ExchangeRequest, JobPackageLayout) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_1.gz");
    const std::string jobBytes = "\x1f\x8bJOB\0DATA"s;
    testenv::writeFile(job, jobBytes);
    const auto length = std::uint32_t(jobBytes.size());
    const PackageCase cases[] = {
        {"all ten fields",
         "HP Laser\x04{job}\x04" "3\x04" "2\x04" "9\x04" "1\x04" "-2\x04" "My doc\x04" "2100\x04" "2970",
         "HP Laser", "My doc", jobBlock(length, -2, 2100, 2970, 3, 2, 9, 1)},
        {"the queue's eight fields", "HP\x04{job}\x04" "1\x04" "4\x04" "8\x04" "0\x04" "16\x04" "Report", "HP",
         "Report", jobBlock(length, 16, 0, 0, 1, 4, 8, 0)},
        {"printer and path only: defaults", "HP\x04{job}", "HP", "", jobBlock(length, 0, 0, 0, 0, 1, 0, 0)},
        {"empty document name: later fields move up",
         "HP\x04{job}\x04" "3\x04" "2\x04" "9\x04" "1\x04" "0\x04\x04" "2100\x04" "2970", "HP", "2100",
         jobBlock(length, 0, 2970, 0, 3, 2, 9, 1)},
        {"runs of separators count as one", "\x04\x04HP\x04\x04\x04{job}\x04\x04" "5", "HP", "",
         jobBlock(length, 0, 0, 0, 5, 1, 0, 0)},
        {"numbers that are not numbers take the defaults",
         "HP\x04{job}\x04many\x04x\x04" "A4\x04no\x04" "1.5\x04" "Doc\x04wide\x04" "12 ", "HP", "Doc",
         jobBlock(length, 0, 0, 0, 0, 1, 0, 0)},
    };
    ScriptedPeer peer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto before = peer.requests().size();
        peer.push(number(0));
        auto thread = runExchange("PRFILE", replaceJob(c.data, job), peer.address(), encdec::ttNone, 9);
        EXPECT_EQ(thread->ErrorCode, 0);
        auto requests = peer.requests();
        ASSERT_EQ(requests.size(), before + 1) << "return value 0 is not confirmed";
        EXPECT_EQ(requests.back().header.Command, "PRFILE");
        EXPECT_EQ(requests.back().header.Session, 9);
        EXPECT_EQ(requests.back().payload, c.printer + '\0' + job + '\0' + c.document + '\0' + c.block + jobBytes);
    }
}

// Streamed (type 5) or packed whole through temporary files (type 3, which
// compresses): either way nothing is left behind.
TEST(ExchangeRequest, LargeJobLeavesNoTemporaryFiles) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_2.gz");
    std::string jobBytes(400000, '\0');
    for (std::size_t i = 0; i < jobBytes.size(); ++i) jobBytes[i] = char((i * 7919) >> 3);
    testenv::writeFile(job, jobBytes);
    const std::string package = "Laser\0"s + job + '\0' + '\0' + jobBlock(400000, 0, 0, 0, 2, 1, 0, 0) + jobBytes;
    ScriptedPeer peer;
    for (const auto type : {encdec::ttEncryptDecompress, encdec::ttCompressEncrypt}) {
        SCOPED_TRACE(int(type));
        peer.push(number(0));
        auto thread = runExchange("PRFILE", "Laser\x04" + job + "\x04" "2", peer.address(), type, 3);
        EXPECT_EQ(thread->ErrorCode, 0);
        auto requests = peer.requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().header.Enccmp, type);
        EXPECT_EQ(std::size_t(requests.back().header.UncSize),
                  type == encdec::ttCompressEncrypt ? package.size() : 0u);
        EXPECT_EQ(exchangetest::unpack(type, requests.back().payload), package);
        EXPECT_TRUE(tempDirectoryEmpty(machine));
    }
}

TEST(ExchangeRequest, DeliveredJobIsConfirmedWithItsNumber) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_3.gz");
    testenv::writeFile(job, "JOB");
    ScriptedPeer peer;
    peer.push(number(42));
    peer.push(text("OK"));
    auto thread = runExchange("PRFILE", "Laser\x04" + job, peer.address(), encdec::ttEncryptDecompress, 42);
    EXPECT_EQ(thread->ReturnValue, 42);
    EXPECT_EQ(thread->ErrorCode, 0);
    auto requests = peer.requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto& confirm = requests[1];
    EXPECT_EQ(confirm.header.Command, "CONFIRM");
    EXPECT_EQ(confirm.header.Enccmp, encdec::ttNone);
    EXPECT_EQ(confirm.header.Session, 42);
    EXPECT_EQ(confirm.payload, bigEndian32(42));
}

// The job counts as delivered only once its CONFIRM has been answered "OK"
// without an error; an accepted number that comes with an error code is no
// acceptance and is not confirmed.
TEST(ExchangeRequest, FailedConfirmationOrFlaggedAcceptanceIsNoDelivery) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_4.gz");
    testenv::writeFile(job, "JOB");
    auto withError = [](exchangetest::Reply r, std::int32_t code, std::string errorText) {
        r.ackError = code;
        r.errorText = std::move(errorText);
        return r;
    };
    exchangetest::Reply closed;
    closed.closeAfter = 0;
    const struct {
        const char* what;
        exchangetest::Reply prfile;
        std::optional<exchangetest::Reply> confirm;   // none: no CONFIRM may follow
        std::int32_t errorCode;
        const char* errorText;
    } cases[] = {
        {"confirmation refused with an error", number(7), withError(text("NO"), 950, "Job unknown"), 950,
         "delivery not confirmed: Job unknown"},
        {"confirmation answered NO", number(7), text("NO"), encdec::kErrNoAnswer,
         "delivery not confirmed: answered \"NO\""},
        {"confirmation OK with an error code", number(7), withError(text("OK"), 951, ""), 951,
         "delivery not confirmed: answered \"OK\""},
        {"connection closed before the confirmation's answer", number(7), closed, encdec::kErrNoAnswer,
         "delivery not confirmed: no answer"},
        {"accepted number with an error code", withError(number(7), 908, "Spool disk full"), std::nullopt, 908,
         "Spool disk full"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer;
        peer.push(c.prfile);
        if (c.confirm) peer.push(*c.confirm);
        auto thread = runExchange("PRFILE", "Laser\x04" + job, peer.address(), encdec::ttEncryptDecompress, 7);
        EXPECT_EQ(thread->ReturnValue, 0);
        EXPECT_EQ(thread->ErrorCode, c.errorCode);
        EXPECT_EQ(thread->GetErrorMsg(), c.errorText);
        const auto requests = peer.requests();
        ASSERT_EQ(requests.size(), c.confirm ? 2u : 1u);
        if (c.confirm) {
            EXPECT_EQ(requests[1].header.Command, "CONFIRM");
        }
    }
}

}  // namespace
