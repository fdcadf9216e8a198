#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/time_arithmetic.h"
#include "net/ntp_auth.h"
#include "support/sntp_server_world.h"

namespace {

struct SntpServerTest : ::testing::Test, SntpServerWorld {
  double Decode(const uint8_t ts[8]) const { return NtpTimestampDecode(ts, fake.time.Now()); }
};

// The reply carries what the claim says, and of the request only its
// version, poll and transmit time (as the origin): a request's root delay
// and dispersion are never echoed. It goes back to the source port as 48
// bytes, whatever the request's size.
TEST_F(SntpServerTest, ReplyCarriesTheClaimAndOnlyTheRequestsVersionPollAndTime) {
  const auto request = Request(0x1B, 68);  // VN 3
  ServiceClaim claim;
  claim.leap = 1;
  claim.stratum = 1;
  std::memcpy(claim.referenceId, "GPS\0", 4);
  claim.precision = -18;
  claim.rootDelay = 0;
  claim.rootDispersion = 0.0015;
  claim.referenceTime = 3'975'999'000.0;
  EXPECT_FALSE(server.HandleNtpPacket(MakeDatagram(request, "192.168.1.20", 5555), TimeSource::kReceiverPps, claim));
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  const auto& sent = fake.udp.sent.back();
  EXPECT_EQ(sent.host, "192.168.1.20");
  EXPECT_EQ(sent.port, 5555);
  EXPECT_EQ(sent.bytes.size(), 48u);
  const NtpPacket r = LastReply();
  EXPECT_EQ(r.LeapIndicator, 1);
  EXPECT_EQ(r.Version, 3);
  EXPECT_EQ(r.Mode, 4);
  EXPECT_EQ(r.Stratum, 1);
  EXPECT_EQ(r.Poll, 6);
  EXPECT_EQ(r.Precision, -18);
  EXPECT_EQ(std::memcmp(r.ReferenceId, "GPS\0", 4), 0);
  const uint8_t zero[4] = {}, dispersion[4] = {0, 0, 0, 98};  // 0.0015 s in 16.16
  EXPECT_EQ(std::memcmp(r.RootDelay, zero, 4), 0);
  EXPECT_EQ(std::memcmp(r.RootDispersion, dispersion, 4), 0);
  EXPECT_EQ(std::memcmp(r.Originate, request.data() + 40, 8), 0);
  EXPECT_DOUBLE_EQ(Decode(r.Reference), 3'975'999'000.0);
}

// Versions 1 to 4 are answered with their own version, an NTPv1 request
// (which has no mode) too; version 0 and 5 to 7 get nothing, as from chronyd.
TEST_F(SntpServerTest, VersionsOneToFourAreAnswered) {
  const struct { int version, mode; bool answered; } cases[] = {
      {1, 3, true}, {2, 3, true}, {3, 3, true}, {4, 3, true}, {1, 0, true},
      {0, 3, false}, {5, 3, false}, {6, 3, false}, {7, 3, false}, {2, 0, false}, {4, 0, false},
  };
  for (const auto& c : cases) {
    fake.udp.sent.clear();
    Receive(Request(static_cast<uint8_t>(c.version << 3 | c.mode)), TimeSource::kReceiverPps);
    ASSERT_EQ(fake.udp.sent.size(), c.answered ? 1u : 0u) << c.version << " " << c.mode;
    if (!c.answered) continue;
    EXPECT_EQ(LastReply().Version, c.version);
    EXPECT_EQ(LastReply().Mode, 4);
  }
}

// A request that waited long in the socket, or across a setting of the PC
// clock, is not answered: its receive time would be wrong.
TEST_F(SntpServerTest, ARequestQueuedTooLongOrAcrossAStepIsNotAnswered) {
  Receive(Request(), TimeSource::kPcClock, 1.2);
  EXPECT_TRUE(fake.udp.sent.empty());
  Receive(Request(), TimeSource::kPcClock, 0.9);
  EXPECT_EQ(fake.udp.sent.size(), 1u);
  fake.time.Advance(0.2);
  server.NoteClockStep(counterScale.Now());
  fake.time.Advance(0.1);
  Receive(Request(), TimeSource::kPcClock, 0.2);
  EXPECT_EQ(fake.udp.sent.size(), 1u);
  Receive(Request(), TimeSource::kPcClock, 0.05);
  EXPECT_EQ(fake.udp.sent.size(), 2u);
  server.NoteClockStep(counterScale.Now());
  Receive(Request(), TimeSource::kPcClock, 0);
  EXPECT_EQ(fake.udp.sent.size(), 3u);
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
  EXPECT_EQ(status.text, "メッセージ無効(LI=3)");
  EXPECT_FALSE(Receive(Request(0x25), TimeSource::kPcClock));
  EXPECT_TRUE(fake.udp.sent.empty());
}

// While the test dialog is open requests are answered but not logged.
TEST_F(SntpServerTest, TestDialogSilencesThePacketLines) {
  testDialog.TestDialogShown = true;
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

// A request signed with a key held gets a reply signed with the same key,
// its code as long as the request's; a code that does not pass, or one
// under a key not held, gets a crypto-NAK (a key id of 0 alone); without a
// code, or with key id 0, the reply is plain. Only the time served counts
// as served, and its client as seen.
TEST_F(SntpServerTest, KeyedRequestsGetSignedRepliesOrACryptoNak) {
  const auto secret = [](const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s)); };
  NtpKeyTable keys;
  keys.Add({1, NtpKeyType::kMd5, secret("first-secret")});
  keys.Add({2, NtpKeyType::kSha256, secret("second-secret")});
  keys.Add({3, NtpKeyType::kAes128Cmac, secret("0123456789abcdef")});
  server.UseKeys(&keys);
  const NtpKey stranger{9, NtpKeyType::kMd5, secret("first-secret")};
  const struct {
    const char* name;
    const NtpKey* key;  // null: no code
    size_t macSize;
    bool tamper;
    size_t replySize;
    bool signedReply;
  } cases[] = {
      {"MD5", keys.Find(1), 16, false, 68, true},
      {"SHA256 cut for NTPv4", keys.Find(2), 20, false, 72, true},
      {"SHA256 whole", keys.Find(2), 32, false, 84, true},
      {"AES128", keys.Find(3), 16, false, 68, true},
      {"a changed byte", keys.Find(1), 16, true, 52, false},
      {"a key not held", &stranger, 16, false, 52, false},
      {"no code", nullptr, 0, false, 48, false},
  };
  uint64_t served = 0, naks = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> plain = Request();
    std::array<uint8_t, NtpPacket::kSize> header{};
    std::copy(plain.begin(), plain.end(), header.begin());
    std::vector<uint8_t> request = c.key ? WithMac(header, *c.key, c.macSize) : plain;
    if (c.tamper) request[47] ^= 1;
    fake.udp.sent.clear();
    Receive(request, TimeSource::kReceiverPps);
    ASSERT_EQ(fake.udp.sent.size(), 1u);
    const std::vector<uint8_t>& reply = fake.udp.sent.back().bytes;
    EXPECT_EQ(reply.size(), c.replySize);
    EXPECT_EQ(LastReply().Mode, 4);
    EXPECT_EQ(c.signedReply && ReplyAuthentic(*c.key, reply.data(), reply.size()), c.signedReply);
    EXPECT_EQ(AuthenticatorOf(reply.data(), reply.size()).IsCryptoNak(), c.replySize == 52);
    (c.replySize == 52 ? naks : served)++;
  }
  std::vector<uint8_t> keyIdZero = Request(0x23, 68);
  Receive(keyIdZero, TimeSource::kReceiverPps);
  EXPECT_EQ(fake.udp.sent.back().bytes.size(), 48u);
  EXPECT_EQ(server.Counts().served, served + 1);
  EXPECT_EQ(server.Counts().authenticated, 4u);
  EXPECT_EQ(server.Counts().cryptoNaks, naks);
  EXPECT_EQ(server.Clients().Count(fake.time.Now()), 1u);
}

// Distinct clients of the last hour: an address counts once, leaves after
// an hour, and a full table stops growing.
TEST(ClientTally, CountsDistinctAddressesOfTheLastHour) {
  ClientTally tally;
  tally.Note("10.0.0.1", 1000);
  tally.Note("10.0.0.2", 1500);
  tally.Note("10.0.0.1", 2000);
  EXPECT_EQ(tally.Count(2000), 2u);
  EXPECT_EQ(tally.Count(1500 + 3600.5), 1u);
  EXPECT_EQ(tally.Count(2000 + 3601), 0u);
  for (size_t i = 0; i < ClientTally::kMaxTracked + 10; ++i) tally.Note("f" + std::to_string(i), 3000);
  EXPECT_TRUE(tally.Saturated());
  EXPECT_EQ(tally.Count(3000), ClientTally::kMaxTracked);
  // An hour on, the old ones make room again.
  tally.Note("10.0.0.9", 3000 + 3601);
  EXPECT_FALSE(tally.Saturated());
  EXPECT_EQ(tally.Count(3000 + 3601), 1u);
}

// `NtpAllow` set: only its sources are answered; the others get nothing, no
// line, and are counted. The clients served are counted once each an hour.
TEST_F(SntpServerTest, AllowListRefusesOtherSourcesAndCountsThem) {
  access.Configure(0, "192.168.0.0/16 2001:db8::/32", {});
  EXPECT_FALSE(Receive(Request(), TimeSource::kPcClock, 0, "10.0.0.7"));
  Receive(Request(), TimeSource::kPcClock, 0, "192.168.3.4");
  Receive(Request(), TimeSource::kPcClock, 0, "192.168.3.4");
  Receive(Request(), TimeSource::kPcClock, 0, "2001:db8::77");
  Receive(Request(), TimeSource::kPcClock, 0, "2001:db9::77");
  ASSERT_EQ(fake.udp.sent.size(), 3u);
  EXPECT_EQ(fake.udp.sent[2].host, "2001:db8::77");
  EXPECT_EQ(server.Counts().served, 3u);
  EXPECT_EQ(server.Counts().refused, 2u);
  EXPECT_EQ(log.lines.size(), 3u);
  EXPECT_NE(log.lines[2].find(",From:2001:db8::77"), std::string::npos);
  EXPECT_EQ(server.Clients().Count(fake.clock.ReadNtpSeconds()), 2u);
  EXPECT_EQ(server.Clients().Count(fake.clock.ReadNtpSeconds() + 3601), 0u);
}

// Past its prefix's limit a client gets one RATE kiss a second that tells
// no time, and nothing else; another prefix, and loopback, are answered.
TEST_F(SntpServerTest, OverTheLimitAClientGetsARateKissAtMostOnceASecond) {
  const auto request = Request(0x23);
  const size_t burst = static_cast<size_t>(SntpServer::kLimits.burst);
  const int asked = static_cast<int>(burst) + 8;
  for (int i = 0; i < asked; ++i) Receive(request, TimeSource::kPcClock, 0, i % 2 ? "10.0.0.7" : "10.0.0.8");
  ASSERT_EQ(fake.udp.sent.size(), burst + 1);
  const NtpPacket kiss = LastReply();
  EXPECT_EQ(kiss.Stratum, 0);
  EXPECT_EQ(kiss.LeapIndicator, 3);
  EXPECT_EQ(kiss.Mode, 4);
  EXPECT_EQ(std::memcmp(kiss.ReferenceId, "RATE", 4), 0);
  EXPECT_EQ(std::memcmp(kiss.Originate, request.data() + 40, 8), 0);
  EXPECT_EQ(std::memcmp(kiss.Transmit, request.data() + 40, 8), 0);
  EXPECT_EQ(server.Counts().served, burst);
  EXPECT_EQ(server.Counts().rateLimited, asked - burst);
  for (int i = 0; i < asked; ++i) Receive(request, TimeSource::kPcClock, 0, "127.0.0.1");
  Receive(request, TimeSource::kPcClock, 0, "10.0.1.8");
  EXPECT_EQ(fake.udp.sent.size(), burst + 1 + asked + 1);

  fake.time.Advance(1.0);
  fake.udp.sent.clear();
  for (int i = 0; i < asked; ++i) Receive(request, TimeSource::kPcClock, 0, "10.0.0.9");
  EXPECT_EQ(fake.udp.sent.size(), static_cast<size_t>(SntpServer::kLimits.perSecond) + 1);
  EXPECT_EQ(std::memcmp(LastReply().ReferenceId, "RATE", 4), 0);
}

// `LogRequests` off: requests are answered without a line each.
TEST_F(SntpServerTest, RequestLinesCanBeSwitchedOff) {
  logRequests = 0;
  Receive(Request(), TimeSource::kPcClock);
  EXPECT_EQ(fake.udp.sent.size(), 1u);
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
