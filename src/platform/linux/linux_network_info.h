#pragma once
#include "platform/network_info.h"

// The addresses of the interfaces that are up, from getifaddrs. The own
// IPv4 address is the first one not on loopback. (The host name alone maps
// to 127.0.1.1 on Debian, which is useless here.)
class LinuxNetworkInfo : public NetworkInfo {
 public:
  std::optional<std::string> OwnIpv4Address() override;
  std::vector<OwnAddress> OwnAddresses() override;
};
