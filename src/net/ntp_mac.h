#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "net/ntp_keys.h"

// The message authentication code of an NTP packet under a shared key
// (RFC 5905): the digest of the key followed by the packet for MD5, SHA1
// and SHA256, AES-128 CMAC of the packet for AES128. Computed by libcrypto.

// The longest code of any key type (SHA256), bytes.
inline constexpr size_t kMaxMacBytes = 32;
// NTPv4 packets carry at most 20 bytes of it, so that an authenticator is
// never taken for an extension field (longer codes are cut).
inline constexpr size_t kMaxV4MacBytes = 20;

// The full length of the type's code.
size_t MacLength(NtpKeyType type);

// The code of `data` under `key`, at its full length; nullopt only when the
// library fails.
std::optional<std::vector<uint8_t>> ComputeMac(const NtpKey& key, const uint8_t* data, size_t size);

// Whether `mac` is the code of `data` under `key`, at its full length or cut
// to kMaxV4MacBytes; compared in constant time.
bool MacMatches(const NtpKey& key, const uint8_t* data, size_t size, const uint8_t* mac,
                size_t macSize);
