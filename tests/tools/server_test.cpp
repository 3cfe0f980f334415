// The reference server, run as its real binary and spoken to over TCP on
// 127.0.0.1 with the client's own header, pipeline and cipher.
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>
#include <zcodec/cipher.h>
#include <zcodec/printerdata.h>

#include "server_process.h"

namespace {

using namespace servertest;
namespace fs = std::filesystem;

const char kConfig[] = R"({
  "server_info": ["Test server", "2.5", "localhost", "CHF"],
  "first_session": 500,
  "lockout_after": 3,
  "refused_value": -7,
  "max_request_bytes": 1048576,
  "max_unpacked_bytes": 2097152,
  "io_timeout_ms": 400,
  "auth_methods": {
    "Account": {
      "icon": "icon.bin",
      "steps": [
        {"result": 2, "page": "login.htm"},
        {"result": 1, "require": {"password": "secret"}, "fail_result": 0}
      ]
    },
    "Voucher": {"stage": 1}
  },
  "printers": [
    {"name": "laser", "description": {"PRLOCATION": "Room 1", "MAXPAGES": 10, "XRES": 1200,
      "MARGINS": [1, 2, 3, 4, 21000, 29700], "AUTHNAME": ["Account", "Voucher"],
      "PAGEPRICE": ["0.10", "0.05"], "MINCHARGE": ["1", "0.5"], "TAX": ["18", "18"], "ACC_IP": "127.0.0.1"}},
    {"name": "colour", "description": {"PRCOLOR": true, "AUTHNAME": "Account"}},
    {"name": "broken", "description": {"AVAILABLE": "no"}},
    {"name": "hidden", "listed": false}
  ],
  "jobs": [{"id": 17, "printer": "laser", "status": 4099, "document": "Report"}]
})";

// The files the configuration names, written beside it.
const std::string kIcon("\x00\x00\x01\x00icon-bytes\x00\xff", 16);
const std::string kPage = "<html><form><input name=password></form></html>";

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { server_ = std::make_unique<testenv::ReferenceServer>(
            kConfig, std::map<std::string, std::string>{{"icon.bin", kIcon}, {"login.htm", kPage}}); }

    WireAnswer ask(const std::string& command, const std::string& data, encdec::TransportType t = encdec::ttNone,
                   std::int32_t session = 0) {
        Bytes payload = bytes(data);
        payload.push_back(0);
        return exchange(server_->port(), Request{command, payload, t, session});
    }

    std::int32_t openSession(const std::string& user) {
        const WireAnswer a = ask("NEWSESSION", user, encdec::ttEncrypt);
        EXPECT_TRUE(a.received);
        return be32(a.payload);
    }

    std::unique_ptr<testenv::ReferenceServer> server_;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (auto& l : fields(text, '\n')) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty()) out.push_back(l);
    }
    return out;
}

TEST_F(ServerTest, AskPrinterSendsAll31KeysInOrderAndTheClientParsesThem) {
    const WireAnswer a = ask("ASKPRN", "laser");
    ASSERT_TRUE(a.received);
    EXPECT_EQ(a.header.AckError, 0);
    EXPECT_EQ(a.header.Enccmp, encdec::ttNone);
    EXPECT_EQ(a.header.Command, "ASKPRN");
    const auto got = lines(text(a.payload));
    ASSERT_EQ(got.size(), encdec::PrinterDataKeys.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].substr(0, got[i].find('=')), encdec::PrinterDataKeys[i]) << "line " << i;
    EXPECT_EQ(got[0], "PRINTERNAM=laser");
    EXPECT_EQ(got[25], "AUTHNAME=Account;Voucher");
    EXPECT_EQ(got[26], "PAGEPRICE=0.10;0.05");
    EXPECT_EQ(got[29], "ACC_IP=127.0.0.1");
    EXPECT_EQ(got[30], "REJ_IP=");

    encdec::StringList list(got.begin(), got.end());
    encdec::TPrinterData data;
    encdec::ParsePrinterData(list, data, false);
    EXPECT_TRUE(data.Available);
    EXPECT_EQ(data.MaxPages, 10);
    EXPECT_EQ(data.XRes, 1200);
    EXPECT_EQ(data.YRes, 600);   // absent from the configuration: the client's default
    EXPECT_EQ(data.PrPage, 9);
    EXPECT_EQ(data.PrLocation, "Room 1");
    EXPECT_EQ(data.Margins.PaperWidth, 21000);
    EXPECT_EQ(data.Margins.Margin.Bottom, 4);
}

TEST_F(ServerTest, AskPrinterForUnknownPrinterAnswersAnErrorWithoutData) {
    for (const char* name : {"nosuch", "", "LASER"}) {
        const WireAnswer a = ask("ASKPRN", name);
        ASSERT_TRUE(a.received) << name;
        EXPECT_EQ(a.header.AckError, 902) << name;
        EXPECT_EQ(a.header.AckErrMsg, "Printer does not exist") << name;
        EXPECT_EQ(a.header.Size, 0) << name;
    }
}

TEST_F(ServerTest, PrinterNamesListOnlyListedPrinters) {
    const WireAnswer a = ask("GETPRNAMES", "1");
    ASSERT_TRUE(a.received);
    EXPECT_EQ(a.header.Enccmp, encdec::ttNone);
    EXPECT_EQ(lines(text(a.payload)), (std::vector<std::string>{"laser", "colour", "broken"}));
}

TEST_F(ServerTest, NewSessionsAreEncipheredIncreasingAndNeverZero) {
    std::int32_t previous = 0;
    for (int i = 0; i < 3; ++i) {
        const WireAnswer a = ask("NEWSESSION", "alice", encdec::ttEncrypt);
        ASSERT_TRUE(a.received);
        EXPECT_EQ(a.header.Enccmp, encdec::ttEncrypt);
        ASSERT_TRUE(a.unpacked);
        ASSERT_EQ(a.payload.size(), 4u);
        const std::int32_t session = be32(a.payload);
        EXPECT_EQ(session, 500 + i);
        EXPECT_GT(session, previous);
        previous = session;
    }
}

TEST_F(ServerTest, ServerInfoCarriesTheCurrencyAsFourthField) {
    const WireAnswer a = ask("SVRINFO", "", encdec::ttEncrypt);
    ASSERT_TRUE(a.received);
    EXPECT_EQ(a.header.Enccmp, encdec::ttEncrypt);
    const auto f = fields(text(a.payload), '\x04');
    ASSERT_GE(f.size(), 4u);
    EXPECT_EQ(f[3], "CHF");
}

TEST_F(ServerTest, DeliveredJobIsStoredByteExactConfirmedAndReported) {
    const std::int32_t session = openSession("bob");
    Bytes job = randomBytes(70000, 1);   // zero bytes inside are job data, not separators
    job[0] = 0;
    const Bytes package =
        jobPackage("laser", "/work/ztp_3.gz", "Quarterly report", job, 3, 21000, 29700, 4, 2, 9, 1);

    const WireAnswer a = exchange(server_->port(), Request{"PRFILE", package, encdec::ttEncryptDecompress, session});
    ASSERT_TRUE(a.received);
    EXPECT_EQ(a.header.AckError, 0) << a.header.AckErrMsg;
    EXPECT_EQ(a.header.Enccmp, encdec::ttEncryptDecompress);
    ASSERT_TRUE(a.unpacked);
    EXPECT_EQ(be32(a.payload), session);

    const auto jobs = spooledJobs(server_->spoolDir());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(bytes(testenv::readFile((jobs[0] / "job.bin").string())), job);
    const auto meta = nlohmann::json::parse(testenv::readFile((jobs[0] / "meta.json").string()));
    EXPECT_EQ(meta["printer"], "laser");
    EXPECT_EQ(meta["path"], "/work/ztp_3.gz");
    EXPECT_EQ(meta["document"], "Quarterly report");
    EXPECT_EQ(meta["session"], session);
    EXPECT_EQ(meta["user"], "bob");
    EXPECT_EQ(meta["block_hex"], "00011170" "00000003" "00005208" "00007404" "0004" "0002" "0009" "0001");
    EXPECT_EQ(meta["block"]["length"], 70000);
    EXPECT_EQ(meta["block"]["server_flags"], 3);
    EXPECT_EQ(meta["block"]["paper_height"], 29700);
    EXPECT_EQ(meta["block"]["copies"], 2);

    // Before and after confirmation, as the status query sees it.
    auto status = [&] {
        const WireAnswer s = ask("OJOBS", "laser\x04" + std::to_string(session), encdec::ttEncrypt);
        EXPECT_EQ(s.header.Enccmp, encdec::ttEncrypt);
        return fields(text(s.payload), '\x04');
    };
    auto before = status();
    ASSERT_GE(before.size(), 22u);
    EXPECT_EQ(before[21], "5");

    Bytes number;
    for (int shift = 24; shift >= 0; shift -= 8) number.push_back(std::uint8_t(std::uint32_t(session) >> shift));
    const WireAnswer c = exchange(server_->port(), Request{"CONFIRM", number, encdec::ttNone, session});
    ASSERT_TRUE(c.received);
    EXPECT_EQ(text(c.payload), "OK");

    auto after = status();
    ASSERT_GE(after.size(), 22u);
    EXPECT_EQ(after[0], "1");
    EXPECT_EQ(after[21], "2");
    EXPECT_EQ(after[5], "Quarterly report");
}

// A job still enciphered is deciphered only as its fields are read and its
// bytes written: whatever the packing, however long the fields, the job and
// its description come out as sent, and a package that only looks like gzip
// after deciphering is handled as unpacking it whole would.
TEST_F(ServerTest, JobsAreStoredWhateverTheirPackingAndFieldLengths) {
    const std::int32_t session = openSession("dora");
    struct Case {
        const char* what;
        encdec::TransportType transport;
        std::string printer;
        std::size_t documentLength;
        std::size_t jobBytes;
        std::int32_t error;   // 0: stored
    } cases[] = {
        {"enciphered, fields past the first look", encdec::ttEncryptDecompress, "laser", 5000, 300000, 0},
        {"enciphered, fields far past the first look", encdec::ttEncrypt, "laser", 70000, 1000, 0},
        {"enciphered, empty job", encdec::ttEncryptDecompress, "laser", 3, 0, 0},
        {"as it is", encdec::ttNone, "laser", 12, 70001, 0},
        {"as it is, decompressed on receipt", encdec::ttDecompressOnly, "laser", 12, 70001, 0},
        {"compressed and enciphered", encdec::ttCompressEncrypt, "laser", 12, 70001, 0},
        {"looks like gzip once deciphered", encdec::ttEncryptDecompress, "\x1f\x8bx", 12, 1000, 900},
        {"the same, not to be decompressed", encdec::ttEncrypt, "\x1f\x8bx", 12, 1000, 902},
    };
    unsigned seed = 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes job = randomBytes(c.jobBytes, seed++);
        const std::string document(c.documentLength, 'D');
        const Bytes package = jobPackage(c.printer, "/work/ztp_9.gz", document, job, 0, 0, 0, 1, 1, 9, 0);
        const WireAnswer a = exchange(server_->port(), Request{"PRFILE", package, c.transport, session});
        ASSERT_TRUE(a.received);
        EXPECT_EQ(a.header.AckError, c.error) << a.header.AckErrMsg;
        const auto jobs = spooledJobs(server_->spoolDir());
        if (c.error != 0) {
            EXPECT_TRUE(jobs.empty());
            continue;
        }
        EXPECT_EQ(be32(a.payload), session);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_TRUE(bytes(testenv::readFile((jobs[0] / "job.bin").string())) == job);
        const auto meta = nlohmann::json::parse(testenv::readFile((jobs[0] / "meta.json").string()));
        EXPECT_EQ(meta["document"], document);
        EXPECT_EQ(meta["job_bytes"], c.jobBytes);
        fs::remove_all(jobs[0]);
    }
}

TEST_F(ServerTest, RefusedJobsGetTheRefusalValueAndAreNotStored) {
    const Bytes job = bytes("%!PS\nshowpage\n");
    const Bytes good = jobPackage("laser", "p", "d", job, 0, 0, 0, 5, 2, 9, 0);
    Bytes shortBlock(good.begin(), good.begin() + 6 + 10);       // "laser\0p\0d\0" + 10 block bytes
    Bytes noZero = bytes("laser");
    Bytes lengthMismatch = good;
    lengthMismatch.pop_back();
    struct Case {
        const char* name;
        Bytes package;
        std::int32_t session;
        std::int32_t error;
    } cases[] = {
        {"unknown printer", jobPackage("nosuch", "p", "d", job, 0, 0, 0, 1, 1, 9, 0), 9, 902},
        {"unavailable printer", jobPackage("broken", "p", "d", job, 0, 0, 0, 1, 1, 9, 0), 9, 903},
        {"over the page limit", jobPackage("laser", "p", "d", job, 0, 0, 0, 11, 1, 9, 0), 9, 904},
        {"no session", good, 0, 905},
        {"no zero bytes", noZero, 9, 907},
        {"short block", shortBlock, 9, 907},
        {"length mismatch", lengthMismatch, 9, 907},
    };
    for (const auto& c : cases) {
        const WireAnswer a =
            exchange(server_->port(), Request{"PRFILE", c.package, encdec::ttEncryptDecompress, c.session});
        ASSERT_TRUE(a.received) << c.name;
        EXPECT_EQ(a.header.AckError, c.error) << c.name;
        EXPECT_EQ(be32(a.payload), -7) << c.name;
    }
    EXPECT_TRUE(spooledJobs(server_->spoolDir()).empty());

    // The limit itself is accepted: 5 pages x 2 copies on a 10-page printer.
    const WireAnswer ok = exchange(server_->port(), Request{"PRFILE", good, encdec::ttEncryptDecompress, 9});
    EXPECT_EQ(be32(ok.payload), 9);
    EXPECT_EQ(spooledJobs(server_->spoolDir()).size(), 1u);
}

TEST_F(ServerTest, RepeatedAuthenticationFailuresLockTheUserOutOfThatPrinterOnly) {
    const std::int32_t mallory = openSession("mallory");
    const std::int32_t alice = openSession("alice");
    auto check = [&](std::int32_t session, const std::string& printer, const char* outcome) {
        const WireAnswer a = ask("CHKINTR", printer + "\x04" + outcome, encdec::ttEncrypt, session);
        EXPECT_EQ(a.header.Enccmp, encdec::ttEncrypt);
        return be32(a.payload);
    };
    EXPECT_NE(check(mallory, "laser", "0"), 1000);
    EXPECT_NE(check(mallory, "laser", "0"), 1000);
    EXPECT_EQ(check(mallory, "laser", "0"), 1000);
    EXPECT_EQ(check(mallory, "laser", "1"), 1000) << "a later success does not lift the lock-out";
    EXPECT_EQ(text(ask("PLGSTG", "Account\x04laser", encdec::ttNone, mallory).payload), "0");

    EXPECT_NE(check(mallory, "colour", "0"), 1000);
    EXPECT_NE(check(alice, "laser", "0"), 1000);
    EXPECT_EQ(text(ask("PLGSTG", "Account\x04laser", encdec::ttNone, alice).payload), "2");
}

TEST_F(ServerTest, AuthenticationDialogueFollowsTheConfiguredSteps) {
    const WireAnswer icon = ask("PLGICON", "Account\x04laser");
    EXPECT_EQ(be32(icon.payload), std::int32_t(kIcon.size()));
    EXPECT_EQ(text(Bytes(icon.payload.begin() + 4, icon.payload.end())), kIcon);
    EXPECT_EQ(be32(ask("PLGICON", "Voucher\x04laser").payload), 0);

    struct Case {
        const char* command;
        std::string data;
        std::string answer;
    } cases[] = {
        {"PLGSTG", "Account\x04laser", "2"},
        {"PLGSTG", "Voucher\x04laser", "1"},
        {"PLGSTG", "Voucher\x04colour", "0"},   // not offered by that printer
        {"PLGSTG", "Nosuch\x04laser", "0"},
        {"PLGFUNC", "Account\x04laser\x04" "1\x04" "2\x04" "3\x04" "0.10\x04" "1.00\x04" "18.00",
         "2\n" + kPage},
        {"PLGFUNC",
         "Account\x04laser\x04" "2\x04" "2\x04" "3\x04" "0.10\x04" "1.00\x04" "18.00\x04"
         "_ORLO_URL_=http://x/\x04user=a\x04password=secret\x04",
         "1"},
        {"PLGFUNC",
         "Account\x04laser\x04" "2\x04" "2\x04" "3\x04" "0.10\x04" "1.00\x04" "18.00\x04"
         "_ORLO_URL_=http://x/\x04password=wrong\x04",
         "0"},
        {"PLGFUNC", "Account\x04laser\x04" "9\x04" "2\x04" "3\x04" "0.10\x04" "1.00\x04" "18.00", "0"},
    };
    for (const auto& c : cases) {
        const WireAnswer a = ask(c.command, c.data);
        ASSERT_TRUE(a.received) << c.command;
        EXPECT_EQ(a.header.Enccmp, encdec::ttNone);
        EXPECT_EQ(text(a.payload), c.answer) << c.command << " " << c.data;
    }
}

TEST_F(ServerTest, JobStatusOfPresetAndUnknownJobs) {
    const auto known = fields(text(ask("OJOBS", "laser\x04" "17", encdec::ttEncrypt).payload), '\x04');
    ASSERT_GE(known.size(), 22u);
    EXPECT_EQ(std::stoi(known[0]) * 1000 + std::stoi(known[1]), 1000) << "the client counts this as answered";
    EXPECT_EQ(known[21], "4099");

    // Unknown job, or a job of another printer: answered, but with too few fields.
    for (const char* data : {"laser\x04" "99", "colour\x04" "17", "laser\x04" "abc"}) {
        const auto f = fields(text(ask("OJOBS", data, encdec::ttEncrypt).payload), '\x04');
        EXPECT_LT(f.size(), 22u) << data;
        EXPECT_NE(std::stoi(f[0]) * 1000 + std::stoi(f[1]), 0) << data;
    }
    EXPECT_EQ(ask("OJOBS", "nosuch\x04" "17", encdec::ttEncrypt).header.AckError, 902);
}

TEST_F(ServerTest, TooOldClientAndUnknownCommandsGetErrorCodes) {
    Request old{"ASKPRN", bytes(std::string("laser", 6)), encdec::ttNone, 0, 255};
    const WireAnswer a = exchange(server_->port(), old);
    ASSERT_TRUE(a.received);
    EXPECT_EQ(a.header.AckError, 923);
    EXPECT_FALSE(a.header.AckErrMsg.empty());
    EXPECT_EQ(a.header.Size, 0);

    EXPECT_EQ(ask("FROBNICATE", "").header.AckError, 901);
}

TEST_F(ServerTest, PayloadsArriveInEveryTransportType) {
    for (int t = 0; t <= 5; ++t) {
        const WireAnswer a = ask("ASKPRN", "colour", encdec::TransportType(t));
        ASSERT_TRUE(a.received) << "type " << t;
        EXPECT_EQ(a.header.AckError, 0) << "type " << t;
        EXPECT_EQ(lines(text(a.payload)).at(11), "PRCOLOR=1") << "type " << t;
    }
}

// Requests that no client sends; each is answered with an error or dropped,
// and the server keeps serving.
TEST_F(ServerTest, HostileRequestsLeaveTheServerAnswering) {
    auto header = [](const std::string& command, int transport, std::int32_t size) {
        return requestHeader(Request{command, {}, encdec::TransportType(transport), 0}, size);
    };
    Bytes garbage = randomBytes(256, 7);
    Bytes huge = header("ASKPRN", 0, 0x40000000);
    Bytes badTransport = header("ASKPRN", 0, 0);
    badTransport[53] = 9;
    Bytes badCipher = header("ASKPRN", 1, 3);
    badCipher.insert(badCipher.end(), {1, 2, 3});
    Bytes badGzip = header("ASKPRN", 2, 12);
    badGzip.insert(badGzip.end(), {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3, 0xff, 0xff});
    Bytes truncated = header("ASKPRN", 0, 100);
    truncated.insert(truncated.end(), 10, 'x');
    Bytes earlyClose = Bytes(huge.begin(), huge.begin() + 100);
    // 3 MB of zeros compress to a few kB but unpack beyond the 2 MB limit.
    const Bytes bomb = pack(encdec::ttCompress, Bytes(3 << 20, 0));
    Bytes bombRequest = header("ASKPRN", 2, std::int32_t(bomb.size()));
    bombRequest.insert(bombRequest.end(), bomb.begin(), bomb.end());
    Bytes shortPrfile = requestHeader(Request{"PRFILE", {}, encdec::ttNone, 5}, 4);
    shortPrfile.insert(shortPrfile.end(), {'l', 'a', 0, 0});

    struct Case {
        const char* name;
        Bytes wire;
        std::int32_t error;   // 0: dropped without an answer
    } cases[] = {
        {"garbage header", garbage, 900},
        {"huge size", huge, 909},
        {"unknown transport", badTransport, 900},
        {"bad cipher block", badCipher, 900},
        {"bad gzip", badGzip, 900},
        {"gzip over the unpack limit", bombRequest, 909},
        {"PRFILE without its fields", shortPrfile, 907},
        {"truncated payload", truncated, 0},
        {"early close", earlyClose, 0},
    };
    for (const auto& c : cases) {
        const int fd = connectLocal(server_->port());
        ASSERT_GE(fd, 0) << c.name;
        sendAll(fd, c.wire);
        shutdown(fd, SHUT_WR);
        const WireAnswer a = readAnswer(fd, 3000);
        close(fd);
        if (c.error == 0) {
            EXPECT_FALSE(a.received) << c.name;
        } else {
            ASSERT_TRUE(a.received) << c.name;
            EXPECT_EQ(a.header.AckError, c.error) << c.name;
        }
        ASSERT_TRUE(server_->alive()) << c.name;
        EXPECT_EQ(ask("ASKPRN", "laser").header.AckError, 0) << "after " << c.name;
    }
}

TEST_F(ServerTest, SilentClientTimesOutWithoutHoldingUpOthers) {
    const int idle = connectLocal(server_->port());
    ASSERT_GE(idle, 0);
    sendAll(idle, bytes("ASK"));   // a few header bytes, then nothing
    EXPECT_EQ(ask("GETPRNAMES", "1").header.AckError, 0) << "served while the other connection waits";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(closedByPeer(idle, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    close(idle);
    EXPECT_TRUE(server_->logShows("dropped: timed out after 3 of 256 header bytes")) << server_->log();
}

TEST_F(ServerTest, EveryRequestIsLoggedOnOneLine) {
    ask("ASKPRN", "laser");
    ask("ASKPRN", "no\nsuch");
    EXPECT_TRUE(server_->logShows(" ASKPRN session=0 size=6 description of \"laser\"")) << server_->log();
    EXPECT_TRUE(server_->logShows(" ASKPRN session=0 size=8 error 902: unknown printer \"no?such\""))
        << server_->log();
}

// Jobs of several megabytes are deciphered piece by piece inside the received
// buffer: whatever the key length (dividing the piece size or not) and
// wherever the job ends, job.bin holds exactly the bytes sent.
TEST(ServerLargeJobTest, LargeJobsAreStoredByteExactForEveryKeyLength) {
    testenv::ReferenceServer server(R"({"max_request_bytes": 8388608, "max_unpacked_bytes": 8388608,
                             "printers": [{"name": "big"}]})");
    Bytes user = bytes("carol");
    user.push_back(0);
    const WireAnswer opened = exchange(server.port(), Request{"NEWSESSION", user, encdec::ttEncrypt, 0});
    ASSERT_TRUE(opened.received);
    const std::int32_t session = be32(opened.payload);
    ASSERT_GT(session, 0);

    struct Case {
        int keyLength;
        std::size_t jobBytes;
    };
    const std::size_t mib = std::size_t(1) << 20;
    const Case cases[] = {{256, 3 * mib}, {256, 3 * mib + 1}, {1000, 2 * mib + 4321}, {1, mib + 7},
                          {65535, 2 * mib + 99}, {65535, 1000}};
    unsigned seed = 11;
    for (const Case& c : cases) {
        SCOPED_TRACE("key length " + std::to_string(c.keyLength) + ", " + std::to_string(c.jobBytes) + " bytes");
        const Bytes job = randomBytes(c.jobBytes, seed++);
        const Bytes package = jobPackage("big", "/tmp/big.ps", "Big", job, 0, 0, 0, 1, 1, 9, 0);
        encdec::Key keyA, keyB;
        const auto block = encdec::encrypt_buffer(package.size(), package.data(), c.keyLength, keyA, keyB);
        ASSERT_TRUE(block);
        const Request request{"PRFILE", package, encdec::ttEncryptDecompress, session};
        Bytes wire = requestHeader(request, std::int32_t(block->size()));
        wire.insert(wire.end(), block->begin(), block->end());
        const int fd = connectLocal(server.port());
        ASSERT_GE(fd, 0);
        sendAll(fd, wire);
        const WireAnswer a = readAnswer(fd);
        close(fd);
        ASSERT_TRUE(a.received);
        EXPECT_EQ(a.header.AckError, 0) << a.header.AckErrMsg;
        EXPECT_EQ(be32(a.payload), session);

        const auto jobs = spooledJobs(server.spoolDir());
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_TRUE(bytes(testenv::readFile((jobs[0] / "job.bin").string())) == job);
        fs::remove_all(jobs[0]);
    }
}

TEST(ServerConfigTest, ConfiguredTransportDelaySilenceAndErrors) {
    testenv::ReferenceServer server(R"({
      "printers": [{"name": "p"}],
      "commands": {
        "GETPRNAMES": {"transport": 3},
        "SVRINFO": {"silent": true},
        "OJOBS": {"delay_ms": 400},
        "ASKPRN": {"error": {"code": 923, "text": "Please update"}}
      }
    })");
    const WireAnswer names = exchange(server.port(), Request{"GETPRNAMES", bytes(std::string("1", 2))});
    EXPECT_EQ(names.header.Enccmp, encdec::ttCompressEncrypt);
    EXPECT_TRUE(names.unpacked);
    EXPECT_EQ(text(names.payload), "p\r\n");

    const int fd = connectLocal(server.port());
    const Bytes info = requestHeader(Request{"SVRINFO", {}, encdec::ttNone}, 0);
    sendAll(fd, info);
    EXPECT_FALSE(readAnswer(fd, 3000).received);
    close(fd);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(exchange(server.port(), Request{"OJOBS", bytes(std::string("p\x04" "1", 4))}).received);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));

    const WireAnswer askprn = exchange(server.port(), Request{"ASKPRN", bytes(std::string("p", 2))});
    EXPECT_EQ(askprn.header.AckError, 923);
    EXPECT_EQ(askprn.header.AckErrMsg, "Please update");
}

// Hostile answers a test may need: a fixed text or file instead of what the
// command would answer, or the command's own answer with an error code.
TEST(ServerConfigTest, ConfiguredAnswersReplaceTheCommandsOwnOrCarryAnError) {
    testenv::ReferenceServer server(R"({
      "first_session": 40,
      "printers": [{"name": "p"}],
      "commands": {
        "CONFIRM": {"answer": "NO"},
        "ASKPRN": {"answer_file": "description.txt", "transport": 2},
        "NEWSESSION": {"answer_error": {"code": 905, "text": "Sessions are running out"}}
      }
    })",
                         {{"description.txt", "PRMODEL=Canned\r\n"}});
    const WireAnswer confirm = exchange(server.port(), Request{"CONFIRM", Bytes{0, 0, 0, 40}});
    EXPECT_EQ(text(confirm.payload), "NO");
    EXPECT_EQ(confirm.header.AckError, 0);

    const WireAnswer askprn = exchange(server.port(), Request{"ASKPRN", bytes(std::string("p", 2))});
    EXPECT_EQ(askprn.header.Enccmp, encdec::ttCompress);
    EXPECT_TRUE(askprn.unpacked);
    EXPECT_EQ(text(askprn.payload), "PRMODEL=Canned\r\n");

    const WireAnswer session = exchange(server.port(), Request{"NEWSESSION", bytes(std::string("u", 2)),
                                                               encdec::ttEncrypt});
    EXPECT_TRUE(session.unpacked);
    EXPECT_EQ(be32(session.payload), 40) << "the command ran";
    EXPECT_EQ(session.header.AckError, 905);
    EXPECT_EQ(session.header.AckErrMsg, "Sessions are running out");
}

TEST(ServerCommandLineTest, HelpUsageErrorsAndBadConfigurations) {
    const auto help = testenv::run({testenv::binDir() + "/zentserver", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--host", "--port", "--config", "--spool", "--log"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    EXPECT_EQ(testenv::run({testenv::binDir() + "/zentserver", "--port", "70000"}).exitCode, 2);
    EXPECT_EQ(testenv::run({testenv::binDir() + "/zentserver", "--bogus"}).exitCode, 2);

    testenv::TempDir dir;
    struct Case {
        const char* json;
        const char* message;
    } cases[] = {
        {R"({"printers": [{"name": "p", "description": {"MAXPAGE": 1}}]})", "unknown key \"MAXPAGE\""},
        {R"({"printers": [{"name": "p"}, {"name": "p"}]})", "defined twice"},
        {R"({"max_conections": 3})", "unknown member \"max_conections\""},
        {R"({"auth_methods": {"A": {"icon": "missing.ico"}}})", "cannot read"},
        {R"({"printers": [{"name": "p", "description": {"COMMENTS": "a\nb"}}]})", "line ends"},
        {R"({"commands": {"CONFIRM": {"answer": "NO", "answer_file": "no.txt"}}})", "exclude each other"},
        {"{", "not valid JSON"},
    };
    for (const auto& c : cases) {
        testenv::writeFile(dir.file("bad.json"), c.json);
        const auto r = testenv::run({testenv::binDir() + "/zentserver", "--config", dir.file("bad.json")});
        EXPECT_EQ(r.exitCode, 2) << c.json;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST(ServerDemoTest, BundledDemoConfigurationServesItsPrinters) {
    testenv::ReferenceServer server(ConfigFile{testenv::sourceDir() + "/data/demo/zentserver.json"});
    auto ask = [&](const std::string& command, const std::string& data, encdec::TransportType t) {
        Bytes payload = bytes(data);
        payload.push_back(0);
        return exchange(server.port(), Request{command, payload, t, 0});
    };
    const auto names = lines(text(ask("GETPRNAMES", "1", encdec::ttNone).payload));
    ASSERT_GE(names.size(), 2u);

    int unavailable = 0, limited = 0, colour = 0;
    for (const auto& name : names) {
        const auto description = lines(text(ask("ASKPRN", name, encdec::ttNone).payload));
        encdec::TPrinterData data;
        encdec::ParsePrinterData(encdec::StringList(description.begin(), description.end()), data, true);
        unavailable += !data.Available;
        limited += data.MaxPages > 0;
        colour += data.Color;
    }
    EXPECT_GE(unavailable, 1);
    EXPECT_GE(limited, 1);
    EXPECT_GE(colour, 1);

    const auto info = fields(text(ask("SVRINFO", "", encdec::ttEncrypt).payload), '\x04');
    ASSERT_GE(info.size(), 4u);
    EXPECT_FALSE(info[3].empty());
    const Bytes icon = ask("PLGICON", "Account\x04" + names[0], encdec::ttNone).payload;
    EXPECT_GT(be32(icon), 0);
    EXPECT_EQ(std::size_t(be32(icon)) + 4, icon.size());
}

}  // namespace
