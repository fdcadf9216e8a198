#include "net/sntp_server.h"

#include <cmath>
#include <cstring>

#include "common/text_format.h"
#include "common/time_arithmetic.h"

namespace {

// What the reply claims: stratum 1 "GPS" with a receiver (precision 2^-12 s
// with 1PPS, 2^-3 s before it), otherwise the PC clock as a local clock,
// "LOCL" at stratum 10. Stratum 0 would be a kiss code, which standard clients
// drop; a Quor client still refuses a "LOCL" server as it refuses stratum 0.
void Claim(NtpPacket& reply, TimeSource source) {
  if (source == TimeSource::kPcClock) {
    reply.Stratum = NtpPacket::kLocalClockStratum;
    reply.Precision = 0;
    std::memcpy(reply.ReferenceId, NtpPacket::kLocalClockId, 4);
    return;
  }
  reply.Stratum = 1;
  reply.Precision = source == TimeSource::kReceiverPps ? -12 : -3;
  const uint8_t gps[4] = {'G', 'P', 'S', 0};
  std::memcpy(reply.ReferenceId, gps, 4);
}

int64_t WholeSecond(double ntpSeconds) { return static_cast<int64_t>(std::floor(ntpSeconds)); }

}  // namespace

std::optional<ReceivedReply> SntpServer::HandleNtpPacket(const UdpDatagram& datagram,
                                                         TimeSource source) {
  // The time is taken before anything else, and set back by how long the
  // datagram waited after the kernel received it.
  const ServiceInstant now = ServiceNow(d_.time, source);
  const double waited = datagram.waitedSeconds > 0 ? datagram.waitedSeconds : 0;
  const double arrival = now.ntpSeconds - waited;
  const std::optional<NtpPacket> packet = NtpPacket::Parse(datagram.data, datagram.size);
  if (!packet) return std::nullopt;
  const NtpPacket& p = *packet;

  if (p.Mode == NtpPacket::kModeClient) {
    SendSntpReply(p, datagram, source, now, waited);
  }

  const double pcNow = source == TimeSource::kReceiverPps ? d_.time.clock.ReadNtpSeconds()
                                                          : now.ntpSeconds;
  LogUnlogged(pcNow);
  const LocalTimeRecord local = NtpSecondsToLocalTime(arrival, d_.timeZone);
  if (!d_.testDialogShown) {
    std::string line = Stamped(local.Hour, local.Minute, local.Second,
                               StrPrintf("LI:%d,VN:%d,Mode:%d,Stratum:%d,Poll:%d,Prec:%d",
                                         p.LeapIndicator, p.Version, p.Mode, p.Stratum, p.Poll,
                                         p.Precision));
    if (p.Mode == NtpPacket::kModeClient) line += ",From:" + datagram.fromAddress;
    d_.statusBar = line;
    LogLimited(line, pcNow);
  }

  if (p.Mode == NtpPacket::kModeServer) {
    return ReceivedReply{p, datagram.fromAddress, arrival, now.count, waited, datagram.fromPort};
  }
  if (p.Mode != NtpPacket::kModeClient && p.LeapIndicator == NtpPacket::kLeapUnsynchronised) {
    const std::string text = StrPrintf("メッセージ無効(LI=%d)", p.LeapIndicator);
    d_.statusBar = text;
    LogLimited(text, pcNow);
  }
  return std::nullopt;
}

void SntpServer::SendSntpReply(const NtpPacket& request, const UdpDatagram& datagram,
                               TimeSource source, const ServiceInstant& now, double waited) {
  NtpPacket reply = request;
  // A reply never passes on the client's "unsynchronised": the leap
  // indicator is this server's, and it has no leap second to announce.
  reply.LeapIndicator = 0;
  reply.Mode = NtpPacket::kModeServer;
  std::memcpy(reply.Reference, d_.time.edge.EdgeNtpTime, 8);
  std::memcpy(reply.Originate, request.Transmit, 8);
  Claim(reply, source);
  NtpTimestampEncode(now.ntpSeconds - waited, reply.Receive);
  // The reply is finished: the transmit time is the receive time carried on
  // by the counter.
  NtpTimestampEncode(now.ntpSeconds + CountSpan(d_.time.counter, now.count, d_.time.counter.Now()),
                     reply.Transmit);
  const auto bytes = reply.Bytes();
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
