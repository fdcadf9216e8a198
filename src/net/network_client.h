#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "net/ntp_schedule.h"
#include "net/sntp_client.h"
#include "platform/text_codec.h"

// The main window's controls the network client fills.
struct NetworkView {
  StatusSink& status;
  std::string& EditJst;
  // The controls a position answer fills, in the answer's field order.
  std::array<std::string*, 8> PositionControls;
};

// What the network client works with but does not own.
struct NetworkClientDeps {
  const Settings& settings;
  ServiceClock time;
  UdpEndpoint& udp;
  ClockDiscipline& discipline;
  LogSink& log;
  TestDialogModel& testDialog;
  TextCodec& codec;
  NetworkView view;
  std::function<uint32_t()> random;  // see SntpClientDeps
};

// The PC as a time client of `ServerIpAddr` (the port setting "ﾈｯﾄﾜｰｸ"): by
// SNTP alone (`LanOpt` 1), or opened with the own LAN protocol's handshake
// (`LanOpt` 0). Its SNTP client also serves a receiver connection's test
// dialog, on the same schedule.
class NetworkClient {
 public:
  // Ticks of 100 ms an own-protocol answer is awaited before the connection
  // is given up.
  static constexpr int kAnswerWaitTicks = 50;

  explicit NetworkClient(const NetworkClientDeps& deps);
  NetworkClient(const NetworkClient&) = delete;
  NetworkClient& operator=(const NetworkClient&) = delete;

  NtpSchedule schedule;
  // The own-protocol wait for the server's answer, with its tick count.
  bool AwaitingData = false;
  int WaitTicks = 0;

  // Network mode begins (after the server address was checked): SNTP is
  // ready at once; the own protocol sends its handshake first. The user's
  // connection forgets the server's kisses; connecting `again` by itself
  // after a silent server keeps them.
  void Connect(bool again = false);
  // Ends network mode, or a receiver connection's client: nothing awaited
  // survives it.
  void Disconnect();
  // A new receiver connection: the server's kisses no longer hold.
  void ForgetKisses() { sntp_.ForgetKisses(); }
  // The shared keys the SNTP client signs with (see SntpClient::UseKeys).
  void UseKeys(const NtpKeyTable* keys) { sntp_.UseKeys(keys); }
  // Asks the server as soon as it can: now, or once the own protocol's
  // handshake is answered.
  void AskNow(int tag);
  // The own protocol's handshake has been answered (always so with SNTP).
  bool Opened() const { return !handshakePending_; }
  // Gives up what is awaited, staying connected.
  void CancelRequest();

  // The tick while connected in network mode. kTimedOut: the own-protocol
  // server stayed silent, and the connection is to be dropped.
  enum class TickResult { kRunning, kTimedOut };
  TickResult Tick();
  // The tick while connected to a receiver: the test dialog's request wait.
  void TickReceiver();

  // Asks the server now. kSendByButton for "同期" and "ｻｰﾊﾞと同期".
  void SendSntpRequest(ClientRole role, TimeSource source, int tag);

  // "ﾓﾆﾀｰ": asks the own-protocol server for its position.
  void ButtonServerInfoClick();

  // Received answers, already routed.
  void OnSntpReply(const ReceivedReply& reply, ClientRole role);
  void OnConnectAnswer(const std::string& from);
  void OnPositionAnswer(const std::string& word, const std::string& from);

  // A host lookup for a periodic request failed: true the first time in a
  // connection, when it is to be logged.
  bool FirstLookupFailure() { return !std::exchange(lookupFailureTold_, true); }

  bool SntpReplyAwaited() const { return sntp_.SntpReplyAwaited; }

 private:
  void SendText(const char* text, int tag);

  NetworkClientDeps d_;
  StrayAnswerLog strays_;
  SntpClient sntp_;
  bool handshakePending_ = false;
  int askWhenOpen_ = 0;          // the tag of a request to send once opened; 0: none
  bool askAfterHold_ = false;    // a request was wanted while a "RATE" kiss held it back
  bool positionPending_ = false;
  bool lookupFailureTold_ = false;
};
