#include "platform/linux/socket_address.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdlib>
#include <cstring>

std::string SocketAddressText(const sockaddr& address) {
  IpAddress a;
  if (address.sa_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    std::memcpy(a.bytes.data(), &in.sin_addr, 4);
    return FormatIpAddress(a);
  }
  if (address.sa_family != AF_INET6) return {};
  const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
  const uint8_t* b = in6.sin6_addr.s6_addr;
  if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr)) {
    std::memcpy(a.bytes.data(), b + 12, 4);
    return FormatIpAddress(a);
  }
  a.v6 = true;
  std::memcpy(a.bytes.data(), b, 16);
  if (in6.sin6_scope_id != 0) {
    char name[IF_NAMESIZE] = "";
    a.zone = if_indextoname(in6.sin6_scope_id, name) ? name : std::to_string(in6.sin6_scope_id);
  }
  return FormatIpAddress(a);
}

std::optional<SocketAddress> ToSocketAddress(const IpAddress& address, uint16_t port, int family) {
  SocketAddress out;
  if (family == AF_INET) {
    if (address.v6) return std::nullopt;
    auto& in = reinterpret_cast<sockaddr_in&>(out.storage);
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    std::memcpy(&in.sin_addr, address.bytes.data(), 4);
    out.length = sizeof in;
    return out;
  }
  auto& in6 = reinterpret_cast<sockaddr_in6&>(out.storage);
  in6.sin6_family = AF_INET6;
  in6.sin6_port = htons(port);
  if (address.v6) {
    std::memcpy(in6.sin6_addr.s6_addr, address.bytes.data(), 16);
  } else {
    in6.sin6_addr.s6_addr[10] = 0xFF;
    in6.sin6_addr.s6_addr[11] = 0xFF;
    std::memcpy(in6.sin6_addr.s6_addr + 12, address.bytes.data(), 4);
  }
  if (!address.zone.empty()) {
    unsigned index = if_nametoindex(address.zone.c_str());
    if (index == 0) {
      char* end = nullptr;
      const unsigned long n = std::strtoul(address.zone.c_str(), &end, 10);
      if (end == nullptr || *end != '\0' || n == 0 || n > 0xFFFFFFFFul) return std::nullopt;
      index = static_cast<unsigned>(n);
    }
    in6.sin6_scope_id = index;
  }
  out.length = sizeof in6;
  return out;
}
