#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The kinds of symmetric key of an NTP key file: a digest over the key and
// the packet, or AES-128 CMAC over the packet.
enum class NtpKeyType { kMd5, kSha1, kSha256, kAes128Cmac };

// One shared key. The secret never leaves this process: it is not logged
// and not shown.
struct NtpKey {
  uint32_t id = 0;
  NtpKeyType type = NtpKeyType::kMd5;
  std::vector<uint8_t> secret;
};

// The keys by id (ids 1 and up; 0 means "no key").
class NtpKeyTable {
 public:
  NtpKeyTable() = default;
  NtpKeyTable(const NtpKeyTable&) = default;
  NtpKeyTable& operator=(const NtpKeyTable&) = default;
  NtpKeyTable(NtpKeyTable&&) = default;
  NtpKeyTable& operator=(NtpKeyTable&&) = default;
  // The secrets are wiped from memory, not just freed.
  ~NtpKeyTable() { Clear(); }

  const NtpKey* Find(uint32_t id) const;
  bool Add(NtpKey key);  // false when the id is taken
  void Clear();
  size_t Size() const { return keys_.size(); }

 private:
  std::map<uint32_t, NtpKey> keys_;
};

// Key material shorter than this (80 bits) is refused: easy to guess.
inline constexpr size_t kMinKeyBytes = 10;
inline constexpr size_t kMaxKeyBytes = 64;

// A line of the key file that was not taken, and why (never the key).
struct KeyFileProblem {
  int line = 0;  // from 1
  std::string reason;
};

struct KeyFileParse {
  NtpKeyTable keys;
  std::vector<KeyFileProblem> problems;
};

// Reads key file text: lines "ID [TYPE] KEY" (type MD5 when left out; MD5,
// SHA1, SHA256 or AES128), the key as ASCII text, "ASCII:text" or
// "HEX:hexdigits"; "#" starts a comment, blank lines are skipped. A line in
// error is left out and told; the other lines are kept.
KeyFileParse ParseKeyFile(std::string_view text);

// The key file at `path`: refused whole (refused true, no keys) when it
// cannot be read or when others than its owner may open it; otherwise its
// keys and the problems of its lines.
struct KeyFileLoad {
  KeyFileParse parse;
  bool refused = false;
  std::string refusal;  // why, for the log
};
KeyFileLoad LoadKeyFile(const std::string& path);

// The type's name as the key file spells it.
const char* KeyTypeName(NtpKeyType type);
