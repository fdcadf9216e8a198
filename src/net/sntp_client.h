#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "commands/test_dialog_model.h"
#include "common/log_sink.h"
#include "common/tick_wait.h"
#include "net/log_rate_limit.h"
#include "net/ntp_keys.h"
#include "net/service_time.h"
#include "net/sntp_reply_checks.h"
#include "net/sntp_server.h"
#include "net/stray_answer_log.h"
#include "platform/udp_endpoint.h"
#include "settings/settings.h"
#include "timekeeping/clock_discipline.h"

// Whom the client works for: a receiver connection (the test dialog's
// client), or the network mode, where it keeps the PC clock.
enum class ClientRole { kReceiver, kNetwork };

// Why a datagram was sent, so that a failed host lookup is told the right
// way: a message box only for what a button started.
enum SendTag : int { kSendPeriodic = 1, kSendByButton = 2 };

// What the SNTP client works with but does not own.
struct SntpClientDeps {
  const Settings& settings;
  ServiceClock time;
  UdpEndpoint& udp;
  ClockDiscipline& discipline;  // the only way to the PC clock
  LogSink& log;
  TestDialogRows& testDialog;
  StrayAnswerLog& strays;
  StatusSink& status;
  // Random bits for the request's transmit timestamp; empty: a generator
  // seeded from the system's entropy.
  std::function<uint32_t()> random;
};

// One SNTP exchange at a time with the server `ServerIpAddr`: the request,
// the judgement of the reply, the clock correction it gives, and what the
// server's kisses ask of the client.
class SntpClient {
 public:
  // Ticks of 100 ms a request is awaited before it is given up.
  static constexpr int kReplyWaitTicks = 50;
  // The transmit timestamp's bits below 2^-12 s (the precision this program
  // claims at best) are random, so a forger cannot guess the origin an
  // answer must echo; the client keeps its own send time at full precision.
  static constexpr uint32_t kRandomFractionMask = 0x000FFFFF;
  // The first wait a "RATE" kiss asks for, in ticks; each further one doubles
  // it, up to the request interval (`NtpIntv`, or a minute when it is 0).
  static constexpr int kFirstRateHoldTicks = 50;

  explicit SntpClient(const SntpClientDeps& deps);

  // Sends a request to the server (port 123); the time it leaves is taken
  // from `source`. Not sent (false) while a "RATE" kiss holds the client
  // back, or after a "DENY" or "RSTR"; a button's request is told why.
  bool SendSntpRequest(ClientRole role, TimeSource source, int tag);

  // A Mode 4 packet. Only an answer to the awaited request is judged: from
  // the address and port 123 it went to, echoing its transmit timestamp;
  // anything else is ignored. An answer ends the wait whether or not it is
  // taken; one refused by the checks never reaches the clock.
  enum class ReplyOutcome { kIgnored, kRejected, kRateKiss, kDenyKiss, kRefused, kCorrected, kNotSet };
  ReplyOutcome OnReply(const ReceivedReply& reply, ClientRole role);

  // Once per tick while connected: counts the wait for a reply. True when
  // the wait ran out this tick (then it is over and has been reported).
  bool TickReplyWait(ClientRole role);
  // Once per tick in every connected state: counts down a "RATE" hold.
  // True on the tick the hold ends.
  bool TickHold() { return holdTicks_ > 0 && --holdTicks_ == 0; }

  // Forgets an awaited request (disconnecting).
  void Cancel() { replyWait_.Stop(); }
  // The user connects again: the server's kisses no longer hold.
  void ForgetKisses();

  // The shared keys (none: null). With `ServerKey` not 0 each request is
  // signed with that key, and a reply whose code does not pass under it is
  // refused; without the key in the table no request is sent.
  void UseKeys(const NtpKeyTable* keys) { keys_ = keys; }

  bool Held() const { return holdTicks_ > 0; }
  bool Denied() const { return denied_; }

  bool SntpReplyAwaited() const { return replyWait_.Running(); }
  uint32_t RequestSentCount = 0;

 private:
  void ApplySntpReply(const ReceivedReply& reply, const ExchangeTimes& times, ClientRole role,
                      ReplyOutcome& outcome);
  ReplyOutcome Refuse(ReplyFault fault, const ReceivedReply& reply, const ExchangeTimes& times,
                      const LocalTimeRecord& arrival);
  // A result in the form of where it is shown: a row of the open test
  // dialog, the status bar and log of a receiver connection, or those of the
  // network mode.
  void Report(ClientRole role, const std::string& dialogRow, const std::string& receiverLine,
              const std::string& networkLine);
  void ShowAndLog(const std::string& line);
  // A refusal: shown always, logged once a minute for each reason.
  void ShowAndLogLimited(ReplyFault fault, const std::string& line);
  int HoldCapTicks() const;

  SntpClientDeps d_;
  double requestTime_ = 0;        // T1, as taken
  uint8_t requestTransmit_[8] = {};
  std::string requestHost_;
  bool requestByButton_ = false;  // "同期" or "ｻｰﾊﾞと同期" asked: the answer sets the clock
  TickWait replyWait_{kReplyWaitTicks};
  int holdTicks_ = 0;      // left of a "RATE" hold
  int lastHoldTicks_ = 0;  // the last hold given, doubled by the next kiss
  bool denied_ = false;
  std::array<LogRateLimit, static_cast<size_t>(ReplyFault::kCryptoNak) + 1> refusalLimits_{
      LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1},
      LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1},
      LogRateLimit{1}, LogRateLimit{1}, LogRateLimit{1}};
  const NtpKeyTable* keys_ = nullptr;
  const NtpKey* requestKey_ = nullptr;  // the key the awaited request was signed with
};
