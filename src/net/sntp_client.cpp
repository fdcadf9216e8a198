#include "net/sntp_client.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "common/text_format.h"
#include "common/time_arithmetic.h"
#include "net/datagram_routing.h"
#include "net/ntp_auth.h"
#include "net/ntp_mac.h"
#include "net/server_address.h"

namespace {

std::function<uint32_t()> SystemRandom() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine] { return static_cast<uint32_t>((*engine)()); };
}

}  // namespace

SntpClient::SntpClient(const SntpClientDeps& deps) : d_(deps) {
  if (!d_.random) d_.random = SystemRandom();
}

bool SntpClient::SendSntpRequest(ClientRole role, TimeSource source, int tag) {
  if (denied_ || holdTicks_ > 0) {
    if (tag == kSendByButton) {
      const LocalTimeRecord t = d_.time.clock.GetLocalTime();
      const std::string text =
          denied_ ? "NTPサーバに拒否されています、再接続まで要求しません"
                  : StrPrintf("NTPサーバの求めにより要求を控えています(あと %d 秒)", (holdTicks_ + 9) / 10);
      const std::string line = Stamped(t.Hour, t.Minute, t.Second, text);
      Report(role, line, line, line);
    }
    return false;
  }
  const NtpKey* key = nullptr;
  if (d_.settings.ServerKey != 0) {
    key = keys_ != nullptr ? keys_->Find(static_cast<uint32_t>(d_.settings.ServerKey)) : nullptr;
    if (key == nullptr) {
      const LocalTimeRecord t = d_.time.clock.GetLocalTime();
      const std::string line = Stamped(
          t.Hour, t.Minute, t.Second,
          StrPrintf("鍵 %d が鍵ファイルにないため要求しません", static_cast<int>(d_.settings.ServerKey)));
      Report(role, line, line, line);
      return false;
    }
  }
  NtpPacket request;
  request.LeapIndicator = 0;
  request.Version = 4;
  request.Mode = NtpPacket::kModeClient;

  const ServiceInstant now = ServiceNow(d_.time, source);
  NtpTimestampEncode(now.ntpSeconds, request.Transmit);
  const uint32_t noise = d_.random() & kRandomFractionMask;
  for (int i = 0; i < 3; ++i) {
    const auto mask = static_cast<uint8_t>(kRandomFractionMask >> (8 * i));
    uint8_t& b = request.Transmit[7 - i];
    b = static_cast<uint8_t>((b & ~mask) | (static_cast<uint8_t>(noise >> (8 * i)) & mask));
  }
  requestTime_ = now.ntpSeconds;
  RequestSentCount = now.count;
  std::memcpy(requestTransmit_, request.Transmit, 8);
  requestHost_ = d_.settings.ServerIpAddr;
  requestByButton_ = tag == kSendByButton;
  const auto header = request.Bytes();
  requestKey_ = key;
  if (key != nullptr) {
    const std::vector<uint8_t> bytes = WithMac(header, *key, std::min(MacLength(key->type), kMaxV4MacBytes));
    d_.udp.Send(requestHost_, kNtpPort, bytes.data(), bytes.size(), tag);
  } else {
    d_.udp.Send(requestHost_, kNtpPort, header.data(), header.size(), tag);
  }
  replyWait_.Start();
  return true;
}

SntpClient::ReplyOutcome SntpClient::OnReply(const ReceivedReply& reply, ClientRole role) {
  if (!replyWait_.Running() || !FromServer(requestHost_, reply.fromAddress) ||
      reply.fromPort != kNtpPort || std::memcmp(reply.packet.Originate, requestTransmit_, 8) != 0) {
    d_.strays.Ignored("NTP応答", reply.fromPort == kNtpPort
                                     ? reply.fromAddress
                                     : StrPrintf("%s:%u", reply.fromAddress.c_str(), reply.fromPort));
    return ReplyOutcome::kIgnored;
  }
  // The request is answered: its origin is not taken again.
  replyWait_.Stop();

  // T4 is T1 carried on by the counter to the datagram's arrival.
  const NtpPacket& p = reply.packet;
  ExchangeTimes times;
  times.t1 = requestTime_;
  times.t2 = NtpTimestampDecode(p.Receive, times.t1);
  times.t3 = NtpTimestampDecode(p.Transmit, times.t1);
  times.t4 = times.t1 + CountSpan(d_.time.counter, RequestSentCount, reply.arrivalCount) -
             reply.waitedSeconds;
  const LocalTimeRecord arrival = NtpSecondsToLocalTime(reply.arrivalNtp, d_.settings.TimeZone);
  // A keyed request takes only a reply signed with its key: anything else
  // (a kiss too) may be forged, and is refused before it is looked at.
  ReplyFault fault = ReplyFault::kNone;
  if (requestKey_ != nullptr && !ReplyAuthentic(*requestKey_, reply.datagram.data(), reply.datagram.size())) {
    fault = AuthenticatorOf(reply.datagram.data(), reply.datagram.size()).IsCryptoNak()
                ? ReplyFault::kCryptoNak
                : ReplyFault::kNotAuthentic;
  }
  if (fault == ReplyFault::kNone) fault = CheckReply(p, times);
  if (fault != ReplyFault::kNone) return Refuse(fault, reply, times, arrival);
  lastHoldTicks_ = 0;
  ReplyOutcome outcome = ReplyOutcome::kIgnored;
  ApplySntpReply(reply, times, role, outcome);
  return outcome;
}

SntpClient::ReplyOutcome SntpClient::Refuse(ReplyFault fault, const ReceivedReply& reply,
                                            const ExchangeTimes& times,
                                            const LocalTimeRecord& arrival) {
  const NtpPacket& p = reply.packet;
  std::string text;
  ReplyOutcome outcome = ReplyOutcome::kRejected;
  switch (fault) {
    case ReplyFault::kKissRate:
      lastHoldTicks_ = std::min(HoldCapTicks(), lastHoldTicks_ > 0 ? 2 * lastHoldTicks_ : kFirstRateHoldTicks);
      holdTicks_ = lastHoldTicks_;
      text = StrPrintf("NTPサーバから要求を控えるよう求められました(RATE)、%d 秒待ちます",
                       holdTicks_ / 10);
      outcome = ReplyOutcome::kRateKiss;
      break;
    case ReplyFault::kKissDeny:
      denied_ = true;
      text = StrPrintf("NTPサーバに拒否されました(%s)、再接続まで要求しません", KissCode(p).c_str());
      outcome = ReplyOutcome::kDenyKiss;
      break;
    case ReplyFault::kLeap:
      text = StrPrintf("メッセージ無効(LI=%d)", p.LeapIndicator);
      break;
    case ReplyFault::kKissOther:
    case ReplyFault::kStratum:
    case ReplyFault::kLocalClock:
      text = StrPrintf("応答メッセージ無効(Stratum=%d)", p.Stratum);
      break;
    case ReplyFault::kVersion:
      text = StrPrintf("NTP応答を採用しません(バージョン %d)", p.Version);
      break;
    case ReplyFault::kNoTransmit:
      text = "NTP応答を採用しません(送信時刻なし)";
      break;
    case ReplyFault::kTransmitBeforeReceive:
      text = "NTP応答を採用しません(送信時刻が受信時刻より前)";
      break;
    case ReplyFault::kRoundTrip:
      text = StrPrintf("NTP応答を採用しません(往復時間 %+.3lf 秒)", times.RoundTrip());
      break;
    case ReplyFault::kNotAuthentic:
      text = "NTP応答を採用しません(鍵で認証できません)";
      break;
    case ReplyFault::kCryptoNak:
      text = "NTP応答を採用しません(サーバが鍵を認めません)";
      break;
    case ReplyFault::kNone:
      break;
  }
  // The leap indicator's text has always been shown without a time.
  const std::string line =
      fault == ReplyFault::kLeap ? text : Stamped(arrival.Hour, arrival.Minute, arrival.Second, text);
  if (d_.testDialog.TestDialogShown()) {
    d_.testDialog.AddTestDialogRow(line);
  } else if (fault == ReplyFault::kKissDeny) {
    ShowAndLog(line);  // once a connection: nothing more is asked
  } else {
    ShowAndLogLimited(fault, line);
  }
  return outcome;
}

void SntpClient::ApplySntpReply(const ReceivedReply& reply, const ExchangeTimes& times,
                                ClientRole role, ReplyOutcome& outcome) {
  const NtpPacket& p = reply.packet;
  const int zone = d_.settings.TimeZone;
  const LocalTimeRecord arrival = NtpSecondsToLocalTime(reply.arrivalNtp, zone);
  const double t4 = times.t4;
  const double delay = times.RoundTrip();
  const double offset = times.Offset();

  // The server's time and the PC's at the arrival, carried on by the counter
  // to the moment the datagram was read; the discipline adds the sync
  // adjustment and refuses a correction of an hour or more. The uncertainty:
  // half the round trip and what the server allows for its own time.
  const double waited = reply.waitedSeconds;
  UpstreamClaim claim = ClaimOf(p, reply.fromAddress);
  claim.roundTrip = std::fabs(delay);
  const ClockDiscipline::Outcome set =
      d_.discipline.TakeServerTime(t4 + offset + waited, t4 + waited, reply.arrivalCount,
                                   std::fabs(delay) / 2 + claim.rootDispersion, claim, requestByButton_);
  if (set == ClockDiscipline::Outcome::kTooFar) {
    Report(role, "Delay exceeds 1 hour limit!!", "Delay exceeds 1 hour limit!!",
           Stamped(arrival.Hour, arrival.Minute, arrival.Second,
                   StrPrintf("同期を見合わせました［補正量 %+.3lf 秒!!］", offset)));
    outcome = ReplyOutcome::kRefused;
    return;
  }

  if (set != ClockDiscipline::Outcome::kStepped && set != ClockDiscipline::Outcome::kSlewed) {
    const std::string measured = StrPrintf("delay : %+.6lf sec, dT : %+.6lf sec", delay, offset);
    const std::string stamp = Hms(arrival.Hour, arrival.Minute, arrival.Second);
    Report(role, stamp + "  時刻校正に失敗 " + measured, stamp + "  時刻校正に失敗 " + measured,
           stamp + StrPrintf("  時刻校正に失敗［遅延量 %+.3lf 秒、補正量 %+.3lf 秒］", delay, offset));
    outcome = ReplyOutcome::kNotSet;
    return;
  }
  const double target = t4 + offset + d_.discipline.SyncOffsetMs() * 0.001;
  const LocalTimeRecord setTime = NtpSecondsToLocalTime(target, zone);
  const std::string measured =
      Stamped(setTime.Hour, setTime.Minute, setTime.Second,
              StrPrintf("delay : %+.6lf sec, dT : %+.6lf sec", delay, offset));
  Report(role, measured, measured,
         Stamped(setTime.Hour, setTime.Minute, setTime.Second,
                 StrPrintf("同期しました［遅延量 %+.3lf 秒、補正量 %+.3lf 秒］", delay, offset)));
  outcome = ReplyOutcome::kCorrected;
}

int SntpClient::HoldCapTicks() const {
  return d_.settings.NtpIntv > 0 ? d_.settings.NtpIntv * 600 : 600;
}

void SntpClient::ForgetKisses() {
  holdTicks_ = 0;
  lastHoldTicks_ = 0;
  denied_ = false;
}

void SntpClient::ShowAndLogLimited(ReplyFault fault, const std::string& line) {
  d_.status.ShowStatus(line);
  LogRateLimit& limit = refusalLimits_[static_cast<size_t>(fault)];
  const auto minute = static_cast<int64_t>(std::floor(d_.time.clock.ReadNtpSeconds() / 60.0));
  const uint64_t earlier = limit.TakeUnlogged(minute);
  if (!limit.Allow(minute)) return;
  d_.log.LogLine(earlier > 0 ? line + StrPrintf("、ほか %llu 件", static_cast<unsigned long long>(earlier))
                             : line);
}

bool SntpClient::TickReplyWait(ClientRole role) {
  if (!replyWait_.Count()) return false;
  const LocalTimeRecord t = d_.time.clock.GetLocalTime();
  const std::string line = Stamped(t.Hour, t.Minute, t.Second, "NTPサーバから応答がありません");
  Report(role, line, line, line);
  return true;
}

void SntpClient::Report(ClientRole role, const std::string& dialogRow,
                        const std::string& receiverLine, const std::string& networkLine) {
  if (d_.testDialog.TestDialogShown()) {
    d_.testDialog.AddTestDialogRow(dialogRow);
  } else {
    ShowAndLog(role == ClientRole::kReceiver ? receiverLine : networkLine);
  }
}

void SntpClient::ShowAndLog(const std::string& line) {
  d_.status.ShowStatus(line);
  d_.log.LogLine(line);
}
