#pragma once
#include "platform/udp_endpoint.h"

// The UDP endpoint on Linux.
class LinuxUdpEndpoint : public UdpEndpoint {
 public:
  BindResult Bind(uint16_t port, UdpEventSink& sink, std::string& reason) override;
  void Send(const std::string& host, uint16_t port, const uint8_t* data, size_t size,
            int tag = 0) override;
};
