#include "net/lan_protocol_server.h"

#include "net/datagram_routing.h"

namespace {
constexpr char kOk[] = "Quor Ok";
constexpr size_t kConnSize = 9, kPosSize = 8;  // "Quor Conn", "Quor Pos"
}  // namespace

bool LanProtocolServer::MayAnswer(const std::string& from, size_t requestBytes,
                                  size_t answerBytes) {
  const std::optional<IpAddress> address = ParseIpAddress(from);
  if (!address || !access_.LanMayAsk(from)) {
    ++refused;
    return false;
  }
  if (!IsLoopback(*address) &&
      limit_.Allow(*address, clock_.ReadNtpSeconds(), requestBytes, answerBytes) !=
          AnswerRateLimit::Verdict::kAnswer) {
    ++rateLimited;
    return false;
  }
  ++served;
  return true;
}

void LanProtocolServer::OnConnectRequest(const std::string& from) {
  if (!MayAnswer(from, kConnSize, sizeof kOk - 1)) return;
  udp_.Send(from, kNtpPort, reinterpret_cast<const uint8_t*>(kOk), sizeof kOk - 1);
}

void LanProtocolServer::OnPositionRequest(const std::string& from,
                                          const std::optional<PositionFields>& fields) {
  if (!MayAnswer(from, kPosSize, kPositionAnswerSize)) return;
  const std::vector<uint8_t> answer = BuildPositionAnswer(fields, codec_);
  udp_.Send(from, kNtpPort, answer.data(), answer.size());
}
