#include "platform/linux/linux_udp_endpoint.h"

UdpEndpoint::BindResult LinuxUdpEndpoint::Bind(uint16_t, UdpEventSink&, std::string& reason) {
  reason = "not available";
  return BindResult::kFailed;
}

void LinuxUdpEndpoint::Send(const std::string&, uint16_t, const uint8_t*, size_t, int) {}
