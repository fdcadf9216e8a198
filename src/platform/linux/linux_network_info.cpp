#include "platform/linux/linux_network_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

#include "platform/linux/socket_address.h"

namespace {

// The number of leading one bits of a netmask.
int MaskBits(const unsigned char* mask, size_t size) {
  int bits = 0;
  for (size_t i = 0; i < size; ++i) {
    for (int b = 7; b >= 0; --b) {
      if (!(mask[i] >> b & 1)) return bits;
      ++bits;
    }
  }
  return bits;
}

}  // namespace

std::optional<std::string> LinuxNetworkInfo::OwnIpv4Address() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return std::nullopt;
  std::string found = "0.0.0.0";
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    if (!(a->ifa_flags & IFF_UP) || (a->ifa_flags & IFF_LOOPBACK)) continue;
    char text[INET_ADDRSTRLEN];
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
      found = text;
      break;
    }
  }
  freeifaddrs(list);
  return found;
}

std::vector<OwnAddress> LinuxNetworkInfo::OwnAddresses() {
  std::vector<OwnAddress> found;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return found;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || !(a->ifa_flags & IFF_UP)) continue;
    const int family = a->ifa_addr->sa_family;
    if (family != AF_INET && family != AF_INET6) continue;
    OwnAddress own;
    own.address = SocketAddressText(*a->ifa_addr);
    own.loopback = (a->ifa_flags & IFF_LOOPBACK) != 0;
    if (a->ifa_netmask != nullptr && a->ifa_netmask->sa_family == family) {
      if (family == AF_INET) {
        const auto* m = reinterpret_cast<const sockaddr_in*>(a->ifa_netmask);
        own.prefixBits = MaskBits(reinterpret_cast<const unsigned char*>(&m->sin_addr), 4);
      } else {
        const auto* m = reinterpret_cast<const sockaddr_in6*>(a->ifa_netmask);
        own.prefixBits = MaskBits(m->sin6_addr.s6_addr, 16);
      }
    }
    if (!own.address.empty()) found.push_back(own);
  }
  freeifaddrs(list);
  return found;
}
