#include "net/ntp_keys.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/text_format.h"

namespace {

// A key file is a few lines; a larger one is read only this far.
constexpr uintmax_t kMaxKeyFileBytes = 1 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    if (pos > start) words.push_back(line.substr(start, pos - start));
  }
  return words;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool ParseType(std::string_view word, NtpKeyType& type) {
  static constexpr struct { const char* name; NtpKeyType type; } kTypes[] = {
      {"MD5", NtpKeyType::kMd5},
      {"SHA1", NtpKeyType::kSha1},
      {"SHA256", NtpKeyType::kSha256},
      {"AES128", NtpKeyType::kAes128Cmac},
  };
  for (const auto& t : kTypes) {
    if (EqualsNoCase(word, t.name)) {
      type = t.type;
      return true;
    }
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The key bytes of the key word; an empty result with `why` set on error.
std::vector<uint8_t> KeyBytes(std::string_view word, std::string& why) {
  std::vector<uint8_t> bytes;
  if (StartsWithNoCase(word, "HEX:")) {
    const std::string_view hex = word.substr(4);
    if (hex.size() % 2 != 0) {
      why = "16進の桁数が奇数です";
      return {};
    }
    for (size_t i = 0; i < hex.size(); i += 2) {
      const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
      if (hi < 0 || lo < 0) {
        OPENSSL_cleanse(bytes.data(), bytes.size());
        why = "16進でない文字があります";
        return {};
      }
      bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
  } else {
    if (StartsWithNoCase(word, "ASCII:")) word = word.substr(6);
    bytes.assign(word.begin(), word.end());
  }
  if (bytes.size() < kMinKeyBytes || bytes.size() > kMaxKeyBytes) {
    OPENSSL_cleanse(bytes.data(), bytes.size());
    why = bytes.size() < kMinKeyBytes ? StrPrintf("鍵が短すぎます(%zu バイト、%zu バイト以上)",
                                                  bytes.size(), kMinKeyBytes)
                                      : StrPrintf("鍵が長すぎます(%zu バイトまで)", kMaxKeyBytes);
    return {};
  }
  return bytes;
}

bool ParseId(std::string_view word, uint32_t& id) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t v = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v == 0 || v > UINT32_MAX) return false;
  id = static_cast<uint32_t>(v);
  return true;
}

// One line without its comment; false with `why` when it is not a key.
bool ParseLine(std::string_view line, NtpKey& key, std::string& why) {
  const std::vector<std::string_view> words = Words(line);
  if (words.size() < 2 || words.size() > 3) {
    why = "「番号 種類 鍵」の形ではありません";
    return false;
  }
  if (!ParseId(words[0], key.id)) {
    why = "鍵番号は 1 から 4294967295 までです";
    return false;
  }
  key.type = NtpKeyType::kMd5;
  if (words.size() == 3 && !ParseType(words[1], key.type)) {
    why = "使えない種類です(MD5, SHA1, SHA256, AES128)";
    return false;
  }
  key.secret = KeyBytes(words.back(), why);
  if (key.secret.empty()) return false;
  if (key.type == NtpKeyType::kAes128Cmac && key.secret.size() != 16) {
    OPENSSL_cleanse(key.secret.data(), key.secret.size());
    key.secret.clear();
    why = "AES128 の鍵は 16 バイトです";
    return false;
  }
  return true;
}

}  // namespace

const NtpKey* NtpKeyTable::Find(uint32_t id) const {
  const auto it = keys_.find(id);
  return it == keys_.end() ? nullptr : &it->second;
}

bool NtpKeyTable::Add(NtpKey key) {
  const uint32_t id = key.id;
  if (keys_.count(id) != 0) {
    OPENSSL_cleanse(key.secret.data(), key.secret.size());
    return false;
  }
  keys_.emplace(id, std::move(key));
  return true;
}

void NtpKeyTable::Clear() {
  for (auto& [id, key] : keys_) OPENSSL_cleanse(key.secret.data(), key.secret.size());
  keys_.clear();
}

const char* KeyTypeName(NtpKeyType type) {
  switch (type) {
    case NtpKeyType::kMd5: return "MD5";
    case NtpKeyType::kSha1: return "SHA1";
    case NtpKeyType::kSha256: return "SHA256";
    case NtpKeyType::kAes128Cmac: return "AES128";
  }
  return "?";
}

KeyFileParse ParseKeyFile(std::string_view text) {
  KeyFileParse result;
  int number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    if (Words(line).empty()) continue;
    NtpKey key;
    std::string why;
    if (!ParseLine(line, key, why)) {
      result.problems.push_back({number, why});
      continue;
    }
    const uint32_t id = key.id;
    if (!result.keys.Add(std::move(key))) {
      result.problems.push_back({number, StrPrintf("鍵番号 %u は前の行にもあります", id)});
    }
  }
  return result;
}

KeyFileLoad LoadKeyFile(const std::string& path) {
  KeyFileLoad load;
  load.refused = true;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status)) {
    load.refusal = StrPrintf("鍵ファイル %s を読めません(%s)", path.c_str(),
                             error ? error.message().c_str() : "通常のファイルではありません");
    return load;
  }
#ifndef _WIN32
  // Shared secrets: a file that others than its owner may open is not
  // trusted (as sshd and chronyd treat theirs).
  constexpr fs::perms kOthers = fs::perms::group_all | fs::perms::others_all;
  if ((status.permissions() & kOthers) != fs::perms::none) {
    load.refusal = StrPrintf("鍵ファイル %s は所有者以外も開けるため使いません(chmod 600 にして下さい)",
                             path.c_str());
    return load;
  }
#endif
  // Read straight into one buffer, so no stray copy of the secrets is left.
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) {
    text.resize(std::min<uintmax_t>(fs::file_size(path, error), kMaxKeyFileBytes));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
  }
  if (!in && !in.eof()) {
    load.refusal = StrPrintf("鍵ファイル %s を読めません(%s)", path.c_str(), std::strerror(errno));
    return load;
  }
  load.parse = ParseKeyFile(text);
  OPENSSL_cleanse(text.data(), text.size());
  load.refused = false;
  return load;
}
