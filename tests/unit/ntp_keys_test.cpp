#include "net/ntp_keys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Each line alone: taken with its id, type and key bytes, or left out with
// a reason that never holds the key.
TEST(KeyFile, LinesAreTakenOrToldApart) {
  const struct {
    std::string line;
    bool taken;
    uint32_t id;
    NtpKeyType type;
    std::string secret;
  } cases[] = {
      {"1 MD5 sesame-open", true, 1, NtpKeyType::kMd5, "sesame-open"},
      {"2 sha1 ASCII:sesame-open", true, 2, NtpKeyType::kSha1, "sesame-open"},
      {"  3\tSHA256  HEX:000102030405060708090a0B0c0D0e0F  ", true, 3, NtpKeyType::kSha256,
       std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f", 16)},
      {"4 AES128 HEX:2b7e151628aed2a6abf7158809cf4f3c", true, 4, NtpKeyType::kAes128Cmac,
       "\x2b\x7e\x15\x16\x28\xae\xd2\xa6\xab\xf7\x15\x88\x09\xcf\x4f\x3c"},
      {"5 sesame-open", true, 5, NtpKeyType::kMd5, "sesame-open"},  // MD5 when no type
      {"4294967295 MD5 sesame-open # trailing comment", true, 4294967295u, NtpKeyType::kMd5, "sesame-open"},
      {"6 SHA512 sesame-open", false, 0, {}, ""},           // a type not supported
      {"7 RMD160 HEX:00112233445566778899", false, 0, {}, ""},
      {"8 MD5 short", false, 0, {}, ""},                    // under 80 bits
      {"9 MD5 HEX:0011223344556677", false, 0, {}, ""},
      {"10 MD5 HEX:00112233445566778899a", false, 0, {}, ""},  // odd digits
      {"11 MD5 HEX:00112233445566778899zz", false, 0, {}, ""},
      {"12 AES128 sesame-open-sesame", false, 0, {}, ""},   // AES-128 takes 16 bytes
      {"0 MD5 sesame-open", false, 0, {}, ""},              // 0 is "no key"
      {"4294967296 MD5 sesame-open", false, 0, {}, ""},
      {"x1 MD5 sesame-open", false, 0, {}, ""},
      {"13", false, 0, {}, ""},
      {"14 MD5 sesame-open extra", false, 0, {}, ""},
      {"15 MD5 " + std::string(65, 'k'), false, 0, {}, ""},  // over 64 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const KeyFileParse parse = ParseKeyFile(c.line);
    if (!c.taken) {
      EXPECT_EQ(parse.keys.Size(), 0u);
      ASSERT_EQ(parse.problems.size(), 1u);
      EXPECT_EQ(parse.problems[0].line, 1);
      EXPECT_FALSE(parse.problems[0].reason.empty());
      EXPECT_EQ(parse.problems[0].reason.find("sesame"), std::string::npos);
      continue;
    }
    EXPECT_TRUE(parse.problems.empty());
    const NtpKey* key = parse.keys.Find(c.id);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->type, c.type);
    EXPECT_EQ(std::string(key->secret.begin(), key->secret.end()), c.secret);
  }
}

// A whole file: comments and blank lines skipped, a bad line leaves the
// others, a repeated id keeps the first and names the line of the second.
TEST(KeyFile, AFileKeepsItsGoodLines) {
  const KeyFileParse parse = ParseKeyFile(
      "# chrony keys\r\n"
      "\n"
      "1 MD5 first-secret\r\n"
      "   # indented comment\n"
      "2 BOGUS second-secret\n"
      "1 SHA1 again-secret\n"
      "3 SHA256 HEX:00112233445566778899");
  EXPECT_EQ(parse.keys.Size(), 2u);
  ASSERT_NE(parse.keys.Find(1), nullptr);
  EXPECT_EQ(parse.keys.Find(1)->type, NtpKeyType::kMd5);
  EXPECT_NE(parse.keys.Find(3), nullptr);
  ASSERT_EQ(parse.problems.size(), 2u);
  EXPECT_EQ(parse.problems[0].line, 5);
  EXPECT_EQ(parse.problems[1].line, 6);
}

// The file's mode: only its owner may open it.
TEST(KeyFile, AFileOthersMayOpenIsRefused) {
  char dir[] = "/tmp/quor-keys.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/ntp.keys";
  std::ofstream(path) << "1 MD5 sesame-open\n";
  const struct {
    mode_t mode;
    bool refused;
  } cases[] = {{0600, false}, {0400, false}, {0640, true}, {0604, true}, {0620, true}, {0644, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    const KeyFileLoad load = LoadKeyFile(path);
    EXPECT_EQ(load.refused, c.refused);
    EXPECT_EQ(load.parse.keys.Size(), c.refused ? 0u : 1u);
    if (c.refused) {
      EXPECT_NE(load.refusal.find("chmod 600"), std::string::npos) << load.refusal;
    }
    EXPECT_EQ(load.refusal.find("sesame"), std::string::npos);
  }
  const KeyFileLoad missing = LoadKeyFile(std::string(dir) + "/none");
  EXPECT_TRUE(missing.refused);
  EXPECT_NE(missing.refusal.find("読めません"), std::string::npos);
  EXPECT_TRUE(LoadKeyFile(dir).refused);  // a directory
  std::remove(path.c_str());
  rmdir(dir);
}

}  // namespace
