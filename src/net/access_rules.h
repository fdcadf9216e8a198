#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/ip_address.h"
#include "platform/network_info.h"

// Whom the own LAN protocol answers (the setting `LanAccess`).
enum class LanAccess : int32_t {
  kLocal = 0,     // the PC's own networks, loopback, link-local, private ranges
  kEveryone = 1,
  kNoOne = 2,
};

struct AddressPrefix {
  IpAddress network;
  int bits = 0;
};

// One "address" or "address/bits" entry; nullopt when it is none.
std::optional<AddressPrefix> ParseAddressPrefix(const std::string& entry);

// The entries of an allow list, separated by blanks or commas. Entries that
// are not prefixes are left out and named in `bad`.
std::vector<AddressPrefix> ParseAllowList(const std::string& text, std::vector<std::string>* bad);

// Whether an allow list's text holds only good entries (the settings dialog's check).
bool IsAllowListText(const std::string& text);

// Loopback, link-local and the private ranges (10/8, 172.16/12,
// 192.168/16, 100.64/10, fc00::/7), or one of the PC's own networks.
bool IsLocalSource(const IpAddress& a, const std::vector<AddressPrefix>& ownNetworks);

// Loopback: 127/8 or ::1, which no other host can send from.
bool IsLoopback(const IpAddress& a);

// Who may ask what: the own LAN protocol by `LanAccess`, SNTP everyone
// unless the allow list `NtpAllow` is set (then only the sources it holds;
// a list whose entries are all bad lets no one in).
class AccessRules {
 public:
  void Configure(int32_t lanAccess, const std::string& ntpAllow, const std::vector<OwnAddress>& own);
  bool LanMayAsk(const std::string& from) const;
  bool NtpMayAsk(const std::string& from) const;
  // The allow list's entries that were left out at the last Configure.
  const std::vector<std::string>& BadEntries() const { return bad_; }

 private:
  LanAccess lan_ = LanAccess::kLocal;
  bool ntpListSet_ = false;
  std::vector<AddressPrefix> ntpAllow_;
  std::vector<AddressPrefix> ownNetworks_;
  std::vector<std::string> bad_;
};
