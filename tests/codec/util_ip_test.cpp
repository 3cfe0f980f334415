// Dotted addresses and their numbers.
#include <zcodec/utilities.h>

#include <gtest/gtest.h>

namespace {

TEST(UtilIp, Ip2longTakesExactlyFourBytes) {
    const struct {
        std::string dotted;
        std::string expected;
    } cases[] = {
        {"192.168.1.1", "3232235777"},
        {" 10 . 0 . 0 . 1", "167772161"},
        {"0.0.0.0", "0"},
        {"255.255.255.255", "4294967295"},
        {"1.2.3", ""},
        {"1.2.3.4.5", ""},
        {"256.0.0.1", ""},
        {"1.2.3.999999999999", ""},
        {"-1.0.0.1", ""},
        {"1..2.3", ""},
        {"a.b.c.d", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(encdec::ip2long(c.dotted), c.expected) << "'" << c.dotted << "'";
}

TEST(UtilIp, FormatIpWritesTheBytesMostSignificantFirst) {
    const struct {
        std::uint32_t address;
        std::string expected;
    } cases[] = {
        {0, "0.0.0.0"},
        {0xC0A80101u, "192.168.1.1"},
        {0xFFFFFFFFu, "255.255.255.255"},
        {0x0A000001u, "10.0.0.1"},
    };
    for (const auto& c : cases) {
        std::string text = "stale";
        encdec::FormatIP(text, c.address);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(encdec::ip2long(text), std::to_string(c.address));
    }
}

}  // namespace
