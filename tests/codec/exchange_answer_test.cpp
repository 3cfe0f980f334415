// What the client makes of a server's answer: the return value of every
// command, the answer file, packed answers and answers that cannot be trusted.
#include <zcodec/clientthread.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "exchange_peer.h"
#include "test_env.h"

namespace {

using namespace std::string_literals;
using encdec::kErrNoAnswer;
using exchangetest::number;
using exchangetest::runExchange;
using exchangetest::ScriptedPeer;
using exchangetest::text;

struct ReturnCase {
    const char* command;
    std::string answer;
    std::int32_t value;
    std::optional<std::string> answerFile;   // nullopt: the file keeps what it held
};

const std::string kIcon = exchangetest::bigEndian32(5) + "ICON\x01"s;

const ReturnCase kReturnCases[] = {
    {"PLGICON", kIcon, 5, "ICON\x01"s},
    {"PLGICON", exchangetest::bigEndian32(0), 0, ""},
    {"PLGICON", "\x00\x00\x07"s, 0, std::nullopt},
    {"SENDFILE", "OK", 1, "OK"},
    {"SENDFILE", "ok", 0, "ok"},
    {"SENDFILE", "OK\r\n", 0, "OK\r\n"},
    {"CONFIRM", "OK", 1, "OK"},
    {"UPDPRN", "OK", 1, "OK"},
    {"CHKPASS", "NO", 0, "NO"},
    {"CHKPASS", "OK\0junk"s, 1, "OK\0junk"s},
    {"NEWSESSION", exchangetest::bigEndian32(0x01020304), 0x01020304, exchangetest::bigEndian32(0x01020304)},
    {"NEWSESSION", "\x00\x01\x02"s, 0, "\x00\x01\x02"s},
    {"CHKINTR", exchangetest::bigEndian32(1000), 1000, exchangetest::bigEndian32(1000)},
    {"CHKINTR", exchangetest::bigEndian32(0xFFFFFFFF) + "x", -1, exchangetest::bigEndian32(0xFFFFFFFF) + "x"},
    {"RCMD", "12 done", 12, "12 done"},
    {"PLGSTG", "2", 2, "2"},
    {"PLGSTG", "none", 0, "none"},
    {"PLGFUNC", "2 <html>page</html>", 2, "<html>page</html>"},
    {"PLGFUNC", "2", 2, ""},
    {"PLGFUNC", "3<p>whole</p>", 3, "3<p>whole</p>"},
    {"WJOBS", "3\x04" "12", 3012, "3\x04" "12"},
    {"OJOBS", "7", 7000, "7"},
    {"OJOBS", " 4 \x04 5 \x04rest\x04more", 4005, " 4 \x04 5 \x04rest\x04more"},
    {"OJOBS", "x\x04" "5", 5, "x\x04" "5"},
    {"OJOBS", "\x04\x04", 0, "\x04\x04"},
    {"ASKPRN", "PRINTERNAM=Laser\r\n", 1, "PRINTERNAM=Laser\r\n"},
    {"GETPRNAMES", "\r\n", 1, "\r\n"},
    {"SVRINFO", "a\x04" "b", 1, "a\x04" "b"},
};

TEST(ExchangeAnswer, ReturnValueAndAnswerFileOfEveryCommand) {
    testenv::IsolatedMachine machine;
    ScriptedPeer peer;
    const std::string file = machine.dir().file("answer.bin");
    const std::string upload = machine.dir().file("upload.bin");
    testenv::writeFile(upload, "data");
    for (const auto& c : kReturnCases) {
        SCOPED_TRACE(std::string(c.command) + " answered with " + std::to_string(c.answer.size()) + " bytes");
        testenv::writeFile(file, "old");
        peer.push(text(c.answer));
        // Data every command can send (CONFIRM needs a number, SENDFILE a file).
        const std::string data = std::string(c.command) == "SENDFILE" ? upload : "42";
        auto thread = runExchange(c.command, data, peer.address(), encdec::ttNone, 0, file);
        EXPECT_EQ(thread->ReturnValue, c.value);
        EXPECT_EQ(thread->ErrorCode, 0);
        EXPECT_EQ(exchangetest::answerBytes(*thread), c.answer);
        EXPECT_EQ(testenv::readFile(file), c.answerFile.value_or("old"));
    }
}

TEST(ExchangeAnswer, WithoutAnswerFileNothingIsWritten) {
    testenv::IsolatedMachine machine;
    ScriptedPeer peer;
    peer.push(text("PRINTERNAM=Laser"));
    auto thread = runExchange("ASKPRN", "Laser", peer.address());
    EXPECT_EQ(thread->ReturnValue, 1);
    EXPECT_TRUE(std::filesystem::is_empty(machine.dir().file("tmp")));
}

TEST(ExchangeAnswer, AnswerLinesStopAtTheFirstZeroByteAndDropEmptyLines) {
    ScriptedPeer peer;
    const std::string answer = "PRINTERNAM=Laser\r\n\r\nCOLOR=1\n\nMAXPAGES=9\0HIDDEN=1"s;
    peer.push(text(answer));
    auto thread = runExchange("ASKPRN", "Laser", peer.address());
    encdec::StringList lines{"stale"};
    thread->GetAnswerAsStrings(lines);
    EXPECT_EQ(lines, (encdec::StringList{"PRINTERNAM=Laser", "COLOR=1", "MAXPAGES=9"}));
    ASSERT_NE(thread->GetAnswerAsPointer(), nullptr);
    EXPECT_EQ(exchangetest::answerBytes(*thread), answer);
    EXPECT_EQ(thread->GetAnswerAsPointer()[answer.size()], 0) << "the answer is followed by a zero byte";
}

TEST(ExchangeAnswer, ServerErrorKeepsCodeTextAndAnswer) {
    ScriptedPeer peer;
    auto reply = text("details");
    reply.ackError = 923;
    reply.errorText = "Client version too old";
    peer.push(reply);
    auto thread = runExchange("ASKPRN", "Laser", peer.address());
    EXPECT_EQ(thread->ErrorCode, 923);
    EXPECT_EQ(thread->GetErrorMsg(), "Client version too old");
    EXPECT_EQ(thread->ReturnValue, 1);
    EXPECT_EQ(exchangetest::answerBytes(*thread), "details");
}

TEST(ExchangeAnswer, HeaderAnnouncingNoBytesKeepsItsErrorAndGivesNoAnswer) {
    ScriptedPeer peer;
    auto reply = text("");
    reply.ackError = 902;
    reply.errorText = "Printer does not exist";
    peer.push(reply);
    auto thread = runExchange("NEWSESSION", "", peer.address(), encdec::ttEncrypt);
    EXPECT_EQ(thread->ReturnValue, 0);
    EXPECT_EQ(thread->ErrorCode, 902);
    EXPECT_EQ(thread->GetErrorMsg(), "Printer does not exist");
    EXPECT_EQ(thread->GetAnswerAsPointer(), nullptr);
    encdec::StringList lines;
    thread->GetAnswerAsStrings(lines);
    EXPECT_TRUE(lines.empty());
}

TEST(ExchangeAnswer, PackedAnswersAreUnpacked) {
    const std::string description = "PRINTERNAM=Laser\r\nCOLOR=1\r\n" + std::string(5000, 'p');
    for (auto type : {encdec::ttEncrypt, encdec::ttCompress, encdec::ttCompressEncrypt, encdec::ttDecompressOnly,
                      encdec::ttEncryptDecompress}) {
        SCOPED_TRACE(int(type));
        ScriptedPeer peer;
        // Types 4 and 5 are decompressed on receipt: the sender compresses.
        std::string wire = type == encdec::ttDecompressOnly
                               ? exchangetest::pack(encdec::ttCompress, description)
                               : type == encdec::ttEncryptDecompress
                                     ? exchangetest::pack(encdec::ttCompressEncrypt, description)
                                     : exchangetest::pack(type, description);
        auto reply = text(wire);
        reply.enccmp = type;
        peer.push(reply);
        auto thread = runExchange("ASKPRN", "Laser", peer.address());
        EXPECT_EQ(thread->ReturnValue, 1);
        EXPECT_EQ(thread->ErrorCode, 0);
        EXPECT_EQ(exchangetest::answerBytes(*thread), description);
    }
}

TEST(ExchangeAnswer, PackedBinaryAnswerKeepsItsLength) {
    ScriptedPeer peer;
    const std::string session = exchangetest::bigEndian32(77) + "\0\0"s;
    auto reply = text(exchangetest::pack(encdec::ttEncrypt, session));
    reply.enccmp = encdec::ttEncrypt;
    peer.push(reply);
    auto thread = runExchange("NEWSESSION", "", peer.address(), encdec::ttEncrypt);
    EXPECT_EQ(thread->ReturnValue, 77);
    EXPECT_EQ(exchangetest::answerBytes(*thread), session);
}

// Answers the client must not take: each is "no answer", whatever the header
// says, and nothing is written to the answer file.
struct UntrustedCase {
    const char* what;
    exchangetest::Reply reply;
};

exchangetest::Reply withLength(std::int32_t lengthField, std::string payload = {}) {
    auto r = text(std::move(payload));
    r.lengthField = lengthField;
    r.ackError = 0;
    return r;
}

exchangetest::Reply closingAfter(std::size_t bytes, std::string payload) {
    auto r = text(std::move(payload));
    r.closeAfter = bytes;
    return r;
}

exchangetest::Reply garbled(encdec::TransportType type, std::string payload) {
    auto r = text(std::move(payload));
    r.enccmp = type;
    return r;
}

TEST(ExchangeAnswer, UntrustedAnswersCountAsNoAnswer) {
    testenv::IsolatedMachine machine;
    const UntrustedCase cases[] = {
        {"size above the limit", withLength(256 + encdec::kMaxAnswerSize + 1, "OK")},
        {"largest length field", withLength(INT32_MAX, "OK")},
        {"closes inside the header", closingAfter(100, "OK")},
        {"closes inside the payload", closingAfter(256 + 10, std::string(100, 'a'))},
        {"closes before sending anything", closingAfter(0, "OK")},
        {"enciphered payload too short", garbled(encdec::ttEncrypt, "x")},
        // A few hundred kilobytes of gzip that would unpack past the limit.
        {"compressed past the limit",
         garbled(encdec::ttCompress,
                 exchangetest::pack(encdec::ttCompress, std::string(std::size_t(encdec::kMaxAnswerSize) + 1, '\0')))},
    };
    const std::string file = machine.dir().file("answer.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer;
        auto reply = c.reply;
        reply.ackError = 0;
        peer.push(reply);
        testenv::writeFile(file, "old");
        auto thread = runExchange("CONFIRM", "42", peer.address(), encdec::ttNone, 0, file);
        EXPECT_EQ(thread->ReturnValue, 0);
        EXPECT_EQ(thread->ErrorCode, kErrNoAnswer);
        EXPECT_EQ(thread->GetAnswerAsPointer(), nullptr);
        EXPECT_EQ(thread->GetErrorMsg(), "");
        EXPECT_EQ(testenv::readFile(file), "old");
    }
}

// A length field no longer than the header announces no payload: the
// server's error still counts, and whatever follows is not read.
TEST(ExchangeAnswer, ShortLengthFieldsAnnounceNoPayloadButKeepTheError) {
    testenv::IsolatedMachine machine;
    const std::string file = machine.dir().file("answer.txt");
    for (const std::int32_t lengthField : {0, 100, -1}) {
        SCOPED_TRACE(lengthField);
        ScriptedPeer peer;
        auto reply = withLength(lengthField, "OK");
        reply.ackError = 923;
        reply.errorText = "Client too old";
        peer.push(reply);
        testenv::writeFile(file, "old");
        auto thread = runExchange("ASKPRN", "Laser", peer.address(), encdec::ttNone, 0, file);
        EXPECT_EQ(thread->ReturnValue, 0);
        EXPECT_EQ(thread->ErrorCode, 923);
        EXPECT_EQ(thread->GetErrorMsg(), "Client too old");
        EXPECT_EQ(thread->GetAnswerAsPointer(), nullptr);
        EXPECT_EQ(testenv::readFile(file), "old");
    }
}

TEST(ExchangeAnswer, AnswerAtTheLimitIsTaken) {
    ScriptedPeer peer;
    // Exactly the limit passes; the refused cases above sit just past it.
    std::string big(std::size_t(encdec::kMaxAnswerSize), 'z');
    big.replace(0, 2, "OK");
    peer.push(text(big));
    auto thread = runExchange("ASKPRN", "Laser", peer.address());
    EXPECT_EQ(thread->ErrorCode, 0);
    EXPECT_EQ(thread->GetAnswerLength(), encdec::kMaxAnswerSize);
}

}  // namespace
