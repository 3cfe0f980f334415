// Splitting, trimming and number parsing of the support library.
#include <zcodec/utilities.h>

#include <gtest/gtest.h>

using encdec::StringList;

namespace {

struct SplitCase {
    std::string text;
    std::string separators;
    int maxFields;
    StringList expected;
};

TEST(UtilSplit, RunsOfSeparatorsCountAsOne) {
    const SplitCase cases[] = {
        {"  a,, b ,", " ,", 0, {"a", "b"}},
        {"a b c", " ", 2, {"a", "b c"}},
        {"a b c", " ", 3, {"a", "b", "c"}},
        {"  a b ", " ", 1, {"a b "}},          // the one field runs to the end
        {"a b c", " ", -1, {"a", "b", "c"}},   // a negative maximum limits nothing
        {"", ",", 0, {}},
        {",, ,", ", ", 0, {}},
        {",, ,", ", ", 1, {}},
        {"abc", "", 0, {"abc"}},
        {"ab", "ba", 0, {}},                   // separators are a set, not a sequence
        {std::string("a\0b c", 5), " ", 0, {"a", "c"}},   // a zero byte ends a field
        {"a;b", ";", 0, {"a", "b"}},
    };
    for (const auto& c : cases) {
        StringList fields{"stale"};
        encdec::split(c.text, c.separators, fields, c.maxFields);
        EXPECT_EQ(fields, c.expected) << "text '" << c.text << "' max " << c.maxFields;
    }
}

TEST(UtilSplit, Split2KeepsEmptyFieldsButAddsNoTrailingOne) {
    const SplitCase cases[] = {
        {"a,,b", ",", 0, {"a", "", "b"}},
        {",a", ",", 0, {"", "a"}},
        {"a,", ",", 0, {"a"}},
        {",", ",", 0, {""}},
        {",,", ",", 0, {"", ""}},
        {"", ",", 0, {}},
        {"a,b,c", ",", 1, {"a,b,c"}},
        {"a,b,c", ",", 2, {"a", "b,c"}},
        {"a,b;c", ",;", 0, {"a", "b", "c"}},
        {"abc", ",", 0, {"abc"}},
    };
    for (const auto& c : cases) {
        StringList fields{"stale"};
        encdec::split2(c.text, c.separators, fields, c.maxFields);
        EXPECT_EQ(fields, c.expected) << "text '" << c.text << "' max " << c.maxFields;
    }
}

TEST(UtilSplit, AnsiSplitForwardsToTheFunctionComponent) {
    StringList parts;
    encdec::AnsiSplit(";a;;b;", ";", parts, 0);
    EXPECT_EQ(parts, (StringList{"a", "b"}));
    encdec::AnsiSplit2(";a;;b;", ";", parts, 0);
    EXPECT_EQ(parts, (StringList{"a", "", "b"}));
    encdec::AnsiSplit("k=v=w", "=", parts, 2);
    EXPECT_EQ(parts, (StringList{"k", "v=w"}));
}

TEST(UtilText, TrimRemovesBlanksAndControlCharactersOnly) {
    EXPECT_EQ(encdec::Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(encdec::Trim("   "), "");
    EXPECT_EQ(encdec::Trim("\xE9x\xA0"), "\xE9x\xA0");   // upper half of the code page stays
}

TEST(UtilText, ParseIntTakesWholeDecimalNumbersOnly) {
    const struct {
        std::string text;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {"250", 250},
        {" 250 ", 250},
        {"\t7\r\n", 7},
        {"+5", 5},
        {"-5", -5},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"+-5", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encdec::ParseInt(c.text), c.expected) << "'" << c.text << "'";
}

}  // namespace
