// Date-times from the numbers of database rows.
#include <zcodec/utilities.h>

#include <gtest/gtest.h>

namespace {

struct Expected {
    int year, month, day, hour, minute, second, weekday, yearDay;
};

void expectDateTime(long date, long time, const Expected& e) {
    auto t = encdec::GetDateTime(date, time);
    ASSERT_TRUE(t) << date << " " << time;
    EXPECT_EQ(t->tm_year + 1900, e.year);
    EXPECT_EQ(t->tm_mon + 1, e.month);
    EXPECT_EQ(t->tm_mday, e.day);
    EXPECT_EQ(t->tm_hour, e.hour);
    EXPECT_EQ(t->tm_min, e.minute);
    EXPECT_EQ(t->tm_sec, e.second);
    EXPECT_EQ(t->tm_wday, e.weekday);
    EXPECT_EQ(t->tm_yday, e.yearDay);
    EXPECT_EQ(t->tm_isdst, -1);
}

TEST(UtilDateTime, NumbersGiveThatDayAndTime) {
    expectDateTime(2003L * 10000 + 3 * 100 + 4, 90503, {2003, 3, 4, 9, 5, 3, 2, 62});
    expectDateTime(20001231, 235959, {2000, 12, 31, 23, 59, 59, 0, 365});
    expectDateTime(20040229, 0, {2004, 2, 29, 0, 0, 0, 0, 59});
    expectDateTime(0, 120000, {1899, 12, 30, 12, 0, 0, 6, 363});   // day zero of the scale
}

TEST(UtilDateTime, ImpossibleNumbersGiveNothing) {
    const long cases[][2] = {
        {20030230, 0}, {20031301, 0}, {20030001, 0}, {20030100, 0}, {20030229, 0}, {-20030304, 0},
        {20030304, 240000}, {20030304, 96000}, {20030304, 95960}, {20030304, -1},
    };
    for (const auto& c : cases) EXPECT_FALSE(encdec::GetDateTime(c[0], c[1])) << c[0] << " " << c[1];
}

}  // namespace
