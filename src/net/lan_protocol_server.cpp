#include "net/lan_protocol_server.h"

#include "net/datagram_routing.h"

bool LanProtocolServer::MayAnswer(const std::string& from) {
  return limit_.Allow(from, clock_.ReadNtpSeconds());
}

void LanProtocolServer::OnConnectRequest(const std::string& from) {
  if (!MayAnswer(from)) return;
  static const char kOk[] = "Quor Ok";
  udp_.Send(from, kNtpPort, reinterpret_cast<const uint8_t*>(kOk), sizeof kOk - 1);
}

void LanProtocolServer::OnPositionRequest(const std::string& from,
                                          const std::optional<PositionFields>& fields) {
  if (!MayAnswer(from)) return;
  const std::vector<uint8_t> answer = BuildPositionAnswer(fields, codec_);
  udp_.Send(from, kNtpPort, answer.data(), answer.size());
}
