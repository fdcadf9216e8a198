#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/test_dialog_model.h"
#include "common/log_sink.h"
#include "common/status_sink.h"
#include "net/access_rules.h"
#include "net/answer_rate_limit.h"
#include "net/client_tally.h"
#include "net/log_rate_limit.h"
#include "net/ntp_auth.h"
#include "net/ntp_packet.h"
#include "net/service_claim.h"
#include "net/service_time.h"
#include "platform/udp_endpoint.h"

// A server reply (Mode 4) as received, for the SNTP client to judge.
struct ReceivedReply {
  NtpPacket packet;
  std::string fromAddress;
  double arrivalNtp = 0;    // the service time at its arrival
  uint32_t arrivalCount = 0;
  double waitedSeconds = 0;  // how long it waited before arrivalCount was read
  uint16_t fromPort = 0;
  // The datagram whole (header and authenticator), for the client to check
  // the code of a keyed reply.
  std::vector<uint8_t> datagram;
};

// What the server has answered since it started.
struct SntpServerCounts {
  uint64_t served = 0;         // requests answered with the time
  uint64_t authenticated = 0;  // of those, answered under a key
  uint64_t cryptoNaks = 0;     // requests whose code did not pass
  uint64_t refused = 0;        // requests from sources `NtpAllow` leaves out
  uint64_t rateLimited = 0;    // requests over the limit (kissed or dropped)
};

// What the SNTP server works with but does not own.
struct SntpServerDeps {
  ServiceClock time;
  UdpEndpoint& udp;
  LogSink& log;
  StatusSink& status;
  const TestDialogRows& testDialog;  // while it is shown, the per-packet line is not written
  const int32_t& timeZone;      // hours of the program's local time
  const AccessRules& access;    // who may ask (`NtpAllow`)
  const int32_t& logRequests;   // 0: no line per request (`LogRequests`)
};

// Answers every SNTP request that reaches the endpoint, in every state of the
// program, and does the handling common to all received NTP packets.
class SntpServer {
 public:
  // Per-packet log lines written each second at most; the rest are counted.
  static constexpr int kLogLinesPerSecond = 10;
  // Answers per source prefix, enough for a whole /24 of clients starting
  // at once; a reply is as large as its request, so no budget for larger
  // answers. Over the limit a source gets a RATE kiss, at most one a second
  // per prefix. Loopback is not limited.
  static constexpr AnswerRateLimit::Limits kLimits{128, 256, 4096};

  explicit SntpServer(const SntpServerDeps& deps) : d_(deps) {}

  // A datagram that waited longer than this in the socket is not answered:
  // its client has given up on it, and its receive time would be uncertain.
  static constexpr double kMaxQueuedSeconds = 1.0;

  // One received NTP packet: logs it, answers a request (Mode 3, or an
  // NTPv1 request, which has no mode; versions 1 to 4, answered with the
  // request's version) with what `claim` says of the time, and hands back a
  // reply (Mode 4) for the client.
  std::optional<ReceivedReply> HandleNtpPacket(const UdpDatagram& datagram, TimeSource source,
                                               const ServiceClaim& claim);

  // The PC clock was set at `count`: a request that waited across the
  // setting is not answered, as its receive time is on the other side.
  void NoteClockStep(uint32_t count) {
    stepped_ = true;
    stepCount_ = count;
  }

  // Once per tick: writes the count of packet lines held back in the
  // seconds before.
  void Tick();

  // The shared keys requests may be signed with (none: null). A request
  // with a code that passes gets a reply signed with the same key; one
  // whose code does not pass, or names a key not held, gets a crypto-NAK;
  // one without a code is answered without one.
  void UseKeys(const NtpKeyTable* keys) { keys_ = keys; }

  const SntpServerCounts& Counts() const { return counts_; }
  // Distinct clients answered, by the PC clock.
  const ClientTally& Clients() const { return clients_; }

 private:
  void SendSntpReply(const NtpPacket& request, const UdpDatagram& datagram,
                     const ServiceClaim& claim, const ServiceInstant& now, double waited,
                     const RequestAuthCheck& auth);
  // Whether a request that waited `waited` seconds before `now` may be answered.
  bool Answerable(const NtpPacket& request, const ServiceInstant& now, double waited) const;
  // Whether a request from the datagram's source is answered; sends the
  // RATE kiss when the limit says so. Counts what it decides.
  bool Admit(const NtpPacket& request, const UdpDatagram& datagram, double pcNow);
  void SendRateKiss(const NtpPacket& request, const UdpDatagram& datagram);
  void LogLimited(const std::string& line, double pcNow);
  void LogUnlogged(double pcNow);

  SntpServerDeps d_;
  LogRateLimit limit_{kLogLinesPerSecond};
  AnswerRateLimit answers_{kLimits};
  bool stepped_ = false;
  uint32_t stepCount_ = 0;
  const NtpKeyTable* keys_ = nullptr;
  SntpServerCounts counts_;
  ClientTally clients_;
};
