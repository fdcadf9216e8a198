#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An IPv4 or IPv6 address as numbers, for comparing and matching prefixes.
// An IPv4-mapped IPv6 address (::ffff:a.b.c.d) is taken as the IPv4 address
// it carries, as a dual-stack socket reports IPv4 senders that way.
struct IpAddress {
  bool v6 = false;
  std::array<uint8_t, 16> bytes{};  // IPv4: the first 4
  std::string zone;                 // IPv6 scope ("eth0", "2"); empty: none

  size_t Size() const { return v6 ? 16 : 4; }
  int Bits() const { return v6 ? 128 : 32; }
  bool operator==(const IpAddress&) const = default;
};

// Dotted IPv4 (four decimal numbers 0..255) or IPv6 text (hex groups, one
// "::", an optional dotted IPv4 tail, an optional "%zone"); nullopt otherwise.
std::optional<IpAddress> ParseIpAddress(std::string_view text);

// The address's usual text: dotted IPv4, or IPv6 in lower case with the
// longest run of zero groups as "::" (RFC 5952), and "%zone" when it has one.
std::string FormatIpAddress(const IpAddress& address);

// The usual text of an address given as text; nullopt when it is none (a
// host name, say).
std::optional<std::string> CanonicalAddress(std::string_view text);

// Whether the first `bits` bits of `a` equal those of `network`, both of one
// family. The zone is not compared.
bool InPrefix(const IpAddress& a, const IpAddress& network, int bits);
