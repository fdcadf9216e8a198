#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/time_arithmetic.h"
#include "support/sntp_server_world.h"

namespace {

struct SntpServerTest : ::testing::Test, SntpServerWorld {
  double Decode(const uint8_t ts[8]) const { return NtpTimestampDecode(ts, fake.time.Now()); }
};

// What the reply claims follows where the time comes from.
TEST_F(SntpServerTest, ThreeClaims) {
  const struct {
    TimeSource source;
    int stratum, precision;
    const char id[4];
  } cases[] = {
      {TimeSource::kPcClock, 10, 0, {'L', 'O', 'C', 'L'}},  // not 0: that is a kiss code
      {TimeSource::kReceiver, 1, -3, {'G', 'P', 'S', 0}},
      {TimeSource::kReceiverPps, 1, -12, {'G', 'P', 'S', 0}},
  };
  for (const auto& c : cases) {
    Receive(Request(), c.source);
    const NtpPacket r = LastReply();
    EXPECT_EQ(r.Stratum, c.stratum);
    EXPECT_EQ(r.Precision, c.precision);
    EXPECT_EQ(std::memcmp(r.ReferenceId, c.id, 4), 0);
  }
}

// The reply keeps the request's version, poll, root delay and dispersion,
// echoes its transmit time as the origin, and goes back to its source port
// as 48 bytes, whatever the request's size.
TEST_F(SntpServerTest, ReplyEchoesTheRequest) {
  NtpTimestampEncode(3'975'999'000.0, edge.EdgeNtpTime);
  const auto request = Request(0x1B, 68);  // VN 3
  EXPECT_FALSE(Receive(request, TimeSource::kPcClock, 0, "192.168.1.20", 5555));
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  const auto& sent = fake.udp.sent.back();
  EXPECT_EQ(sent.host, "192.168.1.20");
  EXPECT_EQ(sent.port, 5555);
  EXPECT_EQ(sent.bytes.size(), 48u);
  const NtpPacket r = LastReply();
  EXPECT_EQ(r.Version, 3);
  EXPECT_EQ(r.Mode, 4);
  EXPECT_EQ(r.Poll, 6);
  EXPECT_EQ(std::memcmp(r.RootDelay, request.data() + 4, 4), 0);
  EXPECT_EQ(std::memcmp(r.RootDispersion, request.data() + 8, 4), 0);
  EXPECT_EQ(std::memcmp(r.Originate, request.data() + 40, 8), 0);
  EXPECT_EQ(std::memcmp(r.Reference, edge.EdgeNtpTime, 8), 0);
}

// Common clients send LI 3 ("not synchronised") in every request: they are
// answered, and the reply's LI is the server's own, 0.
TEST_F(SntpServerTest, UnsynchronisedClientsAreAnswered) {
  for (const uint8_t first : {0xE3, 0xA3, 0x63, 0x23}) {
    fake.udp.sent.clear();
    Receive(Request(first), TimeSource::kReceiverPps);
    ASSERT_EQ(fake.udp.sent.size(), 1u) << int(first);
    EXPECT_EQ(LastReply().LeapIndicator, 0);
    EXPECT_EQ(log.lines.back().substr(10), StrPrintf("LI:%d,VN:4,Mode:3,Stratum:0,Poll:6,Prec:0,From:10.0.0.7", first >> 6));
  }
  EXPECT_EQ(log.Count("メッセージ無効"), 0);
}

// With 1PPS the time is the edge's plus the counter time since it, set back
// by the time the datagram waited; the PC clock's error does not enter.
TEST_F(SntpServerTest, PpsTimestampsComeFromTheEdgeAndTheCounter) {
  fake.counter.Configure(10'000'000, 4'294'000'000.0);  // wraps in between
  const double edgeTime = std::floor(fake.time.Now());
  NtpTimestampEncode(edgeTime, edge.EdgeNtpTime);
  edge.LastEdgeCount = fake.counter.ReadCounter();
  fake.time.SetPcOffset(-4.5);
  fake.time.Advance(0.3);
  Receive(Request(), TimeSource::kReceiverPps, 0.002);
  const NtpPacket r = LastReply();
  const double sinceEdge = 0.3;
  EXPECT_NEAR(Decode(r.Receive), edgeTime + sinceEdge - 0.002, 1e-6);
  EXPECT_NEAR(Decode(r.Transmit), edgeTime + sinceEdge, 1e-6);
}

// Without 1PPS the PC clock is read at full resolution, not in milliseconds.
TEST_F(SntpServerTest, PcClockTimestampsKeepFullResolution) {
  fake.time.SetPc(3'976'000'100.123457);
  Receive(Request(), TimeSource::kPcClock, 0.0005);
  EXPECT_NEAR(Decode(LastReply().Receive), 3'976'000'100.122957, 2e-6);
}

// Replies are handed on for the client; other modes are not answered, and
// with LI 3 they are reported invalid.
TEST_F(SntpServerTest, RepliesGoToTheClientOtherModesAreDropped) {
  const auto reply = Receive(Request(0x24), TimeSource::kPcClock, 0, "10.0.0.9");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fromAddress, "10.0.0.9");
  EXPECT_EQ(log.lines.back().substr(10), "LI:0,VN:4,Mode:4,Stratum:0,Poll:6,Prec:0");
  EXPECT_FALSE(Receive(Request(0xE1), TimeSource::kPcClock));
  EXPECT_EQ(log.lines.back(), "メッセージ無効(LI=3)");
  EXPECT_EQ(statusBar, "メッセージ無効(LI=3)");
  EXPECT_FALSE(Receive(Request(0x25), TimeSource::kPcClock));
  EXPECT_TRUE(fake.udp.sent.empty());
}

// While the test dialog is open requests are answered but not logged.
TEST_F(SntpServerTest, TestDialogSilencesThePacketLines) {
  testDialogShown = true;
  Receive(Request(), TimeSource::kPcClock);
  EXPECT_EQ(fake.udp.sent.size(), 1u);
  EXPECT_TRUE(log.lines.empty());
}

// A flood writes 10 lines a second, then one line a second with the count
// of the lines left out; every request is still answered.
TEST_F(SntpServerTest, RequestFloodIsLoggedSparingly) {
  fake.time.SetPc(3'976'000'200.0);
  for (int i = 0; i < 25; ++i) Receive(Request(), TimeSource::kPcClock);
  EXPECT_EQ(fake.udp.sent.size(), 25u);
  EXPECT_EQ(log.lines.size(), 10u);
  server.Tick();
  EXPECT_EQ(log.lines.size(), 10u);  // the second is not over

  fake.time.Advance(1.0);
  for (int i = 0; i < 12; ++i) Receive(Request(), TimeSource::kPcClock);
  ASSERT_EQ(log.lines.size(), 21u);
  EXPECT_EQ(log.lines[10].substr(10), "NTPパケット 15 件の記録を省略しました");
  fake.time.Advance(1.0);
  server.Tick();
  EXPECT_EQ(log.lines.back().substr(10), "NTPパケット 2 件の記録を省略しました");
  fake.time.Advance(1.0);
  server.Tick();
  EXPECT_EQ(log.lines.size(), 22u);
}

}  // namespace
