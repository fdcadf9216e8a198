#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text_format.h"
#include "fakes/fake_platform.h"
#include "net/answer_rate_limit.h"
#include "net/lan_protocol_server.h"
#include "net/position_answer.h"

namespace {

std::string TextOf(const std::vector<uint8_t>& datagram) {
  return std::string(reinterpret_cast<const char*>(datagram.data()));
}

const PositionFields kFix = {"受信中(NMEA)", "日本測地系", "  135ﾟ30'12.3\"E", " 35ﾟ01'02.5\"N",
                             "52.1m", "36.9m", "8", "4"};

TEST(PositionAnswer, BuildsTheAnswerInCp932) {
  FakeTextCodec codec;
  const auto none = BuildPositionAnswer(std::nullopt, codec);
  ASSERT_EQ(none.size(), 128u);
  EXPECT_EQ(TextOf(none), "Quor =X");
  EXPECT_EQ(std::count(none.begin() + 7, none.end(), 0), 121);

  const auto answer = BuildPositionAnswer(kFix, codec);
  ASSERT_EQ(answer.size(), 128u);
  EXPECT_EQ(TextOf(answer),
            "Quor =\x8e\xf3\x90\x4d\x92\x86(NMEA)=\x93\xfa\x96\x7b\x91\xaa\x92\x6e\x8c\x6e="
            "135\xdf" "30'12.3\"E=35\xdf" "01'02.5\"N=52.1m=36.9m=8=4");
  // Read back by a client, the fields are the server's texts, longitude and
  // latitude without their leading blanks.
  const std::string word = TextOf(answer).substr(5);
  const auto fields = ShowPositionAnswer(word, codec);
  ASSERT_EQ(fields.size(), 8u);
  EXPECT_EQ(fields[0], "受信中(NMEA)");
  EXPECT_EQ(fields[1], "日本測地系");
  EXPECT_EQ(fields[2], "135ﾟ30'12.3\"E");
  EXPECT_EQ(fields[7], "4");
}

// A text that would pass 127 bytes ends at a field boundary; counted in
// CP932 bytes, so no two-byte character is split.
TEST(PositionAnswer, LongTextEndsAtAFieldBoundary) {
  FakeTextCodec codec;
  PositionFields fields = kFix;
  // "Quor =" (6) + 8 bytes + "=" + 2*50 bytes = 115; field 3 no longer fits.
  fields[0] = "ABCDEFGH";
  fields[1] = std::string(50 * 3, 'x');
  for (size_t i = 0; i < 50; ++i) fields[1].replace(i * 3, 3, "測");
  const auto answer = BuildPositionAnswer(fields, codec);
  const std::string text = TextOf(answer);
  EXPECT_EQ(text.size(), 115u);
  EXPECT_EQ(ShowPositionAnswer(text.substr(5), codec), (std::vector<std::string>{"ABCDEFGH", fields[1]}));

  // Exactly 127 bytes are kept whole.
  fields[1] = std::string(127 - 6 - 8 - 1 - 1 - 2, 'y');  // "Quor =" + f1 + "=" + f2 + "=" + "12"
  fields[2] = "12";
  const std::string full = TextOf(BuildPositionAnswer(fields, codec));
  EXPECT_EQ(full.size(), 127u);
  EXPECT_EQ(full.substr(full.size() - 3), "=12");
}

// Blanks inside a field would end the word at the peer and lose the fields
// after it; they travel as full-width spaces.
TEST(PositionAnswer, BlanksInsideAFieldKeepTheFieldsAfterIt) {
  FakeTextCodec codec;
  PositionFields fields = kFix;
  fields[1] = "Tokyo Mean";
  const std::string text = TextOf(BuildPositionAnswer(fields, codec));
  EXPECT_EQ(text.find(' ', 5), std::string::npos);
  const auto shown = ShowPositionAnswer(text.substr(5), codec);
  ASSERT_EQ(shown.size(), 8u);
  EXPECT_EQ(shown[1], "Tokyo\u3000Mean");
  EXPECT_EQ(shown[7], "4");
}

TEST(PositionAnswer, ShowsAtMostEightFields) {
  FakeTextCodec codec;
  EXPECT_EQ(ShowPositionAnswer("=a=b=c=d=e=f=g=h=i=j", codec).size(), 8u);
  EXPECT_EQ(ShowPositionAnswer("=a=b", codec), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ShowPositionAnswer("=a==", codec), (std::vector<std::string>{"a", "", ""}));
  for (const char* none : {"=X", "==a", "="}) EXPECT_TRUE(NoPositionInAnswer(none)) << none;
  EXPECT_FALSE(NoPositionInAnswer("=a"));
}

// A broken CP932 character never eats the '=' after it: the answer is split
// on its bytes and each field decoded on its own, so every field stays in
// its control. '=' (0x3D) is no trail byte, so a lead byte before it is a
// lone lead byte and its field shows it as '?'.
TEST(PositionAnswer, BrokenCharacterKeepsEveryFieldInPlace) {
  FakeTextCodec codec;
  for (const char lead : {'\x81', '\x9f', '\xe0', '\xfc'}) {
    for (size_t broken = 0; broken < 8; ++broken) {
      std::string word;
      std::vector<std::string> expected;
      for (size_t i = 0; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i);
        word += "=" + name + (i == broken ? std::string(1, lead) : "");
        expected.push_back(name + (i == broken ? "?" : ""));
      }
      EXPECT_EQ(ShowPositionAnswer(word, codec), expected)
          << "lead 0x" << std::hex << (static_cast<unsigned>(lead) & 0xff) << " in field " << broken;
    }
  }

  const struct {
    const char* word;
    std::vector<std::string> fields;
  } kCases[] = {
      // Whole two-byte characters right before and after the separator.
      {"=\x8e\xf3=\x90\x4d\x92\x86=\x81\x40", {"受", "信中", "\u3000"}},
      // A lone lead byte before an empty field, and empty fields around it.
      {"=a\x81==b", {"a?", "", "b"}},
      {"===\xe0=", {"", "", "?", ""}},
      // A lone lead byte as the whole first field and at the very end.
      {"=\x9f=b=\xfc", {"?", "b", "?"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ShowPositionAnswer(c.word, codec), c.fields) << c.word;
  }
}

// Every own-protocol answer is limited per source prefix (/24): a small
// burst, then a few a second. Other prefixes are answered meanwhile.
TEST(LanProtocolServerTest, AnswersAreLimitedPerSourcePrefix) {
  FakePlatform fake;
  AccessRules access;
  LanProtocolServer server(fake.udp, fake.codec, fake.clock, access);
  for (int i = 0; i < 10; ++i) server.OnPositionRequest(i % 2 ? "10.0.0.99" : "10.0.0.98", kFix);
  EXPECT_EQ(fake.udp.sent.size(), 4u);
  server.OnConnectRequest("10.0.0.7");
  EXPECT_EQ(fake.udp.sent.size(), 4u);
  server.OnConnectRequest("10.0.1.7");
  ASSERT_EQ(fake.udp.sent.size(), 5u);
  EXPECT_EQ(fake.udp.sent.back().bytes, (std::vector<uint8_t>{'Q', 'u', 'o', 'r', ' ', 'O', 'k'}));
  EXPECT_EQ(fake.udp.sent.back().host, "10.0.1.7");
  EXPECT_EQ(fake.udp.sent.back().port, 123);
  EXPECT_EQ(server.served, 5u);
  EXPECT_EQ(server.rateLimited, 7u);

  // Two a second after that.
  fake.time.Advance(1.0);
  for (int i = 0; i < 10; ++i) server.OnPositionRequest("10.0.0.99", std::nullopt);
  EXPECT_EQ(fake.udp.sent.size(), 7u);
  EXPECT_EQ(TextOf(fake.udp.sent.back().bytes), "Quor =X");
  EXPECT_EQ(fake.udp.sent.back().bytes.size(), 128u);
}

// The table of prefixes stays bounded, and a new prefix takes the place of
// the one heard from least recently: a full table never shuts a new
// client out, while a prefix that keeps asking stays limited.
TEST(LanProtocolServerTest, PrefixTableIsBoundedAndNeverShutsANewClientOut) {
  AnswerRateLimit limit({2, 4, 2});
  const auto a = [](const char* t) { return *ParseIpAddress(t); };
  using V = AnswerRateLimit::Verdict;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(limit.Allow(a("10.0.1.1"), 0), V::kAnswer);
  EXPECT_EQ(limit.Allow(a("10.0.1.2"), 0), V::kKiss);  // same /24, now empty
  EXPECT_EQ(limit.Allow(a("10.0.1.3"), 0.2), V::kDrop);  // one kiss a second
  EXPECT_EQ(limit.Allow(a("10.0.2.1"), 0.5), V::kAnswer);
  EXPECT_EQ(limit.Allow(a("10.0.3.1"), 0.5), V::kAnswer);  // evicts 10.0.1.x
  EXPECT_EQ(limit.Prefixes(), 2u);
  EXPECT_EQ(limit.Allow(a("2001:db8:0:ff::1"), 0.5), V::kAnswer);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(limit.Allow(a("2001:db8:0:1::2"), 0.5), V::kAnswer);  // same /56
  EXPECT_EQ(limit.Allow(a("2001:db8:0:2::2"), 0.5), V::kKiss);
  EXPECT_EQ(limit.Allow(a("2001:db8:0:100::2"), 0.5), V::kAnswer);  // another /56
  EXPECT_EQ(limit.Prefixes(), 2u);
}

// A flood of "Quor Pos" and "Quor Conn" from forged sources, each on a
// prefix of its own, at 4000 a second: a legitimate client on another
// prefix keeps every answer, and the bytes sent stay below those received.
TEST(LanProtocolServerTest, ForgedSourceFloodLeavesALegitimateClientItsAnswers) {
  FakePlatform fake;
  AccessRules access;
  access.Configure(1, "", {});  // everyone may ask
  LanProtocolServer server(fake.udp, fake.codec, fake.clock, access);
  size_t bytesIn = 0, legitimateAsked = 0, legitimateAnswered = 0;
  uint32_t forged = 0;
  for (int step = 0; step < 4000 * 8; ++step) {
    fake.time.Advance(1.0 / 4000);
    // 32000 sources: a new /24 each time (forged sources cycle 10.x.y.0).
    ++forged;
    const std::string from = StrPrintf("10.%u.%u.%u", (forged >> 8) & 255, forged & 255, forged % 7);
    if (step % 2) {
      server.OnPositionRequest(from, kFix);
      bytesIn += 8;
    } else {
      server.OnConnectRequest(from);
      bytesIn += 9;
    }
    if (step % 6400 == 0) {  // "Quor Conn" from 192.168.5.20 every 1.6 s
      const size_t before = fake.udp.sent.size();
      server.OnConnectRequest("192.168.5.20");
      ++legitimateAsked;
      legitimateAnswered += fake.udp.sent.size() == before + 1 &&
                            fake.udp.sent.back().host == "192.168.5.20";
    }
  }
  size_t bytesOut = 0;
  for (const auto& sent : fake.udp.sent) bytesOut += sent.bytes.size();
  EXPECT_EQ(legitimateAnswered, legitimateAsked);
  EXPECT_LE(bytesOut, bytesIn);
}

// Whom the own protocol answers, by `LanAccess`, and whom SNTP answers, by
// `NtpAllow`; refused sources get nothing and are counted.
TEST(AccessRulesTest, LanAccessAndNtpAllow) {
  const std::vector<OwnAddress> own = {{"203.0.113.5", 28, false}, {"2001:db8:5::1", 64, false}};
  const struct {
    int lanAccess;
    const char* ntpAllow;
    const char* from;
    bool lan, ntp;
  } cases[] = {
      {0, "", "127.0.0.1", true, true},
      {0, "", "::1", true, true},
      {0, "", "192.168.9.9", true, true},
      {0, "", "172.20.0.1", true, true},
      {0, "", "172.32.0.1", false, true},
      {0, "", "10.1.2.3", true, true},
      {0, "", "169.254.1.1", true, true},
      {0, "", "fe80::1%eth0", true, true},
      {0, "", "fd12:3456::1", true, true},
      {0, "", "203.0.113.14", true, true},   // own /28
      {0, "", "203.0.113.17", false, true},  // beyond it
      {0, "", "2001:db8:5::99", true, true},
      {0, "", "2001:db8:6::99", false, true},
      {0, "", "8.8.8.8", false, true},
      {0, "", "not-an-address", false, true},
      {1, "", "8.8.8.8", true, true},
      {2, "", "127.0.0.1", false, true},
      {0, "192.168.0.0/16 2001:db8::/32", "192.168.200.1", true, true},
      {0, "192.168.0.0/16 2001:db8::/32", "10.0.0.1", true, false},
      {0, "192.168.0.0/16, 2001:db8::/32", "2001:db8:ffff::1", false, true},
      {0, "192.168.0.0/16,2001:db8::/32", "2001:db9::1", false, false},
      {0, "10.0.0.1", "10.0.0.1", true, true},
      {0, "10.0.0.1", "10.0.0.2", true, false},
      {0, "0.0.0.0/0", "8.8.8.8", false, true},
      {0, "bad/99", "10.0.0.1", true, false},  // set, but nothing valid: no one
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " lan " + std::to_string(c.lanAccess) + " allow " + c.ntpAllow);
    AccessRules rules;
    rules.Configure(c.lanAccess, c.ntpAllow, own);
    EXPECT_EQ(rules.LanMayAsk(c.from), c.lan);
    EXPECT_EQ(rules.NtpMayAsk(c.from), c.ntp);
  }
  EXPECT_TRUE(IsAllowListText(""));
  EXPECT_TRUE(IsAllowListText(" 10.0.0.0/8 , fd00::/8 "));
  EXPECT_FALSE(IsAllowListText("10.0.0.0/33"));
  EXPECT_FALSE(IsAllowListText("10.0.0.0/8 example.com"));
  EXPECT_FALSE(IsAllowListText("10.0.0.0/"));

  FakePlatform fake;
  AccessRules rules;
  rules.Configure(0, "", own);
  LanProtocolServer server(fake.udp, fake.codec, fake.clock, rules);
  server.OnPositionRequest("8.8.8.8", kFix);
  server.OnConnectRequest("8.8.8.8");
  server.OnConnectRequest("192.168.1.2");
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  EXPECT_EQ(fake.udp.sent[0].host, "192.168.1.2");
  EXPECT_EQ(server.refused, 2u);
  EXPECT_EQ(server.served, 1u);
}

}  // namespace
