#pragma once
#include "platform/network_info.h"

// The first IPv4 address of an interface that is up and not loopback. (The
// host name alone maps to 127.0.1.1 on Debian, which is useless here.)
class LinuxNetworkInfo : public NetworkInfo {
 public:
  std::optional<std::string> OwnIpv4Address() override;
};
