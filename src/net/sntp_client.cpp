#include "net/sntp_client.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "common/text_format.h"
#include "common/time_arithmetic.h"
#include "net/datagram_routing.h"
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

void SntpClient::SendSntpRequest(ClientRole role, TimeSource source, int tag) {
  NtpPacket request;
  request.LeapIndicator = 0;
  request.Version = 4;
  request.Mode = NtpPacket::kModeClient;
  if (role == ClientRole::kNetwork) d_.buttonSyncPCEnabled = false;

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
  const auto bytes = request.Bytes();
  d_.udp.Send(requestHost_, kNtpPort, bytes.data(), bytes.size(), tag);
  SntpReplyAwaited = true;
  waitTicks_ = 0;
}

SntpClient::ReplyOutcome SntpClient::OnReply(const ReceivedReply& reply, ClientRole role) {
  if (!SntpReplyAwaited || !FromServer(requestHost_, reply.fromAddress) ||
      std::memcmp(reply.packet.Originate, requestTransmit_, 8) != 0) {
    d_.strays.Ignored("NTP応答", reply.fromAddress);
    return ReplyOutcome::kIgnored;
  }
  if (reply.packet.LeapIndicator == NtpPacket::kLeapUnsynchronised) {
    ShowAndLog(StrPrintf("メッセージ無効(LI=%d)", reply.packet.LeapIndicator));
    return ReplyOutcome::kInvalid;
  }
  ReplyOutcome outcome = ReplyOutcome::kIgnored;
  ApplySntpReply(reply, role, outcome);
  return outcome;
}

void SntpClient::ApplySntpReply(const ReceivedReply& reply, ClientRole role,
                                ReplyOutcome& outcome) {
  const NtpPacket& p = reply.packet;
  if (role == ClientRole::kNetwork) d_.buttonSyncPCEnabled = true;
  const int zone = d_.settings.TimeZone;
  const LocalTimeRecord arrival = NtpSecondsToLocalTime(reply.arrivalNtp, zone);

  // A server with no time of its own to give (stratum 0, or a Quor without a
  // receiver) is not followed.
  if (p.FromUnsynchronisedServer() && d_.settings.LanOpt == 1) {
    const std::string text = StrPrintf("応答メッセージ無効(Stratum=%d)", p.Stratum);
    if (d_.testDialog.TestDialogShown) {
      d_.testDialog.AddRow(text);
    } else {
      ShowAndLog(Stamped(arrival.Hour, arrival.Minute, arrival.Second, text));
    }
    outcome = ReplyOutcome::kRejected;
    return;
  }

  // T4 is T1 carried on by the counter to the datagram's arrival.
  const double t1 = requestTime_;
  const double t2 = NtpTimestampDecode(p.Receive, t1);
  const double t3 = NtpTimestampDecode(p.Transmit, t1);
  const double t4 = t1 + CountSpan(d_.time.counter, RequestSentCount, reply.arrivalCount) -
                    reply.waitedSeconds;
  const double delay = (t4 - t1) - (t3 - t2);
  const double offset = ((t2 - t1) + (t3 - t4)) / 2;
  SntpReplyAwaited = false;

  // The server's time and the PC's at the arrival, carried on by the counter
  // to the moment the datagram was read; the discipline adds the sync
  // adjustment and refuses a correction of an hour or more.
  const double waited = reply.waitedSeconds;
  const ClockDiscipline::Outcome set = d_.discipline.TakeServerTime(
      t4 + offset + waited, t4 + waited, reply.arrivalCount, std::fabs(delay) / 2);
  if (set == ClockDiscipline::Outcome::kTooFar) {
    Report(role, "Delay exceeds 1 hour limit!!", "Delay exceeds 1 hour limit!!",
           Stamped(arrival.Hour, arrival.Minute, arrival.Second,
                   StrPrintf("同期を見合わせました［補正量 %+.3lf 秒!!］", offset)));
    outcome = ReplyOutcome::kRefused;
    return;
  }

  if (set != ClockDiscipline::Outcome::kStepped) {
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

bool SntpClient::TickReplyWait(ClientRole role) {
  if (!SntpReplyAwaited || ++waitTicks_ <= kReplyWaitTicks) return false;
  SntpReplyAwaited = false;
  if (role == ClientRole::kNetwork) d_.buttonSyncPCEnabled = true;
  const LocalTimeRecord t = d_.time.clock.GetLocalTime();
  const std::string line = Stamped(t.Hour, t.Minute, t.Second, "NTPサーバから応答がありません");
  Report(role, line, line, line);
  return true;
}

void SntpClient::Report(ClientRole role, const std::string& dialogRow,
                        const std::string& receiverLine, const std::string& networkLine) {
  if (d_.testDialog.TestDialogShown) {
    d_.testDialog.AddRow(dialogRow);
  } else {
    ShowAndLog(role == ClientRole::kReceiver ? receiverLine : networkLine);
  }
}

void SntpClient::ShowAndLog(const std::string& line) {
  d_.statusBar = line;
  d_.log.LogLine(line);
}
