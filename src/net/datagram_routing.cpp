#include "net/datagram_routing.h"

#include <cstring>
#include <string_view>

#include "net/ntp_packet.h"

namespace {

// The white space of the C locale, as a "%s" scan skips it.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next word of `text` from `pos`; empty when there is none.
std::string_view NextWord(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  const size_t start = pos;
  while (pos < text.size() && !IsBlank(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

bool BeginsWithQuor(const UdpDatagram& d) {
  return d.size >= 4 && std::memcmp(d.data, "Quor", 4) == 0;
}

}  // namespace

void NMUDPDataReceived(const UdpDatagram& d, DatagramHandlers& handlers) {
  if (d.size > kMaxTextDatagram || (d.size > 0 && d.data == nullptr)) return;
  if (IsNtpPacketSize(d.size) && !BeginsWithQuor(d)) {
    handlers.OnNtpPacket(d);
    return;
  }
  // The text ends at the first zero byte, as a C string does.
  const char* bytes = reinterpret_cast<const char*>(d.data);
  const size_t length = d.size == 0 ? 0 : strnlen(bytes, d.size);
  const std::string_view text(bytes, length);
  size_t pos = 0;
  const std::string_view first = NextWord(text, pos);
  const std::string_view second = NextWord(text, pos);
  if (second.empty() || first.size() > kMaxWord || second.size() > kMaxWord) return;
  if (first != "Quor") return;

  if (second.front() == '=') {
    handlers.OnPositionAnswer(std::string(second), d.fromAddress);
  } else if (second == "Pos") {
    handlers.OnPositionRequest(d.fromAddress);
  } else if (second == "Ok") {
    handlers.OnConnectAnswer(d.fromAddress);
  } else if (second == "Conn") {
    handlers.OnConnectRequest(d.fromAddress);
  }
}
