#include "net/sntp_server.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ip_address.h"
#include "common/text_format.h"
#include "common/time_arithmetic.h"

namespace {

// A length of time as the 16.16 fixed-point seconds of the root fields.
void EncodeShort(double seconds, uint8_t out[4]) {
  const double units = std::clamp(seconds, 0.0, 65535.0) * 65536.0;
  const auto v = static_cast<uint32_t>(units);
  out[0] = static_cast<uint8_t>(v >> 24);
  out[1] = static_cast<uint8_t>(v >> 16);
  out[2] = static_cast<uint8_t>(v >> 8);
  out[3] = static_cast<uint8_t>(v);
}

int64_t WholeSecond(double ntpSeconds) { return static_cast<int64_t>(std::floor(ntpSeconds)); }

// A client's request: Mode 3, or an NTPv1 request, whose header has no mode.
bool IsRequest(const NtpPacket& p) {
  return p.Mode == NtpPacket::kModeClient || (p.Version == 1 && p.Mode == 0);
}

}  // namespace

std::optional<ReceivedReply> SntpServer::HandleNtpPacket(const UdpDatagram& datagram,
                                                         TimeSource source,
                                                         const ServiceClaim& claim) {
  // The time is taken before anything else, and set back by how long the
  // datagram waited after the kernel received it.
  const ServiceInstant now = ServiceNow(d_.time, source);
  const double waited = datagram.waitedSeconds > 0 ? datagram.waitedSeconds : 0;
  const double arrival = now.ntpSeconds - waited;
  const std::optional<NtpPacket> packet = NtpPacket::Parse(datagram.data, datagram.size);
  if (!packet) return std::nullopt;
  const NtpPacket& p = *packet;

  const double pcNow = source == TimeSource::kReceiverPps ? d_.time.clock.ReadNtpSeconds()
                                                          : now.ntpSeconds;
  if (IsRequest(p) && Answerable(p, now, waited)) {
    // A refused or limited request gets nothing more, not even a log line.
    if (!Admit(p, datagram, pcNow)) return std::nullopt;
    const RequestAuthCheck auth = CheckRequestAuth(keys_, datagram.data, datagram.size);
    SendSntpReply(p, datagram, claim, now, waited, auth);
    if (auth.result == RequestAuth::kBad) {
      ++counts_.cryptoNaks;
    } else {
      ++counts_.served;
      if (auth.result == RequestAuth::kValid) ++counts_.authenticated;
      clients_.Note(datagram.fromAddress, pcNow);
    }
  }

  LogUnlogged(pcNow);
  const LocalTimeRecord local = NtpSecondsToLocalTime(arrival, d_.timeZone);
  if (!d_.testDialog.TestDialogShown() && (d_.logRequests != 0 || !IsRequest(p))) {
    std::string line = Stamped(local.Hour, local.Minute, local.Second,
                               StrPrintf("LI:%d,VN:%d,Mode:%d,Stratum:%d,Poll:%d,Prec:%d",
                                         p.LeapIndicator, p.Version, p.Mode, p.Stratum, p.Poll,
                                         p.Precision));
    if (IsRequest(p)) line += ",From:" + datagram.fromAddress;
    d_.status.ShowStatus(line);
    LogLimited(line, pcNow);
  }

  if (p.Mode == NtpPacket::kModeServer) {
    return ReceivedReply{p,      datagram.fromAddress, arrival, now.count, waited, datagram.fromPort,
                         std::vector<uint8_t>(datagram.data, datagram.data + datagram.size)};
  }
  if (!IsRequest(p) && p.LeapIndicator == NtpPacket::kLeapUnsynchronised) {
    const std::string text = StrPrintf("メッセージ無効(LI=%d)", p.LeapIndicator);
    d_.status.ShowStatus(text);
    LogLimited(text, pcNow);
  }
  return std::nullopt;
}

bool SntpServer::Answerable(const NtpPacket& request, const ServiceInstant& now,
                            double waited) const {
  if (request.Version < 1 || request.Version > 4) return false;
  if (waited > kMaxQueuedSeconds) return false;
  // Set since the datagram arrived: its wait spans the setting.
  return !(stepped_ && CountSpan(d_.time.counter, stepCount_, now.count) < waited);
}

void SntpServer::SendSntpReply(const NtpPacket& request, const UdpDatagram& datagram,
                               const ServiceClaim& claim, const ServiceInstant& now,
                               double waited, const RequestAuthCheck& auth) {
  // The request's version and poll; everything the reply claims is this
  // server's own, never the request's echoed back.
  NtpPacket reply;
  reply.Version = request.Version;
  reply.Poll = request.Poll;
  reply.Mode = NtpPacket::kModeServer;
  reply.LeapIndicator = claim.leap;
  reply.Stratum = claim.stratum;
  reply.Precision = claim.precision;
  std::memcpy(reply.ReferenceId, claim.referenceId, 4);
  EncodeShort(claim.rootDelay, reply.RootDelay);
  EncodeShort(claim.rootDispersion, reply.RootDispersion);
  if (claim.referenceTime > 0) NtpTimestampEncode(claim.referenceTime, reply.Reference);
  std::memcpy(reply.Originate, request.Transmit, 8);
  NtpTimestampEncode(now.ntpSeconds - waited, reply.Receive);
  // The reply is finished: the transmit time is the receive time carried on
  // by the counter.
  NtpTimestampEncode(now.ntpSeconds + CountSpan(d_.time.counter, now.count, d_.time.counter.Now()),
                     reply.Transmit);
  const auto header = reply.Bytes();
  if (auth.result == RequestAuth::kNone) {
    d_.udp.Send(datagram.fromAddress, datagram.fromPort, header.data(), header.size());
    return;
  }
  const std::vector<uint8_t> bytes = auth.result == RequestAuth::kValid
                                         ? WithMac(header, *auth.key, auth.macSize)
                                         : WithCryptoNak(header);
  d_.udp.Send(datagram.fromAddress, datagram.fromPort, bytes.data(), bytes.size());
}

bool SntpServer::Admit(const NtpPacket& request, const UdpDatagram& datagram, double pcNow) {
  const std::optional<IpAddress> from = ParseIpAddress(datagram.fromAddress);
  if (!from || !d_.access.NtpMayAsk(datagram.fromAddress)) {
    ++counts_.refused;
    return false;
  }
  if (!IsLoopback(*from)) {
    switch (answers_.Allow(*from, pcNow)) {
      case AnswerRateLimit::Verdict::kAnswer:
        break;
      case AnswerRateLimit::Verdict::kKiss:
        SendRateKiss(request, datagram);
        ++counts_.rateLimited;
        return false;
      case AnswerRateLimit::Verdict::kDrop:
        ++counts_.rateLimited;
        return false;
    }
  }
  return true;
}

// The kiss-o'-death "RATE": unsynchronised, stratum 0, the code as the
// reference id; it tells no time (its receive and transmit times are the
// request's own), so it is no answer a client could set its clock by.
void SntpServer::SendRateKiss(const NtpPacket& request, const UdpDatagram& datagram) {
  NtpPacket kiss;
  kiss.LeapIndicator = NtpPacket::kLeapUnsynchronised;
  kiss.Version = request.Version;
  kiss.Mode = NtpPacket::kModeServer;
  kiss.Stratum = 0;
  kiss.Poll = request.Poll;
  std::memcpy(kiss.ReferenceId, "RATE", 4);
  std::memcpy(kiss.Originate, request.Transmit, 8);
  std::memcpy(kiss.Receive, request.Transmit, 8);
  std::memcpy(kiss.Transmit, request.Transmit, 8);
  const auto bytes = kiss.Bytes();
  d_.udp.Send(datagram.fromAddress, datagram.fromPort, bytes.data(), bytes.size());
}

void SntpServer::LogLimited(const std::string& line, double pcNow) {
  if (limit_.Allow(WholeSecond(pcNow))) d_.log.LogLine(line);
}

void SntpServer::LogUnlogged(double pcNow) {
  const uint64_t n = limit_.TakeUnlogged(WholeSecond(pcNow));
  if (n == 0) return;
  d_.log.LogWithPcTime(StrPrintf("NTPパケット %llu 件の記録を省略しました",
                                 static_cast<unsigned long long>(n)));
}

void SntpServer::Tick() { LogUnlogged(d_.time.clock.ReadNtpSeconds()); }
