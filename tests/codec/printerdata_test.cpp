#include <zcodec/printerdata.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace encdec {
// Readable failure output: the record as its lines.
void PrintTo(const TPrinterData& data, std::ostream* os) {
    StringList lines;
    ConstructPrinterData(lines, data);
    for (const auto& line : lines) *os << "\n  " << line;
}
}  // namespace encdec

namespace {

using encdec::ConstructPrinterData;
using encdec::ParsePrinterData;
using encdec::StringList;
using encdec::TPrinterData;

TPrinterData defaultsNamed(const std::string& name) {
    TPrinterData data;
    data.PrinterName = name;
    return data;
}

// A record with every field away from its default.
TPrinterData fullRecord() {
    TPrinterData d;
    d.Available = false;
    d.Color = d.Banner = d.DetLog = d.AtRequest = d.ArchiveJob = true;
    d.PrPage = 8;
    d.AttNotify = 0;
    d.IntruderAt = -3;
    d.XRes = 1200;
    d.YRes = 300;
    d.MaxJobs = 50;
    d.MaxPages = -1;
    d.PrinterName = "lp1";
    d.PrLocation = "Room 2, first floor";
    d.AttName = "Ann Other";
    d.AttPhone = "+44 20 7946 0000";
    d.AttEmail = "ann@example.org";
    d.AttAddr1 = "1 High St";
    d.AttAddr2 = "Town";
    d.PrModel = "Laser 5";
    d.LogMethod = "file";
    d.Smtp = "mail.example.org";
    d.Comments = "a=b, \xBD price";
    d.Margins.Margin = {100, 200, 300, 400};
    d.Margins.PaperWidth = 21000;
    d.Margins.PaperHeight = 29700;
    return d;
}

TEST(PrinterData, KeyTableOrder) {
    ASSERT_EQ(encdec::PrinterDataKeys.size(), 31u);
    EXPECT_STREQ(encdec::PrinterDataKeys[0], "PRINTERNAM");
    EXPECT_STREQ(encdec::PrinterDataKeys[10], "PRPAGE");
    EXPECT_STREQ(encdec::PrinterDataKeys[24], "MARGINS");
    EXPECT_STREQ(encdec::PrinterDataKeys[25], "AUTHNAME");
    EXPECT_STREQ(encdec::PrinterDataKeys[30], "REJ_IP");
}

TEST(PrinterData, ParsingResetsEverythingButThePrinterName) {
    for (bool lenient : {false, true}) {
        TPrinterData data = fullRecord();
        ParsePrinterData(StringList{}, data, lenient);
        EXPECT_EQ(data, defaultsNamed("lp1")) << "lenient " << lenient;
    }
}

// One line in one mode, against the default record with that line's change.
struct LineCase {
    const char* name;
    std::string line;
    bool lenient;
    std::function<void(TPrinterData&)> change;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class PrinterDataLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(PrinterDataLine, ChangesOnlyItsField) {
    const auto& c = GetParam();
    TPrinterData expected = defaultsNamed("keep");
    c.change(expected);
    TPrinterData data = defaultsNamed("keep");
    ParsePrinterData(StringList{c.line}, data, c.lenient);
    EXPECT_EQ(data, expected) << c.line;
}

constexpr bool kStrict = false, kLenient = true;
auto nothing = [](TPrinterData&) {};

INSTANTIATE_TEST_SUITE_P(
    Lines, PrinterDataLine,
    ::testing::Values(
        LineCase{"BoolNo", "AVAILABLE=no", kLenient, [](TPrinterData& d) { d.Available = false; }},
        LineCase{"BoolUnknownStrict", "AVAILABLE=maybe", kStrict, [](TPrinterData& d) { d.Available = false; }},
        LineCase{"BoolUnknownLenient", "AVAILABLE=maybe", kLenient, nothing},
        LineCase{"BoolNoValueStrict", "AVAILABLE=", kStrict, [](TPrinterData& d) { d.Available = false; }},
        LineCase{"BoolNoValueLenient", "AVAILABLE=", kLenient, nothing},
        LineCase{"BoolYes", "PRCOLOR=Yes", kStrict, [](TPrinterData& d) { d.Color = true; }},
        LineCase{"BoolT", "ARCHIVEJOB=t", kStrict, [](TPrinterData& d) { d.ArchiveJob = true; }},
        LineCase{"BoolOne", "BANNER=1", kLenient, [](TPrinterData& d) { d.Banner = true; }},
        LineCase{"NumberBadLenient", "XRES=abc", kLenient, nothing},
        LineCase{"NumberBadStrict", "XRES=abc", kStrict, [](TPrinterData& d) { d.XRes = 0; }},
        LineCase{"NumberTrailingJunkStrict", "YRES=600dpi", kStrict, [](TPrinterData& d) { d.YRes = 0; }},
        LineCase{"Number", "XRES=1200", kStrict, [](TPrinterData& d) { d.XRes = 1200; }},
        LineCase{"ShortKeepsLow16Bits", "XRES=70000", kStrict, [](TPrinterData& d) { d.XRes = 70000 - 65536; }},
        LineCase{"NegativeShort", "PRPAGE=-1", kStrict, [](TPrinterData& d) { d.PrPage = -1; }},
        LineCase{"PlusSign", "MAXPAGES=+25", kStrict, [](TPrinterData& d) { d.MaxPages = 25; }},
        LineCase{"Beyond32BitsStrict", "MAXJOBS=99999999999", kStrict, [](TPrinterData& d) { d.MaxJobs = 0; }},
        LineCase{"Beyond32BitsLenient", "ATTNOTIFY=99999999999", kLenient, nothing},
        LineCase{"MarginsFour", "MARGINS=10,20,30,40", kStrict,
                 [](TPrinterData& d) { d.Margins.Margin = {10, 20, 30, 40}; }},
        LineCase{"MarginsSix", "MARGINS=1, 2,3,4,21000,29700,99", kStrict,
                 [](TPrinterData& d) {
                     d.Margins.Margin = {1, 2, 3, 4};
                     d.Margins.PaperWidth = 21000;
                     d.Margins.PaperHeight = 29700;
                 }},
        LineCase{"MarginsBadFieldIsZero", "MARGINS=x,5", kLenient, [](TPrinterData& d) { d.Margins.Margin.Top = 5; }},
        LineCase{"LeadingEqualsLost", "COMMENTS==x", kStrict, [](TPrinterData& d) { d.Comments = "x"; }},
        LineCase{"EqualsInsideKept", "COMMENTS=a=b", kStrict, [](TPrinterData& d) { d.Comments = "a=b"; }},
        LineCase{"Trimmed", " PRMODEL = Laser 5 ", kStrict, [](TPrinterData& d) { d.PrModel = "Laser 5"; }},
        LineCase{"ControlCharsTrimmed", "\tSMTP\t=\tmail.example\r", kStrict,
                 [](TPrinterData& d) { d.Smtp = "mail.example"; }},
        LineCase{"StringNoValueStrict", "PRLOCATION=", kStrict, nothing},
        LineCase{"PrinterName", "PRINTERNAM=lp2", kLenient, [](TPrinterData& d) { d.PrinterName = "lp2"; }},
        LineCase{"KeyCaseMatters", "prmodel=x", kStrict, nothing},
        LineCase{"RawOnlyKeyIgnored", "AUTHNAME=card", kStrict, nothing},
        LineCase{"UnknownKeyIgnored", "NOSUCHKEY=1", kStrict, nothing},
        LineCase{"NoField", "===", kStrict, nothing}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterData, LaterLinesWin) {
    TPrinterData data;
    ParsePrinterData(StringList{"XRES=300", "PRMODEL=a", "XRES=1200", "PRMODEL=b"}, data, true);
    EXPECT_EQ(data.XRes, 1200);
    EXPECT_EQ(data.PrModel, "b");
}

TEST(PrinterData, PairsUpToTheShorterList) {
    TPrinterData data;
    ParsePrinterData(StringList{" PRCOLOR ", "XRES", "YRES"}, StringList{" y", "300 "}, data, false);
    EXPECT_TRUE(data.Color);
    EXPECT_EQ(data.XRes, 300);
    EXPECT_EQ(data.YRes, 600);
}

TEST(PrinterData, ConstructWritesTheRecordLines) {
    StringList lines{"stale line"};
    ConstructPrinterData(lines, defaultsNamed("lp"));
    const StringList expected{
        "PRINTERNAM=lp", "AVAILABLE=1", "PRLOCATION=", "ATTNAME=",   "ATTPHONE=", "ATTEMAIL=",  "ATTADDR1=",
        "ATTADDR2=",     "ATTNOTIFY=1", "PRMODEL=",    "PRPAGE=9",   "PRCOLOR=0", "BANNER=0",   "DETLOG=0",
        "LOGMETHOD=",    "MAXJOBS=0",   "MAXPAGES=0",  "INTRUDERAT=0", "SMTP=",   "ATREQUEST=0", "XRES=600",
        "YRES=600",      "ARCHIVEJOB=0", "COMMENTS=",  "MARGINS=0,0,0,0,0,0"};
    EXPECT_EQ(lines, expected);
}

TEST(PrinterData, ConstructThenParseGivesTheRecordBack) {
    const TPrinterData original = fullRecord();
    StringList lines;
    ConstructPrinterData(lines, original);
    EXPECT_EQ(lines.back(), "MARGINS=100,200,300,400,21000,29700");
    for (bool lenient : {false, true}) {
        TPrinterData parsed;
        ParsePrinterData(lines, parsed, lenient);
        EXPECT_EQ(parsed, original) << "lenient " << lenient;
    }

    // Geometry values that the text does not carry come back as 0.
    TPrinterData extra = original;
    extra.Margins.Word1 = 5;
    extra.Margins.Rect2 = {1, 2, 3, 4};
    extra.Margins.Extra2 = 9;
    ConstructPrinterData(lines, extra);
    TPrinterData parsed;
    ParsePrinterData(lines, parsed, true);
    EXPECT_EQ(parsed, original);
}

// An answer read where it lies gives the record its lines give, in both
// modes, whatever the line ends, "=" runs, blanks, bad values and zero bytes.
TEST(PrinterData, AnswerParsesAsItsLines) {
    using namespace std::string_literals;
    const std::string answers[] = {
        "",
        "\r\n\n\r",
        "PRMODEL=Laser\r\nXRES=1200\r\n",
        "\r\n ==COMMENTS===a=b \n\n\rAVAILABLE\r\nXRES=abc\nPRCOLOR=Yes",
        "MARGINS=10,20,30,40\r\nXRES=1200\r\nXRES=abc\r\nAVAILABLE=maybe\r\nPRPAGE=70000\r\n",
        " PRMODEL = Laser 5 \r\nprmodel=x\r\nUNKNOWN=1\r\n====\r\n=\r\nMAXPAGES=\r\nBANNER==\r\n",
        "PRPAGE=8\r\nPRINTERNAM=other\r\nPRPAGE=11\0PRPAGE=9\r\n"s,
    };
    for (const std::string& answer : answers) {
        for (bool lenient : {false, true}) {
            SCOPED_TRACE(::testing::PrintToString(answer) + (lenient ? " lenient" : " strict"));
            StringList lines, keyLines;
            encdec::split(answer.c_str(), "\r\n", lines);
            TPrinterData expected = fullRecord(), parsed = fullRecord();
            ParsePrinterData(lines, expected, lenient);
            EXPECT_EQ(encdec::ParsePrinterAnswer(answer, parsed, lenient, keyLines), lines.size());
            EXPECT_EQ(parsed, expected);
        }
    }
}

// Of a description of any length only the lines of the 31 keys are kept,
// one per key: the last that gives it a value, else its last.
TEST(PrinterData, AnswerKeepsOneLinePerKey) {
    std::string answer = "AUTHNAME=Old\r\n";
    for (int i = 0; i < 100000; ++i) answer += "X=1\r\nAUTHNAME=Account;Voucher\r\n";
    answer += "TAX=19\r\nAUTHNAME\r\nPAGEPRICE=\r\n PRMODEL=m\r\nPRMODEL=n\r\nREJ_IP==10.0.0.1\n";
    StringList keyLines;
    TPrinterData data;
    EXPECT_EQ(encdec::ParsePrinterAnswer(answer, data, true, keyLines), 200007u);
    EXPECT_EQ(keyLines, (StringList{"AUTHNAME=Account;Voucher", "TAX=19", "PAGEPRICE=", "PRMODEL=n",
                                    "REJ_IP==10.0.0.1"}));
    EXPECT_EQ(data.PrModel, "n");
}

TEST(PaperSize, NamesAndMediaNames) {
    const struct {
        int code;
        bool postScript;
        const char* name;
    } cases[] = {
        {1, false, "Letter 8 1/2 x 11 in"},
        {1, true, "letter"},
        {6, true, "#396x612"},
        {7, true, ""},
        {9, false, "A4 210 x 297 mm"},
        {9, true, "a4"},
        {22, false, "Envelope #12 4 \u00BE x 11"},
        {29, false, "Envelope C3  324 x 458 mm"},
        {33, false, "/* Envelope B4  250 x 353 mm"},
        {50, false, "Letter Extra 9 \u00BD x 12 in"},
        {56, false, "Letter Extra Transverse 9\u00BD x 12 in "},
        {75, false, "Letter Rotated 11 x 8 1/2 11 in "},
        {88, true, "jisb6"},
        {89, true, ""},
        {118, false, "PRC Envelope #10 Rotated 458 x 324 mm "},
        {118, true, ""},
        {119, false, "119"},
        {200, false, "200"},
        {200, true, ""},
        {-4, false, "-4"},
        {0, true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encdec::GetPaperSizeString(c.code, c.postScript, 1, 2), c.name)
            << c.code << (c.postScript ? " (PostScript)" : "");
    EXPECT_EQ(encdec::GetPaperSizeString(0, false, 21000, 29700), "Custom paper size 21000 x 29700 mm/100");
}

TEST(PaperSize, EveryCodeHasADisplayName) {
    for (int code = 1; code <= 118; ++code) {
        const std::string name = encdec::GetPaperSizeString(code, false);
        EXPECT_FALSE(name.empty()) << code;
        EXPECT_NE(name, std::to_string(code));
    }
}

}  // namespace
