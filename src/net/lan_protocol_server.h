#pragma once
#include <optional>
#include <string>

#include "net/answer_rate_limit.h"
#include "net/position_answer.h"
#include "platform/pc_clock.h"
#include "platform/text_codec.h"
#include "platform/udp_endpoint.h"

// The server end of the own LAN protocol: any Quor, in any state, answers
// "Quor Conn" with "Quor Ok" and "Quor Pos" with its position. The answers
// go to the address the request claims, and a position answer is 16 times
// the request's size; so each source address draws only a few answers a
// second, lest the server be used to flood a forged sender.
class LanProtocolServer {
 public:
  static constexpr double kAnswersPerSecond = 2;
  static constexpr double kAnswerBurst = 4;
  static constexpr size_t kAddressesKept = 1024;

  LanProtocolServer(UdpEndpoint& udp, TextCodec& codec, PcClock& clock)
      : udp_(udp), codec_(codec), clock_(clock) {}

  void OnConnectRequest(const std::string& from);
  // `fields`: what the main window shows of the receiver; nullopt without one.
  void OnPositionRequest(const std::string& from, const std::optional<PositionFields>& fields);

 private:
  bool MayAnswer(const std::string& from);

  UdpEndpoint& udp_;
  TextCodec& codec_;
  PcClock& clock_;
  AnswerRateLimit limit_{kAnswersPerSecond, kAnswerBurst, kAddressesKept};
};
