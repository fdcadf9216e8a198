#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/ntp_keys.h"
#include "net/ntp_packet.h"

// The authenticator after the 48-byte header: a key id, then the code.
struct NtpAuthenticator {
  bool present = false;  // more than the header was received
  uint32_t keyId = 0;
  const uint8_t* mac = nullptr;
  size_t macSize = 0;
  // Only the key id, 0: a server's crypto-NAK ("your code did not pass").
  bool IsCryptoNak() const { return present && keyId == 0 && macSize == 0; }
};

// The authenticator of a datagram that holds an NTP packet; none when it is
// only the header, or when what follows is too short to hold a key id.
NtpAuthenticator AuthenticatorOf(const uint8_t* data, size_t size);

// How a request's authenticator turned out.
enum class RequestAuth {
  kNone,   // no code (or key id 0): answered without one
  kValid,  // a code that passes under a known key: answered under that key
  kBad,    // a code under an unknown key, or one that does not pass: crypto-NAK
};
struct RequestAuthCheck {
  RequestAuth result = RequestAuth::kNone;
  const NtpKey* key = nullptr;  // kValid: the key
  size_t macSize = 0;           // kValid: the length the request's code had
};
RequestAuthCheck CheckRequestAuth(const NtpKeyTable* keys, const uint8_t* data, size_t size);

// The packet with the authenticator of `key` appended, its code `macSize`
// bytes long (at most the type's length); the header alone when the library
// fails.
std::vector<uint8_t> WithMac(const std::array<uint8_t, NtpPacket::kSize>& header,
                             const NtpKey& key, size_t macSize);
// The packet with a crypto-NAK appended (a key id of zero and no code).
std::vector<uint8_t> WithCryptoNak(const std::array<uint8_t, NtpPacket::kSize>& header);

// Whether a reply's code passes under `key`; a reply without one, a
// crypto-NAK or a code under another key id does not.
bool ReplyAuthentic(const NtpKey& key, const uint8_t* data, size_t size);
