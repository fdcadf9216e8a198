#pragma once
#include <optional>
#include <string>
#include <vector>

// One address of an interface of this PC that is up, with its network's
// prefix length.
struct OwnAddress {
  std::string address;  // the usual text: dotted IPv4, or IPv6 ("%zone" for link-local)
  int prefixBits = 0;
  bool loopback = false;
};

class NetworkInfo {
 public:
  virtual ~NetworkInfo() = default;
  // The PC's own IPv4 address in dotted form: the first address of an
  // interface that is up and not loopback, "0.0.0.0" when there is none;
  // nullopt when the network functions cannot be used at all.
  virtual std::optional<std::string> OwnIpv4Address() = 0;
  // Every IPv4 and IPv6 address of the interfaces that are up, loopback too.
  virtual std::vector<OwnAddress> OwnAddresses() = 0;
};
