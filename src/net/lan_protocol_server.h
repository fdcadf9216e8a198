#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "net/access_rules.h"
#include "net/answer_rate_limit.h"
#include "net/position_answer.h"
#include "platform/pc_clock.h"
#include "platform/text_codec.h"
#include "platform/udp_endpoint.h"

// The server end of the own LAN protocol: answers "Quor Conn" with "Quor Ok"
// and "Quor Pos" with its position, to the sources `LanAccess` lets in. The
// answers go to the address the request claims, and a position answer is 16
// times the request's size; so each source prefix draws only a few answers
// a second, and position answers share one budget of bytes a second, lest
// the server be used to flood a forged sender. Loopback is not limited: no
// other host can send from it.
class LanProtocolServer {
 public:
  static constexpr AnswerRateLimit::Limits kLimits{
      2,      // answers a second per prefix
      4,      // burst per prefix
      4096,   // prefixes kept
      2048,   // bytes a second of answers larger than their request, for all
      8192};  // and their burst

  LanProtocolServer(UdpEndpoint& udp, TextCodec& codec, PcClock& clock, const AccessRules& access)
      : udp_(udp), codec_(codec), clock_(clock), access_(access) {}

  void OnConnectRequest(const std::string& from);
  // `fields`: what the main window shows of the receiver; nullopt without one.
  void OnPositionRequest(const std::string& from, const std::optional<PositionFields>& fields);

  // Requests answered, refused by `LanAccess`, and held back by the limit.
  uint64_t served = 0, refused = 0, rateLimited = 0;

 private:
  bool MayAnswer(const std::string& from, size_t requestBytes, size_t answerBytes);

  UdpEndpoint& udp_;
  TextCodec& codec_;
  PcClock& clock_;
  const AccessRules& access_;
  AnswerRateLimit limit_{kLimits};
};
