#include "net/network_session.h"

#include <utility>

#include "common/text_format.h"
#include "net/datagram_routing.h"
#include "net/position_answer.h"
#include "net/server_address.h"

NetworkSession::NetworkSession(const NetworkSessionDeps& deps, bool again) : d_(deps) {
  d_.client.NewConnection(again);
  if (!OwnProtocol()) {
    d_.view.status.ShowStatus(d_.settings.NtpIntv != 0
                                  ? "NTPｻｰﾊﾞに接続中"
                                  : "NTPｻｰﾊﾞに接続中、「同期」ボタンで接続先に合わせる");
    return;
  }
  answerWait_.Start();
  handshakePending_ = true;
  d_.view.status.ShowStatus("ネットワーク接続の準備中");
  SendText("Quor Conn", kSendByButton);
}

NetworkSession::~NetworkSession() { d_.client.CancelRequest(); }

void NetworkSession::AskNow(int tag) {
  if (handshakePending_) {
    askWhenOpen_ = tag;
    return;
  }
  SendSntpRequest(tag);
}

void NetworkSession::SendSntpRequest(int tag) {
  NetworkClient& c = d_.client;
  const bool sent = c.SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, tag);
  askAfterHold_ = !sent && c.Held();
  if (sent && OwnProtocol()) answerWait_.Start();
}

NetworkSession::TickResult NetworkSession::Tick() {
  NetworkClient& c = d_.client;
  c.TickHold();
  if (answerWait_.Running()) return answerWait_.Count() ? TickResult::kTimedOut : TickResult::kRunning;
  if (c.SntpReplyAwaited()) {
    c.TickReplyWait(ClientRole::kNetwork);
    return TickResult::kRunning;
  }
  const LocalTimeRecord t = d_.clock.GetLocalTime();
  d_.view.EditJst = Hms(t.Hour, t.Minute, t.Second);
  // A request the server's "RATE" held back goes out once the hold is over.
  if (c.schedule.Due(t.Minute, t.Second, d_.settings.NtpIntv) || (askAfterHold_ && !c.Held())) {
    SendSntpRequest(kSendPeriodic);
  }
  return TickResult::kRunning;
}

void NetworkSession::OnSntpReply(const ReceivedReply& reply) {
  const SntpClient::ReplyOutcome outcome = d_.client.OnSntpReply(reply, ClientRole::kNetwork);
  if (outcome == SntpClient::ReplyOutcome::kIgnored) return;
  // Answered, taken or not: the server is there.
  answerWait_.Stop();
  if (outcome == SntpClient::ReplyOutcome::kRateKiss) askAfterHold_ = true;
}

void NetworkSession::OnConnectAnswer(const std::string& from) {
  if (!handshakePending_ || !FromServer(d_.settings.ServerIpAddr, from)) {
    d_.client.strays().Ignored("Quor Ok", from);
    return;
  }
  handshakePending_ = false;
  answerWait_.Stop();
  d_.view.status.ShowStatus(d_.settings.NtpIntv != 0
                                ? "ネットワーク接続中"
                                : "ネットワーク接続中、「同期」ボタンで接続先に合わせる");
  d_.log.LogWithPcTime("Quor接続開始");
  if (askWhenOpen_ != 0) SendSntpRequest(std::exchange(askWhenOpen_, 0));
}

void NetworkSession::ButtonServerInfoClick() {
  if (!OwnProtocol()) return;
  answerWait_.Start();
  positionPending_ = true;
  SendText("Quor Pos", kSendByButton);
}

void NetworkSession::OnPositionAnswer(const std::string& word, const std::string& from) {
  if (!positionPending_ || !FromServer(d_.settings.ServerIpAddr, from)) {
    d_.client.strays().Ignored("Quor =", from);
    return;
  }
  positionPending_ = false;
  answerWait_.Stop();
  if (NoPositionInAnswer(word)) {
    d_.view.status.ShowStatus("接続先の位置情報が取得できません！！");
    return;
  }
  const std::vector<std::string> fields = ShowPositionAnswer(word, d_.codec);
  for (size_t i = 0; i < fields.size(); ++i) *d_.view.PositionControls[i] = fields[i];
  d_.view.status.ShowStatus("接続先の位置情報を表示中");
}

void NetworkSession::SendText(const char* text, int tag) {
  const std::string s(text);
  d_.udp.Send(d_.settings.ServerIpAddr, kNtpPort, reinterpret_cast<const uint8_t*>(s.data()),
              s.size(), tag);
}
