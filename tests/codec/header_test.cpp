#include <zcodec/commheader.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using encdec::TCommHeader;
using encdec::TCommResult;
using encdec::TransportType;
using Image = std::array<std::uint8_t, 256>;

Image imageOf(const TCommHeader& h) {
    Image image;
    std::copy(h.GetData(), h.GetData() + 256, image.begin());
    return image;
}

std::vector<std::uint8_t> bytesAt(const TCommHeader& h, int offset, int count) {
    return std::vector<std::uint8_t>(h.GetData() + offset, h.GetData() + offset + count);
}

void expectSameFields(const TCommHeader& a, const TCommHeader& b) {
    EXPECT_EQ(a.Enccmp, b.Enccmp);
    EXPECT_EQ(a.Version, b.Version);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.UncSize, b.UncSize);
    EXPECT_EQ(a.Session, b.Session);
    EXPECT_EQ(a.AckError, b.AckError);
    EXPECT_EQ(a.Time, b.Time);
    EXPECT_EQ(a.Command, b.Command);
    EXPECT_EQ(a.AckErrMsg, b.AckErrMsg);
}

// What the receiving side makes of a header's image.
TCommHeader received(const TCommHeader& sent) { return TCommHeader(sent.GetData(), 256); }

TEST(CommHeader, BuiltFromNothingIsAllZero) {
    const TCommHeader h;
    EXPECT_EQ(imageOf(h), Image{});
    EXPECT_EQ(h.Command, "");
    EXPECT_EQ(h.AckErrMsg, "");
    EXPECT_EQ(h.Size, 0) << "a length field of 0 is not a negative size";
    EXPECT_EQ(h.Enccmp, encdec::ttNone);
    EXPECT_EQ(h.Version, 0);
    EXPECT_EQ(h.UncSize | h.Session | h.AckError | h.Time, 0);
    expectSameFields(received(h), h);
}

// Every numeric setter writes big-endian at its place, touches nothing else,
// and reads back the same on the receiving side.
struct NumberCase {
    const char* name;
    std::function<void(TCommHeader&)> set;
    int offset;
    std::vector<std::uint8_t> bytes;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class CommHeaderNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(CommHeaderNumbers, WritesItsPlaceOnly) {
    const auto& c = GetParam();
    TCommHeader h;
    c.set(h);
    Image expected{};
    std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + c.offset);
    EXPECT_EQ(imageOf(h), expected);
    expectSameFields(received(h), h);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, CommHeaderNumbers,
    ::testing::Values(
        NumberCase{"SizeZeroIsHeaderLength", [](TCommHeader& h) { h.SetSize(0); }, 32, {0x00, 0x00, 0x01, 0x00}},
        NumberCase{"SizeAddsHeader", [](TCommHeader& h) { h.SetSize(0x01020304); }, 32, {0x01, 0x02, 0x04, 0x04}},
        NumberCase{"UncSize", [](TCommHeader& h) { h.SetUncSize(0x0A0B0C0D); }, 36, {0x0A, 0x0B, 0x0C, 0x0D}},
        NumberCase{"Time", [](TCommHeader& h) { h.SetTime(1700000000); }, 40, {0x65, 0x53, 0xF1, 0x00}},
        NumberCase{"Session", [](TCommHeader& h) { h.SetSession(42); }, 44, {0x00, 0x00, 0x00, 0x2A}},
        NumberCase{"NegativeAckError", [](TCommHeader& h) { h.SetAckError(-2); }, 48, {0xFF, 0xFF, 0xFF, 0xFE}},
        NumberCase{"Enccmp", [](TCommHeader& h) { h.SetEnccmp(encdec::ttCompressEncrypt); }, 52, {0x00, 0x03}},
        NumberCase{"EnccmpWidenedWithSign", [](TCommHeader& h) { h.SetEnccmp(TransportType(-1)); }, 52,
                   {0xFF, 0xFF}},
        NumberCase{"Version", [](TCommHeader& h) { h.SetVersion(encdec::kProtocolVersion); }, 54, {0x01, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

// Texts are left-aligned, space-padded to their width, then one zero byte;
// they never reach past their field.
struct TextCase {
    const char* name;
    bool command;  // else the error text
    std::string text;
    std::string stored;  // decoded field, and what the field's bytes begin with
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class CommHeaderTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(CommHeaderTexts, PaddedCutAndBoundedToTheField) {
    const auto& c = GetParam();
    const int offset = c.command ? 0 : 56;
    const int width = c.command ? 31 : 199;
    TCommHeader h;
    // Neighbours on both sides must survive.
    h.SetVersion(-1);
    h.SetSize(0x7EFEFEFE);
    if (c.command)
        h.SetCommand(c.text);
    else
        h.SetAckErrMsg(c.text);

    EXPECT_EQ(c.command ? h.Command : h.AckErrMsg, c.stored);
    std::string field(reinterpret_cast<const char*>(h.GetData()) + offset, width + 1);
    std::string expected = c.stored + std::string(width - c.stored.size(), ' ') + '\0';
    EXPECT_EQ(field, expected);
    EXPECT_EQ(h.Version, -1);
    EXPECT_EQ(bytesAt(h, 54, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(bytesAt(h, 32, 4), (std::vector<std::uint8_t>{0x7E, 0xFE, 0xFF, 0xFE}));
    expectSameFields(received(h), h);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, CommHeaderTexts,
    ::testing::Values(TextCase{"SixCharCommand", true, "ASKPRN", "ASKPRN"},
                      TextCase{"TrailingBlanksTrimmed", true, "CONFIRM \t\r\n", "CONFIRM"},
                      TextCase{"EmptyCommand", true, "", ""},
                      TextCase{"CommandExactWidth", true, std::string(31, 'C'), std::string(31, 'C')},
                      TextCase{"LongCommandCut", true, std::string(31, 'C') + "OVERFLOW", std::string(31, 'C')},
                      TextCase{"CutExposingBlanksTrimmed", true, "AB" + std::string(40, ' ') + "Z", "AB"},
                      TextCase{"ZeroByteEndsCommand", true, std::string("OJOBS\0XYZ", 9), "OJOBS"},
                      TextCase{"ErrorText", false, "No such printer", "No such printer"},
                      TextCase{"ErrorTextKeepsHighBytes", false, "Pr\xBD\xBE ", "Pr\xBD\xBE"},
                      TextCase{"LongErrorTextCut", false, std::string(250, 'e'), std::string(199, 'e')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommHeader, SixCharCommandLayout) {
    TCommHeader h;
    h.SetCommand("ASKPRN");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.GetData()), 6), "ASKPRN");
    for (int i = 6; i <= 30; ++i) EXPECT_EQ(h.GetData()[i], ' ') << "byte " << i;
    EXPECT_EQ(h.GetData()[31], 0);
    EXPECT_EQ(received(h).Command, "ASKPRN");
}

// Decoding of received length fields: the header is not part of Size, and
// lengths shorter than the header give 0.
TEST(CommHeader, LengthFieldDecoding) {
    struct Case {
        std::array<std::uint8_t, 4> field;
        std::int32_t size;
    } cases[] = {
        {{0x00, 0x00, 0x00, 0x64}, 0},             // 100: shorter than the header
        {{0x00, 0x00, 0x01, 0x00}, 0},             // exactly the header
        {{0x00, 0x00, 0x01, 0x01}, 1},
        {{0x80, 0x00, 0x00, 0x00}, 0},             // most negative: no overflow
        {{0x7F, 0xFF, 0xFF, 0xFF}, 0x7FFFFEFF},
    };
    for (const auto& c : cases) {
        Image image{};
        std::copy(c.field.begin(), c.field.end(), image.begin() + 32);
        EXPECT_EQ(TCommHeader(image.data(), 256).Size, c.size) << int(c.field[3]);
    }
}

TEST(CommHeader, ReceivedFieldsDecode) {
    Image image{};
    const std::string command = "PRFILE";
    std::copy(command.begin(), command.end(), image.begin());
    std::fill(image.begin() + 6, image.begin() + 31, ' ');
    image[52] = 0x12;  // only the low byte of the transport field counts
    image[53] = 0x05;
    image[54] = 0x80;  // version is signed
    image[55] = 0x01;
    std::fill(image.begin() + 56, image.end(), 'x');  // no zero byte: 199 bytes at most
    const TCommHeader h(image.data(), 256);
    EXPECT_EQ(h.Command, "PRFILE");
    EXPECT_EQ(h.Enccmp, encdec::ttEncryptDecompress);
    EXPECT_EQ(h.Version, std::int16_t(-32767));
    EXPECT_EQ(h.AckErrMsg, std::string(199, 'x'));
}

TEST(CommHeader, PartialSetDataKeepsTheRestOfTheImage) {
    TCommHeader h;
    h.SetCommand("NEWSESSION");
    h.SetSize(1000);
    h.SetSession(77);
    h.SetAckErrMsg("old text");

    TCommHeader other;
    other.SetCommand("CONFIRM");
    h.SetData(other.GetData(), 32);  // the command field only
    EXPECT_EQ(h.Command, "CONFIRM");
    EXPECT_EQ(h.Size, 1000);
    EXPECT_EQ(h.Session, 77);
    EXPECT_EQ(h.AckErrMsg, "old text");

    // A null pointer or a non-positive length copies nothing and decodes again.
    h.SetData(nullptr, 256);
    h.SetData(other.GetData(), -5);
    EXPECT_EQ(h.Command, "CONFIRM");
    EXPECT_EQ(h.Size, 1000);

    // More than 256 bytes: the first 256 are the header.
    std::vector<std::uint8_t> longer(300, 0xAB);
    std::fill(longer.begin(), longer.begin() + 256, 0);
    h.SetData(longer.data(), int(longer.size()));
    EXPECT_EQ(imageOf(h), Image{});
}

TEST(CommHeader, SettersInAnyOrderGiveTheSameImage) {
    TCommHeader a, b;
    a.SetCommand("PRFILE");
    a.SetSize(12345);
    a.SetEnccmp(encdec::ttEncryptDecompress);
    a.SetAckErrMsg("fine");
    a.SetVersion(encdec::kProtocolVersion);
    b.SetVersion(encdec::kProtocolVersion);
    b.SetAckErrMsg("fine");
    b.SetEnccmp(encdec::ttEncryptDecompress);
    b.SetSize(12345);
    b.SetCommand("PRFILE");
    EXPECT_EQ(imageOf(a), imageOf(b));
}

TEST(CommResult, ClearSetsZeroTextAndCopiesKeepAllFields) {
    TCommResult r{7, 2002, "time-out"};
    TCommResult copy(r);
    TCommResult assigned;
    assigned = r;
    for (const auto* x : {&copy, &assigned}) {
        EXPECT_EQ(x->ReturnValue, 7);
        EXPECT_EQ(x->ErrorCode, 2002);
        EXPECT_EQ(x->ErrorMsg, "time-out");
    }
    r.Clear();
    EXPECT_EQ(r.ReturnValue, 0);
    EXPECT_EQ(r.ErrorCode, 0);
    EXPECT_EQ(r.ErrorMsg, "0");
}

}  // namespace
