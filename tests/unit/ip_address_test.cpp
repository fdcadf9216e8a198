#include "common/ip_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "common/address_syntax.h"
#include "net/server_address.h"

namespace {

// Parsing and the usual text, for IPv4 and IPv6, checked against glibc's
// inet_pton where it has an opinion.
TEST(IpAddress, ParsesAndFormatsAsTheUsualText) {
  const struct {
    const char* text;
    const char* canonical;  // nullptr: not an address
  } cases[] = {
      {"192.168.1.10", "192.168.1.10"},
      {"010.001.000.255", "10.1.0.255"},
      {"256.1.1.1", nullptr},
      {"1.2.3", nullptr},
      {"1.2.3.4.", nullptr},
      {"::", "::"},
      {"::1", "::1"},
      {"0:0:0:0:0:0:0:1", "::1"},
      {"2001:DB8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
      {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
      {"2001:0db8:0000:0000:0000:0000:0002:0001", "2001:db8::2:1"},
      {"fe80::1%eth0", "fe80::1%eth0"},
      {"fe80::1%", nullptr},
      {"::ffff:192.0.2.1", "192.0.2.1"},
      {"::ffff:c000:0201", "192.0.2.1"},
      {"64:ff9b::192.0.2.1", "64:ff9b::c000:201"},
      {"1::2::3", nullptr},
      {":1::2", nullptr},
      {"1:2:3:4:5:6:7:8:9", nullptr},
      {"1:2:3:4:5:6:7::8", nullptr},
      {"1:2:3:4:5:6:7", nullptr},
      {"12345::", nullptr},
      {"1:", nullptr},
      {"g::1", nullptr},
      {"::1.2.3", nullptr},
      {"time.example", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<std::string> got = CanonicalAddress(c.text);
    if (c.canonical == nullptr) {
      EXPECT_FALSE(got.has_value()) << *got;
    } else {
      ASSERT_TRUE(got.has_value());
      EXPECT_EQ(*got, c.canonical);
    }
    // Without a zone, glibc agrees on what is an address.
    if (std::strchr(c.text, '%') == nullptr && std::strchr(c.text, '.') == nullptr) {
      unsigned char bytes[16];
      EXPECT_EQ(inet_pton(AF_INET6, c.text, bytes) == 1, got.has_value());
    }
  }
}

TEST(IpAddress, PrefixesMatchOnlyTheirFamilyAndBits) {
  const auto a = [](const char* t) { return *ParseIpAddress(t); };
  EXPECT_TRUE(InPrefix(a("192.168.1.77"), a("192.168.1.0"), 24));
  EXPECT_FALSE(InPrefix(a("192.168.2.77"), a("192.168.1.0"), 24));
  EXPECT_TRUE(InPrefix(a("172.31.0.1"), a("172.16.0.0"), 12));
  EXPECT_FALSE(InPrefix(a("172.32.0.1"), a("172.16.0.0"), 12));
  EXPECT_TRUE(InPrefix(a("10.0.0.1"), a("0.0.0.0"), 0));
  EXPECT_FALSE(InPrefix(a("10.0.0.1"), a("::"), 0));
  EXPECT_TRUE(InPrefix(a("2001:db8:1:ff::1"), a("2001:db8:1::"), 56));
  EXPECT_FALSE(InPrefix(a("2001:db8:1:100::1"), a("2001:db8:1::"), 56));
  EXPECT_TRUE(InPrefix(a("fe80::1%eth0"), a("fe80::"), 10));
  EXPECT_FALSE(InPrefix(a("10.0.0.1"), a("10.0.0.1"), 33));
}

// The server setting takes an IPv6 literal, and a reply is from the server
// when its sender's usual text is the server's.
TEST(IpAddress, ServerSettingTakesIpv6) {
  EXPECT_TRUE(IsServerAddress("2001:db8::123", 107));
  EXPECT_TRUE(IsServerAddress("fe80::1%eth0", 107));
  EXPECT_TRUE(IsServerAddress("::1", 107));
  EXPECT_FALSE(IsServerAddress("2001:db8::123::1", 107));
  EXPECT_FALSE(IsServerAddress("[::1]", 107));
  EXPECT_TRUE(FromServer("2001:DB8:0::123", "2001:db8::123"));
  EXPECT_FALSE(FromServer("2001:db8::124", "2001:db8::123"));
  EXPECT_TRUE(FromServer("::ffff:10.0.0.1", "10.0.0.1"));
  EXPECT_TRUE(FromServer("ntp.example", "2001:db8::123"));
}

}  // namespace
