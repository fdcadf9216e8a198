#pragma once
#include <string>
#include <vector>

#include "net/datagram_routing.h"

// Records where each datagram was routed, as "route" or "route:detail".
class RecordingRoutes : public DatagramHandlers {
 public:
  void OnNtpPacket(const UdpDatagram& d) override { routes.push_back("ntp:" + std::to_string(d.size)); }
  void OnPositionAnswer(const std::string& word, const std::string& from) override {
    routes.push_back("answer:" + word + "@" + from);
  }
  void OnPositionRequest(const std::string& from) override { routes.push_back("pos@" + from); }
  void OnConnectAnswer(const std::string& from) override { routes.push_back("ok@" + from); }
  void OnConnectRequest(const std::string& from) override { routes.push_back("conn@" + from); }
  std::vector<std::string> routes;
};
