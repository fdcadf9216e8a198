#pragma once
#include <string>

#include "net/ntp_packet.h"
#include "timekeeping/clock_state.h"

// The four timestamps of one exchange, as NTP seconds: the request sent (T1),
// received by the server (T2), the reply sent (T3) and received (T4).
struct ExchangeTimes {
  double t1 = 0, t2 = 0, t3 = 0, t4 = 0;
  double RoundTrip() const { return (t4 - t1) - (t3 - t2); }
  double Offset() const { return ((t2 - t1) + (t3 - t4)) / 2; }
};

// What makes a server reply that answers the request unfit to set a clock
// by (the client checks of SNTP and NTP); kNone when it is fit.
enum class ReplyFault {
  kNone,
  kVersion,                // not 1..4: not an answer a version 4 request can get
  kKissRate,               // stratum 0 "RATE": ask less often
  kKissDeny,               // stratum 0 "DENY" or "RSTR": stop asking
  kKissOther,              // stratum 0 with another code
  kLeap,                   // leap indicator 3: the server is not synchronised
  kStratum,                // 16 or more: unsynchronised
  kLocalClock,             // "LOCL": the server keeps only its own clock
  kNoTransmit,             // a zero transmit timestamp
  kTransmitBeforeReceive,  // T3 before T2
  kRoundTrip,              // negative, or longer than the reply is awaited
  kNotAuthentic,           // keyed request: no code, or one that does not pass
  kCryptoNak,              // keyed request: the server did not accept our code
};

// The longest round trip taken, seconds: the time a reply is awaited.
inline constexpr double kLongestRoundTrip = 5.0;

// Judges the reply in the order a kiss is told apart before anything else
// that stratum 0 would fail.
ReplyFault CheckReply(const NtpPacket& reply, const ExchangeTimes& times);

// The kiss code (the reference id of a stratum 0 reply) as text; bytes that
// are not printable ASCII shown as '?', trailing NULs dropped.
std::string KissCode(const NtpPacket& reply);

// What the server claimed of its own time, for the clock state; `from` the
// dotted IPv4 address it answered from (zero bytes when it is none).
UpstreamClaim ClaimOf(const NtpPacket& reply, const std::string& from);
