#include "net/server_address.h"

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

bool FromServer(const std::string& server, const std::string& from) {
  const std::optional<std::string> address = CanonicalIpv4(server);
  if (!address) return true;
  return *address == from;
}
