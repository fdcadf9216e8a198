#include "platform/linux/linux_network_info.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The own address is a dotted IPv4 address that is never loopback (the host
// name maps to 127.0.1.1 on Debian); inside a network namespace with only a
// loopback interface it is "0.0.0.0". QUOR_EXPECT_OWN_ADDRESS pins the value
// when a test runs this in a namespace it made.
TEST(OwnAddress, FirstUpNonLoopbackInterface) {
  const auto address = LinuxNetworkInfo().OwnIpv4Address();
  ASSERT_TRUE(address.has_value());
  in_addr parsed{};
  ASSERT_EQ(inet_pton(AF_INET, address->c_str(), &parsed), 1) << *address;
  EXPECT_NE((ntohl(parsed.s_addr) >> 24), 127u) << *address;
  if (const char* expected = std::getenv("QUOR_EXPECT_OWN_ADDRESS")) {
    EXPECT_EQ(*address, expected);
  }
}

}  // namespace
