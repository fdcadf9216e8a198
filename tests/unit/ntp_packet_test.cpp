#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "net/ntp_packet.h"

namespace {

TEST(NtpPacket, ParsesAndBuildsEveryField) {
  std::array<uint8_t, 68> wire{};
  for (size_t i = 0; i < wire.size(); ++i) wire[i] = static_cast<uint8_t>(i * 7 + 1);
  wire[0] = 0xE3;  // LI 3, VN 4, Mode 3
  wire[3] = 0xEC;  // precision -20
  const auto p = NtpPacket::Parse(wire.data(), wire.size());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->LeapIndicator, 3);
  EXPECT_EQ(p->Version, 4);
  EXPECT_EQ(p->Mode, 3);
  EXPECT_EQ(p->Stratum, wire[1]);
  EXPECT_EQ(p->Poll, wire[2]);
  EXPECT_EQ(p->Precision, -20);
  EXPECT_EQ(p->Transmit[7], wire[47]);
  // Built back, the first 48 bytes come out as they went in; the
  // authenticator is never sent.
  const auto out = p->Bytes();
  EXPECT_TRUE(std::equal(out.begin(), out.end(), wire.begin()));
}

TEST(NtpPacket, ShortDataIsNoPacket) {
  const std::vector<uint8_t> shortData(47, 0x23);
  EXPECT_FALSE(NtpPacket::Parse(shortData.data(), shortData.size()));
  EXPECT_FALSE(NtpPacket::Parse(nullptr, 48));
}

TEST(NtpPacket, FirstByteFields) {
  NtpPacket p;
  p.LeapIndicator = 0;
  p.Version = 4;
  p.Mode = 3;
  EXPECT_EQ(p.Bytes()[0], 0x23);
  p.LeapIndicator = 3;
  p.Version = 3;
  p.Mode = 4;
  EXPECT_EQ(p.Bytes()[0], 0xDC);
}

}  // namespace
