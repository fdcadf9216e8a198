#include "common/address_syntax.h"

#include "common/ip_address.h"
#include "common/text_format.h"

std::optional<std::string> CanonicalIpv4(const std::string& text) {
  int octets[4] = {};
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    const size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3) {
      value = value * 10 + (text[pos] - '0');
      ++pos;
    }
    if (pos == start || value > 255) return std::nullopt;
    octets[i] = value;
  }
  if (pos != text.size()) return std::nullopt;
  return StrPrintf("%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
}

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsLabel(const std::string& label) {
  if (label.empty() || label.size() > 63) return false;
  if (label.front() == '-' || label.back() == '-') return false;
  for (char c : label) {
    if (!IsAsciiAlnum(c) && c != '-') return false;
  }
  return true;
}

bool AllDigits(const std::string& s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool IsServerAddress(const std::string& text, size_t maxLength) {
  if (text.empty() || text.size() > maxLength) return false;
  if (CanonicalIpv4(text)) return true;
  // An IPv6 literal; its colons make it no host name.
  if (text.find(':') != std::string::npos) return ParseIpAddress(text).has_value();
  std::string name = text;
  if (name.back() == '.') name.pop_back();
  std::string label;
  size_t start = 0;
  while (true) {
    const size_t dot = name.find('.', start);
    label = name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!IsLabel(label)) return false;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return !AllDigits(label);
}
