#include <orlo/orlofunction.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using List = TOrloFunction::StringList;

struct Case {
    std::string text;
    std::string delimiters;
    int maxParts;
    List split;   // AnsiSplit
    List split2;  // AnsiSplit2
};

const Case cases[] = {
    {";a;;b;", ";", 0, {"a", "b"}, {"a", "", "b"}},
    {"k=v=w", "=", 2, {"k", "v=w"}, {"k", "v=w"}},
    {"", ";", 0, {}, {}},
    {";;;", ";", 0, {}, {}},
    {"a", ";", 0, {"a"}, {"a"}},
    {"a;;;", ";", 0, {"a"}, {"a", "", ""}},
    {"a b\tc", " \t", 0, {"a", "b", "c"}, {"a", "b", "c"}},
    {"a \tb", " \t", 0, {"a", "b"}, {"a", "", "b"}},
    {"a;b;c", ";", -1, {"a", "b", "c"}, {"a", "b", "c"}},
    // The last part is the rest, delimiters included, never a part too many.
    {"a;;b;;c", ";", 2, {"a", "b;;c"}, {"a", ";b;;c"}},
    {"a;;b;c", ";", 3, {"a", "b", "c"}, {"a", "", "b;c"}},
    {"  x  y  ", " ", 1, {"x  y  "}, {"x  y  "}},
    {"a;", ";", 2, {"a"}, {"a"}},
    {"a", "", 0, {"a"}, {"a"}},
};

TEST(Splitting, AnsiSplitTakesARunOfDelimitersAsOne) {
    for (const auto& c : cases) {
        List parts{"left over"};  // cleared first
        TOrloFunction::AnsiSplit(c.text, c.delimiters, parts, c.maxParts);
        EXPECT_EQ(parts, c.split) << '"' << c.text << "\" max " << c.maxParts;
    }
}

TEST(Splitting, AnsiSplit2KeepsEmptyPartsBetweenDelimiters) {
    for (const auto& c : cases) {
        List parts{"left over"};
        TOrloFunction::AnsiSplit2(c.text, c.delimiters, parts, c.maxParts);
        EXPECT_EQ(parts, c.split2) << '"' << c.text << "\" max " << c.maxParts;
    }
}

}  // namespace
