#include "net/sntp_reply_checks.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "common/ip_address.h"

namespace {

// Rounding of the decoded timestamps (about 1 us at today's NTP seconds)
// can make a round trip of almost nothing a hair negative.
constexpr double kRoundingAllowance = 1e-5;

bool IsZero(const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

double ShortFormat(const uint8_t b[4]) {
  const uint32_t v = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
  return v / 65536.0;
}

}  // namespace

ReplyFault CheckReply(const NtpPacket& p, const ExchangeTimes& t) {
  if (p.Version < 1 || p.Version > 4) return ReplyFault::kVersion;
  if (p.Stratum == 0) {
    const std::string code = KissCode(p);
    if (code == "RATE") return ReplyFault::kKissRate;
    if (code == "DENY" || code == "RSTR") return ReplyFault::kKissDeny;
    return ReplyFault::kKissOther;
  }
  if (p.LeapIndicator == NtpPacket::kLeapUnsynchronised) return ReplyFault::kLeap;
  if (p.Stratum >= 16) return ReplyFault::kStratum;
  if (std::memcmp(p.ReferenceId, NtpPacket::kLocalClockId, 4) == 0) return ReplyFault::kLocalClock;
  if (IsZero(p.Transmit, 8)) return ReplyFault::kNoTransmit;
  if (t.t3 < t.t2) return ReplyFault::kTransmitBeforeReceive;
  const double roundTrip = t.RoundTrip();
  if (!(roundTrip >= -kRoundingAllowance && roundTrip <= kLongestRoundTrip)) {
    return ReplyFault::kRoundTrip;
  }
  return ReplyFault::kNone;
}

std::string KissCode(const NtpPacket& p) {
  std::string code;
  size_t n = 4;
  while (n > 0 && p.ReferenceId[n - 1] == 0) --n;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = p.ReferenceId[i];
    code += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return code;
}

UpstreamClaim ClaimOf(const NtpPacket& p, const std::string& from) {
  UpstreamClaim claim;
  claim.leap = p.LeapIndicator;
  claim.stratum = p.Stratum;
  claim.rootDelay = ShortFormat(p.RootDelay);
  claim.rootDispersion = ShortFormat(p.RootDispersion);
  // The reference id a client of this program is shown for the server: its
  // IPv4 address, or for IPv6 the first four bytes of the MD5 digest of the
  // address (RFC 5905).
  const std::optional<IpAddress> address = ParseIpAddress(from);
  if (!address) return claim;
  if (!address->v6) {
    std::copy_n(address->bytes.begin(), 4, claim.address);
    return claim;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(address->bytes.data(), address->bytes.size(), digest, &length, EVP_md5(), nullptr) == 1 &&
      length >= 4) {
    std::copy_n(digest, 4, claim.address);
  }
  return claim;
}
