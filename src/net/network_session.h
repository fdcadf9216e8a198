#pragma once
#include <array>
#include <string>

#include "common/status_sink.h"
#include "common/tick_wait.h"
#include "net/network_client.h"
#include "platform/text_codec.h"

// The main window's controls a network connection fills.
struct NetworkView {
  StatusSink& status;
  std::string& EditJst;
  // The controls a position answer fills, in the answer's field order.
  std::array<std::string*, 8> PositionControls;
};

// What a network connection works with but does not own.
struct NetworkSessionDeps {
  const Settings& settings;
  NetworkClient& client;  // the SNTP client, which outlives the connection
  UdpEndpoint& udp;
  LogSink& log;
  PcClock& clock;
  TextCodec& codec;
  NetworkView view;
};

// One connection of the network mode (the port setting "ﾈｯﾄﾜｰｸ"): the PC as
// a time client of `ServerIpAddr`, by SNTP alone (`LanOpt` 1) or opened with
// the own LAN protocol's handshake (`LanOpt` 0). Connecting creates it,
// disconnecting destroys it: nothing awaited survives the connection.
class NetworkSession {
 public:
  // Ticks of 100 ms an own-protocol answer is awaited before the connection
  // is given up.
  static constexpr int kAnswerWaitTicks = 50;

  // SNTP is ready at once; the own protocol sends its handshake first. The
  // user's connection forgets the server's kisses; connecting `again` by
  // itself after a silent server keeps them.
  NetworkSession(const NetworkSessionDeps& deps, bool again);
  ~NetworkSession();
  NetworkSession(const NetworkSession&) = delete;
  NetworkSession& operator=(const NetworkSession&) = delete;

  // The own protocol's handshake has been answered (always so with SNTP).
  bool Opened() const { return !handshakePending_; }
  bool OwnProtocol() const { return d_.settings.LanOpt == 0; }
  // An own-protocol answer is awaited (the handshake, a position, or the
  // answer to an SNTP request, which shows the server is there).
  bool AnswerAwaited() const { return answerWait_.Running(); }

  // Asks the server as soon as it can: now, or once the handshake is
  // answered.
  void AskNow(int tag);
  // Asks the server now (kSendByButton for "同期").
  void SendSntpRequest(int tag);

  // kTimedOut: the own-protocol server stayed silent, and the connection is
  // to be dropped.
  enum class TickResult { kRunning, kTimedOut };
  TickResult Tick();

  // "ﾓﾆﾀｰ": asks the own-protocol server for its position.
  void ButtonServerInfoClick();

  // Received answers, already routed.
  void OnSntpReply(const ReceivedReply& reply);
  void OnConnectAnswer(const std::string& from);
  void OnPositionAnswer(const std::string& word, const std::string& from);

 private:
  void SendText(const char* text, int tag);

  NetworkSessionDeps d_;
  TickWait answerWait_{kAnswerWaitTicks};
  bool handshakePending_ = false;
  int askWhenOpen_ = 0;        // the tag of a request to send once opened; 0: none
  bool askAfterHold_ = false;  // a request was wanted while a "RATE" kiss held it back
  bool positionPending_ = false;
};
