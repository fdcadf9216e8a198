#include "net/network_client.h"

#include "common/text_format.h"
#include "net/datagram_routing.h"
#include "net/position_answer.h"
#include "net/server_address.h"

NetworkClient::NetworkClient(const NetworkClientDeps& deps)
    : d_(deps),
      strays_(deps.log, deps.time.clock),
      sntp_(SntpClientDeps{deps.settings, deps.time, deps.udp, deps.discipline, deps.log, deps.testDialog, strays_, deps.view.status,
                           deps.random}) {}

void NetworkClient::Connect(bool again) {
  NetworkView& v = d_.view;
  Disconnect();
  if (!again) sntp_.ForgetKisses();
  if (d_.settings.LanOpt != 0) {
    v.status.ShowStatus(d_.settings.NtpIntv != 0 ? "NTPｻｰﾊﾞに接続中"
                                           : "NTPｻｰﾊﾞに接続中、「同期」ボタンで接続先に合わせる");
    return;
  }
  AwaitingData = true;
  handshakePending_ = true;
  d_.view.status.ShowStatus("ネットワーク接続の準備中");
  SendText("Quor Conn", kSendByButton);
}

void NetworkClient::Disconnect() {
  lookupFailureTold_ = false;
  CancelRequest();
}

void NetworkClient::CancelRequest() {
  AwaitingData = false;
  WaitTicks = 0;
  handshakePending_ = false;
  positionPending_ = false;
  askWhenOpen_ = 0;
  askAfterHold_ = false;
  sntp_.Cancel();
}

void NetworkClient::AskNow(int tag) {
  if (handshakePending_) {
    askWhenOpen_ = tag;
    return;
  }
  SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, tag);
}

NetworkClient::TickResult NetworkClient::Tick() {
  sntp_.TickHold();
  if (AwaitingData && d_.settings.LanOpt == 0) {
    if (++WaitTicks > kAnswerWaitTicks) {
      Disconnect();
      return TickResult::kTimedOut;
    }
    return TickResult::kRunning;
  }
  if (sntp_.SntpReplyAwaited) {
    sntp_.TickReplyWait(ClientRole::kNetwork);
    return TickResult::kRunning;
  }
  const LocalTimeRecord t = d_.time.clock.GetLocalTime();
  d_.view.EditJst = Hms(t.Hour, t.Minute, t.Second);
  // A request the server's "RATE" held back goes out once the hold is over.
  if (schedule.Due(t.Minute, t.Second, d_.settings.NtpIntv) || (askAfterHold_ && !sntp_.Held())) {
    SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, kSendPeriodic);
  }
  return TickResult::kRunning;
}

void NetworkClient::TickReceiver() {
  sntp_.TickHold();
  sntp_.TickReplyWait(ClientRole::kReceiver);
}

void NetworkClient::SendSntpRequest(ClientRole role, TimeSource source, int tag) {
  schedule.NtpRequestCount = 0;
  const bool sent = sntp_.SendSntpRequest(role, source, tag);
  if (role != ClientRole::kNetwork) return;
  askAfterHold_ = !sent && sntp_.Held();
  if (sent && d_.settings.LanOpt == 0) {
    AwaitingData = true;
    WaitTicks = 0;
  }
}

void NetworkClient::OnSntpReply(const ReceivedReply& reply, ClientRole role) {
  const SntpClient::ReplyOutcome outcome = sntp_.OnReply(reply, role);
  if (outcome == SntpClient::ReplyOutcome::kIgnored || role != ClientRole::kNetwork) return;
  // Answered, taken or not: the server is there.
  AwaitingData = false;
  if (outcome == SntpClient::ReplyOutcome::kRateKiss) askAfterHold_ = true;
}

void NetworkClient::OnConnectAnswer(const std::string& from) {
  if (!handshakePending_ || !FromServer(d_.settings.ServerIpAddr, from)) {
    strays_.Ignored("Quor Ok", from);
    return;
  }
  handshakePending_ = false;
  AwaitingData = false;
  NetworkView& v = d_.view;
  v.status.ShowStatus(d_.settings.NtpIntv != 0 ? "ネットワーク接続中"
                                         : "ネットワーク接続中、「同期」ボタンで接続先に合わせる");
  d_.log.LogWithPcTime("Quor接続開始");
  if (askWhenOpen_ != 0) SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, std::exchange(askWhenOpen_, 0));
}

void NetworkClient::ButtonServerInfoClick() {
  if (d_.settings.LanOpt != 0) return;
  AwaitingData = true;
  WaitTicks = 0;
  positionPending_ = true;
  SendText("Quor Pos", kSendByButton);
}

void NetworkClient::OnPositionAnswer(const std::string& word, const std::string& from) {
  if (!positionPending_ || !FromServer(d_.settings.ServerIpAddr, from)) {
    strays_.Ignored("Quor =", from);
    return;
  }
  positionPending_ = false;
  AwaitingData = false;
  if (NoPositionInAnswer(word)) {
    d_.view.status.ShowStatus("接続先の位置情報が取得できません！！");
    return;
  }
  const std::vector<std::string> fields = ShowPositionAnswer(word, d_.codec);
  for (size_t i = 0; i < fields.size(); ++i) *d_.view.PositionControls[i] = fields[i];
  d_.view.status.ShowStatus("接続先の位置情報を表示中");
}

void NetworkClient::SendText(const char* text, int tag) {
  const std::string s(text);
  d_.udp.Send(d_.settings.ServerIpAddr, kNtpPort, reinterpret_cast<const uint8_t*>(s.data()),
              s.size(), tag);
}
