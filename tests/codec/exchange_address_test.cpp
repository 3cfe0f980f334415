// Where an exchange connects: host and port worked out from the address.
#include <zcodec/clientthread.h>

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* address;
    const char* host;
    int port;
};

const AddressCase kAddresses[] = {
    {"printhost", "printhost", 20202},
    {"printhost:7000", "printhost", 7000},
    {"printhost: 7000 ", "printhost", 7000},
    {"printhost:abc", "printhost", 20202},
    {"printhost:-5", "printhost", 20202},
    {"printhost:", "printhost", 20202},
    {"printhost:0", "printhost", 0},
    {"printhost:65535", "printhost", 65535},
    {"printhost:65536", "printhost", 20202},      // would wrap to another port
    {"printhost:99999999999", "printhost", 20202},
    {"printhost:7000:9", "printhost", 20202},     // the rest after the first ':' is not a number
    {"printhost::7000", "printhost", 7000},       // runs of ':' count as one
    {"127.0.0.1:20203", "127.0.0.1", 20203},
    {"", "", 20202},
};

TEST(ExchangeAddress, HostAndPortFromTheAddress) {
    for (const auto& c : kAddresses) {
        // Suspended: the thread never runs, only the constructor's work is seen.
        encdec::TClientThread thread(true, "ASKPRN", "", c.address, 0, encdec::ttNone, 0, 0, "");
        EXPECT_EQ(thread.Host, c.host) << c.address;
        EXPECT_EQ(thread.Port, c.port) << c.address;
        EXPECT_EQ(thread.Address, c.address);
        EXPECT_TRUE(thread.Ready.load());
        EXPECT_FALSE(thread.Finished.load());
    }
}

}  // namespace
