#include "net/access_rules.h"

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == ';' || c == '\n' || c == '\r'; }

bool In(const IpAddress& a, const char* network, int bits) {
  const std::optional<IpAddress> n = ParseIpAddress(network);
  return n && InPrefix(a, *n, bits);
}

}  // namespace

std::optional<AddressPrefix> ParseAddressPrefix(const std::string& entry) {
  const size_t slash = entry.find('/');
  const std::optional<IpAddress> address = ParseIpAddress(entry.substr(0, slash));
  if (!address) return std::nullopt;
  AddressPrefix p{*address, address->Bits()};
  p.network.zone.clear();
  if (slash == std::string::npos) return p;
  const std::string bits = entry.substr(slash + 1);
  if (bits.empty() || bits.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : bits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > address->Bits()) return std::nullopt;
  p.bits = value;
  return p;
}

std::vector<AddressPrefix> ParseAllowList(const std::string& text, std::vector<std::string>* bad) {
  std::vector<AddressPrefix> list;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsSeparator(text[pos])) ++pos;
    const size_t start = pos;
    while (pos < text.size() && !IsSeparator(text[pos])) ++pos;
    if (pos == start) break;
    const std::string entry = text.substr(start, pos - start);
    if (const std::optional<AddressPrefix> p = ParseAddressPrefix(entry)) {
      list.push_back(*p);
    } else if (bad != nullptr) {
      bad->push_back(entry);
    }
  }
  return list;
}

bool IsAllowListText(const std::string& text) {
  std::vector<std::string> bad;
  ParseAllowList(text, &bad);
  return bad.empty();
}

bool IsLoopback(const IpAddress& a) { return a.v6 ? In(a, "::1", 128) : In(a, "127.0.0.0", 8); }

bool IsLocalSource(const IpAddress& a, const std::vector<AddressPrefix>& ownNetworks) {
  static const struct {
    const char* network;
    int bits;
  } kLocal[] = {{"127.0.0.0", 8},   {"10.0.0.0", 8},    {"172.16.0.0", 12}, {"192.168.0.0", 16},
                {"169.254.0.0", 16}, {"100.64.0.0", 10}, {"::1", 128},       {"fe80::", 10},
                {"fc00::", 7}};
  for (const auto& range : kLocal) {
    if (In(a, range.network, range.bits)) return true;
  }
  for (const AddressPrefix& own : ownNetworks) {
    if (InPrefix(a, own.network, own.bits)) return true;
  }
  return false;
}

void AccessRules::Configure(int32_t lanAccess, const std::string& ntpAllow,
                            const std::vector<OwnAddress>& own) {
  lan_ = lanAccess == 1 ? LanAccess::kEveryone : lanAccess == 2 ? LanAccess::kNoOne : LanAccess::kLocal;
  bad_.clear();
  ntpAllow_ = ParseAllowList(ntpAllow, &bad_);
  ntpListSet_ = !ntpAllow_.empty() || !bad_.empty();
  ownNetworks_.clear();
  for (const OwnAddress& a : own) {
    // A mask the system did not give would make a network of everyone.
    if (a.prefixBits <= 0) continue;
    if (const std::optional<IpAddress> address = ParseIpAddress(a.address)) {
      ownNetworks_.push_back({*address, a.prefixBits});
    }
  }
}

bool AccessRules::LanMayAsk(const std::string& from) const {
  if (lan_ == LanAccess::kEveryone) return true;
  if (lan_ == LanAccess::kNoOne) return false;
  const std::optional<IpAddress> a = ParseIpAddress(from);
  return a && IsLocalSource(*a, ownNetworks_);
}

bool AccessRules::NtpMayAsk(const std::string& from) const {
  if (!ntpListSet_) return true;
  const std::optional<IpAddress> a = ParseIpAddress(from);
  if (!a) return false;
  for (const AddressPrefix& p : ntpAllow_) {
    if (InPrefix(*a, p.network, p.bits)) return true;
  }
  return false;
}
