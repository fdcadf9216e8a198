#include "net/ntp_mac.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ntp_auth.h"

namespace {

std::vector<uint8_t> Hex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

NtpKey Key(NtpKeyType type, std::vector<uint8_t> secret) { return NtpKey{1, type, std::move(secret)}; }

// The digest keys hash the key followed by the data (RFC 1321, FIPS 180
// messages split into key and data); AES128 is CMAC (RFC 4493's examples).
TEST(NtpMac, KnownVectors) {
  const std::vector<uint8_t> aesKey = Hex("2b7e151628aed2a6abf7158809cf4f3c");
  const std::string aesData =
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
  const std::string fips = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const struct {
    const char* name;
    NtpKey key;
    std::vector<uint8_t> data;
    std::string mac;
  } cases[] = {
      {"MD5", Key(NtpKeyType::kMd5, Bytes("abcdefghij")), Bytes("klmnopqrstuvwxyz"),
       "c3fcd3d76192e4007dfb496cca67e13b"},
      {"SHA1", Key(NtpKeyType::kSha1, Bytes(fips.substr(0, 20))), Bytes(fips.substr(20)),
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"SHA256", Key(NtpKeyType::kSha256, Bytes(fips.substr(0, 11))), Bytes(fips.substr(11)),
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"CMAC empty", Key(NtpKeyType::kAes128Cmac, aesKey), {}, "bb1d6929e95937287fa37d129b756746"},
      {"CMAC 16", Key(NtpKeyType::kAes128Cmac, aesKey), Hex(aesData.substr(0, 32)),
       "070a16b46b4d4144f79bdd9dd04a287c"},
      {"CMAC 40", Key(NtpKeyType::kAes128Cmac, aesKey), Hex(aesData.substr(0, 80)),
       "dfa66747de9ae63030ca32611497c827"},
      {"CMAC 64", Key(NtpKeyType::kAes128Cmac, aesKey), Hex(aesData), "51f0bebf7e3b9d92fc49741779363cfe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto mac = ComputeMac(c.key, c.data.data(), c.data.size());
    ASSERT_TRUE(mac);
    EXPECT_EQ(*mac, Hex(c.mac));
    EXPECT_EQ(mac->size(), MacLength(c.key.type));
    EXPECT_TRUE(MacMatches(c.key, c.data.data(), c.data.size(), mac->data(), mac->size()));
  }
}

// A code passes at its full length or cut to 20 bytes (NTPv4), and not
// with one bit changed or at any other length.
TEST(NtpMac, MatchesOnlyTheWholeOrTheV4Cut) {
  const NtpKey key = Key(NtpKeyType::kSha256, Bytes("0123456789abcdef"));
  const std::vector<uint8_t> data(48, 0x5A);
  std::vector<uint8_t> mac = *ComputeMac(key, data.data(), data.size());
  EXPECT_TRUE(MacMatches(key, data.data(), data.size(), mac.data(), 32));
  EXPECT_TRUE(MacMatches(key, data.data(), data.size(), mac.data(), 20));
  EXPECT_FALSE(MacMatches(key, data.data(), data.size(), mac.data(), 16));
  EXPECT_FALSE(MacMatches(key, data.data(), data.size(), mac.data(), 0));
  mac[19] ^= 1;
  EXPECT_FALSE(MacMatches(key, data.data(), data.size(), mac.data(), 20));
  const NtpKey other = Key(NtpKeyType::kSha256, Bytes("0123456789abcdeF"));
  mac[19] ^= 1;
  EXPECT_FALSE(MacMatches(other, data.data(), data.size(), mac.data(), 32));
}

// What follows the header of a datagram.
TEST(NtpAuthenticator, ReadFromTheDatagram) {
  std::vector<uint8_t> d(68, 0);
  d[48] = 0x01, d[49] = 0x02, d[50] = 0x03, d[51] = 0x04;
  NtpAuthenticator a = AuthenticatorOf(d.data(), d.size());
  EXPECT_TRUE(a.present);
  EXPECT_EQ(a.keyId, 0x01020304u);
  EXPECT_EQ(a.macSize, 16u);
  EXPECT_EQ(a.mac, d.data() + 52);
  EXPECT_FALSE(AuthenticatorOf(d.data(), 48).present);
  EXPECT_FALSE(AuthenticatorOf(d.data(), 51).present);
  std::vector<uint8_t> nak(52, 0);
  EXPECT_TRUE(AuthenticatorOf(nak.data(), nak.size()).IsCryptoNak());
  EXPECT_FALSE(AuthenticatorOf(d.data(), 52).IsCryptoNak());
}

}  // namespace
