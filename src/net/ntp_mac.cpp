#include "net/ntp_mac.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace {

const EVP_MD* DigestOf(NtpKeyType type) {
  switch (type) {
    case NtpKeyType::kMd5: return EVP_md5();
    case NtpKeyType::kSha1: return EVP_sha1();
    case NtpKeyType::kSha256: return EVP_sha256();
    case NtpKeyType::kAes128Cmac: return nullptr;
  }
  return nullptr;
}

std::optional<std::vector<uint8_t>> KeyedDigest(const EVP_MD* md, const NtpKey& key,
                                                const uint8_t* data, size_t size) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  std::vector<uint8_t> out(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1 ||
      EVP_DigestUpdate(ctx.get(), key.secret.data(), key.secret.size()) != 1 ||
      EVP_DigestUpdate(ctx.get(), data, size) != 1 ||
      EVP_DigestFinal_ex(ctx.get(), out.data(), &length) != 1) {
    return std::nullopt;
  }
  out.resize(length);
  return out;
}

std::optional<std::vector<uint8_t>> Cmac(const NtpKey& key, const uint8_t* data, size_t size) {
  // Fetched once: the lookup is costly next to one short packet's CMAC.
  static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, "CMAC", nullptr);
  if (mac == nullptr) return std::nullopt;
  std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> ctx(EVP_MAC_CTX_new(mac), EVP_MAC_CTX_free);
  char cipher[] = "AES-128-CBC";
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipher, 0),
      OSSL_PARAM_construct_end(),
  };
  std::vector<uint8_t> out(16);
  size_t length = 0;
  if (!ctx || EVP_MAC_init(ctx.get(), key.secret.data(), key.secret.size(), params) != 1 ||
      EVP_MAC_update(ctx.get(), data, size) != 1 ||
      EVP_MAC_final(ctx.get(), out.data(), &length, out.size()) != 1) {
    return std::nullopt;
  }
  out.resize(length);
  return out;
}

}  // namespace

size_t MacLength(NtpKeyType type) {
  switch (type) {
    case NtpKeyType::kMd5: return 16;
    case NtpKeyType::kSha1: return 20;
    case NtpKeyType::kSha256: return 32;
    case NtpKeyType::kAes128Cmac: return 16;
  }
  return 0;
}

std::optional<std::vector<uint8_t>> ComputeMac(const NtpKey& key, const uint8_t* data, size_t size) {
  if (key.type == NtpKeyType::kAes128Cmac) return Cmac(key, data, size);
  return KeyedDigest(DigestOf(key.type), key, data, size);
}

bool MacMatches(const NtpKey& key, const uint8_t* data, size_t size, const uint8_t* mac,
                size_t macSize) {
  const size_t full = MacLength(key.type);
  if (macSize != full && macSize != std::min(full, kMaxV4MacBytes)) return false;
  std::optional<std::vector<uint8_t>> expected = ComputeMac(key, data, size);
  if (!expected || expected->size() < macSize) return false;
  const bool same = CRYPTO_memcmp(expected->data(), mac, macSize) == 0;
  OPENSSL_cleanse(expected->data(), expected->size());
  return same;
}
