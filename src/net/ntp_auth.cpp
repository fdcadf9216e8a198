#include "net/ntp_auth.h"

#include <algorithm>

#include "net/ntp_mac.h"

NtpAuthenticator AuthenticatorOf(const uint8_t* data, size_t size) {
  NtpAuthenticator auth;
  if (data == nullptr || size < NtpPacket::kSize + 4) return auth;
  const uint8_t* id = data + NtpPacket::kSize;
  auth.present = true;
  auth.keyId = (uint32_t{id[0]} << 24) | (uint32_t{id[1]} << 16) | (uint32_t{id[2]} << 8) | id[3];
  auth.macSize = size - NtpPacket::kSize - 4;
  auth.mac = auth.macSize > 0 ? id + 4 : nullptr;
  return auth;
}

RequestAuthCheck CheckRequestAuth(const NtpKeyTable* keys, const uint8_t* data, size_t size) {
  RequestAuthCheck check;
  const NtpAuthenticator auth = AuthenticatorOf(data, size);
  if (!auth.present || auth.keyId == 0 || auth.macSize == 0) return check;
  const NtpKey* key = keys != nullptr ? keys->Find(auth.keyId) : nullptr;
  if (key == nullptr || !MacMatches(*key, data, NtpPacket::kSize, auth.mac, auth.macSize)) {
    check.result = RequestAuth::kBad;
    return check;
  }
  check.result = RequestAuth::kValid;
  check.key = key;
  check.macSize = auth.macSize;
  return check;
}

std::vector<uint8_t> WithMac(const std::array<uint8_t, NtpPacket::kSize>& header, const NtpKey& key,
                             size_t macSize) {
  std::vector<uint8_t> out(header.begin(), header.end());
  const auto mac = ComputeMac(key, header.data(), header.size());
  if (!mac) return out;
  out.push_back(static_cast<uint8_t>(key.id >> 24));
  out.push_back(static_cast<uint8_t>(key.id >> 16));
  out.push_back(static_cast<uint8_t>(key.id >> 8));
  out.push_back(static_cast<uint8_t>(key.id));
  out.insert(out.end(), mac->begin(), mac->begin() + static_cast<ptrdiff_t>(std::min(macSize, mac->size())));
  return out;
}

std::vector<uint8_t> WithCryptoNak(const std::array<uint8_t, NtpPacket::kSize>& header) {
  std::vector<uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), 4, 0);
  return out;
}

bool ReplyAuthentic(const NtpKey& key, const uint8_t* data, size_t size) {
  const NtpAuthenticator auth = AuthenticatorOf(data, size);
  return auth.present && auth.keyId == key.id && auth.macSize > 0 &&
         MacMatches(key, data, NtpPacket::kSize, auth.mac, auth.macSize);
}
