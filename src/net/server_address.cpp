#include "net/server_address.h"

#include "common/ip_address.h"

bool FromServer(const std::string& server, const std::string& from) {
  const std::optional<std::string> address = CanonicalAddress(server);
  if (!address) return true;
  return *address == from;
}
