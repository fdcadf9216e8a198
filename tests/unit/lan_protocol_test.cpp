#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Every own-protocol answer is limited per source address: a small burst,
// then a few a second. Other addresses are answered meanwhile.
TEST(LanProtocolServerTest, AnswersAreLimitedPerSourceAddress) {
  FakePlatform fake;
  LanProtocolServer server(fake.udp, fake.codec, fake.clock);
  for (int i = 0; i < 10; ++i) server.OnPositionRequest("10.0.0.99", kFix);
  EXPECT_EQ(fake.udp.sent.size(), 4u);
  server.OnConnectRequest("10.0.0.99");
  EXPECT_EQ(fake.udp.sent.size(), 4u);
  server.OnConnectRequest("10.0.0.7");
  ASSERT_EQ(fake.udp.sent.size(), 5u);
  EXPECT_EQ(fake.udp.sent.back().bytes, (std::vector<uint8_t>{'Q', 'u', 'o', 'r', ' ', 'O', 'k'}));
  EXPECT_EQ(fake.udp.sent.back().host, "10.0.0.7");
  EXPECT_EQ(fake.udp.sent.back().port, 123);

  // Two a second after that.
  fake.time.Advance(1.0);
  for (int i = 0; i < 10; ++i) server.OnPositionRequest("10.0.0.99", std::nullopt);
  EXPECT_EQ(fake.udp.sent.size(), 7u);
  EXPECT_EQ(TextOf(fake.udp.sent.back().bytes), "Quor =X");
  EXPECT_EQ(fake.udp.sent.back().bytes.size(), 128u);
}

// Forged source addresses cannot grow the table past its bound: while it is
// full of addresses still drawing answers, new ones get none.
TEST(LanProtocolServerTest, AddressTableIsBounded) {
  AnswerRateLimit limit(2, 4, 2);
  for (const char* address : {"a", "a", "b", "b"}) EXPECT_TRUE(limit.Allow(address, 0));
  EXPECT_FALSE(limit.Allow("c", 0.5));  // neither has refilled yet
  EXPECT_TRUE(limit.Allow("c", 1.0));   // "a" has, and makes room
  EXPECT_TRUE(limit.Allow("b", 1.0));
  EXPECT_FALSE(limit.Allow("a", 1.0));  // "b" and "c" are drawing answers
}

}  // namespace
