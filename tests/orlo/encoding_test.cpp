#include <orlo/orlofunction.h>

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

struct Case {
    std::string in, out;
};

TEST(Encoding, EncodeKeepsOnlyAsciiLettersDigitsAndElevenMarks) {
    const Case cases[] = {
        {"a b&c", "a+b%26c"},
        {"\n", "%0A"},
        {"AZaz09", "AZaz09"},
        {"*$!@._',()-", "*$!@._',()-"},
        {"~/=%+?#\"", "%7E%2F%3D%25%2B%3F%23%22"},
        {"\xE9\xFF", "%E9%FF"},  // bytes above 127 are never letters, whatever the locale
        {"x\0y"s, "x%00y"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TOrloFunction::iHTMLEncode(c.in), c.out) << c.in;
}

TEST(Encoding, DecodeTurnsPlusToBlankThenDecodesEscapes) {
    const Case cases[] = {
        {"a+b%26c", "a b&c"},
        {"50%", "50"},      // a truncated escape ends the text
        {"50%4", "50"},
        {"%41%", "A"},
        {"%zz", "%zz"},     // not hex: kept
        {"%4z!", "%4z!"},
        {"%%41", "%A"},     // the failed "%" is copied, its characters read normally
        {"%4a%4A", "JJ"},
        {"%2B", "+"},       // an encoded plus stays a plus
        {"%2541", "%41"},   // decoded once only
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TOrloFunction::iHTMLDecode(c.in), c.out) << c.in;
}

TEST(Encoding, EveryByteSurvivesEncodeThenDecode) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string encoded = TOrloFunction::iHTMLEncode(all);
    EXPECT_EQ(encoded.find(' '), std::string::npos);
    EXPECT_EQ(TOrloFunction::iHTMLDecode(encoded), all);
}

TEST(Encoding, InPlaceDecodingChangesOnlyCompleteEscapes) {
    const Case cases[] = {
        {"a%41b", "aAb"},
        {"%41", "A"},
        {"%2541", "%41"},
        {"%4z", "%4z"},   // an incomplete number does not swallow the "z"
        {"% 4x", "% 4x"},
        {"%-1x", "%-1x"},
        {"50%", "50%"},   // too short to be an escape: left as it is
        {"50%4", "50%4"},
        {"a%00b", "a"},   // a zero byte ends a C string
        {"%", "%"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string buffer = c.in;
        TOrloFunction::replace_hex(buffer.data());
        EXPECT_EQ(std::string(buffer.c_str()), c.out) << c.in;
    }
    TOrloFunction::replace_hex(static_cast<char*>(nullptr));
}

TEST(Encoding, PlusToSpaceInPlace) {
    char text[] = "+a+b++";
    TOrloFunction::plus2space(text);
    EXPECT_STREQ(text, " a b  ");
    TOrloFunction::plus2space(nullptr);
}

}  // namespace
