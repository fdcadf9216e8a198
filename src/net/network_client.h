#pragma once
#include <cstdint>
#include <functional>
#include <utility>

#include "net/ntp_schedule.h"
#include "net/sntp_client.h"

// What the network client works with but does not own.
struct NetworkClientDeps {
  const Settings& settings;
  ServiceClock time;
  UdpEndpoint& udp;
  ClockDiscipline& discipline;
  LogSink& log;
  TestDialogRows& testDialog;
  StatusSink& status;
  std::function<uint32_t()> random;  // see SntpClientDeps
};

// The PC as an SNTP client of `ServerIpAddr`, for whichever connection there
// is: a network connection (NetworkSession), which keeps the PC clock by it,
// or a receiver connection's test dialog. It outlives the connections, so a
// server's kisses can outlast a connection that is made again by itself.
class NetworkClient {
 public:
  explicit NetworkClient(const NetworkClientDeps& deps);
  NetworkClient(const NetworkClient&) = delete;
  NetworkClient& operator=(const NetworkClient&) = delete;

  NtpSchedule schedule;

  // A connection begins: nothing awaited is left, a failed lookup is logged
  // again, and the server's kisses no longer hold unless `keepKisses` (a
  // network connection made again by itself after a silent server).
  void NewConnection(bool keepKisses = false);
  // Gives up an awaited reply.
  void CancelRequest() { sntp_.Cancel(); }
  // The shared keys the SNTP client signs with (see SntpClient::UseKeys).
  void UseKeys(const NtpKeyTable* keys) { sntp_.UseKeys(keys); }

  // Asks the server now. kSendByButton for "同期" and "ｻｰﾊﾞと同期". False
  // when a kiss of the server holds the request back.
  bool SendSntpRequest(ClientRole role, TimeSource source, int tag);
  SntpClient::ReplyOutcome OnSntpReply(const ReceivedReply& reply, ClientRole role) {
    return sntp_.OnReply(reply, role);
  }

  // The tick: counts down a "RATE" hold, and the wait for a reply.
  void TickHold() { sntp_.TickHold(); }
  void TickReplyWait(ClientRole role) { sntp_.TickReplyWait(role); }
  // The tick of a receiver connection: both of the above.
  void TickReceiver();

  // A host lookup for a periodic request failed: true the first time in a
  // connection, when it is to be logged.
  bool FirstLookupFailure() { return !std::exchange(lookupFailureTold_, true); }

  bool SntpReplyAwaited() const { return sntp_.SntpReplyAwaited(); }
  bool Held() const { return sntp_.Held(); }
  // Where answers that nobody asked for are told.
  StrayAnswerLog& strays() { return strays_; }

 private:
  StrayAnswerLog strays_;
  SntpClient sntp_;
  bool lookupFailureTold_ = false;
};
