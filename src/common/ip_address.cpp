#include "common/ip_address.h"

#include <cstdio>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseIpv4(std::string_view text, uint8_t out[4]) {
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    const size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3) {
      value = value * 10 + (text[pos] - '0');
      ++pos;
    }
    if (pos == start || value > 255) return false;
    out[i] = static_cast<uint8_t>(value);
  }
  return pos == text.size();
}

// IPv6 text without a zone into 16 bytes.
bool ParseIpv6(std::string_view text, uint8_t out[16]) {
  uint16_t groups[8] = {};
  int count = 0;      // groups read
  int gap = -1;       // where "::" stands, as a group index
  size_t pos = 0;
  if (text.substr(0, 2) == "::") {
    gap = 0;
    pos = 2;
    if (pos == text.size()) {
      for (int i = 0; i < 16; ++i) out[i] = 0;
      return true;
    }
  } else if (!text.empty() && text[0] == ':') {
    return false;
  }
  while (pos < text.size()) {
    if (count == 8) return false;
    // A dotted IPv4 tail takes the last two groups.
    const size_t end = text.find(':', pos);
    const std::string_view part = text.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (end == std::string_view::npos && part.find('.') != std::string_view::npos) {
      uint8_t v4[4];
      if (count > 6 || !ParseIpv4(part, v4)) return false;
      groups[count++] = static_cast<uint16_t>(v4[0] << 8 | v4[1]);
      groups[count++] = static_cast<uint16_t>(v4[2] << 8 | v4[3]);
      pos = text.size();
      break;
    }
    if (part.empty() || part.size() > 4) return false;
    unsigned value = 0;
    for (char c : part) {
      const int h = HexValue(c);
      if (h < 0) return false;
      value = value * 16 + static_cast<unsigned>(h);
    }
    groups[count++] = static_cast<uint16_t>(value);
    pos += part.size();
    if (pos == text.size()) break;
    ++pos;  // the ':'
    if (pos < text.size() && text[pos] == ':') {
      if (gap >= 0) return false;
      gap = count;
      ++pos;
      if (pos == text.size()) break;
    } else if (pos == text.size()) {
      return false;  // a single trailing ':'
    }
  }
  if (gap < 0 ? count != 8 : count > 7) return false;
  uint16_t full[8] = {};
  if (gap < 0) {
    for (int i = 0; i < 8; ++i) full[i] = groups[i];
  } else {
    for (int i = 0; i < gap; ++i) full[i] = groups[i];
    const int tail = count - gap;
    for (int i = 0; i < tail; ++i) full[8 - tail + i] = groups[gap + i];
  }
  for (int i = 0; i < 8; ++i) {
    out[2 * i] = static_cast<uint8_t>(full[i] >> 8);
    out[2 * i + 1] = static_cast<uint8_t>(full[i]);
  }
  return true;
}

bool IsV4Mapped(const uint8_t b[16]) {
  for (int i = 0; i < 10; ++i) {
    if (b[i] != 0) return false;
  }
  return b[10] == 0xFF && b[11] == 0xFF;
}

bool IsZoneText(std::string_view zone) {
  if (zone.empty() || zone.size() > 15) return false;
  for (char c : zone) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<IpAddress> ParseIpAddress(std::string_view text) {
  IpAddress a;
  if (ParseIpv4(text, a.bytes.data())) return a;
  std::string_view body = text;
  const size_t percent = text.find('%');
  if (percent != std::string_view::npos) {
    body = text.substr(0, percent);
    const std::string_view zone = text.substr(percent + 1);
    if (!IsZoneText(zone)) return std::nullopt;
    a.zone = std::string(zone);
  }
  uint8_t b[16];
  if (!ParseIpv6(body, b)) return std::nullopt;
  if (IsV4Mapped(b) && a.zone.empty()) {
    a.bytes = {b[12], b[13], b[14], b[15]};
    return a;
  }
  a.v6 = true;
  for (int i = 0; i < 16; ++i) a.bytes[i] = b[i];
  return a;
}

std::string FormatIpAddress(const IpAddress& a) {
  char text[64];
  if (!a.v6) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a.bytes[0], a.bytes[1], a.bytes[2], a.bytes[3]);
    return text;
  }
  unsigned groups[8];
  for (int i = 0; i < 8; ++i) groups[i] = unsigned(a.bytes[2 * i]) << 8 | a.bytes[2 * i + 1];
  // The longest run of two or more zero groups, the first of equals.
  int bestStart = -1, bestLength = 1;
  for (int i = 0; i < 8;) {
    if (groups[i] != 0) {
      ++i;
      continue;
    }
    int j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength) {
      bestStart = i;
      bestLength = j - i;
    }
    i = j;
  }
  std::string out;
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      out += "::";
      i += bestLength - 1;
      continue;
    }
    if (!out.empty() && out.back() != ':') out += ':';
    std::snprintf(text, sizeof text, "%x", groups[i]);
    out += text;
  }
  if (!a.zone.empty()) out += "%" + a.zone;
  return out;
}

std::optional<std::string> CanonicalAddress(std::string_view text) {
  const std::optional<IpAddress> a = ParseIpAddress(text);
  if (!a) return std::nullopt;
  return FormatIpAddress(*a);
}

bool InPrefix(const IpAddress& a, const IpAddress& network, int bits) {
  if (a.v6 != network.v6 || bits < 0 || bits > a.Bits()) return false;
  int i = 0;
  for (; bits >= 8; bits -= 8, ++i) {
    if (a.bytes[i] != network.bytes[i]) return false;
  }
  if (bits == 0) return true;
  const uint8_t mask = static_cast<uint8_t>(0xFF << (8 - bits));
  return (a.bytes[i] & mask) == (network.bytes[i] & mask);
}
