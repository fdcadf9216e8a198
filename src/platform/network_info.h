#pragma once
#include <optional>
#include <string>

class NetworkInfo {
 public:
  virtual ~NetworkInfo() = default;
  // The PC's own IPv4 address in dotted form: the first address of an
  // interface that is up and not loopback, "0.0.0.0" when there is none;
  // nullopt when the network functions cannot be used at all.
  virtual std::optional<std::string> OwnIpv4Address() = 0;
};
