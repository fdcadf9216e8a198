#pragma once
#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>

#include "common/ip_address.h"

// A destination for sendto: the address and its length.
struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// The usual text of an IPv4 or IPv6 socket address (an IPv4-mapped one as
// dotted IPv4, a scoped one with "%interface"); empty for other families.
std::string SocketAddressText(const sockaddr& address);

// The address for a socket of `family` (AF_INET, or AF_INET6 dual-stack,
// which reaches IPv4 through mapped addresses); nullopt when that socket
// cannot reach it (IPv6 on an IPv4 socket, or an unknown zone).
std::optional<SocketAddress> ToSocketAddress(const IpAddress& address, uint16_t port, int family);
